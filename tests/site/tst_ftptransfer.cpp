#include "TestRegistry.h"

#include "ScriptedFtpServer.h"
#include "SimFtp.h"
#include "Simulator.h"
#include "site/FtpTransfer.h"
#include "site/OrvanSite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QScopeGuard>

#include <thread>

Q_DECLARE_METATYPE(TDeviceData)
Q_DECLARE_METATYPE(FtpProxySettings)

namespace {

QByteArray bigImage()
{
    QByteArray image(int(TOrvanSite::MaxSiteSize), '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 13) ^ (i >> 8));
    return image;
}

FtpTarget simTarget(quint16 port, const QByteArray &password = "secret")
{
    FtpTarget t;
    t.host = "127.0.0.2";
    t.port = port;
    t.user = "admin";
    t.password = password;
    return t;
}

FtpClient::Options fast()
{
    FtpClient::Options o;
    o.timeoutMs = 3000;
    return o;
}

} // namespace

class TestFtpTransfer : public QObject
{
    Q_OBJECT

    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<ScriptedFtpServer> m_scripted;

    sim::Gateway &gateway() { return m_sim->gateway(0); }

private slots:
    void initTestCase()
    {
        m_sim = std::make_unique<sim::Simulator>();
        sim::GatewayState state;
        state.ip = "127.0.0.2";
        state.mac = "00-AA-BB-CC-DD-01";
        state.adminPassword = "secret";
        m_sim->addGateway(state);
        m_sim->start();
        QVERIFY(m_sim->ftpPort() != 0);
        m_scripted = std::make_unique<ScriptedFtpServer>();
    }

    void cleanup()
    {
        gateway().clearFaults();
        m_scripted->replies.clear();
        m_scripted->slowReadMs = 0;
        m_scripted->clear();
    }

    void logon_data()
    {
        QTest::addColumn<TDeviceData>("device");
        QTest::addColumn<FtpProxySettings>("proxy");
        QTest::addColumn<quint16>("devicePort");
        QTest::addColumn<QList<QByteArray>>("expected");

        const quint16 scripted = m_scripted->port();
        TDeviceData local;
        local.IPAddress = "127.0.0.1";
        local.UserName = "admin";
        local.Password = "pw";
        TDeviceData remote = local;
        remote.IPAddress = "10.1.1.1"; // never used: a remote device is reached by its host
        remote.RemoteHost = "127.0.0.1";
        TDeviceData behind = remote;
        behind.RemoteHost = "gw.plant.test";

        FtpProxySettings off;
        off.enabled = false;
        FtpProxySettings p;
        p.enabled = true;
        p.host = "127.0.0.1";
        p.port = scripted;
        p.logon = true;
        p.user = "fw";
        p.password = "fwpw";
        auto method = [&](int m, bool logon = true) {
            FtpProxySettings s = p;
            s.method = m;
            s.logon = logon;
            return s;
        };
        const QList<QByteArray> tail = {"TYPE I", "QUIT"};

        QTest::newRow("local device, proxy ignored") << local << method(1) << scripted
                                                     << (QList<QByteArray>{"USER admin", "PASS pw"} + tail);
        QTest::newRow("remote, proxy off") << remote << off << scripted << (QList<QByteArray>{"USER admin", "PASS pw"} + tail);
        QTest::newRow("method 0") << remote << method(0) << scripted << (QList<QByteArray>{"USER admin", "PASS pw"} + tail);
        QTest::newRow("1 USER user@host") << behind << method(1, false) << quint16(21)
                                          << (QList<QByteArray>{"USER admin@gw.plant.test", "PASS pw"} + tail);
        QTest::newRow("1 with a device port") << behind << method(1, false) << quint16(2121)
                                              << (QList<QByteArray>{"USER admin@gw.plant.test:2121", "PASS pw"} + tail);
        QTest::newRow("1 with firewall log-on")
            << behind << method(1) << quint16(21)
            << (QList<QByteArray>{"USER fw", "PASS fwpw", "USER admin@gw.plant.test", "PASS pw"} + tail);
        QTest::newRow("2 SITE") << behind << method(2) << quint16(21)
                                << (QList<QByteArray>{"USER fw", "PASS fwpw", "SITE gw.plant.test", "USER admin", "PASS pw"}
                                    + tail);
        QTest::newRow("2 SITE, log-on off keeps no firewall user")
            << behind << method(2, false) << quint16(21)
            << (QList<QByteArray>{"SITE gw.plant.test", "USER admin", "PASS pw"} + tail);
        QTest::newRow("3 OPEN") << behind << method(3) << quint16(21)
                                << (QList<QByteArray>{"USER fw", "PASS fwpw", "OPEN gw.plant.test", "USER admin", "PASS pw"}
                                    + tail);
        QTest::newRow("4 user@fwuser@host") << behind << method(4) << quint16(21)
                                            << (QList<QByteArray>{"USER admin@fw@gw.plant.test", "PASS pw@fwpw"} + tail);
    }

