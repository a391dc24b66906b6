#include "ui/Main.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/Periodnotice.h"
#include "traces/Cursorspan.h"

#include "ui/Analysispanel.h"
#include "ui/Appicons.h"
#include "ui/Changemarksview.h"
#include "ui/Errorbox.h"
#include "ui/Graphview.h"
#include "ui/Linkstats.h"
#include "ui/Panelwidget.h"
#include "ui/Referenceview.h"
#include "ui/Statuspanels.h"
#include "ui/Tracelegend.h"

namespace {

constexpr int WindowFontPoints = 8;
constexpr int HealthRefreshMs = 500;
constexpr double MsPerSecond = 1000.0;

}  // namespace

TMainForm::TMainForm(std::filesystem::path configPath, std::string defaultDataDir, QWidget* parent)
    : QMainWindow(parent), configPath_(std::move(configPath)) {
    setWindowTitle(QStringLiteral("Tavolin"));
    setWindowIcon(ApplicationIcon());
    // The window's controls are laid out for an 8-point sans-serif font.
    QFont font(QStringLiteral("Sans Serif"), WindowFontPoints);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setAcceptDrops(true);
    setMinimumSize(WindowPlacement::MinWidth, WindowPlacement::MinHeight);

    panelWidget_ = new TPanelWidget(this);
    core_ = std::make_unique<AppCore>(*panelWidget_, *this);
    // The window must answer while the station is switched off: reconnecting waits for a
    // station to answer a probe on another thread before it connects on this one.
    core_->ProbeInBackground();
    panelWidget_->Bind(core_->panel(), [this](const std::exception& e) { ShowError(this, e); });

    BuildActions();
    BuildMenus();
    BuildToolBar();
    setCentralWidget(BuildCentralArea());
    BuildStatusBar();
    analysis_ = new TAnalysisPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, analysis_);
    analysis_->hide();
    connect(analysis_, &TAnalysisPanel::optionsChanged, this, [this] { RefreshAnalysis(); });
    connect(analysis_, &QDockWidget::visibilityChanged, this, [this](bool) {
        // Closed by its own title bar button: the menu item follows.
        action("acAnalysis")->setChecked(!analysis_->isHidden());
    });

    connection().Disconnect();
    {
        Updating::Guard guard(core_->updating());
        config_ = LoadConfig(configPath_, defaultDataDir);
        ApplyConfig();
    }
    connection().cachedParams() = Connection::DefaultCachedParams();
    acquisition().Stop();

    pollTimer_.setSingleShot(true);
    pollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { Tick(); });
    schedule_.SetPeriod(std::chrono::milliseconds(config_.samplePeriodMs));
    schedule_.Start(TickSchedule::Clock::now());
    ScheduleNextTick();

    connect(&healthTimer_, &QTimer::timeout, this, [this] { RefreshHealth(); });
    healthTimer_.start(HealthRefreshMs);
}

TMainForm::~TMainForm() {
    // The dock reports its hiding while QMainWindow's destructor tears it down, when this
    // window is no longer a TMainForm.
    analysis_->disconnect(this);
}

QWidget* TMainForm::BuildCentralArea() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    panelWidget_->setFixedHeight(100);
    layout->addWidget(panelWidget_);

    auto* logPanel = new QWidget(central);
    logPanel->setObjectName(QStringLiteral("UnderLogPanel"));
    auto* logLayout = new QVBoxLayout(logPanel);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->setSpacing(0);
    scrollBar_ = new QScrollBar(Qt::Horizontal, logPanel);
    graph_ = new TGraphView(store(), *scrollBar_, logPanel);
    auto reference = std::make_unique<TReferenceView>(graph_->visibility(), graph_->colours());
    reference_ = reference.get();
    graph_->AddOverlay(std::move(reference));
    graph_->AddOverlay(std::make_unique<TChangeMarksView>(core_->changelog(), graph_->colours()));
    logLayout->addWidget(graph_, 1);
    logLayout->addWidget(scrollBar_);
    layout->addWidget(logPanel, 1);

    legend_ = new TTraceLegend(central);
    legend_->setFixedHeight(33);
    layout->addWidget(legend_);

    connect(graph_, &TGraphView::readoutChanged, this, [this](const QStringList& texts) {
        for (int i = 0; i < texts.size() && i + 1 < StatusPanels; ++i)
            statusPanels_->SetText(i + 1, texts[i]);
    });
    connect(graph_, &TGraphView::cursorSwitchedOn, this,
            [this] { action("acCursor")->setChecked(true); });
    connect(graph_, &TGraphView::cursorsMoved, this, [this] { RefreshAnalysis(); });
    connect(legend_, &TTraceLegend::traceClicked, this, [this](int, bool) {
        ShowTraces(legend_->visibility());
        UpdateJournalLayout();
    });
    return central;
}

