// The main window's actions: captions, shortcuts, hints, menus, tool bar and what each runs.
#include <QAction>
#include <QMenuBar>
#include <QToolBar>

#include "ui/About.h"
#include "ui/Actionkeys.h"
#include "ui/Analysispanel.h"
#include "ui/Appicons.h"
#include "ui/Colours.h"
#include "ui/Connect.h"
#include "ui/Errorbox.h"
#include "ui/Graphview.h"
#include "ui/Main.h"
#include "ui/Panelwidget.h"
#include "ui/Referenceview.h"
#include "ui/Settings.h"
#include "ui/Toolbarfit.h"
#include "ui/Tracelegend.h"
#include "ui/Tune.h"

namespace {

struct ActionSpec {
    const char* name;
    const char* caption;
    const char* shortcut;
    const char* hint;
    bool checkable;
    // The freedesktop icon name, and the picture drawn for Tavolin when the desktop's theme has
    // none. Freeze, Cursor, the cuts and Simulate have no fitting name: theirs is always shown.
    const char* themeIcon;
    const char* ownIcon;
};

// Alt+S belongs to Start: recording is what the key is pressed for, and one key cannot run
// two actions. Save Params keeps its menu item and tool tip.
constexpr ActionSpec Actions[] = {
    {"acNew", "&New", "Ctrl+N", "New file", false, "document-new", "document-new"},
    {"acOpen", "&Open...", "Ctrl+O", "Open file", false, "document-open", "document-open"},
    {"acSaveas", "&Save as...", "Ctrl+S", "Save file", false, "document-save-as",
     "document-save-as"},
    {"acRefOpen", "Open &Reference...", "", "Lay a saved recording under the chart", false,
     "document-open", "document-open"},
    {"acRefClear", "Clear Reference", "", "Remove the reference run", false, "edit-clear",
     "cut-left"},
    {"acExit", "E&xit", "Alt+X", "Exit", false, "application-exit", "application-exit"},
    {"acConnect", "Connect...", "Alt+C", "Connect", false, "network-connect", "network-connect"},
    {"acDisconnect", "Disconnect", "Alt+D", "Disconnect", false, "network-disconnect",
     "network-disconnect"},
    {"acRead", "Read Params", "Alt+R", "Read params from device", false, "document-import",
     "document-import"},
    {"acWrite", "Write Params", "Alt+W", "Write params to device", false, "document-export",
     "document-export"},
    {"acParOpen", "Open Params...", "Alt+O", "Read params from file", false, "document-open",
     "params-open"},
    {"acParSave", "Save Params...", "", "Save params to file", false, "document-save",
     "params-save"},
    {"acStart", "Start", "Alt+S", "Start", true, "media-playback-start", "media-playback-start"},
    {"acPause", "Pause", "Alt+U", "Pause", true, "media-playback-pause", "media-playback-pause"},
    {"acStop", "Stop", "Alt+T", "Stop", false, "media-playback-stop", "media-playback-stop"},
    {"acSettings", "Settings...", "F9", "Settings", false, "preferences-system",
     "preferences-system"},
    {"acTune", "Tune PID...", "", "Find the heater's PID gains by step tests", false, "", "tune"},
    {"acFreeze", "Freeze", "Alt+F", "Freeze Graph Update", true, "", "freeze"},
    {"acCursor", "C&ursor", "Alt+Y", "Cursor on/off", true, "", "cursor"},
    {"acZoomIn", "Zoom In", "Ctrl++", "Fewer samples a column", false, "zoom-in", "zoom-in"},
    {"acZoomOut", "Zoom Out", "Ctrl+-", "More samples a column", false, "zoom-out", "zoom-out"},
    {"acWholeLog", "Whole Log", "Ctrl+0", "Whole log / one sample a column", true, "zoom-fit-best",
     "whole-log"},
    {"acCutL", "Cut Left", "Ctrl+L", "Cut traces on the left of cursor", false, "", "cut-left"},
    {"acCutR", "Cut Right", "Ctrl+R", "Cut traces on the right of cursor", false, "", "cut-right"},
    {"acSimulate", "Simulate Data", "Ctrl+M", "Simulate Data", true, "", "simulate"},
    {"acColours", "&Colours...", "Alt+L", "Change colours", false, "preferences-desktop-color",
     "colours"},
    {"acAnalysis", "&Analysis", "", "Step response between the cursors", true, "", "analysis"},
    {"acLinkStats", "&Link Statistics...", "", "Requests, replies and errors of the link", false,
     "", "link-statistics"},
    {"acAbout", "&About...", "F1", "About", false, "help-about", "help-about"},
};

}  // namespace

