#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>

#include "core/Appcore.h"
#include "files/Config.h"
#include "core/Tickschedule.h"

class QAction;
class QLabel;
class QScrollBar;
class TGraphView;
class TPanelWidget;
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
    QString statusText(int panel) const;
    QAction* action(const char* name) const;
    /// Reads a data file as Open does once its dialog has returned (also a dropped file).
    void OpenDataFile(const QString& path);
    /// Writes the log as Save as does once its dialog has returned; false when it failed.
    bool SaveDataFile(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // MainView
    void ShowConnection(const std::string& text) override;
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
    void CollectConfig();
    void SaveSettings();

    void Tick();
    void ScheduleNextTick();
    void ConnectAction();
    void SaveDataFileAs();
    void OpenParamsAction();
    void SaveParamsAction();
    void RememberDataFile(const QString& path);
    void ShowFileCaption();
    void ApplySamplePeriod(int ms);
    void OpenAction();
    void SettingsAction();
    void ApplyColours();
    void CutLeft();
    void CutRight();

    std::filesystem::path configPath_;
    Config config_;
    TPanelWidget* panelWidget_ = nullptr;  // owned by the window
    std::unique_ptr<AppCore> core_;
    TickSchedule schedule_{std::chrono::milliseconds(100)};
    QTimer pollTimer_;
    std::string fileName_;

    TGraphView* graph_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    TTraceLegend* legend_ = nullptr;
    std::array<QLabel*, StatusPanels> status_{};
};
