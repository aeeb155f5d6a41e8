#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "Simulator.h"
#include "device/ui/DeviceList.h"
#include "device/ui/LocatorController.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

namespace {

const char kChildVariable[] = "KOVA_LOCATOR_NETNS_CHILD";

int runIp(const QStringList &arguments)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForFinished(10000))
        return -1;
    return ip.exitStatus() == QProcess::NormalExit ? ip.exitCode() : -1;
}

int countStartingWith(const QSignalSpy &spy, const QByteArray &word)
{
    int n = 0;
    for (const QList<QVariant> &call : spy)
        n += call.first().toByteArray().startsWith(word) ? 1 : 0;
    return n;
}

} // namespace

// The real port 998 and the real broadcast address, end to end. Only inside a network
// namespace this test creates (only lo up), so nothing leaves the machine. Each test runs
// this program again inside the namespace, where it does the part below.
class TestLocatorNetns : public QObject
{
    Q_OBJECT

private slots:
    void realPortAndBroadcast()
    {
        if (!inNamespace())
            return;
        RecordingPrompt prompt;
        Gateways gateways(false);
        TDeviceListView list;
        TLocatorController controller(&list); // the program's defaults: 998 and 255.255.255.255
        QCOMPARE(controller.locator().port(), quint16(998));
        QCOMPARE(controller.locator().broadcastAddress(), QHostAddress(QStringLiteral("255.255.255.255")));
        QSignalSpy received(&controller.locator(), &TDeviceLocator::datagramReceived);
        controller.SetUpSockets();
        controller.DevicesSearchLocalExecute();
        QCOMPARE(prompt.log.size(), 0);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.deviceAt(0)->HostName, QByteArray("ns-1"));
        // Answered to Kova's own address: each heard once, though the wildcard binding listens too.
        QCOMPARE(countStartingWith(received, "NTM"), 3);

        // A CONFIG broadcast and its ACK over the same path.
        QVERIFY(controller.SendUDPPacket("CONFIG(admin,00:50:C2:00:10:02,127.0.0.40,255.0.0.0,0.0.0.0)"));
        controller.SetDeviceLocatorAction(2, "00:50:C2:00:10:02");
        QCOMPARE(prompt.texts(), QStringList{"Device Successfully Configured!."});
        QCOMPARE(gateways.simulator.findByMac("00:50:C2:00:10:02")->snapshot().ip, QByteArray("127.0.0.40"));
    }

    // Gateways on another subnet can only answer by broadcast; Kova hears them on its
    // wildcard binding. An address that comes up after the first search is bound at the next.
    void answersByBroadcast()
    {
        if (!inNamespace())
            return;
        RecordingPrompt prompt;
        Gateways gateways(true);
        TDeviceListView list;
        TLocatorController controller(&list);
        QSignalSpy received(&controller.locator(), &TDeviceLocator::datagramReceived);
        controller.SetUpSockets();
        controller.DevicesSearchLocalExecute();
        QCOMPARE(prompt.log.size(), 0);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(countStartingWith(received, "NTM"), 3);

        QVERIFY(controller.SendUDPPacket("CONFIG(admin,00:50:C2:00:10:03,127.0.0.41,255.0.0.0,0.0.0.0)"));
        controller.SetDeviceLocatorAction(2, "00:50:C2:00:10:03");
        QCOMPARE(prompt.texts(), QStringList{"Device Successfully Configured!."});
        QCOMPARE(gateways.simulator.findByMac("00:50:C2:00:10:03")->snapshot().ip, QByteArray("127.0.0.41"));

        const QHostAddress later(QStringLiteral("10.77.0.1"));
        QVERIFY(!controller.locator().boundAddresses().contains(later));
        QCOMPARE(runIp({"addr", "add", "10.77.0.1/24", "dev", "lo"}), 0);
        prompt.clear();
        controller.DevicesSearchLocalExecute();
        QVERIFY(controller.locator().boundAddresses().contains(later));
        QCOMPARE(prompt.log.size(), 0);
        QCOMPARE(list.rowCount(), 3);
    }

private:
    // Three gateways as the demo serves them: the locator on 0.0.0.0:998, hearing real broadcasts.
    struct Gateways
    {
        explicit Gateways(bool broadcastAnswers) : simulator(options(broadcastAnswers))
        {
            for (int i = 1; i <= 3; ++i) {
                sim::GatewayState g;
                g.mac = "00:50:C2:00:10:0" + QByteArray::number(i);
                g.ip = "127.0.0." + QByteArray::number(10 + i);
                g.hostName = "ns-" + QByteArray::number(i);
                simulator.addGateway(g);
            }
            simulator.start();
        }
        static sim::Simulator::Options options(bool broadcastAnswers)
        {
            sim::Simulator::Options o;
            o.udpAddress = "0.0.0.0";
            o.udpPort = 998;
            o.serveHttp = false;
            o.serveFtp = false;
            o.broadcastAnswers = broadcastAnswers;
            return o;
        }
        sim::Simulator simulator;
    };

    // In the parent: runs the current test again in a namespace of its own and reports
    // false. In that child: checks the namespace holds nothing but loopback and reports true.
    bool inNamespace()
    {
        const char *function = QTest::currentTestFunction();
        if (qEnvironmentVariableIsSet(kChildVariable)) {
            // Refuse to broadcast anywhere but in a namespace with nothing but loopback.
            QProcess links;
            links.start(QStringLiteral("ip"), {"-o", "link", "show", "up"});
            links.waitForFinished(10000);
            const QList<QByteArray> up = links.readAll().trimmed().split('\n');
            if (up.size() != 1 || !up.first().contains(": lo:"))
                qFatal("not inside a loopback-only namespace");
            return true;
        }
        if (::geteuid() != 0) {
            QTest::qSkip("needs root to create a network namespace; the loopback tests cover the rest", __FILE__, __LINE__);
            return false;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty()) {
            QTest::qSkip("the ip tool (iproute2) is not installed", __FILE__, __LINE__);
            return false;
        }
        const QString ns = QStringLiteral("kvloc%1").arg(QCoreApplication::applicationPid());
        if (runIp({"netns", "add", ns}) != 0) {
            QTest::qSkip("cannot create a network namespace here", __FILE__, __LINE__);
            return false;
        }
        const auto removeNamespace = qScopeGuard([&] { runIp({"netns", "del", ns}); });
        if (runIp({"netns", "exec", ns, "ip", "link", "set", "lo", "up"}) != 0) {
            QTest::qFail("cannot bring lo up in the namespace", __FILE__, __LINE__);
            return false;
        }

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("KOVA_TEST_CLASS"), QStringLiteral("TestLocatorNetns"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("ip"), {"netns", "exec", ns, QCoreApplication::applicationFilePath(),
                                           QString::fromLatin1(function)});
        const bool finished = child.waitForFinished(60000);
        const QByteArray output = child.readAll();
        const QByteArray pass = "PASS   : TestLocatorNetns::" + QByteArray(function) + "()";
        if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 || !output.contains(pass))
            QTest::qFail(output.constData(), __FILE__, __LINE__);
        return false;
    }
};

KOVA_TEST(TestLocatorNetns)
#include "tst_locator_netns.moc"
