#include "ui/Tune.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include "core/Appcore.h"
#include "core/Stationtuneport.h"
#include "core/Tuner.h"
#include "link/Inouterror.h"
#include "ui/Errorbox.h"
#include "ui/Floatedit.h"

/// The tuner's clock in the window: waiting runs the event loop, so the poll loop records and
/// draws and the dialog stays live; Cancel is a stop request.
class EventLoopClock final : public TuneClock {
  public:
    EventLoopClock() { timer_.start(); }
    double Now() override { return static_cast<double>(timer_.nsecsElapsed()) / 1e9; }
    void WaitUntil(double deadlineS) override {
        const auto ms = static_cast<int>(std::ceil((deadlineS - Now()) * 1000));
        if (ms <= 0) {
            QCoreApplication::processEvents();
            return;
        }
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        loop_ = nullptr;
    }
    int Stops() const override { return stops_; }
    void Stop() {
        ++stops_;
        if (loop_) loop_->quit();
    }

  private:
    QElapsedTimer timer_;
    QEventLoop* loop_ = nullptr;
    int stops_ = 0;
};

namespace {

enum Column { ColNumber, ColKp, ColKi, ColKd, ColItae, ColOvershoot, ColSettling, ColMark };
const char* const Headers[] = {"#", "Kp", "Ki", "Kd", "ITAE", "Overshoot %", "Settling s", ""};
constexpr int Columns = 8;

TFloatEdit* Field(const char* name, double low, double high, double value, int decimals,
                  QWidget* parent) {
    auto* f = new TFloatEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->SetDigits(static_cast<std::uint8_t>(decimals));
    f->SetPrec(6);
    f->SetMinValue(low);
    f->SetMaxValue(high);
    f->SetValue(value);
    return f;
}

/// Forwards the tuner's news to the dialog.
class FormObserver final : public TuneObserver {
  public:
    FormObserver(std::function<void(const QString&)> progress,
                 std::function<void(const Experiment&)> done)
        : progress_(std::move(progress)), done_(std::move(done)) {}
    void Progress(const std::string& text) override { progress_(QString::fromStdString(text)); }
    void ExperimentDone(const Experiment& e) override { done_(e); }

  private:
    std::function<void(const QString&)> progress_;
    std::function<void(const Experiment&)> done_;
};

}  // namespace

