#include "app/BlockingCall.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSemaphore>
#include <QThreadPool>

#include <exception>

namespace {

int g_depth = 0;

// Workers are kept between calls: starting a thread per request costs as much as a
// loopback exchange. Nested calls (from the event loop of a waiting one) get a thread
// of their own, so a hung request never holds up another.
QThreadPool &workers()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance()); // ends with the application
        pool->setMaxThreadCount(32);
        pool->setExpiryTimeout(60'000);
    }
    return *pool;
}

} // namespace

void runBlocking(const std::function<void()> &call)
{
    if (!QCoreApplication::instance()) {
        call();
        return;
    }
    std::exception_ptr failure;
    QEventLoop loop;
    QSemaphore done;
    ++g_depth;
    workers().start([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        // Post the wake-up first, then release: the loop outlives both.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        done.release();
    });
    // Most loopback and LAN exchanges end within a couple of milliseconds: waiting that
    // long on the semaphore skips the event loop's wake-up, and no frame is missed.
    if (!done.tryAcquire(1, 2)) {
        loop.exec();
        done.acquire();
    }
    --g_depth;
    if (failure)
        std::rethrow_exception(failure);
}

bool blockingCallInProgress()
{
    return g_depth > 0;
}