QAction* TMainForm::action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TMainForm::BuildActions() {
    for (const ActionSpec& spec : Actions) {
        auto* a = new QAction(QString::fromUtf8(spec.caption), this);
        a->setObjectName(QString::fromLatin1(spec.name));
        if (*spec.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
        // Hints are tool tips: the status bar's panels are for the station and the cursor.
        a->setToolTip(QString::fromUtf8(spec.hint));
        a->setCheckable(spec.checkable);
        a->setIcon(ActionIcon(spec.themeIcon, spec.ownIcon));
        addAction(a);
    }
    new ActionKeys(*this, {action("acFreeze"), action("acDisconnect")});
    // Ctrl++ is typed as Ctrl+= on keyboards that put "+" on the shifted "=" key.
    action("acZoomIn")
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    // The Stop menu item shows Alt+T; Alt+P runs it as well.
    action("acStop")->setShortcuts(
        {QKeySequence(QStringLiteral("Alt+T")), QKeySequence(QStringLiteral("Alt+P"))});

    const auto on = [this](const char* name, auto&& handler) {
        QAction* a = action(name);
        connect(a, &QAction::triggered, this, [this, handler](bool) { RunGuarded(this, handler); });
    };
    on("acNew", [this] {
        if (MayDiscardLog()) acquisition().New();
    });
    on("acOpen", [this] { OpenAction(); });
    on("acSaveas", [this] { SaveDataFileAs(); });
    on("acExit", [this] { close(); });
    on("acRefOpen", [this] { OpenReferenceAction(); });
    on("acRefClear", [this] {
        reference_->Clear();
        graph_->RefreshOverlays();
        RefreshAnalysis();
    });
    on("acConnect", [this] { ConnectAction(); });
    on("acDisconnect", [this] { connection().Disconnect(); });
    on("acRead", [this] { core_->panel().ReadParams(); });
    on("acWrite", [this] { core_->WriteParams(); });
    on("acParOpen", [this] { OpenParamsAction(); });
    on("acParSave", [this] { SaveParamsAction(); });
    on("acStart", [this] {
        // From Stopped, Start begins a new log in place of the one shown.
        if (acquisition().state() == AcqState::Stopped && !MayDiscardLog()) {
            StateChanged(acquisition().state());  // the click has checked Start
            return;
        }
        acquisition().Start();
    });
    on("acPause", [this] { acquisition().Pause(); });
    on("acStop", [this] { acquisition().Stop(); });
    on("acFreeze", [this] {
        const bool frozen = action("acFreeze")->isChecked();
        acquisition().options().freeze = frozen;
        graph_->SetFreeze(frozen);
    });
    on("acCursor", [this] { graph_->SetCursor(action("acCursor")->isChecked()); });
    on("acZoomIn", [this] { SetZoom(graph::ZoomedIn(graph_->factor())); });
    on("acZoomOut", [this] { SetZoom(graph::ZoomedOut(graph_->zoom(), graph_->factor())); });
    on("acWholeLog", [this] { SetZoom(graph::ToggledWholeLog(graph_->zoom())); });
    on("acCutL", [this] { CutLeft(); });
    on("acCutR", [this] { CutRight(); });
    on("acSettings", [this] { SettingsAction(); });
    on("acTune", [this] { RunTuneAction(*core_, this); });
    on("acColours", [this] {
        RunColoursAction(
            config_.colours, [this] { ApplyColours(); }, this);
    });
    on("acAbout", [this] { RunAboutAction(this); });
    on("acAnalysis", [this] {
        analysis_->setVisible(action("acAnalysis")->isChecked());
        RefreshAnalysis();
    });
    on("acLinkStats", [this] { ShowLinkStats(); });
    on("acSimulate",
       [this] { acquisition().options().simulate = action("acSimulate")->isChecked(); });
}

void TMainForm::BuildMenus() {
    const auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (*name == '-') {
                menu->addSeparator();
            } else {
                menu->addAction(action(name));
            }
        }
    };
    add(menuBar()->addMenu(QStringLiteral("&File")),
        {"acNew", "acOpen", "acSaveas", "-", "acRefOpen", "acRefClear", "-", "acExit"});
    add(menuBar()->addMenu(QStringLiteral("&Device")),
        {"acConnect", "acDisconnect", "-", "acRead", "acWrite", "-", "acParOpen", "acParSave", "-",
         "acStart", "acPause", "acStop", "-", "acSettings", "acTune"});
    add(menuBar()->addMenu(QStringLiteral("&View")),
        {"acFreeze", "acCursor", "-", "acZoomIn", "acZoomOut", "acWholeLog", "-", "acCutL",
         "acCutR", "-", "acSimulate", "-", "acColours", "-", "acAnalysis", "acLinkStats"});
    add(menuBar()->addMenu(QStringLiteral("&Help")), {"acAbout"});
}

