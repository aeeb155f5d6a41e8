#include "base/BlockingCall.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Per thread: a window asks about the waits of its own thread, and transfers on other
// threads must not race on one count.
thread_local int g_depth = 0;

// One worker thread is kept for the calls: starting a thread per request costs about as
// much as a loopback exchange, and exchanges come in runs (a configuration transfer is
// some 140 requests in a row).

// One call in flight, shared by the caller and the thread that runs it, so neither can
// outlive what the other still touches.
struct Task
{
    enum State { Running = 0, Finished = 1 };

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
        std::lock_guard lock(mutex);
        state.store(Finished, std::memory_order_release);
        // The loop is set only while the caller sits in it; a quit posted to a loop that
        // is destroyed meanwhile is dropped with it.
        if (loop)
            QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
        finished.notify_all();
    }
    bool isFinished() const { return state.load(std::memory_order_acquire) == Finished; }

    // Runs the caller's event loop until the call ends. The loop also ends when the
    // application quits (every loop of the thread ends at once, and new ones return at
    // once); the caller's locals are still in use by the call, so it then waits without
    // a loop until the call is over, which its own time-out bounds.
    void wait()
    {
        {
            QEventLoop local;
            {
                std::lock_guard lock(mutex);
                if (isFinished())
                    return;
                loop = &local;
            }
            local.exec();
            std::lock_guard lock(mutex);
            loop = nullptr;
        }
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return isFinished(); });
    }

    const std::function<void()> &call; // lives in the caller's frame, which waits for the call
    std::exception_ptr failure;
    std::atomic_int state = Running;
    std::mutex mutex;
    std::condition_variable finished;
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
    bool tryStart(const std::shared_ptr<Task> &task)
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
            const std::shared_ptr<Task> task = m_task;
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
    std::shared_ptr<Task> m_task;
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
    const auto task = std::make_shared<Task>(call);
    ++g_depth;
    if (!callWorker().tryStart(task)) {
        spareWorkers().start([task] {
            task->run();
            task->complete();
        });
    }
    // A call that ends before the caller gets here needs no event loop at all.
    if (!task->isFinished())
        task->wait();
    --g_depth;
    if (task->failure)
        std::rethrow_exception(task->failure);
}

bool blockingCallInProgress()
{
    return g_depth > 0;
}
