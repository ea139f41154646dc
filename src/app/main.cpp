#include "app/commandline.h"
#include "app/sessionend.h"
#include "app/singleinstance.h"
#include "widgets/windowregistry.h"
#include "app/windows.h"
#include "core/cp1251.h"
#include "core/programdir.h"
#include "database/studentdatabase.h"
#include "editor/certificatewindow.h"
#include "register/blankregister.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSessionManager>

namespace {

int fail(const QString &title, const QString &message)
{
    qCritical("%s", qUtf8Printable(message));
    QMessageBox::critical(nullptr, title, message);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    gravik::commandline::answerInfoOptions(argc, argv);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the main window's shut-down ends the program
    gravik::useRussianStandardDialogs(app);

    const auto dir = gravik::commandline::programDirArgument();
    if (!dir)
        return 2;
    QString dirError;
    if (!gravik::programdir::setUp(*dir, &dirError))
        return fail(QStringLiteral("Gravik"), dirError);

    gravik::SingleInstance instance(gravik::programdir::path());
    if (!instance.acquired())
        return 0;

    // Until the main window is up, a termination request just ends the program
    // (unsaved: nothing has been loaded yet); afterwards it is a shut-down.
    QPointer<gravik::CertificateWindow> started;
    gravik::watchSessionEnd(&app, [&started] {
        if (started)
            started->shutDown();
        else
            QCoreApplication::exit(1);
    });

    if (!gravik::cp1251::available())
        return fail(QStringLiteral("Gravik"), QStringLiteral("В этой сборке Qt нет кодировки windows-1251."));

    gravik::WindowRegistry registry;
    gravik::CertificateDocument certificate;
    gravik::StudentDatabase database;
    gravik::blanks::Register blankRegister;
    gravik::CertificateWindow main(certificate);
    gravik::registerWindows(registry, main, database, blankRegister);

    QString error;
    if (!main.startUp(&error))
        return fail(main.windowTitle(), error);

    started = &main;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main,
                     [&main](QSessionManager &) { main.shutDown(); });

    main.show();
    const int rc = app.exec();
    registry.destroyAll(); // the other windows go without their closing steps
    return rc;
}
