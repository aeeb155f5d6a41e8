#include "TestRegistry.h"

#include "GatewayFile.h"
#include "TagKeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sim;

Q_DECLARE_METATYPE(sim::FaultKind)

// The gateways file of orvan-sim and the fault syntax of its options.
class TestSimFile : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryField()
    {
        const QByteArray text =
            "; comment\n"
            "[a]\n"
            "model = 1110\n"
            "version = 2.0.9-TS\n"
            "mac = 00:1D:7A:00:00:09\n"
            "netmask = 255.255.255.0 ; trailing comment\n"
            "gateway = 10.0.0.1\n"
            "dhcp = yes\n"
            "hostname = press\n"
            "dns1 = 10.0.0.2\n"
            "dns2 = 10.0.0.3\n"
            "snmp = 1\n"
            "manager = 10.0.0.4\n"
            "read_community = r\n"
            "write_community = w\n"
            "trap_community = t\n"
            "web_user = u\n"
            "web_password = up\n"
            "admin_password = a=b\n"
            "clock_offset = -3600\n"
            "live_motion = 0\n"
            "com = COMTYPE=2,BAUD=4800\n"
            "smtp = ENABLE=1,SERVER=mail.example.com,PASS=x/coy,\n"
            "recipient1 = one@example.com\n"
            "recipient5 = five@example.com\n"
            "tag = NAME=A,TYPE=0\n"
            "tag = NAME=B,TYPE=3,\n"
            "fault = getnet:nak\n"
            "fault = *:delay:250\n"
            "[b]\n"
            "model = 1117\n"
            "[c]\n"
            "ip = 127.0.0.20\n"
            "[d]\n";
        const QList<GatewaySetup> g = parseGatewayFile(text, "127.0.0.2");
        QCOMPARE(g.size(), 4);
        const GatewayState &a = g[0].state;
        QCOMPARE(a.model, QByteArray("1110"));
        QCOMPARE(a.version, QByteArray("2.0.9-TS"));
        QCOMPARE(a.mac, QByteArray("00:1D:7A:00:00:09"));
        QCOMPARE(a.ip, QByteArray("127.0.0.2"));
        QCOMPARE(a.netmask, QByteArray("255.255.255.0"));
        QCOMPARE(a.gateway, QByteArray("10.0.0.1"));
        QVERIFY(a.dhcp);
        QCOMPARE(a.hostName, QByteArray("press"));
        QCOMPARE(a.dns1 + a.dns2, QByteArray("10.0.0.210.0.0.3"));
        QVERIFY(a.snmp);
        QCOMPARE(a.manager, QByteArray("10.0.0.4"));
        QCOMPARE(a.readCommunity + a.writeCommunity + a.trapCommunity, QByteArray("rwt"));
        QCOMPARE(a.webUser + a.webPassword, QByteArray("uup"));
        QCOMPARE(a.adminPassword, QByteArray("a=b"));
        QCOMPARE(a.clockOffsetSecs, -3600);
        QVERIFY(!a.liveMotion);
        QCOMPARE(a.com, Keys({{"COMTYPE", "2"}, {"BAUD", "4800"}}));
        QCOMPARE(GatewayState::keyValue(a.smtp, "PASS"), QByteArray("x,y"));
        QCOMPARE(a.recipients[0], QByteArray("one@example.com"));
        QCOMPARE(a.recipients[4], QByteArray("five@example.com"));
        QCOMPARE(a.tags.size(), 2);
        QCOMPARE(a.tags[1], Keys({{"NAME", "B"}, {"TYPE", "3"}}));
        QCOMPARE(a.live.size(), 2);
        QCOMPARE(g[0].faults.size(), 2);
        QCOMPARE(g[0].faults[0].command, QByteArray("GETNET"));
        QCOMPARE(g[0].faults[1].fault.delayMs, 250);
        // Addresses follow on from the previous gateway.
        QCOMPARE(g[1].state.ip, QByteArray("127.0.0.3"));
        QCOMPARE(g[1].state.protocolFamily(), int(DF1));
        QCOMPARE(g[2].state.ip, QByteArray("127.0.0.20"));
        QCOMPARE(g[3].state.ip, QByteArray("127.0.0.21"));
        QCOMPARE(g[3].state.adminPassword, QByteArray("admin"));
    }

    void refusesMistakes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown key") << QByteArray("[a]\nmodle = 1\n") << "line 2: unknown key \"modle\"";
        QTest::newRow("key before a section") << QByteArray("model = 1\n") << "line 1: a key before the first [section]";
        QTest::newRow("bad flag") << QByteArray("[a]\n\ndhcp = maybe\n") << "line 3: \"maybe\" is not 0 or 1";
        QTest::newRow("bad tag") << QByteArray("[a]\ntag = NAME\n") << "line 2: tag must be KEY=value,KEY=value,...";
        QTest::newRow("bad fault") << QByteArray("[a]\nfault = GETNET:explode\n")
                                   << "line 2: fault must be COMMAND:KIND[:MS]";
        QTest::newRow("no equals") << QByteArray("[a]\nmodel\n") << "line 2: expected key = value";
        QTest::newRow("offset") << QByteArray("[a]\nclock_offset = 1h\n") << "line 2: clock_offset must be a number of seconds";
    }

    void refusesMistakes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        try {
            parseGatewayFile(text, "127.0.0.2");
            QFAIL("accepted");
        } catch (const GatewayFileError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), message);
        }
    }

    void refusesA129thTag()
    {
        QByteArray text = "[a]\n";
        for (int i = 0; i < 129; ++i)
            text += "tag = NAME=T" + QByteArray::number(i) + "\n";
        QVERIFY_THROWS_EXCEPTION(GatewayFileError, parseGatewayFile(text, "127.0.0.2"));
    }

    void loadsTheShippedExample()
    {
        const QList<GatewaySetup> g = loadGatewayFile(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../sim/examples/gateways.ini"),
                                                      "127.0.0.2");
        QCOMPARE(g.size(), 3);
        QCOMPARE(g[0].state.tags.size(), 3);
        QCOMPARE(tagValueKind(Modbus, g[0].state.tags[0]), Real);
        QCOMPARE(g[1].state.ip, QByteArray("127.0.0.3"));
        QCOMPARE(g[1].faults.size(), 1);
    }

    void readsTheSiteImageBesideTheFile()
    {
        QTemporaryDir dir;
        QFile site(dir.filePath("site.qsw"));
        QVERIFY(site.open(QIODevice::WriteOnly));
        site.write(QByteArray("\x01\x02\x00\x03", 4));
        site.close();
        QFile ini(dir.filePath("g.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[a]\nsite = site.qsw\n");
        ini.close();
        const QList<GatewaySetup> g = loadGatewayFile(ini.fileName(), "127.0.0.2");
        QCOMPARE(g[0].state.siteImage, QByteArray("\x01\x02\x00\x03", 4));
    }

    void faultSyntax_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<sim::FaultKind>("kind");
        QTest::addColumn<int>("ms");
        QTest::newRow("nak") << QByteArray("GETNET:nak") << true << QByteArray("GETNET") << FaultKind::Nak << 0;
        QTest::newRow("lower-case command") << QByteArray("setcom:wrong") << true << QByteArray("SETCOM")
                                            << FaultKind::WrongReply << 0;
        QTest::newRow("http") << QByteArray("GETDEVICE:http500") << true << QByteArray("GETDEVICE")
                              << FaultKind::HttpError << 0;
        QTest::newRow("drop") << QByteArray("READ:drop") << true << QByteArray("READ") << FaultKind::Drop << 0;
        QTest::newRow("delay") << QByteArray("*:delay:1500") << true << QByteArray("*") << FaultKind::Delay << 1500;
        QTest::newRow("udp") << QByteArray("HELLO:ignore-udp") << true << QByteArray("HELLO") << FaultKind::IgnoreUdp
                             << 0;
        QTest::newRow("delay needs ms") << QByteArray("GETNET:delay") << false << QByteArray() << FaultKind::None << 0;
        QTest::newRow("negative ms") << QByteArray("GETNET:delay:-1") << false << QByteArray() << FaultKind::None << 0;
        QTest::newRow("no kind") << QByteArray("GETNET") << false << QByteArray() << FaultKind::None << 0;
        QTest::newRow("no command") << QByteArray(":nak") << false << QByteArray() << FaultKind::None << 0;
    }

    void faultSyntax()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto fault = parseFault(text);
        QCOMPARE(fault.has_value(), valid);
        if (!valid)
            return;
        QFETCH(QByteArray, command);
        QFETCH(sim::FaultKind, kind);
        QFETCH(int, ms);
        QCOMPARE(fault->command, command);
        QCOMPARE(fault->fault.kind, kind);
        QCOMPARE(fault->fault.delayMs, ms);
    }
};

KOVA_TEST(TestSimFile)
#include "tst_sim_file.moc"
