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

const QByteArray kPlainMac = "00:1D:7A:00:00:04";

// The addresses are only data the simulated gateway stores; nothing is sent to them.
TNetworkSettings pressSettings()
{
    return {"press-7", false, "10.7.7.7", "255.255.0.0", "10.7.0.1", "10.7.0.53", "0.0.0.0", true, "10.7.0.9",
            "plant", "w", "t"};
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
        state.mac = "00:1D:7A:00:00:02";
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
    // Each row's faulty request is the step the sequence fails at.
    void sequences_data()
    {
        QTest::addColumn<int>("sequence");
        QTest::addColumn<QByteArray>("faulty");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("exchanges");
        const auto row = [](const char *name, Sequence sequence, const char *faulty, FaultKind fault,
                            const QStringList &exchanges) {
            QTest::newRow(name) << int(sequence) << QByteArray(faulty) << int(fault) << exchanges;
        };
        const QString getNet = "Getting Orvan Network Parameters... GETNET();";
        const QStringList general{"Getting User Data from Device... GETADMIN();",
                                  "Getting User Data from Device... GETUSER();",
                                  "Getting current Date and Time from Device... GETTIME();"};
        const QStringList setNet{"Setting Device Network Configuration... SETNET(PWD=secret,NAME=press-7,IP=10.7.7.7,"
                                 "NETMASK=255.255.0.0,GATEWAY=10.7.0.1,FSTDNS=10.7.0.53,SNDDNS=0.0.0.0,SNMP=1,"
                                 "MANAGER=10.7.0.9,READS=plant,WRITES=w,TRAPS=t,);",
                                 "Resetting Device... RESET();"};
        const QString setUser = "Setting Standard User Data... SETUSER(USERNAME=operator,PWD=op-pass,);";
        const QString setAdmin = "Setting Administrator Data... SETADMIN(PWD=n3w,);";
        const QString setTime = "Setting Date and Time... SETTIME(TIME=05032024140709,);";
        row("GETNET", ReadNetwork, "", FaultKind::None, {getNet});
        row("GETNET refused", ReadNetwork, "GETNET", FaultKind::Nak, {getNet});
        row("general", ReadGeneral, "", FaultKind::None, general);
        row("general, GETUSER dropped", ReadGeneral, "GETUSER", FaultKind::Drop, general.mid(0, 2));
        row("SETNET, RESET", WriteNetwork, "", FaultKind::None, setNet);
        row("SETNET refused", WriteNetwork, "SETNET", FaultKind::Nak, setNet.mid(0, 1));
        row("RESET refused", WriteNetwork, "RESET", FaultKind::Nak, setNet);
        row("SETUSER", SetUser, "", FaultKind::None, {setUser});
        row("SETUSER refused", SetUser, "SETUSER", FaultKind::Nak, {setUser});
        row("SETADMIN", SetAdmin, "", FaultKind::None, {setAdmin});
        row("SETADMIN, HTTP error", SetAdmin, "SETADMIN", FaultKind::HttpError, {setAdmin});
        row("SETTIME", SetTime, "", FaultKind::None, {setTime});
        row("SETTIME, other reply", SetTime, "SETTIME", FaultKind::WrongReply, {setTime});
    }

    void sequences()
    {
        QFETCH(int, sequence);
        QFETCH(QByteArray, faulty);
        QFETCH(int, fault);
        QFETCH(QStringList, exchanges);
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
        case WriteNetwork: outcome = WriteNetworkSettings(send, "secret", pressSettings()); break;
        case SetUser: outcome = WriteUser(send, "operator", "op-pass"); break;
        case SetAdmin: outcome = WriteAdministrator(send, "n3w"); break;
        case SetTime: outcome = WriteDateTime(send, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 870))); break;
        }
        QCOMPARE(rig.exchanges, exchanges);
        const FaultKind f = FaultKind(fault);
        const Kind kind = f == FaultKind::None                                   ? Kind::Done
                          : f == FaultKind::Nak || f == FaultKind::WrongReply ? Kind::WrongReply
                                                                                 : Kind::NoResponse;
        QCOMPARE(int(outcome.kind), int(kind));
        QCOMPARE(outcome.step, faulty);
        QCOMPARE(outcome.reason, f == FaultKind::Nak ? QByteArray("Simulated fault") : QByteArray());
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
        QTest::newRow("accepted") << QByteArray("secret") << false << int(Kind::Done) << QByteArray();
        QTest::newRow("wrong password") << QByteArray("SECRET") << false << int(Kind::WrongReply) << QByteArray("NAK");
        QTest::newRow("no answer") << QByteArray("secret") << true << int(Kind::NoResponse) << QByteArray();
    }

    // The gateway without the full firmware, by one CONFIG broadcast (to loopback).
    void configMessage()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, silent);
        QFETCH(int, kind);
        QFETCH(QByteArray, reply);
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
        QCOMPARE(rig.plain->snapshot().ip, outcome.ok() ? QByteArray("10.20.30.40") : QByteArray("127.0.0.5"));
    }
};

KOVA_TEST(TestDeviceSettings)
#include "tst_device_settings.moc"
