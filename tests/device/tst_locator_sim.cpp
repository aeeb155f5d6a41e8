#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "Simulator.h"
#include "SimLocator.h"
#include "base/ui/InfoMessage.h"
#include "device/DeviceRow.h"
#include "device/Locator.h"
#include "device/ui/DeviceList.h"
#include "device/ui/LocatorController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using sim::FaultKind;
using sim::GatewayState;

namespace {

const QHostAddress kSimAddress(QStringLiteral("127.0.0.2"));

// Takes CAP_NET_BIND_SERVICE out of this thread's effective set for the scope's life, so
// threads started meanwhile (the locator's listener) bind as an unprivileged program does.
// Capabilities are per thread; the permitted set keeps it, so it can come back.
class WithoutBindCapability
{
public:
    WithoutBindCapability()
    {
        if (::syscall(SYS_capget, &m_header, m_data) != 0)
            return;
        m_had = m_data[0].effective & (1u << CAP_NET_BIND_SERVICE);
        if (!m_had)
            return;
        __user_cap_data_struct dropped[2] = {m_data[0], m_data[1]};
        dropped[0].effective &= ~(1u << CAP_NET_BIND_SERVICE);
        m_dropped = ::syscall(SYS_capset, &m_header, dropped) == 0;
    }
    ~WithoutBindCapability()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_data);
    }
    // True when this thread may not bind ports below the unprivileged limit now.
    bool unprivileged() const { return !m_had || m_dropped; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_data[2]{};
    bool m_had = false;
    bool m_dropped = false;
};

int unprivilegedPortStart()
{
    QFile file(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 1024;
}

GatewayState gateway(const QByteArray &model, const QByteArray &version, const QByteArray &mac, const QByteArray &ip,
                     bool dhcp, const QByteArray &host)
{
    GatewayState g;
    g.model = model;
    g.version = version;
    g.mac = mac;
    g.ip = ip;
    g.netmask = "255.0.0.0";
    g.gateway = "127.0.0.1";
    g.dhcp = dhcp;
    g.hostName = host;
    return g;
}

// Four gateways covering the model rules, with and without host name and DHCP.
QList<GatewayState> fourGateways()
{
    return {gateway("1119", "2.1.0", "00:50:C2:00:00:02", "127.0.0.12", true, ""),
            gateway("1117", "3.0-TS", "00:50:C2:00:00:01", "127.0.0.11", false, "boiler-room"),
            gateway("9999", "5.0-TS", "00:50:C2:00:00:03", "127.0.0.13", false, ""),
            gateway("1110", "2.0-TS", "00:50:C2:00:00:04", "127.0.0.14", false, "line-4")};
}

// A simulator on loopback and Kova's locator pointed at it.
struct Rig
{
    explicit Rig(const QList<GatewayState> &gateways) : simulator(options())
    {
        for (const GatewayState &g : gateways)
            simulator.addGateway(g);
        simulator.start();
        controller = std::make_unique<TLocatorController>(&list, &info, simulator.udpPort(), kSimAddress);
        controller->SetUpSockets();
    }

    static sim::Simulator::Options options()
    {
        sim::Simulator::Options o;
        o.serveHttp = false;
        o.serveFtp = false;
        return o;
    }

    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < DeviceRow::ColumnCount; ++c)
            cells << list.topLevelItem(r)->text(c);
        return cells;
    }

    QStringList macs() const
    {
        QStringList result;
        for (int r = 0; r < list.rowCount(); ++r)
            result << list.topLevelItem(r)->text(DeviceRow::MAC);
        return result;
    }

    sim::Simulator simulator;
    TDeviceListView list;
    TInfoMessage info;
    std::unique_ptr<TLocatorController> controller;
};

// What the wait looked like from inside, seen by a timer that fires during it.
struct WaitProbe
{
    bool visible = false;
    bool modal = false;
    QString text;
    int action = -1;

    void arm(Rig &rig, int afterMs = 150)
    {
        QTimer::singleShot(afterMs, [this, &rig] {
            visible = rig.info.isVisible();
            modal = QApplication::activeModalWidget() == &rig.info;
            text = rig.info.text();
            action = rig.controller->LocatorAction();
        });
    }
};