void TMainForm::BuildStatusBar() {
    // Panel 0 the connection, 1 to 10 the cursor readout, each as wide as its widest text.
    // A permanent widget: a message shown in the bar would hide an ordinary one.
    statusPanels_ = new TStatusPanels(this);
    for (const std::string& text : graph::WidestReadout())
        statusPanels_->AddPanel({QString::fromStdString(text)});
    statusBar()->addPermanentWidget(statusPanels_, 1);
    statusBar()->setSizeGripEnabled(false);
    // The bar's own message area has no room left: the program's messages (a journal fault)
    // show in the connection panel for their time instead.
    connect(statusBar(), &QStatusBar::messageChanged, this,
            [this](const QString& message) { statusPanels_->connection().ShowMessage(message); });
    // The period a recording did not keep, and the achieved poll rate: panels of the same
    // row, which give way to the readouts when the window is narrow (see TStatusPanels).
    noticePanel_ = statusPanels_->AddPanel({}, TStatusPanels::Claim::Notice);
    periodNotice_ = &statusPanels_->panel(noticePanel_);
    periodNotice_->setObjectName(QStringLiteral("lbPeriod"));
    pollRate_ = &statusPanels_->panel(
        statusPanels_->AddPanel({QStringLiteral(" 99.9 Hz ")}, TStatusPanels::Claim::Extra));
    pollRate_->setObjectName(QStringLiteral("PollRate"));
    RefreshHealth();
}

void TMainForm::ShowRecordPeriod() {
    if (!graph_ || !periodNotice_) return;
    graph_->SetSamplePeriod(acquisition().recordPeriodMs());
    // The journal stands for the same period as the log (a no-op while it is unchanged).
    UpdateJournalLayout();
    const PeriodNotice notice = NoticeOf(acquisition(), connection().kind());
    // Spaced like the other panels' texts.
    const QString text = notice.text.empty()
                             ? QString()
                             : QStringLiteral(" %1 ").arg(QString::fromStdString(notice.text));
    if (text == periodNotice_->text()) return;
    periodNotice_->setToolTip(QString::fromStdString(notice.reason));
    statusPanels_->SetText(noticePanel_, text);
}

void TMainForm::ShowTraces(const graph::Visibility& visible) {
    graph_->SetVisibility(visible);
    // A hidden trace has no readout: its panel makes room for the others, so that at the
    // smallest window the visible ones show whole.
    for (int trace = 0; trace < TraceCount; ++trace)
        statusPanels_->SetWanted(trace + 2, visible[trace]);
}

QString TMainForm::statusText(int panel) const {
    if (panel == 0) return statusPanels_->connection().fullText();
    return statusPanels_->panel(panel).text();
}

QString TMainForm::statusToolTip(int panel) const {
    return statusPanels_->panel(panel).toolTip();
}

void TMainForm::ApplyConfig() {
    const WindowPlacement& w = config_.window;
    // Left and Top place the frame, as x() and y() report it when the placement is saved.
    resize(std::max(w.width, WindowPlacement::MinWidth),
           std::max(w.height, WindowPlacement::MinHeight));
    move(w.left, w.top);
    if (w.state == 2) setWindowState(Qt::WindowMaximized);
    if (w.state == 1) setWindowState(Qt::WindowMinimized);
    connection().SetSelectedPort(config_.SelectedPort());
    action("acSimulate")->setChecked(config_.simulate);
    AcquisitionOptions& options = acquisition().options();
    options.simulate = config_.simulate;
    legend_->SetVisibility(config_.show);
    ShowTraces(config_.show);
    panelWidget_->SetChecked(PanelView::Box::PidH, config_.pidH);
    panelWidget_->SetChecked(PanelView::Box::PidF, config_.pidF);
    options.autoConnect = config_.autoConnect;
    options.autoScroll = config_.autoScroll;
    core_->autoRead = config_.autoRead;
    graph_->SetAutoScroll(config_.autoScroll);
    acquisition().SetSamplePeriod(config_.samplePeriodMs);
    ShowRecordPeriod();
    SetZoom(config_.zoom);
    ApplyColours();
}

void TMainForm::CollectConfig() {
    WindowPlacement& w = config_.window;
    w.state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    if (w.state == 0) {
        w.left = x();
        w.top = y();
        w.width = width();
        w.height = height();
    }
    config_.SetSelectedPort(connection().selectedPort());
    config_.simulate = action("acSimulate")->isChecked();
    config_.show = legend_->visibility();
    config_.pidH = panelWidget_->Checked(PanelView::Box::PidH);
    config_.pidF = panelWidget_->Checked(PanelView::Box::PidF);
    config_.autoScroll = acquisition().options().autoScroll;
    config_.zoom = graph_->zoom();
    config_.autoConnect = acquisition().options().autoConnect;
    config_.autoRead = core_->autoRead;
}

void TMainForm::SaveSettings() {
    CollectConfig();
    try {
        SaveConfig(configPath_, config_, isMaximized());
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QStringLiteral("Tavolin"), QString::fromStdString(e.what()));
    }
}

