#include "TestRegistry.h"

#include "device/IPAddress.h"
#include "device/NetworkSettings.h"

#include <QTest>

class TestNetworkSettings : public QObject
{
    Q_OBJECT

private slots:
    void validAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << "10.0.0.1" << true;
        QTest::newRow("upper bounds") << "223.255.254.254" << true;
        QTest::newRow("loopback") << "127.0.0.1" << false;
        QTest::newRow("network") << "10.0.0.0" << false;
        QTest::newRow("broadcast host") << "10.0.0.255" << false;
        QTest::newRow("first 0") << "0.1.2.3" << false;
        QTest::newRow("first 240") << "240.1.2.3" << false;
        QTest::newRow("first 255") << "255.1.2.3" << false;
        QTest::newRow("first 239 allowed") << "239.1.2.3" << true;
        QTest::newRow("part over 255") << "10.256.0.1" << false;
        QTest::newRow("leading zero") << "10.01.0.1" << false;
        QTest::newRow("zero part") << "10.0.0.1" << true;
        QTest::newRow("three parts") << "10.0.1" << false;
        QTest::newRow("five parts") << "10.0.0.1.2" << false;
        QTest::newRow("empty part") << "10..0.1" << false;
        QTest::newRow("four digits") << "1000.0.0.1" << false;
        QTest::newRow("sign") << "+10.0.0.1" << false;
        QTest::newRow("letters") << "a.b.c.d" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("any") << "0.0.0.0" << false;
    }

    void validAddresses()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IPAddress::isValid(text), valid);
    }

    void boxes_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("octal");
        QTest::addColumn<QString>("text");
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << false << "";
        QTest::newRow("some empty") << QStringList{"10", "", "3", ""} << false << "10.0.3.0";
        QTest::newRow("leading zeros normalised") << QStringList{"010", "001", "0", "07"} << false << "10.1.0.7";
        QTest::newRow("octal keeps text") << QStringList{"010", "001", "0", "07"} << true << "010.001.0.07";
        QTest::newRow("over 255 kept for the check") << QStringList{"300", "1", "1", "1"} << false << "300.1.1.1";
    }

    void boxes()
    {
        QFETCH(QStringList, boxes);
        QFETCH(bool, octal);
        QFETCH(QString, text);
        QCOMPARE(IPAddress::joinBoxes(boxes, octal), text);
    }

    void networkChecks_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<bool>("snmp");
        QTest::addColumn<QString>("manager");
        QTest::addColumn<QString>("dns");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("message");
        QTest::newRow("valid") << "10.0.0.1" << "0.0.0.0" << false << "0.0.0.0" << "0.0.0.0" << true << "";
        QTest::newRow("bad ip") << "127.0.0.1" << "0.0.0.0" << false << "" << "0.0.0.0" << true << "Not valid IP Address.";
        QTest::newRow("ip before manager") << "10.0.0.0" << "0.0.0.0" << true << "1.1.1.0" << "0.0.0.0" << true
                                           << "Not valid IP Address.";
        QTest::newRow("bad manager") << "10.0.0.1" << "10.0.0.0" << true << "0.0.0.0" << "0.0.0.0" << true
                                     << "Not valid Manager IP Address.";
        QTest::newRow("manager unchecked without snmp") << "10.0.0.1" << "0.0.0.0" << false << "junk" << "0.0.0.0" << true << "";
        QTest::newRow("bad gateway") << "10.0.0.1" << "10.0.0.255" << false << "" << "0.0.0.0" << true
                                     << "Not valid Gateway Address.";
        QTest::newRow("bad dns") << "10.0.0.1" << "10.0.0.254" << false << "" << "8.8.8.0" << true
                                 << "Not valid DNS Server Address.";
        QTest::newRow("dns ignored when plain") << "10.0.0.1" << "0.0.0.0" << false << "" << "8.8.8.0" << false << "";
    }

    void networkChecks()
    {
        QFETCH(QString, ip);
        QFETCH(QString, gateway);
        QFETCH(bool, snmp);
        QFETCH(QString, manager);
        QFETCH(QString, dns);
        QFETCH(bool, full);
        QFETCH(QString, message);
        TNetworkSettings s;
        s.IPAddress = ip;
        s.Netmask = "junk"; // never checked
        s.Gateway = gateway;
        s.SNMP = snmp;
        s.Manager = manager;
        s.PreferredDNS = "0.0.0.0";
        s.AlternativeDNS = dns;
        QCOMPARE(IsValidNetwork(s, full).message, message);
        s.DHCP = true;
        QVERIFY(IsValidNetwork(s, full).ok());
    }

    void setNetCarriesEveryKeyInOrder()
    {
        TNetworkSettings s;
        s.HostName = "plant(1)";
        s.IPAddress = "10.0.0.5";
        s.Netmask = "255.255.255.0";
        s.Gateway = "10.0.0.1";
        s.PreferredDNS = "10.0.0.2";
        s.AlternativeDNS = "0.0.0.0";
        s.SNMP = true;
        s.Manager = "10.0.0.9";
        s.ReadCommunity = "public";
        s.WriteCommunity = "private";
        s.TrapCommunity = "trap,s";
        QCOMPARE(BuildSetNet("pw", s).GetText(),
                 QByteArray("SETNET(PWD=pw,NAME=plant/sp1/ep,IP=10.0.0.5,NETMASK=255.255.255.0,GATEWAY=10.0.0.1,"
                            "FSTDNS=10.0.0.2,SNDDNS=0.0.0.0,SNMP=1,MANAGER=10.0.0.9,READS=public,WRITES=private,"
                            "TRAPS=trap/cos,);"));
        s.DHCP = true;
        s.SNMP = false;
        const TPacket dhcp = BuildSetNet("pw", s);
        for (const char *key : {"IP", "NETMASK", "GATEWAY", "FSTDNS", "SNDDNS"})
            QCOMPARE(dhcp.GetValue(key), QByteArray("0.0.0.0"));
        QCOMPARE(dhcp.GetValue("SNMP"), QByteArray("0"));
    }

    void configList_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("dhcp");
        QTest::addColumn<bool>("hostEditable");
        QTest::addColumn<QByteArray>("list");
        QTest::newRow("with host") << QByteArray("admin") << false << true
                                   << QByteArray("CONFIG(admin,00:1D:7A:00:00:04,10.0.0.5,255.0.0.0,10.0.0.1,plant)");
        QTest::newRow("without host") << QByteArray("admin") << false << false
                                      << QByteArray("CONFIG(admin,00:1D:7A:00:00:04,10.0.0.5,255.0.0.0,10.0.0.1)");
        QTest::newRow("empty password") << QByteArray() << false << false
                                        << QByteArray("CONFIG(,00:1D:7A:00:00:04,10.0.0.5,255.0.0.0,10.0.0.1)");
        QTest::newRow("dhcp") << QByteArray("a") << true << false
                              << QByteArray("CONFIG(a,00:1D:7A:00:00:04,0.0.0.0,0.0.0.0,0.0.0.0)");
    }

    void configList()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, dhcp);
        QFETCH(bool, hostEditable);
        QFETCH(QByteArray, list);
        TNetworkSettings s;
        s.HostName = "plant";
        s.DHCP = dhcp;
        s.IPAddress = "10.0.0.5";
        s.Netmask = "255.0.0.0";
        s.Gateway = "10.0.0.1";
        const QByteArray built = BuildConfigList(password, "00:1D:7A:00:00:04", s, hostEditable);
        QCOMPARE(built, list);
        QCOMPARE(GetListItem(built, 2), QByteArray("00:1D:7A:00:00:04"));
    }

    void networkReplyDefaults()
    {
        TPacket reply;
        reply.SetText("NETWORK(NAME=gw1,DHCP=1,);");
        TNetworkSettings s;
        ReadNetworkReply(reply, s);
        QCOMPARE(s.HostName, QByteArray("gw1"));
        QVERIFY(s.DHCP);
        QCOMPARE(s.IPAddress, QString("0.0.0.0"));
        QCOMPARE(s.Manager, QString("0.0.0.0"));
        QVERIFY(!s.SNMP);
        QCOMPARE(s.ReadCommunity, QByteArray());
    }
};

KOVA_TEST(TestNetworkSettings)
#include "tst_network_settings.moc"
