// Start-up: the application object, the one main window, the message loop.
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>

#include "files/Config.h"
#include "ui/Main.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolin"));
    // Numbers are always written and read with "." whatever the user's locale.
    QLocale numbers = QLocale::c();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
    try {
        const std::filesystem::path executable = QApplication::applicationFilePath().toStdString();
        TMainForm window(ConfigPath(executable), DefaultDataDir(executable));
        window.KeepJournal(journal::DefaultFolder());
        window.show();
        window.OfferRecovery();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavolin"),
                              QString::fromStdString(error.what()));
        return 1;
    }
}
