#include "base/BlockingCall.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// Per thread: a window asks about the waits of its own thread, and transfers on other
// threads must not race on one count.
thread_local int g_depth = 0;

// One worker thread is kept for the calls: starting a thread per request costs about as
// much as a loopback exchange, and exchanges come in runs (a configuration transfer is
// some 140 requests in a row).

// One call in flight. The caller owns it; the worker's last touch is complete().
struct Task
{
    enum State { Running = 0, Finished = 1, CallerWaits = 2 };

    explicit Task(const std::function<void()> &c) : call(c) {}

    void run()
    {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    void complete()
    {
        // The loop pointer is read only when the caller sits in it, so it is still alive.
        if (state.exchange(Finished, std::memory_order_acq_rel) == CallerWaits)
            QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
    }

    const std::function<void()> &call;
    std::exception_ptr failure;
    std::atomic_int state = Running;
    QEventLoop *loop = nullptr;
};

class CallWorker
{
public:
    CallWorker() : m_thread([this] { loop(); }) {}
    ~CallWorker()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    // False when the worker is running another call (a nested one).
    bool tryStart(Task *task)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_task)
                return false;
            m_task = task;
            m_pending.store(true, std::memory_order_release);
        }
        m_wake.notify_one();
        return true;
    }

private:
    void loop()
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_pending.load(std::memory_order_acquire) || m_stop; });
            if (m_stop)
                return;
            Task *task = m_task;
            m_pending.store(false, std::memory_order_relaxed);
            lock.unlock();
            task->run();
            lock.lock();
            m_task = nullptr; // free before the caller hears of it, so its next call finds us
            lock.unlock();
            task->complete();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic_bool m_pending = false;
    bool m_stop = false;
    Task *m_task = nullptr;
    std::thread m_thread;
};

CallWorker &callWorker()
{
    static CallWorker worker;
    return worker;
}

// Nested calls (from the event loop of a waiting one) get a thread of their own, so a
// hung request never holds up another.
QThreadPool &spareWorkers()
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
    // Off the application's thread there is no window to keep painting: the call runs right
    // here. That spares two thread hand-overs per exchange, and lets any number of threads
    // (a command line's transfers, one per gateway) make calls at the same time.
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        call();
        return;
    }
    Task task(call);
    ++g_depth;
    if (!callWorker().tryStart(&task)) {
        spareWorkers().start([&task] {
            task.run();
            task.complete();
        });
    }

    // A call that ends before the caller gets here needs no event loop at all.
    if (task.state.load(std::memory_order_acquire) != Task::Finished) {
        QEventLoop loop;
        task.loop = &loop;
        int expected = Task::Running;
        if (task.state.compare_exchange_strong(expected, Task::CallerWaits, std::memory_order_acq_rel))
            loop.exec(); // returns on the quit that complete() posts
    }
    --g_depth;
    if (task.failure)
        std::rethrow_exception(task.failure);
}

bool blockingCallInProgress()
{
    return g_depth > 0;
}