// A gateway played by the test: answers each CONFIG with scripted datagrams after delays.
class ScriptedGateway : public QObject
{
public:
    ScriptedGateway()
    {
        socket.bind(kSimAddress, 0, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        connect(&socket, &QUdpSocket::readyRead, this, [this] {
            while (socket.hasPendingDatagrams()) {
                QByteArray data(int(socket.pendingDatagramSize()), '\0');
                QHostAddress from;
                quint16 fromPort = 0;
                socket.readDatagram(data.data(), data.size(), &from, &fromPort);
                received << data;
                senders << qMakePair(from, fromPort);
                if (!data.startsWith("CONFIG("))
                    continue;
                for (const auto &[delay, answer] : std::as_const(script)) {
                    QTimer::singleShot(delay, this, [this, answer = answer, from, fromPort] {
                        socket.writeDatagram(answer, from, fromPort);
                    });
                }
            }
        });
    }
    quint16 port() const { return socket.localPort(); }

    QUdpSocket socket;
    QList<QPair<int, QByteArray>> script;
    QByteArrayList received;
    QList<QPair<QHostAddress, quint16>> senders;
};

} // namespace

class TestLocatorSim : public QObject
{
    Q_OBJECT

private slots:
    void searchListsEveryGateway()
    {
        RecordingPrompt prompt;
        Rig rig(fourGateways());
        WaitProbe probe;
        probe.arm(rig);
        QElapsedTimer clock;
        clock.start();
        rig.controller->DevicesSearchLocalExecute();
        const qint64 took = clock.elapsed();

        QVERIFY2(took >= 450 && took < 3000, qPrintable(QString::number(took)));
        QVERIFY(probe.visible);
        QVERIFY(probe.modal);
        QCOMPARE(probe.text, QStringLiteral("Getting Data from Devices in Network..."));
        QCOMPARE(probe.action, 1);
        QVERIFY(!rig.info.isVisible());
        QCOMPARE(rig.controller->LocatorAction(), quint8(0));
        QVERIFY(prompt.log.isEmpty());

        QCOMPARE(rig.list.rowCount(), 4);
        // Device, Host, MAC, Version, DHCP, IP, Netmask, Gateway, Remote, HasHost, Full, Family
        QCOMPARE(rig.row(0), (QStringList{"Orvan-DF1-C", "boiler-room", "00:50:C2:00:00:01", "3.0-TS", "No", "127.0.0.11",
                                          "255.0.0.0", "127.0.0.1", "", "1", "1", "2"}));
        QCOMPARE(rig.row(1), (QStringList{"Orvan-HL-C", "line-4", "00:50:C2:00:00:04", "2.0-TS", "No", "127.0.0.14",
                                          "255.0.0.0", "127.0.0.1", "", "1", "1", "1"}));
        QCOMPARE(rig.row(2), (QStringList{"Orvan-MB-C", "-", "00:50:C2:00:00:02", "2.1.0", "Yes", "127.0.0.12",
                                          "255.0.0.0", "127.0.0.1", "", "0", "0", "0"}));
        QCOMPARE(rig.row(3), (QStringList{"Quorsa Device", "-", "00:50:C2:00:00:03", "5.0-TS", "No", "127.0.0.13",
                                          "255.0.0.0", "127.0.0.1", "", "0", "0", "0"}));
        QVERIFY(rig.controller->locator().boundAddresses().contains(QHostAddress::LocalHost));
    }

