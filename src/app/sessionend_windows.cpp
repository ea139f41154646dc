#include "app/sessionend.h"

#include <QMetaObject>
#include <QPointer>

#include <windows.h>

namespace gravik {
namespace {

QPointer<QObject> g_context;
std::function<void()> g_handler;

// Runs on a thread of the system's: the shut-down itself is queued to the
// event loop, and the program gets the few seconds Windows allows to finish it.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT
        && event != CTRL_BREAK_EVENT && event != CTRL_C_EVENT)
        return FALSE;
    if (QObject *context = g_context.data())
        QMetaObject::invokeMethod(context, [] { g_handler(); }, Qt::BlockingQueuedConnection);
    return TRUE;
}

} // namespace

void watchSessionEnd(QObject *context, std::function<void()> handler)
{
    g_context = context;
    g_handler = std::move(handler);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

} // namespace gravik
