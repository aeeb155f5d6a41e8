#include "app/BlockingCall.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>

namespace {
int g_depth = 0;
}

void runBlocking(const std::function<void()> &call)
{
    if (!QCoreApplication::instance()) {
        call();
        return;
    }
    std::exception_ptr failure;
    QEventLoop loop;
    QThread *worker = QThread::create([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    ++g_depth;
    worker->start();
    // The finished signal may already have fired before exec(); isFinished covers that.
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    --g_depth;
    delete worker;
    if (failure)
        std::rethrow_exception(failure);
}

bool blockingCallInProgress()
{
    return g_depth > 0;
}
