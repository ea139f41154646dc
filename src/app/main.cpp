#include "app/singleinstance.h"
#include "app/windowregistry.h"
#include "app/windows.h"
#include "core/cp1251.h"
#include "core/programdir.h"
#include "editor/blankard.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the main window's shut-down ends the program

    gravik::SingleInstance instance(gravik::programdir::path());
    if (!instance.acquired())
        return 0;

    if (!gravik::cp1251::available()) {
        QMessageBox::critical(nullptr, QStringLiteral("Gravik"),
                              QStringLiteral("В этой сборке Qt нет кодировки windows-1251."));
        return 1;
    }

    gravik::WindowRegistry registry;
    gravik::Blankard main;
    gravik::registerWindows(registry, main);

    QString error;
    if (!main.startUp(&error)) {
        QMessageBox::critical(nullptr, main.windowTitle(), error);
        return 1;
    }

    // SIGTERM and the end of the session run the same shut-down as the close box.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &main, [&main] {
            char c;
            [[maybe_unused]] auto n = ::read(g_signalPipe[0], &c, 1);
            main.shutDown();
        });
        struct sigaction sa = {};
        sa.sa_handler = onTerminate;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main,
                     [&main](QSessionManager &) { main.shutDown(); });

    main.show();
    const int rc = app.exec();
    registry.destroyAll(); // the other windows go without their closing steps
    return rc;
}