    // Each log-on method's exact command sequence, as a server receives it.
    void logon()
    {
        QFETCH(TDeviceData, device);
        QFETCH(FtpProxySettings, proxy);
        QFETCH(quint16, devicePort);
        QFETCH(QList<QByteArray>, expected);
        FtpClient client(FtpTargetFor(device, proxy, devicePort), fast());
        client.Connect();
        client.Disconnect();
        QCOMPARE(m_scripted->commands(), expected);
    }

    void passwordSkippedWhenNotAsked()
    {
        m_scripted->replies["USER"] = "230 Welcome, no password needed";
        FtpTarget t;
        t.host = "127.0.0.1";
        t.port = m_scripted->port();
        t.user = "admin";
        t.password = "pw";
        FtpClient client(t, fast());
        client.Connect();
        client.Disconnect();
        QCOMPARE(m_scripted->commands(), (QList<QByteArray>{"USER admin", "TYPE I", "QUIT"}));
    }

    void refusedLogon()
    {
        FtpClient client(simTarget(m_sim->ftpPort(), "wrong"), fast());
        QVERIFY_THROWS_EXCEPTION(FtpError, client.Connect());
    }

    void unreachable()
    {
        // A port nobody listens on: refused at once, no waiting.
        Poco::UInt16 closed;
        {
            Poco::Net::ServerSocket probe(Poco::Net::SocketAddress("127.0.0.1", 0));
            closed = probe.address().port();
        }
        FtpTarget t;
        t.host = "127.0.0.1";
        t.port = closed;
        QElapsedTimer timer;
        timer.start();
        FtpClient client(t, fast());
        QVERIFY_THROWS_EXCEPTION(FtpError, client.Connect());
        QVERIFY(timer.elapsed() < 2000);
    }

    void listing_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<qint64>("size"); // -1: unreadable
        QTest::newRow("device format") << QByteArray(sim::SimFtp::listingLine(1572864) + "\r\n") << qint64(1572864);
        QTest::newRow("device format, small") << QByteArray(sim::SimFtp::listingLine(7) + "\r\n") << qint64(7);
        QTest::newRow("unix, right-aligned size")
            << QByteArray("-rw-r--r--    1 ftp      ftp         123456 Mar 14 09:26 userpage.qsw\r\n") << qint64(123456);
        QTest::newRow("dos") << QByteArray("03-14-24  09:26AM               123456 userpage.qsw\r\n") << qint64(123456);
        QTest::newRow("file on the second line")
            << QByteArray("drwxr-xr-x 2 ftp ftp 4096 Jan  1 00:00 pub\r\n-rw-r--r-- 1 ftp ftp 99 Jan  1 00:00 userpage.qsw\r\n")
            << qint64(99);
        QTest::newRow("empty listing") << QByteArray() << qint64(0);
        QTest::newRow("short line") << QByteArray("userpage.qsw\r\n") << qint64(-1);
        QTest::newRow("no number at 38") << QByteArray(QByteArray(37, 'x') + " abc def\r\n") << qint64(-1);
    }

