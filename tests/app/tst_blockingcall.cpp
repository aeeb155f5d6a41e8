#include "TestRegistry.h"

#include "base/BlockingCall.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

class TestBlockingCall : public QObject
{
    Q_OBJECT

private slots:
    void runsOffTheCallingThread()
    {
        QThread *caller = QThread::currentThread();
        QThread *ranOn = caller;
        for (int i = 0; i < 200; ++i) // quick calls in a row reuse the worker without a hitch
            runBlocking([&] { ranOn = QThread::currentThread(); });
        QVERIFY(ranOn != caller);
        QVERIFY(!blockingCallInProgress());
    }

    void exceptionReachesTheCaller()
    {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, runBlocking([] { throw std::runtime_error("boom"); }));
        QVERIFY(!blockingCallInProgress());
        bool ran = false;
        runBlocking([&] { ran = true; }); // the worker survived
        QVERIFY(ran);
    }

    // Worker threads (one transfer each) call at the same time: each call runs on its own
    // caller's thread, none waits for another, and the application thread sees no wait.
    void callsFromOtherThreadsRunThere()
    {
        constexpr int Threads = 6;
        std::atomic_int onCaller = 0;
        std::atomic_int inside = 0;
        std::atomic_int mostInside = 0;
        std::atomic_int thrown = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < Threads; ++t)
            threads.emplace_back([&] {
                const QThread *caller = QThread::currentThread();
                runBlocking([&] {
                    if (QThread::currentThread() == caller)
                        ++onCaller;
                    const int now = ++inside;
                    for (int seen = mostInside; now > seen && !mostInside.compare_exchange_weak(seen, now);)
                        ;
                    QThread::msleep(100);
                    --inside;
                });
                try {
                    runBlocking([] { throw std::runtime_error("boom"); });
                } catch (const std::runtime_error &) {
                    ++thrown;
                }
            });
        QVERIFY(!blockingCallInProgress());
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(onCaller.load(), Threads);
        QCOMPARE(thrown.load(), Threads);
        QVERIFY2(mostInside.load() > 1, "the calls ran one after the other");
    }

    // While a slow call waits, timers fire; a call started from one of them runs at once
    // on another thread instead of queueing behind the slow one.
    void nestedCallDoesNotWaitForTheOuterOne()
    {
        qint64 nestedTook = -1;
        bool nestedSawOuter = false;
        QTimer::singleShot(20, [&] {
            nestedSawOuter = blockingCallInProgress();
            QElapsedTimer clock;
            clock.start();
            runBlocking([] { QThread::msleep(10); });
            nestedTook = clock.elapsed();
        });
        QElapsedTimer clock;
        clock.start();
        runBlocking([] { QThread::msleep(400); });
        QVERIFY(clock.elapsed() >= 400);
        QVERIFY(nestedSawOuter);
        QVERIFY(nestedTook >= 0);
        QVERIFY2(nestedTook < 300, qPrintable(QString::number(nestedTook)));
    }

    // Quitting ends every event loop of the thread at once, the waiting ones included. The
    // call still writes into its caller's locals, so runBlocking returns only after it.
    void quitWhileACallRuns_data()
    {
        QTest::addColumn<bool>("nested");
        QTest::newRow("on the kept worker") << false;
        QTest::newRow("nested, on a spare worker") << true;
    }

    void quitWhileACallRuns()
    {
        QFETCH(bool, nested);
        // Each call reports whether it had ended when runBlocking returned to it.
        QList<bool> endedFirst;
        const auto call = [&endedFirst](int ms) {
            bool ended = false;
            runBlocking([&ended, ms] {
                QThread::msleep(ms);
                ended = true;
            });
            endedFirst << ended;
        };
        QTimer::singleShot(0, [&] {
            if (nested)
                QTimer::singleShot(20, [&] { call(300); });
            QTimer::singleShot(80, [] { QCoreApplication::exit(0); });
            call(nested ? 150 : 300);
        });
        QCoreApplication::exec();
        QCOMPARE(endedFirst, QList<bool>(nested ? 2 : 1, true));
        QVERIFY(!blockingCallInProgress());
        bool ran = false;
        runBlocking([&] { ran = true; }); // and calls work as before
        QVERIFY(ran);
    }
};

KOVA_TEST(TestBlockingCall)
#include "tst_blockingcall.moc"
