// Pictures of the three dialogs, for review: dialogs_screenshots OUTPUT_FOLDER.
#include <QApplication>
#include <QDir>
#include <QPushButton>

#include <cstdio>

#include "core/Appcore.h"
#include "files/Config.h"
#include "ui/About.h"
#include "ui/Colours.h"
#include "ui/Settings.h"
#include "tests/core/Fakepanelview.h"

namespace {

bool Save(QWidget& dialog, const QDir& folder, const char* name) {
    dialog.show();
    const QString path = folder.filePath(QString::fromLatin1(name));
    const bool saved = dialog.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialogs_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    FakePanelView panelView;
    NullMainView view;
    AppCore core(panelView, view);
    panelView.Attach(core.panel());
    Config config;
    TSettingsForm settings(core, config);
    settings.findChild<QPushButton*>("btDefault")->click();
    ok = Save(settings, folder, "settings.png") && ok;

    colours::ColourSet held = colours::Defaults;
    TColoursForm colours(held, [] {});
    ok = Save(colours, folder, "colours.png") && ok;

    TAboutForm about;
    ok = Save(about, folder, "about.png") && ok;
    return ok ? 0 : 1;
}