    void listing()
    {
        QFETCH(QByteArray, listing);
        QFETCH(qint64, size);
        const std::optional<qint64> parsed = ParseListingSize(listing, "userpage.qsw");
        QCOMPARE(parsed.has_value(), size >= 0);
        if (size >= 0)
            QCOMPARE(*parsed, size);
    }

    void sendAndGetFullImage()
    {
        const QByteArray image = bigImage();
        QList<qint64> reports;
        {
            FtpClient client(simTarget(m_sim->ftpPort()), fast());
            client.Connect();
            client.Upload("userpage.qsw", image, [&](qint64 done) { reports << done; });
            client.Disconnect();
        }
        QCOMPARE(gateway().snapshot().siteImage, image);
        QCOMPARE(reports.size(), image.size() / 256);
        QCOMPARE(reports.last(), qint64(image.size()));
        QVERIFY(std::is_sorted(reports.begin(), reports.end()));

        FtpClient client(simTarget(m_sim->ftpPort()), fast());
        client.Connect();
        QCOMPARE(client.ExpectedSize("userpage.qsw"), qint64(image.size()));
        qint64 last = 0;
        const QByteArray back = client.Download("userpage.qsw", [&](qint64 done) { last = done; });
        client.Disconnect();
        QCOMPARE(back, image);
        QCOMPARE(last, qint64(image.size()));
    }

    void listingFallsBackToSize()
    {
        gateway().update([](sim::GatewayState &s) { s.siteImage = QByteArray(4321, 'x'); });
        gateway().setFault("LIST", {sim::FaultKind::WrongReply, 0});
        FtpClient client(simTarget(m_sim->ftpPort()), fast());
        client.Connect();
        QCOMPARE(client.ExpectedSize("userpage.qsw"), qint64(4321));
        gateway().setFault("SIZE", {sim::FaultKind::Nak, 0});
        QVERIFY_THROWS_EXCEPTION(FtpError, client.ExpectedSize("userpage.qsw"));
    }

    void interruptedUploadKeepsImage()
    {
        gateway().update([](sim::GatewayState &s) { s.siteImage = "old image"; });
        gateway().setFault("STOR", {sim::FaultKind::Drop, 0});
        FtpClient client(simTarget(m_sim->ftpPort()), fast());
        client.Connect();
        QVERIFY_THROWS_EXCEPTION(FtpError, client.Upload("userpage.qsw", bigImage(), {}));
        QCOMPARE(gateway().snapshot().siteImage, QByteArray("old image"));
    }

