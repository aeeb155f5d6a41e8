#include "TestRegistry.h"

#include "Simulator.h"
#include "base/DscPkt.h"
#include "device/DeviceSettings.h"
#include "device/HttpChannel.h"
#include "device/Locator.h"

#include <QTest>

using sim::FaultKind;
using Kind = TSettingsOutcome::Kind;

namespace {

enum Sequence { ReadNetwork, ReadGeneral, WriteNetwork, SetUser, SetAdmin, SetTime };

const QByteArray kFullMac = "00:1D:7A:00:00:02";
const QByteArray kPlainMac = "00:1D:7A:00:00:04";

TNetworkSettings pressSettings()
{
    TNetworkSettings s;
    s.HostName = "press-7";
    s.IPAddress = "10.7.7.7";
    s.Netmask = "255.255.0.0";
    s.Gateway = "10.7.0.1";
    s.PreferredDNS = "10.7.0.53";
    s.AlternativeDNS = "0.0.0.0";
    s.SNMP = true;
    s.Manager = "10.7.0.9";
    s.ReadCommunity = "plant";
    s.WriteCommunity = "w";
    s.TrapCommunity = "t";
    return s;
}

QStringList fields(const TNetworkSettings &s)
{
    return {QString::fromLatin1(s.HostName), s.DHCP ? "DHCP" : "fixed", s.IPAddress, s.Netmask, s.Gateway,
            s.PreferredDNS, s.AlternativeDNS, s.SNMP ? "SNMP" : "no SNMP", s.Manager,
            QString::fromLatin1(s.ReadCommunity + s.WriteCommunity + s.TrapCommunity)};
}

// A gateway with the full firmware and one without, on loopback. Each request the core's
// sequences send is recorded with the "Information" text shown while it runs.
struct Rig
{
    Rig()
    {
        sim::Simulator::Options o;
        o.serveFtp = false;
        simulator = std::make_unique<sim::Simulator>(o);
        sim::GatewayState state;
        state.mac = kFullMac;
        state.ip = "127.0.0.6";
        state.hostName = "line2";
        state.adminPassword = "secret";
        full = &simulator->addGateway(state);
        state.model = "1118";
        state.version = "2.0.4";
        state.mac = kPlainMac;
        state.ip = "127.0.0.5";
        state.hostName.clear();
        plain = &simulator->addGateway(state);
        simulator->start();
        channel.setPort(simulator->httpPort());
        channel.setReadTimeout(3000);
        channel.setReportFailures(false);
    }

    AdminSend send()
    {
        TDeviceData device;
        device.IPAddress = "127.0.0.6";
        return [this, sender = ChannelAdminSend(channel, device)](const QString &info, const TPacket &request,
                                                                   TPacket &reply) {
            exchanges << info + ' ' + QString::fromLatin1(RequestBody(request));
            return sender(info, request, reply);
        };
    }

    std::unique_ptr<sim::Simulator> simulator;
    sim::Gateway *full = nullptr;
    sim::Gateway *plain = nullptr;
    THttpChannel channel;
    QStringList exchanges;
};

} // namespace

