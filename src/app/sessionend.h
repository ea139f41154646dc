#pragma once

#include <QObject>

#include <functional>

namespace gravik {

// A request from the system to end the program (SIGTERM or SIGHUP on Linux; a
// console close, log-off or shut-down event on Windows) arrives as a call of
// `handler` on context's event loop. The session manager's own request comes
// through QGuiApplication::commitDataRequest.
void watchSessionEnd(QObject *context, std::function<void()> handler);

} // namespace gravik
