#include "allwindows.h"
#include "bankfolder.h"
#include "messagebox.h"
#include "programicon.h"
#include "programwindow.h"
#include "startuptiming.h"
#include "windowregistry.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The registry, not Qt's last-window rule, decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);

    // Standard buttons in Chinese (确定, 取消, 是, 否).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QApplication::setWindowIcon(ProgramIcon::icon());

    // The bank of the working folder, or the user's own copy of the bundled
    // one for an installed program (see BankFolder).
    const BankFolder::Result folder =
        BankFolder::settle(QCoreApplication::applicationDirPath(), BankFolder::userFolder());
    if (!folder.ok) {
        MessageBox::show(nullptr, folder.message, QStringLiteral("Quorvane"));
        return 1;
    }

    registerAllWindows();
    WindowRegistry &registry = WindowRegistry::instance();

    // A log-off or shutdown ends the program through PracticeWindow's unload as well,
    // so the marks are reset; it asks nothing.
    const auto endSession = [&registry] { registry.unload(QStringLiteral("Form1")); };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, endSession);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, endSession);

    StartupTiming::reportWhenShown(registry.show(QStringLiteral("Form1")));
    return QApplication::exec();
}
