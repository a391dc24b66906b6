#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/Appcore.h"
#include "core/Tickschedule.h"
#include "files/Config.h"
#include "files/Journalfiles.h"

class QAction;
class QLabel;
class QScrollBar;
class TAnalysisPanel;
class TGraphView;
class TLinkStatsForm;
class TReferenceView;
class TPanelWidget;
class TStatusPanels;
class TTraceLegend;

/// The one window: it owns the link, the store, the connection, the panel and the poll loop
/// for the whole run, lays out the controls and forwards their events to the core.
class TMainForm : public QMainWindow, public MainView {
    Q_OBJECT

  public:
    static constexpr int StatusPanels = 11;

    /// Reads the configuration file at `configPath`; `defaultDataDir` is DataDir's default.
    TMainForm(std::filesystem::path configPath, std::string defaultDataDir,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Read access for tests and the dialogs.
    AppCore& core() { return *core_; }
    Connection& connection() { return core_->connection(); }
    Acquisition& acquisition() { return core_->acquisition(); }
    TraceStore& store() { return core_->store(); }
    const Config& config() const { return config_; }
    /// What status panel `panel` says; panel 0 the whole connection text, however it fits.
    QString statusText(int panel) const;
    /// The achieved poll rate at the right of the status bar; its tool tip sums up the errors.
    const QLabel& pollRate() const { return *pollRate_; }
    TGraphView& graph() { return *graph_; }
    TAnalysisPanel& analysis() { return *analysis_; }
    /// The Link Statistics window once View → Link Statistics has opened it, else null.
    TLinkStatsForm* linkStats() { return linkStats_; }
    TStatusPanels& statusPanels() const { return *statusPanels_; }
    /// The poll's period: the sample period as the timer uses it.
    std::chrono::milliseconds pollPeriod() const { return schedule_.period(); }
    QString statusToolTip(int panel) const;
    QAction* action(const char* name) const;
    /// The trace check boxes: the traces a save writes.
    std::array<bool, TraceCount> visibleTraces() const;
    /// Reads a data file as Open does once its dialog has returned (also a dropped file).
    void OpenDataFile(const QString& path);
    /// Writes the log as Save as does once its dialog has returned; false when it failed.
    bool SaveDataFile(const QString& path);
    /// Reads a data file as the reference run, as Open Reference does once its dialog has
    /// returned; a file that cannot be read says so and leaves the reference as it was.
    void OpenReference(const QString& path);
    /// The reference run's samples, or null without one.
    const TraceStore* reference() const;

    /// Journals every recording in `folder` under a name this window alone holds until it
    /// goes. Returns whether a journal that an earlier run left unsaved waits there for
    /// OfferRecovery; until then nothing is journaled. A folder that cannot be used is said in
    /// the status bar and the window runs without a journal.
    bool KeepJournal(const std::filesystem::path& folder);
    /// Asks whether to open the journal found by KeepJournal: Yes loads it as an unsaved log,
    /// No moves it aside as recording-DATE-TIME.dat. Does nothing when none was found.
    void OfferRecovery();
    /// The journal file this window keeps, empty without one.
    std::filesystem::path journalFile() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // MainView
    void ShowConnection(const std::string& text) override;
    void ShowConnectionHint(const std::string& hint) override;
    void DrawSample(int index) override;
    void AutoScrollAfterAppend(int count) override;
    void LogCleared() override;
    void StateChanged(AcqState state) override;

    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    QWidget* BuildCentralArea();
    void BuildStatusBar();
    void ApplyConfig();
    /// The graph draws the visible traces; the readout panels of hidden ones give way.
    void ShowTraces(const std::array<bool, TraceCount>& visible);
    void CollectConfig();
    void SaveSettings();

    void Tick();
    void ScheduleNextTick();
    void ConnectAction();
    /// Asks for a name and saves the log; false when the dialog was cancelled or saving failed.
    bool SaveDataFileAs();
    /// Before the log is replaced or thrown away: with unsaved samples, asks whether to save
    /// them. False when the user cancelled, or saving was cancelled or failed; the log and its
    /// journal are then kept.
    bool MayDiscardLog();
    void OpenParamsAction();
    void SaveParamsAction();
    void RememberDataFile(const QString& path);
    void ShowFileCaption();
    void ApplySamplePeriod(int ms);
    void ShowRecordPeriod();
    void OpenAction();
    void SettingsAction();
    void ApplyColours();
    void SetZoom(int setting);
    void CutLeft();
    void CutRight();
    void StartJournal();
    bool RecoverJournal();
    void UpdateJournalLayout();
    void ShowJournalError(const std::string& message);
    void RefreshAnalysis();
    void OpenReferenceAction();
    void RefreshHealth();
    void ShowLinkStats();

    std::filesystem::path configPath_;
    Config config_;
    TPanelWidget* panelWidget_ = nullptr;  // owned by the window
    // Before the core, so that the lock is held until the core's journal writer has ended.
    std::optional<journal::Claim> journalClaim_;
    bool journalLeft_ = false;  // an earlier run's journal waits for OfferRecovery
    std::unique_ptr<AppCore> core_;
    TickSchedule schedule_{std::chrono::milliseconds(100)};
    QTimer pollTimer_;
    std::string fileName_;

    TGraphView* graph_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    TTraceLegend* legend_ = nullptr;
    TStatusPanels* statusPanels_ = nullptr;
    QLabel* pollRate_ = nullptr;
    TAnalysisPanel* analysis_ = nullptr;
    TLinkStatsForm* linkStats_ = nullptr;  // made when first shown
    TReferenceView* reference_ = nullptr;  // one of the chart's overlays
    int referencePeriodMs_ = 100;
    QTimer healthTimer_;
    std::size_t marksShown_ = 0;      // change marks the chart has drawn
    QLabel* periodNotice_ = nullptr;  // the period a recording did not keep
    int noticePanel_ = 0;             // its index in the status panels
};