// The properties' read and write sequences against the simulated gateway, without windows.
class TestDeviceSettings : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data()
    {
        QTest::addColumn<int>("sequence");
        QTest::addColumn<QByteArray>("faulty");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QStringList>("exchanges");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QByteArray>("reason");
        const int none = int(FaultKind::None);
        const QString getNet = "Getting Orvan Network Parameters... GETNET();";
        const QStringList general{"Getting User Data from Device... GETADMIN();", "Getting User Data from Device... GETUSER();",
                                  "Getting current Date and Time from Device... GETTIME();"};
        const QString setNet = "Setting Device Network Configuration... SETNET(PWD=%1,NAME=press-7,IP=10.7.7.7,"
                               "NETMASK=255.255.0.0,GATEWAY=10.7.0.1,FSTDNS=10.7.0.53,SNDDNS=0.0.0.0,SNMP=1,"
                               "MANAGER=10.7.0.9,READS=plant,WRITES=w,TRAPS=t,);";
        const QString reset = "Resetting Device... RESET();";
        const QString setUser = "Setting Standard User Data... SETUSER(USERNAME=operator,PWD=op-pass,);";
        const QString setAdmin = "Setting Administrator Data... SETADMIN(PWD=n3w,);";
        const QString setTime = "Setting Date and Time... SETTIME(TIME=05032024140709,);";
        const QByteArray pwd = "secret";

        QTest::newRow("GETNET") << int(ReadNetwork) << QByteArray() << none << pwd << QStringList{getNet}
                                << int(Kind::Done) << QByteArray() << QByteArray();
        QTest::newRow("GETNET refused") << int(ReadNetwork) << QByteArray("GETNET") << int(FaultKind::Nak) << pwd
                                        << QStringList{getNet} << int(Kind::WrongReply) << QByteArray("GETNET")
                                        << QByteArray("Simulated fault");
        QTest::newRow("general") << int(ReadGeneral) << QByteArray() << none << pwd << general << int(Kind::Done)
                                 << QByteArray() << QByteArray();
        QTest::newRow("general, GETUSER dropped") << int(ReadGeneral) << QByteArray("GETUSER") << int(FaultKind::Drop)
                                                  << pwd << general.mid(0, 2) << int(Kind::NoResponse)
                                                  << QByteArray("GETUSER") << QByteArray();
        QTest::newRow("SETNET, RESET") << int(WriteNetwork) << QByteArray() << none << pwd
                                       << QStringList{setNet.arg("secret"), reset} << int(Kind::Done) << QByteArray()
                                       << QByteArray();
        QTest::newRow("SETNET, wrong password") << int(WriteNetwork) << QByteArray() << none << QByteArray("Secret")
                                                << QStringList{setNet.arg("Secret")} << int(Kind::WrongReply)
                                                << QByteArray("SETNET") << QByteArray("Invalid Password");
        QTest::newRow("SETNET, RESET refused") << int(WriteNetwork) << QByteArray("RESET") << int(FaultKind::Nak) << pwd
                                               << QStringList{setNet.arg("secret"), reset} << int(Kind::WrongReply)
                                               << QByteArray("RESET") << QByteArray("Simulated fault");
        QTest::newRow("SETUSER") << int(SetUser) << QByteArray() << none << pwd << QStringList{setUser}
                                 << int(Kind::Done) << QByteArray() << QByteArray();
        QTest::newRow("SETUSER refused") << int(SetUser) << QByteArray("SETUSER") << int(FaultKind::Nak) << pwd
                                         << QStringList{setUser} << int(Kind::WrongReply) << QByteArray("SETUSER")
                                         << QByteArray("Simulated fault");
        QTest::newRow("SETADMIN") << int(SetAdmin) << QByteArray() << none << pwd << QStringList{setAdmin}
                                  << int(Kind::Done) << QByteArray() << QByteArray();
        QTest::newRow("SETADMIN, HTTP error") << int(SetAdmin) << QByteArray("SETADMIN") << int(FaultKind::HttpError)
                                              << pwd << QStringList{setAdmin} << int(Kind::NoResponse)
                                              << QByteArray("SETADMIN") << QByteArray();
        QTest::newRow("SETTIME") << int(SetTime) << QByteArray() << none << pwd << QStringList{setTime}
                                 << int(Kind::Done) << QByteArray() << QByteArray();
        QTest::newRow("SETTIME, other reply") << int(SetTime) << QByteArray("SETTIME") << int(FaultKind::WrongReply)
                                              << pwd << QStringList{setTime} << int(Kind::WrongReply)
                                              << QByteArray("SETTIME") << QByteArray();
    }

    void sequences()
    {
        QFETCH(int, sequence);
        QFETCH(QByteArray, faulty);
        QFETCH(int, fault);
        QFETCH(QByteArray, password);
        QFETCH(QStringList, exchanges);
        QFETCH(int, kind);
        QFETCH(QByteArray, step);
        QFETCH(QByteArray, reason);
        Rig rig;
        if (!faulty.isEmpty())
            rig.full->setFault(faulty, {FaultKind(fault)});
        const AdminSend send = rig.send();
        TNetworkSettings network;
        TGeneralProps general;
        TSettingsOutcome outcome;
        switch (Sequence(sequence)) {
        case ReadNetwork: outcome = ReadNetworkSettings(send, network); break;
        case ReadGeneral: outcome = ReadGeneralProps(send, general); break;
        case WriteNetwork: outcome = WriteNetworkSettings(send, password, pressSettings()); break;
        case SetUser: outcome = WriteUser(send, "operator", "op-pass"); break;
        case SetAdmin: outcome = WriteAdministrator(send, "n3w"); break;
        case SetTime: outcome = WriteDateTime(send, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 870))); break;
        }
        QCOMPARE(rig.exchanges, exchanges);
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.step, step);
        QCOMPARE(outcome.reason, reason);
    }

    // What is written is what the gateway reads back.
    void writesReadBack()
    {
        Rig rig;
        const AdminSend send = rig.send();
        QVERIFY(WriteNetworkSettings(send, "secret", pressSettings()).ok());
        TNetworkSettings network;
        QVERIFY(ReadNetworkSettings(send, network).ok());
        QCOMPARE(fields(network), fields(pressSettings()));

        const QDateTime clock = QDateTime::currentDateTime().addDays(1);
        QVERIFY(WriteUser(send, "operator", "op-pass").ok());
        QVERIFY(WriteAdministrator(send, "n3w").ok());
        QVERIFY(WriteDateTime(send, clock).ok());
        TGeneralProps general;
        QVERIFY(ReadGeneralProps(send, general).ok());
        QCOMPARE(general.AdminPassword, std::optional<QByteArray>("n3w"));
        QCOMPARE(general.UserName, std::optional<QByteArray>("operator"));
        QVERIFY(general.Time && qAbs(general.Time->secsTo(clock)) <= 2);
    }

    // A gateway waiting for its DHCP address reports 0.0.0.0; a refused read of the
    // administrator password reads as empty, and the user and clock are still read.
    void readsOfAnUnsettledGateway()
    {
        Rig rig;
        rig.full->update([](sim::GatewayState &s) { s.ip = "0.0.0.0"; });
        rig.full->setFault("GETADMIN", {FaultKind::Nak});
        const AdminSend send = rig.send();
        TNetworkSettings network;
        QVERIFY(ReadNetworkSettings(send, network).ok());
        QVERIFY(network.DHCP);
        TGeneralProps general;
        QVERIFY(ReadGeneralProps(send, general).ok());
        QCOMPARE(general.AdminPassword, std::optional<QByteArray>(""));
        QCOMPARE(general.UserName, std::optional<QByteArray>("user"));
    }

    void configMessage_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("ipAfter");
        QTest::newRow("accepted") << QByteArray("secret") << false << int(Kind::Done) << QByteArray()
                                  << QByteArray("10.20.30.40");
        QTest::newRow("wrong password") << QByteArray("SECRET") << false << int(Kind::WrongReply) << QByteArray("NAK")
                                        << QByteArray("127.0.0.5");
        QTest::newRow("no answer") << QByteArray("secret") << true << int(Kind::NoResponse) << QByteArray()
                                   << QByteArray("127.0.0.5");
    }

    // The gateway without the full firmware, by one CONFIG broadcast (to loopback).
    void configMessage()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, silent);
        QFETCH(int, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, ipAfter);
        Rig rig;
        if (silent)
            rig.plain->setFault("CONFIG", {FaultKind::IgnoreUdp});
        TDeviceLocator locator(rig.simulator->udpPort(), QHostAddress(QStringLiteral("127.0.0.2")));
        locator.SetUpSockets();
        TDeviceData device;
        device.MAC = kPlainMac;
        device.IPAddress = "127.0.0.5";
        TNetworkSettings settings = pressSettings();
        settings.IPAddress = "10.20.30.40";
        settings.Gateway = "10.20.30.1";
        QByteArrayList sent;
        const TSettingsOutcome outcome = WriteNetworkByConfig(
            [&](const QByteArray &list, const QByteArray &mac) {
                sent << list;
                return SendConfigList(locator, list, mac, 300);
            },
            password, device, settings);
        // The row has no host name, so the list carries none.
        QCOMPARE(sent, QByteArrayList{"CONFIG(" + password + "," + kPlainMac + ",10.20.30.40,255.255.0.0,10.20.30.1)"});
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.step, outcome.ok() ? QByteArray() : QByteArray("CONFIG"));
        QCOMPARE(outcome.reply, reply);
        QCOMPARE(rig.plain->snapshot().ip, ipAfter);
    }
};

KOVA_TEST(TestDeviceSettings)
#include "tst_device_settings.moc"
