#pragma once
// SIGTERM and SIGINT end the application the way its Quit command does (notes committed,
// notebooks closed, pending saves written) instead of killing it mid-save. The signal
// handler only writes a byte to a pipe; the event loop reads it and quits.

#include <QObject>

#include <functional>

namespace nolby {

namespace QuitSignals {
// Installs the handlers; `quit` runs on the main thread when a signal arrives.
void install(QObject* owner, std::function<void()> quit);
}  // namespace QuitSignals

}  // namespace nolby
