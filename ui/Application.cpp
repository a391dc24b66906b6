// Start-up: the command line, the application object, the one main window, the message loop.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>
#include <QMessageBox>

#include <cstring>

#include "Version.h"
#include "files/Config.h"
#include "ui/Appicons.h"
#include "ui/Errorbox.h"
#include "ui/Main.h"

namespace {

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Watches and tunes KRT-51 and KRF-51 tool stations over a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A data file (*.dat) to open at start."),
                                 QStringLiteral("[file]"));
}

void NameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Tavolin"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(TavolinVersion));
}

/// --help and --version are answered without a window, so that they work without a display.
bool AsksForInformation(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0) return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AsksForInformation(argc, argv)) {
        QCoreApplication information(argc, argv);
        NameApplication();
        QCommandLineParser parser;
        DescribeCommandLine(parser);
        parser.process(information);  // prints the text and exits 0
    }
    QApplication application(argc, argv);
    NameApplication();
    QApplication::setDesktopFileName(QStringLiteral("org.zelvolab.Tavolin"));
    QApplication::setWindowIcon(ApplicationIcon());
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(application);
    // Numbers are always written and read with "." whatever the user's locale.
    QLocale numbers = QLocale::c();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
    try {
        const std::filesystem::path executable = QApplication::applicationFilePath().toStdString();
        // An installed window keeps nothing beside itself: its file dialogs start at home.
        TMainForm window(ConfigPath(executable), DefaultDataDir(executable));
        window.KeepJournal(journal::DefaultFolder());
        window.show();
        window.OfferRecovery();
        if (!parser.positionalArguments().isEmpty()) {
            const QString file = parser.positionalArguments().constFirst();
            RunGuarded(&window, [&] { window.OpenDataFile(file); });
        }
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavolin"),
                              QString::fromStdString(error.what()));
        return 1;
    }
}
