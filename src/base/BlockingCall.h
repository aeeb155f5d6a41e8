#pragma once

#include <functional>

// Runs a blocking network call (Poco HTTP/FTP) on a worker thread while the calling
// (user-interface) thread keeps processing events in a local event loop, so windows
// repaint and Stop/Cancel buttons work. Only the call itself leaves the UI thread.
// Exceptions thrown by the call are rethrown on the calling thread.
// Called on any other thread (a worker running one transfer), the call runs right there.
void runBlocking(const std::function<void()> &call);

// True while a runBlocking call is waiting on this thread; windows use it to refuse
// commands (close, a second click) that would re-enter the operation.
bool blockingCallInProgress();
