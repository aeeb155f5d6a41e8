#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "Simulator.h"
#include "device/ui/DeviceList.h"
#include "device/ui/LocatorController.h"

#include <QCoreApplication>
#include <QProcess>
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

} // namespace

// The real port 998 and the real broadcast address, end to end. Only inside a network
// namespace this test creates (only lo up), so nothing leaves the machine.
class TestLocatorNetns : public QObject
{
    Q_OBJECT

private slots:
    void realPortAndBroadcast()
    {
        if (qEnvironmentVariableIsSet(kChildVariable)) {
            insideNamespace();
            return;
        }
        if (::geteuid() != 0)
            QSKIP("needs root to create a network namespace; the loopback tests cover the rest");
        if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
            QSKIP("the ip tool (iproute2) is not installed");

        const QString ns = QStringLiteral("kvloc%1").arg(QCoreApplication::applicationPid());
        if (runIp({"netns", "add", ns}) != 0)
            QSKIP("cannot create a network namespace here");
        const auto removeNamespace = qScopeGuard([&] { runIp({"netns", "del", ns}); });
        QCOMPARE(runIp({"netns", "exec", ns, "ip", "link", "set", "lo", "up"}), 0);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("KOVA_TEST_CLASS"), QStringLiteral("TestLocatorNetns"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("ip"), {"netns", "exec", ns, QCoreApplication::applicationFilePath()});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestLocatorNetns::realPortAndBroadcast()"), output.constData());
    }

private:
    void insideNamespace()
    {
        // Refuse to broadcast anywhere but in a namespace with nothing but loopback.
        QProcess links;
        links.start(QStringLiteral("ip"), {"-o", "link", "show", "up"});
        QVERIFY(links.waitForFinished(10000));
        const QList<QByteArray> up = links.readAll().trimmed().split('\n');
        QVERIFY2(up.size() == 1 && up.first().contains(": lo:"), "not inside a loopback-only namespace");

        RecordingPrompt prompt;
        sim::Simulator::Options options;
        options.udpAddress = "0.0.0.0"; // as the demo: hears real broadcasts
        options.udpPort = 998;
        options.serveHttp = false;
        options.serveFtp = false;
        sim::Simulator simulator(options);
        for (int i = 1; i <= 3; ++i) {
            sim::GatewayState g;
            g.mac = "00:50:C2:00:10:0" + QByteArray::number(i);
            g.ip = "127.0.0." + QByteArray::number(10 + i);
            g.hostName = "ns-" + QByteArray::number(i);
            simulator.addGateway(g);
        }
        simulator.start();
        QCOMPARE(simulator.udpPort(), quint16(998));

        TDeviceListView list;
        TLocatorController controller(&list); // the program's defaults: 998 and 255.255.255.255
        QCOMPARE(controller.locator().port(), quint16(998));
        QCOMPARE(controller.locator().broadcastAddress(), QHostAddress(QStringLiteral("255.255.255.255")));
        controller.SetUpSockets();
        controller.DevicesSearchLocalExecute();
        QCOMPARE(prompt.log.size(), 0);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.deviceAt(0)->HostName, QByteArray("ns-1"));

        // A CONFIG broadcast and its ACK over the same path.
        QVERIFY(controller.SendUDPPacket("CONFIG(admin,00:50:C2:00:10:02,127.0.0.40,255.0.0.0,0.0.0.0)"));
        controller.SetDeviceLocatorAction(2, "00:50:C2:00:10:02");
        QCOMPARE(prompt.texts(), QStringList{"Device Successfully Configured!."});
        QCOMPARE(simulator.findByMac("00:50:C2:00:10:02")->snapshot().ip, QByteArray("127.0.0.40"));
    }
};

KOVA_TEST(TestLocatorNetns)
#include "tst_locator_netns.moc"