bool TMainForm::MayDiscardLog() {
    // A log without samples holds nothing to save.
    if (!store().modified() || store().count() == 0) return true;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Tavolin"), QStringLiteral("Data modified. Save changes?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    // Cancelling the save dialog means the user changed their mind, not that the recording
    // may go; a save that failed keeps it too. After Yes the journal goes only if the log was
    // saved.
    if (answer == QMessageBox::Yes) return SaveDataFileAs();
    core_->journal().Discard();  // thrown away on purpose
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!MayDiscardLog()) {
        event->ignore();
        return;
    }
    pollTimer_.stop();
    SaveSettings();
    core_->link().Close();
    event->accept();
}

// Poll loop

void TMainForm::ScheduleNextTick() {
    pollTimer_.start(schedule_.DelayFrom(TickSchedule::Clock::now()));
}

void TMainForm::Tick() {
    const auto start = TickSchedule::Clock::now();
    RunGuarded(this, [this] { acquisition().Tick(); });
    ShowRecordPeriod();
    // A period set during a recording takes over at Stop.
    schedule_.SetPeriod(std::chrono::milliseconds(acquisition().pollPeriodMs()));
    // A mark made after the last sample of a recording reaches the journal too.
    core_->journal().EventsChanged();
    if (const auto error = core_->journal().TakeError()) ShowJournalError(*error);
    const auto end = TickSchedule::Clock::now();
    core_->health().TickDone(start, end, schedule_.period());
    schedule_.TickDone(end);
    ScheduleNextTick();
}

// MainView

void TMainForm::ShowConnection(const std::string& text) {
    if (statusPanels_ == nullptr) return;
    TConnectionPanel& panel = statusPanels_->connection();
    if (connection().onLine()) {
        panel.ShowOnLine(QString::fromStdString(connection().identityText()),
                         QString::fromStdString(connection().portName()));
    } else {
        panel.ShowOffLine(QString::fromStdString(text));
    }
}

void TMainForm::ShowConnectionHint(const std::string& hint) {
    if (statusPanels_) statusPanels_->connection().SetHint(QString::fromStdString(hint));
}

void TMainForm::DrawSample(int index) {
    graph_->DrawSamples(index, index);
    if (core_->changelog().events().size() != marksShown_) {
        marksShown_ = core_->changelog().events().size();
        graph_->RefreshOverlays();
    }
    RefreshAnalysis();
}

void TMainForm::AutoScrollAfterAppend(int count) {
    graph_->AutoScrollAfterAppend(count);
}

void TMainForm::LogCleared() {
    graph_->SetCursorB(std::nullopt);
    graph_->SetPos(0);
    ShowRecordPeriod();
    graph_->RepaintAll();
    fileName_.clear();
    setWindowTitle(QStringLiteral("Tavolin"));
}

void TMainForm::StateChanged(AcqState state) {
    action("acStart")->setChecked(state == AcqState::Running);
    action("acPause")->setChecked(state == AcqState::Paused);
    action("acStop")->setChecked(false);
    ShowRecordPeriod();
}

// Tuning aids

void TMainForm::RefreshAnalysis() {
    if (!analysis_ || analysis_->isHidden()) return;
    const std::optional<int> a =
        graph_->cursorOn() ? std::optional<int>(graph_->cursorSample()) : std::nullopt;
    const std::optional<int> b = graph_->cursorBSample();
    std::string text = cursorspan::PanelText(store(), a, b, acquisition().recordPeriodMs(),
                                             graph_->visibility(), analysis_->options());
    if (a && b && reference_->store()) {
        text += cursorspan::ReferenceText(*reference_->store(), *a, *b, referencePeriodMs_,
                                          analysis_->options());
    }
    analysis_->ShowText(text);
}

const TraceStore* TMainForm::reference() const {
    return reference_->store();
}

void TMainForm::RefreshHealth() {
    const HealthFigures connection = core_->ConnectionHealth();
    const HealthFigures total = core_->TotalHealth();
    // Off line the ticks only try to reconnect: no poll rate to speak of.
    const bool polling =
        core_->connection().onLine() && connection.meanPeriodMs && *connection.meanPeriodMs > 0;
    pollRate_->setText(
        polling ? QStringLiteral(" %1 Hz ").arg(MsPerSecond / *connection.meanPeriodMs, 0, 'f', 1)
                : QStringLiteral(" - Hz "));
    pollRate_->setToolTip(QStringLiteral("This connection: %1\nTotal: %2")
                              .arg(QString::fromStdString(HealthErrorSummary(connection)),
                                   QString::fromStdString(HealthErrorSummary(total))));
    if (linkStats_ && linkStats_->isVisible()) linkStats_->ShowFigures(connection, total);
}

void TMainForm::ShowLinkStats() {
    if (!linkStats_) linkStats_ = new TLinkStatsForm(this);
    linkStats_->ShowFigures(core_->ConnectionHealth(), core_->TotalHealth());
    linkStats_->show();
    linkStats_->raise();
}

// Drops

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        const QString path = url.toLocalFile();
        RunGuarded(this, [&] { OpenDataFile(path); });
        return;  // only the first file is opened
    }
}