TTuneForm::TTuneForm(AppCore& core, QWidget* parent)
    : QDialog(parent), core_(core), clock_(std::make_unique<EventLoopClock>()) {
    setObjectName(QStringLiteral("TuneForm"));
    setWindowTitle(QStringLiteral("Tune PID"));

    auto* grid = new QGridLayout;
    from_ = Field("feFrom", 0, 480, 200, 1, this);
    to_ = Field("feTo", 0, 480, 300, 1, this);
    overshoot_ = Field("feMaxOvershoot", 0, 100, 10, 1, this);
    minutes_ = Field("feMinutes", 0.1, 60, 10, 1, this);
    const std::pair<const char*, TFloatEdit*> rows[] = {{"From, °C:", from_},
                                                        {"To, °C:", to_},
                                                        {"Max. overshoot, %:", overshoot_},
                                                        {"Time cap, min:", minutes_}};
    int row = 0;
    for (const auto& [caption, field] : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row / 2, (row % 2) * 2);
        grid->addWidget(field, row / 2, (row % 2) * 2 + 1);
        ++row;
    }

    progress_ = new QLabel(QStringLiteral("Ready."), this);
    progress_->setObjectName(QStringLiteral("lbProgress"));
    progress_->setWordWrap(true);

    table_ = new QTableWidget(0, Columns, this);
    table_->setObjectName(QStringLiteral("lvExperiments"));
    for (int c = 0; c < Columns; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(Headers[c])));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    // Each column as wide as its caption or its widest figure; the row's mark takes the rest.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumSize(560, 260);

    start_ = new QPushButton(QStringLiteral("&Start"), this);
    apply_ = new QPushButton(QStringLiteral("&Apply"), this);
    discard_ = new QPushButton(QStringLiteral("&Discard"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    start_->setObjectName(QStringLiteral("btStart"));
    apply_->setObjectName(QStringLiteral("btApply"));
    discard_->setObjectName(QStringLiteral("btDiscard"));
    cancel_->setObjectName(QStringLiteral("btCancel"));
    apply_->setEnabled(false);
    discard_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(discard_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(progress_);
    layout->addWidget(table_);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Start(); }); });
    connect(apply_, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Apply(); }); });
    connect(discard_, &QPushButton::clicked, this, [this] { QDialog::reject(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

TTuneForm::~TTuneForm() = default;

TuneOptions TTuneForm::Options() const {
    return {.fromC = from_->Value(),
            .toC = to_->Value(),
            .maxOvershootPct = overshoot_->Value(),
            .minutes = minutes_->Value()};
}

void TTuneForm::ShowProgress(const QString& text) {
    progress_->setText(text);
}

void TTuneForm::AddRow(const Experiment& e) {
    experiments_.push_back(e);
    const int r = table_->rowCount();
    table_->insertRow(r);
    const auto& f = e.figures;
    const QString cells[] = {
        QString::number(e.number),
        QString::number(e.gains.Kp),
        QString::number(e.gains.Ki),
        QString::number(e.gains.Kd),
        QString::number(f.itae, 'f', 1),
        QString::number(f.overshootPercent, 'f', 1),
        f.settlingTimeS ? QString::number(*f.settlingTimeS, 'f', 2) : QStringLiteral("none"),
        e.confirming ? QStringLiteral("confirming") : QString()};
    for (int c = 0; c < Columns; ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    table_->scrollToBottom();
    MarkBest();
}

void TTuneForm::MarkBest() {
    const int best = BestExperiment(experiments_, overshoot_->Value());
    for (int r = 0; r < table_->rowCount(); ++r) {
        const bool isBest = r == best;
        for (int c = 0; c < Columns; ++c) {
            QTableWidgetItem* item = table_->item(r, c);
            QFont font = item->font();
            font.setBold(isBest);
            item->setFont(font);
            item->setBackground(isBest ? QColor(200, 240, 200) : QColor(Qt::transparent));
        }
        if (!experiments_[r].confirming)
            table_->item(r, ColMark)->setText(isBest ? QStringLiteral("best") : QString());
    }
}

void TTuneForm::Start() {
    if (running_) return;
    const TuneOptions options = Options();
    CheckTuneOptions(options);
    if (!core_.connection().onLine()) throw EInOutError(StationTunePort::OffLineMessage);
    table_->setRowCount(0);
    experiments_.clear();
    result_.reset();
    apply_->setEnabled(false);
    discard_->setEnabled(false);
    start_->setEnabled(false);
    for (TFloatEdit* f : {from_, to_, overshoot_, minutes_}) f->setEnabled(false);

    // The experiments are recorded and drawn like any recording.
    Acquisition& acquisition = core_.acquisition();
    const bool wasRunning = acquisition.state() == AcqState::Running;
    if (!wasRunning) acquisition.Start();

    StationTunePort port(core_.connection());
    FormObserver observer([this](const QString& text) { ShowProgress(text); },
                          [this](const Experiment& e) { AddRow(e); });
    Tuner tuner(port, *clock_, observer);
    running_ = true;
    result_ = tuner.Run(options);
    running_ = false;
    if (!wasRunning) acquisition.Stop();

    const TuneResult& r = *result_;
    if (r.proposal) {
        ShowProgress(QStringLiteral("Proposal Kp=%1 Ki=%2 Kd=%3 after %4 tests in %5 min; the "
                                    "original gains are back until you apply it.")
                         .arg(r.proposal->Kp)
                         .arg(r.proposal->Ki)
                         .arg(r.proposal->Kd)
                         .arg(r.experiments.size())
                         .arg(r.minutes, 0, 'f', 1));
        apply_->setEnabled(r.restored);
        discard_->setEnabled(true);
    } else {
        ShowProgress(QStringLiteral("Aborted: %1. %2")
                         .arg(QString::fromStdString(r.abortReason),
                              r.restored ? QStringLiteral("Set point and gains restored.")
                                         : QStringLiteral("Not restored: the station is gone.")));
        start_->setEnabled(true);
        for (TFloatEdit* f : {from_, to_, overshoot_, minutes_}) f->setEnabled(true);
    }
}

void TTuneForm::Apply() {
    if (!result_ || !result_->proposal) return;
    StationTunePort(core_.connection()).SetPIDH(*result_->proposal);
    // The panel shows the gains the station now holds.
    core_.panel().ReadParams();
    accept();
}

void TTuneForm::reject() {
    if (running_) {
        ShowProgress(QStringLiteral("Stopping: restoring the set point and gains..."));
        clock_->Stop();
        return;
    }
    QDialog::reject();
}

void RunTuneAction(AppCore& core, QWidget* parent) {
    if (!core.connection().onLine()) throw EInOutError(StationTunePort::OffLineMessage);
    TTuneForm dialog(core, parent);
    dialog.exec();
}