    // Cancel between blocks sends ABOR while the data connection is still open, so the
    // server drops the partial upload instead of storing it.
    void cancelSendsAbor()
    {
        m_scripted->slowReadMs = 5;
        FtpTarget t;
        t.host = "127.0.0.1";
        t.port = m_scripted->port();
        FtpClient::Options slowTimeout = fast();
        slowTimeout.timeoutMs = 10000; // a missed ABOR would show as a 10 s wait
        FtpClient client(t, slowTimeout);
        client.Connect();
        std::atomic<qint64> progress{0};
        bool cancelled = false;
        std::thread worker([&] {
            try {
                client.Upload("userpage.qsw", bigImage(), [&](qint64 done) { progress = done; });
            } catch (const FtpCancelled &) {
                cancelled = true;
            } catch (...) {
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(progress.load() > 0, 5000);
        QElapsedTimer timer;
        timer.start();
        client.Cancel();
        worker.join();
        QVERIFY(cancelled);
        QVERIFY2(timer.elapsed() < 5000, QByteArray::number(timer.elapsed()) + " ms"); // answered at once, no time-out
        QVERIFY(progress.load() < bigImage().size());
        QList<QByteArray> seen = m_scripted->commands();
        for (QByteArray &c : seen)
            if (c.startsWith("PORT 127,0,0,1,"))
                c = "PORT";
        QCOMPARE(seen.mid(2), (QList<QByteArray>{"TYPE I", "PORT", "STOR userpage.qsw", "ABOR"}));
        client.Disconnect();
    }

    void cancelledUploadKeepsImage()
    {
        gateway().update([](sim::GatewayState &s) { s.siteImage = "old image"; });
        gateway().setFault("STOR", {sim::FaultKind::Delay, 5});
        FtpClient::Options slowTimeout = fast();
        slowTimeout.timeoutMs = 10000;
        FtpClient client(simTarget(m_sim->ftpPort()), slowTimeout);
        client.Connect();
        std::atomic<qint64> progress{0};
        std::thread worker([&] {
            try {
                client.Upload("userpage.qsw", bigImage(), [&](qint64 done) { progress = done; });
            } catch (...) {
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(progress.load() > 0, 5000);
        QElapsedTimer timer;
        timer.start();
        client.Cancel();
        worker.join();
        QVERIFY(timer.elapsed() < 5000); // the simulator answered the ABOR at once
        client.Disconnect();
        QCOMPARE(gateway().snapshot().siteImage, QByteArray("old image"));
    }

    // Method 1 through a real FTP proxy (Debian's ftp-proxy) on loopback.
    void throughFtpProxy()
    {
        const QString program = QStringLiteral("/usr/sbin/ftp-proxy");
        if (!QFile::exists(program))
            QSKIP("ftp-proxy is not installed");
        quint16 proxyPort;
        {
            Poco::Net::ServerSocket probe(Poco::Net::SocketAddress("127.0.0.1", 0));
            proxyPort = probe.address().port();
        }
        QTemporaryDir dir;
        QFile conf(dir.filePath("ftp-proxy.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[-Global-]\nServerType standalone\nListen 127.0.0.1\nPort %1\n"
                                  "DestinationAddress 127.0.0.9\nAllowMagicUser yes\nLogDestination %2\n"
                                  "LogLevel DBG\nTimeOut 30\n")
                       .arg(proxyPort)
                       .arg(dir.filePath("proxy.log"))
                       .toLatin1());
        conf.close();
        QProcess proxy;
        proxy.start(program, {"-d", "-n", "-f", conf.fileName()});
        QVERIFY(proxy.waitForStarted(3000));
        auto stopProxy = qScopeGuard([&] {
            proxy.terminate();
            if (!proxy.waitForFinished(3000))
                proxy.kill();
            proxy.waitForFinished(1000);
        });
        // Wait for the proxy to listen (bounded).
        bool listening = false;
        for (int i = 0; i < 50 && !listening; ++i) {
            try {
                Poco::Net::StreamSocket s(Poco::Net::SocketAddress("127.0.0.1", proxyPort));
                listening = true;
            } catch (...) {
                QTest::qWait(100);
            }
        }
        if (!listening)
            QSKIP("ftp-proxy did not start listening on loopback");

        TDeviceData device;
        device.IPAddress = "10.9.9.9";
        device.RemoteHost = "127.0.0.2";
        device.UserName = "admin";
        device.Password = "secret";
        FtpProxySettings settings;
        settings.enabled = true;
        settings.host = "127.0.0.1";
        settings.port = proxyPort;
        settings.method = FtpProxySettings::UserAtHost;
        const FtpTarget target = FtpTargetFor(device, settings, m_sim->ftpPort());
        QCOMPARE(FtpLogonCommands(target).commands.first().arg,
                 QByteArray("admin@127.0.0.2:" + QByteArray::number(m_sim->ftpPort())));

        const QByteArray image = bigImage().left(200000);
        FtpClient client(target, fast());
        client.Connect();
        client.Upload("userpage.qsw", image, {});
        client.Disconnect();
        QCOMPARE(gateway().snapshot().siteImage, image);
        client.Connect();
        QCOMPARE(client.ExpectedSize("userpage.qsw"), qint64(image.size()));
        QCOMPARE(client.Download("userpage.qsw", {}), image);
        client.Disconnect();
    }
};

KOVA_TEST(TestFtpTransfer)
#include "tst_ftptransfer.moc"