void TMainForm::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setFixedHeight(26);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    new ToolBarFit(*bar);
    const char* order[] = {"acNew",        "acOpen",  "acSaveas",   "|",       "acConnect",
                           "acDisconnect", "|",       "acRead",     "acWrite", "|",
                           "acStart",      "acPause", "acStop",     "|",       "acFreeze",
                           "acCursor",     "|",       "acSettings", "|",       "acColours"};
    for (const char* name : order) {
        if (*name == '|') {
            bar->addSeparator();
        } else {
            bar->addAction(action(name));
        }
    }
}

void TMainForm::ConnectAction() {
    // The port is forgotten before the dialog borrows the link: with it remembered, a tick
    // inside the dialog would reconnect and claim the line the scan is probing.
    connection().Disconnect();
    // The dialog probes every port with the window's link; a background probe must have let
    // go of the remembered one first.
    core_->StopProbe();
    std::string chosen;
    {
        TConnectForm dialog(core_->link(), config_.extraPorts, chosen, this);
        dialog.exec();
    }
    connection().SetSelectedPort(chosen);
    connection().ConnectSelected();
}

void TMainForm::SettingsAction() {
    RunSettingsAction(*core_, config_, this);
    ApplySamplePeriod(config_.samplePeriodMs);
    graph_->SetAutoScroll(config_.autoScroll);
    graph_->RepaintAll();
}

void TMainForm::ApplyColours() {
    graph_->SetColours(config_.colours);
    legend_->SetColours(config_.colours);
}

void TMainForm::SetZoom(int setting) {
    graph_->SetZoom(setting);
    action("acWholeLog")->setChecked(graph_->zoom() == graph::WholeLog);
}

void TMainForm::CutLeft() {
    const int cut = graph_->cursorSample();
    if (!graph_->cursorOn() || !core_->CutLeft(cut)) return;
    // Cursor B stays on its sample, which now has an index smaller by the samples cut.
    if (const auto b = graph_->cursorBSample()) {
        graph_->SetCursorB(*b >= cut ? std::optional<int>(*b - cut) : std::nullopt);
    }
    graph_->SetCursorColumn(0);
    graph_->SetPos(0);
    graph_->RepaintAll();
    core_->journal().Rewritten(store());
}

void TMainForm::CutRight() {
    if (!graph_->cursorOn() || !core_->CutRight(graph_->cursorSample())) return;
    graph_->RepaintAll();
    core_->journal().Rewritten(store());
}