    void helloOnTheWire()
    {
        RecordingPrompt prompt;
        ScriptedGateway peer;
        TDeviceListView list;
        TLocatorController controller(&list, nullptr, peer.port(), kSimAddress);
        controller.DevicesSearchLocalExecute();
        QCOMPARE(peer.received, QByteArrayList{"HELLO()"});
        // Answers come back to the locator port on the sending address.
        QCOMPARE(peer.senders.first().first, QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(peer.senders.first().second, peer.port());
    }

    void duplicateMacKeepsFirstAnswer()
    {
        RecordingPrompt prompt;
        QList<GatewayState> gateways{gateway("1119", "1.0-TS", "AA", "127.0.0.20", false, "first"),
                                     gateway("1117", "9.9-TS", "AA", "127.0.0.21", true, "second")};
        Rig rig(gateways);
        rig.controller->DevicesSearchLocalExecute();
        QCOMPARE(rig.list.rowCount(), 1);
        QCOMPARE(rig.row(0).mid(0, 6), (QStringList{"Orvan-MB-C", "first", "AA", "1.0-TS", "No", "127.0.0.20"}));
    }

    void newSearchKeepsRemoteRowsReplacesLocal()
    {
        RecordingPrompt prompt;
        Rig rig(fourGateways());
        TDeviceData remote;
        remote.DeviceName = "Orvan";
        remote.HostName = "far-away";
        remote.MAC = "00:50:C2:00:00:01"; // also answers the broadcast: stays as the remote row
        remote.IPAddress = "10.9.8.7"; // a list cell, never contacted
        remote.RemoteHost = "gw.example.net";
        remote.HasHostName = true;
        remote.FullConfig = true;
        rig.list.AddDeviceToList(remote);
        TDeviceData other = remote;
        other.MAC = "REMOTE-ONLY";
        other.RemoteHost = "10.1.1.1";
        rig.list.AddDeviceToList(other);
        TDeviceData stale;
        stale.DeviceName = "Orvan-MB-C";
        stale.MAC = "GONE";
        rig.list.AddDeviceToList(stale);

        rig.controller->DevicesSearchLocalExecute();
        QCOMPARE(rig.list.rowCount(), 5);
        QVERIFY(!rig.macs().contains("GONE"));
        QCOMPARE(*rig.list.deviceAt(rig.list.DeviceIsListed(remote)), remote);
        QCOMPARE(*rig.list.deviceAt(rig.list.DeviceIsListed(other)), other);

        // A second search shows what the gateways say now.
        rig.simulator.findByMac("00:50:C2:00:00:02")->update([](GatewayState &s) { s.hostName = "renamed"; });
        rig.controller->DevicesSearchLocalExecute();
        QCOMPARE(rig.list.rowCount(), 5);
        TDeviceData probe;
        probe.MAC = "00:50:C2:00:00:02";
        QCOMPARE(rig.list.deviceAt(rig.list.DeviceIsListed(probe))->HostName, QByteArray("renamed"));
        QCOMPARE(*rig.list.deviceAt(rig.list.DeviceIsListed(remote)), remote);
    }

    void lateAndMissingAnswersIgnored()
    {
        RecordingPrompt prompt;
        Rig rig(fourGateways());
        rig.simulator.findByMac("00:50:C2:00:00:03")->setFault("HELLO", {FaultKind::Delay, 800});
        rig.simulator.findByMac("00:50:C2:00:00:04")->setFault("HELLO", {FaultKind::IgnoreUdp, 0});
        rig.controller->DevicesSearchLocalExecute();
        QCOMPARE(rig.macs(), (QStringList{"00:50:C2:00:00:01", "00:50:C2:00:00:02"}));
        QTest::qWait(700); // the delayed answer arrives now, after the wait
        QCOMPARE(rig.list.rowCount(), 2);
        QVERIFY(prompt.log.isEmpty());
    }

    void configWithSimulator_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("adminPassword");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("ipAfter");
        QTest::addColumn<bool>("dhcpAfter");
        QTest::addColumn<QString>("hostAfter");
        const QString ok = "Device Successfully Configured!.";
        const QString bad = "Error Setting Device Configuration.\r\nCheck the Password.";
        const QByteArray mac = "00:50:C2:00:00:01";
        QTest::newRow("right password")
            << "CONFIG(secret," + mac + ",127.0.0.50,255.255.0.0,127.0.0.1,new-name)" << "secret" << int(FaultKind::None)
            << "information" << ok << "127.0.0.50" << false << "new-name";
        QTest::newRow("wrong password") << "CONFIG(guess," + mac + ",127.0.0.50,255.255.0.0,127.0.0.1)" << "secret"
                                        << int(FaultKind::None) << "error" << bad << "127.0.0.11" << false << "boiler-room";
        QTest::newRow("empty password") << "CONFIG(," + mac + ",127.0.0.51,255.0.0.0,0.0.0.0)" << "" << int(FaultKind::None)
                                        << "information" << ok << "127.0.0.51" << false << "boiler-room";
        QTest::newRow("DHCP") << "CONFIG(secret," + mac + ",0.0.0.0,0.0.0.0,0.0.0.0)" << "secret" << int(FaultKind::None)
                              << "information" << ok << "127.0.0.11" << true << "boiler-room";
        QTest::newRow("gateway silent") << "CONFIG(secret," + mac + ",127.0.0.50,255.0.0.0,0.0.0.0)" << "secret"
                                        << int(FaultKind::IgnoreUdp) << "error" << bad << "127.0.0.11" << false << "boiler-room";
        QTest::newRow("answer after the second") << "CONFIG(secret," + mac + ",127.0.0.50,255.0.0.0,0.0.0.0)" << "secret"
                                                 << int(FaultKind::Delay) << "error" << bad << "127.0.0.50" << false
                                                 << "boiler-room";
    }
    void configWithSimulator()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, adminPassword);
        QFETCH(int, fault);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QString, ipAfter);
        QFETCH(bool, dhcpAfter);
        QFETCH(QString, hostAfter);

        RecordingPrompt prompt;
        Rig rig(fourGateways());
        sim::Gateway *g = rig.simulator.findByMac("00:50:C2:00:00:01");
        g->update([&](GatewayState &s) { s.adminPassword = adminPassword.toLatin1(); });
        g->setFault("CONFIG", {FaultKind(fault), 1300});

        WaitProbe probe;
        probe.arm(rig, 300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig.controller->SendUDPPacket(config));
        rig.controller->SetDeviceLocatorAction(2, "00:50:C2:00:00:01");
        QVERIFY(clock.elapsed() >= 950);
        QVERIFY(probe.visible && probe.modal);
        QCOMPARE(probe.text, QStringLiteral("Setting Device Data..."));
        QCOMPARE(probe.action, 2);
        QCOMPARE(prompt.log.size(), 1);
        QCOMPARE(prompt.log.first().kind, kind);
        QCOMPARE(prompt.log.first().text, message);
        QTRY_COMPARE(g->snapshot().ip, ipAfter.toLatin1());
        QCOMPARE(g->snapshot().dhcp, dhcpAfter);
        QCOMPARE(g->snapshot().hostName, hostAfter.toLatin1());
        QCOMPARE(rig.controller->LocatorAction(), quint8(0));
        QVERIFY(rig.controller->state().ExpectedMAC().isEmpty());
    }

    void configVerdictScripted_data()
    {
        QTest::addColumn<QList<QPair<int, QByteArray>>>("script");
        QTest::addColumn<QString>("kind");
        using Script = QList<QPair<int, QByteArray>>;
        QTest::newRow("ACK") << Script{{50, "ACK(MAC-1)"}} << "information";
        QTest::newRow("NAK") << Script{{50, "NAK(MAC-1)"}} << "error";
        QTest::newRow("ACK for another MAC") << Script{{50, "ACK(MAC-2)"}} << "error";
        QTest::newRow("NAK after ACK") << Script{{50, "ACK(MAC-1)"}, {400, "NAK(MAC-1)"}} << "error";
        QTest::newRow("ACK after NAK") << Script{{50, "NAK(MAC-1)"}, {400, "ACK(MAC-1)"}} << "information";
        QTest::newRow("other MAC's NAK after ACK") << Script{{50, "ACK(MAC-1)"}, {400, "NAK(MAC-2)"}} << "information";
        QTest::newRow("ACK after the timer") << Script{{1400, "ACK(MAC-1)"}} << "error";
    }
    void configVerdictScripted()
    {
        using Script = QList<QPair<int, QByteArray>>;
        QFETCH(Script, script);
        QFETCH(QString, kind);
        RecordingPrompt prompt;
        ScriptedGateway peer;
        peer.script = script;
        TDeviceListView list;
        TInfoMessage info;
        TLocatorController controller(&list, &info, peer.port(), kSimAddress);
        const QByteArray config = "CONFIG(pw,MAC-1,10.0.0.5,255.0.0.0,10.0.0.1)";
        QVERIFY(controller.SendUDPPacket(config));
        controller.SetDeviceLocatorAction(2, "MAC-1");
        QTest::qWait(600); // let late answers arrive: they must change nothing
        QCOMPARE(peer.received, QByteArrayList{config});
        QCOMPARE(prompt.texts(), QStringList{kind == "information" ? "Device Successfully Configured!."
                                                                  : "Error Setting Device Configuration.\r\nCheck the Password."});
        QCOMPARE(prompt.log.first().kind, kind);
    }

    void conflictingApplication()
    {
        RecordingPrompt prompt;
        Rig rig(fourGateways());
        // Another program holds the locator port on the only local address, without sharing.
        QUdpSocket blocker;
        QVERIFY(blocker.bind(QHostAddress::LocalHost, rig.simulator.udpPort(), QUdpSocket::DontShareAddress));
        TDeviceListView list;
        TInfoMessage info;
        TLocatorController controller(&list, &info, rig.simulator.udpPort(), kSimAddress);
        controller.locator().setLocalAddresses({QHostAddress::LocalHost});
        controller.SetUpSockets();

        WaitProbe probe;
        QTimer::singleShot(150, [&] {
            probe.visible = info.isVisible();
            probe.text = info.text();
        });
        QElapsedTimer clock;
        clock.start();
        controller.DevicesSearchLocalExecute();
        QVERIFY(clock.elapsed() >= 450); // the wait still runs
        QVERIFY(probe.visible);
        QCOMPARE(probe.text, QStringLiteral("Getting Data from Devices in Network..."));
        QCOMPARE(prompt.log.size(), 1);
        QCOMPARE(prompt.log.first().kind, QStringLiteral("error"));
        QCOMPARE(prompt.log.first().text,
                 QStringLiteral("Other Application is conflicting with Kova Communication.\r\nClose the other application and try again."));
        QCOMPARE(controller.locator().lastFailure(), LocatorFailure::PortInUse);
        QCOMPARE(list.rowCount(), 0);

        // Once the other program is gone, the next search binds and works.
        blocker.close();
        prompt.clear();
        controller.DevicesSearchLocalExecute();
        QVERIFY(prompt.log.isEmpty());
        QCOMPARE(list.rowCount(), 4);
    }

    // The port refused for lack of permission is not another program's: the message says
    // what to do, with the exact command for this program.
    void permissionRefused()
    {
        const quint16 port = 998;
        if (unprivilegedPortStart() <= port)
            QSKIP("this machine lets every program bind port 998");
        RecordingPrompt prompt;
        TDeviceListView list;
        WithoutBindCapability unprivileged;
        QVERIFY2(unprivileged.unprivileged(), "cannot drop CAP_NET_BIND_SERVICE");
        // Loopback only, should the bind succeed after all.
        TLocatorController controller(&list, nullptr, port, kSimAddress);
        controller.locator().setLocalAddresses({QHostAddress::LocalHost});
        QVERIFY(!controller.SendUDPPacket("HELLO()"));
        QCOMPARE(controller.locator().lastFailure(), LocatorFailure::NoPermission);
        QCOMPARE(prompt.texts("error").size(), 1);
        const QString text = prompt.texts("error").first();
        QVERIFY2(text.startsWith(QStringLiteral("Kova is not allowed to use UDP port 998")), qPrintable(text));
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QVERIFY2(text.endsWith(QStringLiteral("\r\n\r\nsudo setcap cap_net_bind_service=+ep ") + program), qPrintable(text));
    }

    void thousandGateways()
    {
        RecordingPrompt prompt;
        QList<GatewayState> gateways;
        for (int i = 0; i < 1000; ++i) {
            const QByteArray n = QByteArray::number(i).rightJustified(4, '0');
            gateways << gateway(i % 3 ? "1119" : "1110", "2.0-TS", "00:50:C2:01:" + n.left(2) + ":" + n.right(2),
                                "127.0.1." + QByteArray::number(i % 250 + 1), false, "gw-" + n);
        }
        Rig rig(gateways);
        rig.controller->DevicesSearchLocalExecute();
        QVERIFY(rig.controller->locator().receiveBufferSize() >= 1000 * 800);
        QCOMPARE(rig.list.rowCount(), 1000);
        const QStringList macs = rig.macs();
        QCOMPARE(QSet<QString>(macs.begin(), macs.end()).size(), 1000);
        // Ordered by the "Device" text, answers of one model in arrival order.
        QCOMPARE(rig.list.topLevelItem(0)->text(DeviceRow::Host), QStringLiteral("gw-0000"));
        QCOMPARE(rig.list.topLevelItem(333)->text(DeviceRow::Host), QStringLiteral("gw-0999"));
        QCOMPARE(rig.list.topLevelItem(334)->text(DeviceRow::Host), QStringLiteral("gw-0001"));
    }

    void simulatorIgnoresWhatItCannotParse_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("no list") << QByteArray("HELLO");
        QTest::newRow("other word") << QByteArray("NTM(1,2,3)");
        QTest::newRow("config too short") << QByteArray("CONFIG(pw,00:50:C2:00:00:01,1.2.3.4,255.0.0.0)");
        QTest::newRow("config unterminated") << QByteArray("CONFIG(pw,00:50:C2:00:00:01,1.2.3.4,255.0.0.0,0.0.0.0");
        QTest::newRow("config for nobody") << QByteArray("CONFIG(admin,FF:FF,1.2.3.4,255.0.0.0,0.0.0.0)");
        QTest::newRow("empty") << QByteArray();
    }
    void simulatorIgnoresWhatItCannotParse()
    {
        QFETCH(QByteArray, datagram);
        sim::Simulator simulator(Rig::options());
        for (const GatewayState &g : fourGateways())
            simulator.addGateway(g);
        sim::SimLocator locator(simulator);
        QVERIFY(locator.answer(datagram).isEmpty());
        QCOMPARE(simulator.gateway(1).snapshot().ip, QByteArray("127.0.0.11"));
    }
};

KOVA_TEST(TestLocatorSim)
#include "tst_locator_sim.moc"
