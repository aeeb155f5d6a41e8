#include "TestRegistry.h"

#include "SimClient.h"

#include "base/DscPkt.h"

#include <QElapsedTimer>
#include <QTest>

#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>

using namespace simtest;

namespace {

// Tags as a configuration transfer sends them.
const QByteArray MbLevel =
    "ADDTAG(NAME=LEVEL,SOURCE=0,UNIT=1,TYPE=0,MBFUNC=4,ADDRESS=0,REG32=0,BIT=0,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=1,EMAIL=1,TRAP=0,WRLO=0,WRHI=100,ALLO=10,ALHI=20,);";
const QByteArray MbTemp =
    "ADDTAG(NAME=TEMP,SOURCE=0,UNIT=1,TYPE=1,MBFUNC=4,ADDRESS=1,REG32=0,BIT=0,SCALE=2,FACT_A=1.00000000E-1,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=0,EMAIL=0,TRAP=0,WRLO=-5.00000000E1,WRHI=1.50000000E2,"
    "ALLO=0.00000000E0,ALHI=0.00000000E0,);";
const QByteArray MbPump =
    "ADDTAG(NAME=PUMP,SOURCE=0,UNIT=1,TYPE=8,MBFUNC=0,ADDRESS=0,REG32=0,BIT=0,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,TRAP=0,WRLO=0,WRHI=0,ALLO=0,ALHI=0,);";
const QByteArray MbDoor =
    "ADDTAG(NAME=DOOR,SOURCE=1,UNIT=0,TYPE=8,MBFUNC=1,ADDRESS=0,REG32=0,BIT=2,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=1,LIMITS=0,ALARM=1,EMAIL=0,TRAP=1,WRLO=0,WRHI=0,ALLO=1,ALHI=0,);";
const QByteArray MbFloatInv =
    "ADDTAG(NAME=FLOW,SOURCE=0,UNIT=2,TYPE=5,MBFUNC=4,ADDRESS=9,REG32=1,BIT=0,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,TRAP=0,WRLO=0.00000000E0,WRHI=0.00000000E0,"
    "ALLO=0.00000000E0,ALHI=0.00000000E0,);";
const QByteArray HlOil =
    "ADDTAG(NAME=OIL,SOURCE=0,UNIT=0,TYPE=3,HLFUNC=6,ADDRESS=100,BIT=0,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,WRLO=0.00000000E0,WRHI=0.00000000E0,"
    "ALLO=0.00000000E0,ALHI=0.00000000E0,);";
const QByteArray HlGuard =
    "ADDTAG(NAME=GUARD,SOURCE=0,UNIT=0,TYPE=5,HLFUNC=0,ADDRESS=1,BIT=4,SCALE=1,FACT_A=0.00000000E0,"
    "FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,WRLO=0,WRHI=0,ALLO=0,ALHI=1,);";
const QByteArray Df1Fan =
    "ADDTAG(NAME=FAN,SOURCE=0,FILETYPE=133,FILENUMBER=3,ELEMENT=0,SUBELEMENT=0,TYPE=5,BIT=2,SCALE=1,"
    "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,WRLO=0,WRHI=0,ALLO=0,ALHI=0,);";
const QByteArray Df1Recipe =
    "ADDTAG(NAME=RECIPE,SOURCE=0,FILETYPE=137,FILENUMBER=7,ELEMENT=30,SUBELEMENT=0,TYPE=4,BIT=0,SCALE=1,"
    "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=0,EMAIL=0,WRLO=0,WRHI=99,ALLO=0,ALHI=0,);";

// The TAGCONFIG reply carries the keys an ADDTAG stored.
QByteArray asTagConfig(const QByteArray &addTag)
{
    return "TAGCONFIG" + addTag.mid(6);
}

QByteArray addTags(const QList<QByteArray> &tags)
{
    QByteArray steps = "adm ENABLETAGADMIN(); => ACK();\nadm DELALLTAG(); => ACK();\n";
    for (const QByteArray &t : tags)
        steps += "adm " + t + " => ACK();\n";
    return steps + "adm DISABLETAGADMIN(); => ACK();\n";
}

const QByteArray MbNetwork = "NETWORK(NAME=mb,DHCP=0,IP=127.0.0.2,NETMASK=255.0.0.0,GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,"
                             "SNDDNS=0.0.0.0,SNMP=0,MANAGER=0.0.0.0,READS=public,WRITES=private,TRAPS=public,);";

} // namespace

class TestSimHttp : public QObject
{
    Q_OBJECT

    std::unique_ptr<sim::Simulator> m_sim;

    HttpResult adm(int gateway, const QByteArray &body)
    {
        return post(m_sim->gateway(gateway).serveAddress(), m_sim->httpPort(), "admpost.cgi", body);
    }

private slots:
    // One simulator for the class; every test starts from the gateways' first state.
    void init()
    {
        if (!m_sim)
            m_sim = startSimulator();
        const QList<sim::GatewayState> initial = {modbusGateway(), hostlinkGateway(), df1Gateway()};
        for (int i = 0; i < initial.size(); ++i) {
            m_sim->gateway(i).update([&](sim::GatewayState &s) { s = initial[i]; });
            m_sim->gateway(i).clearFaults();
        }
    }
    void cleanupTestCase() { m_sim.reset(); }

    // Each row is a conversation with one gateway: "adm|app REQUEST => REPLY" per line, in order.
    void exchanges_data()
    {
        QTest::addColumn<int>("gateway");
        QTest::addColumn<QByteArray>("steps");

        QTest::newRow("device and network") << 0 << QByteArray(
            "adm GETDEVICE(); => DEVICE(VERSION=2.1.0-TS,MAC=00:1D:7A:00:00:01,ID=1119,);\n"
            "adm GETNET(); => " + MbNetwork + "\n"
            "adm GETADMIN(); => ADMIN(PWD=secret,);\n"
            "adm GETUSER(); => USER(USERNAME=user,);\n");
        QTest::newRow("hostlink device") << 1 << QByteArray(
            "adm GETDEVICE(); => DEVICE(VERSION=2.1.0-TS,MAC=00:1D:7A:00:00:02,ID=1110,);\n");
        QTest::newRow("df1 device without host name") << 2 << QByteArray(
            "adm GETNET(); => NETWORK(NAME=,DHCP=0,IP=127.0.0.4,NETMASK=255.0.0.0,GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,"
            "SNDDNS=0.0.0.0,SNMP=0,MANAGER=0.0.0.0,READS=public,WRITES=private,TRAPS=public,);\n");
        QTest::newRow("users stick") << 0 << QByteArray(
            "adm SETUSER(USERNAME=op,PWD=pw,); => ACK();\n"
            "adm GETUSER(); => USER(USERNAME=op,);\n"
            "adm SETADMIN(PWD=n/eqw,); => ACK();\n"
            "adm GETADMIN(); => ADMIN(PWD=n/eqw,);\n");
        QTest::newRow("setnet waits for reset") << 0 << QByteArray(
            "adm SETNET(PWD=secret,NAME=boiler,IP=10.1.2.3,NETMASK=255.255.0.0,GATEWAY=10.1.0.1,FSTDNS=10.1.0.2,"
            "SNDDNS=10.1.0.3,SNMP=1,MANAGER=10.1.0.9,READS=r,WRITES=w,TRAPS=t,); => ACK();\n"
            "adm GETNET(); => " + MbNetwork + "\n"
            "adm RESET(); => ACK();\n"
            "adm GETNET(); => NETWORK(NAME=boiler,DHCP=0,IP=10.1.2.3,NETMASK=255.255.0.0,GATEWAY=10.1.0.1,"
            "FSTDNS=10.1.0.2,SNDDNS=10.1.0.3,SNMP=1,MANAGER=10.1.0.9,READS=r,WRITES=w,TRAPS=t,);\n"
            "adm RESET(); => ACK();\n"
            "adm GETNET(); => NETWORK(NAME=boiler,DHCP=0,IP=10.1.2.3,NETMASK=255.255.0.0,GATEWAY=10.1.0.1,"
            "FSTDNS=10.1.0.2,SNDDNS=10.1.0.3,SNMP=1,MANAGER=10.1.0.9,READS=r,WRITES=w,TRAPS=t,);\n");
        QTest::newRow("setnet with dhcp keeps the lease") << 0 << QByteArray(
            "adm SETNET(PWD=secret,NAME=,IP=0.0.0.0,NETMASK=0.0.0.0,GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,SNDDNS=0.0.0.0,"
            "SNMP=0,MANAGER=0.0.0.0,READS=,WRITES=,TRAPS=,); => ACK();\n"
            "adm RESET(); => ACK();\n"
            "adm GETNET(); => NETWORK(NAME=,DHCP=1,IP=127.0.0.2,NETMASK=255.0.0.0,GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,"
            "SNDDNS=0.0.0.0,SNMP=0,MANAGER=0.0.0.0,READS=,WRITES=,TRAPS=,);\n");
        QTest::newRow("setnet refuses a wrong password") << 0 << QByteArray(
            "adm SETNET(PWD=SECRET,NAME=x,IP=10.0.0.1,); => NAK(REASON=Invalid Password,);\n"
            "adm SETNET(NAME=x,IP=10.0.0.1,); => NAK(REASON=Invalid Password,);\n"
            "adm RESET(); => ACK();\n"
            "adm GETNET(); => " + MbNetwork + "\n");
        QTest::newRow("setnet refuses a bad address") << 0 << QByteArray(
            "adm SETNET(PWD=secret,IP=10.0.0.256,); => NAK(REASON=Invalid value for IP,);\n");
        QTest::newRow("modbus com") << 0 << QByteArray(
            "adm GETCOM(COM=0,); => COM(COM=0,COMTYPE=0,FORMAT=0,BAUD=9600,PARITY=0,PKTTOUT=4,MSGTOUT=1000,"
            "RETRIES=1,SCANTIME=100,);\n"
            "adm SETCOM(COM=0,COMTYPE=2,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=8,MSGTOUT=500,RETRIES=1,SCANTIME=250,)"
            "; => ACK();\n"
            "adm GETCOM(COM=0,); => COM(COM=0,COMTYPE=2,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=8,MSGTOUT=500,"
            "RETRIES=1,SCANTIME=250,);\n"
            "adm SETCOM(COM=0,COMTYPE=3,); => ACK();\n"
            "adm GETCOM(COM=0,); => COM(COM=0,COMTYPE=3,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=8,MSGTOUT=500,"
            "RETRIES=1,SCANTIME=250,);\n"
            "adm GETCOM(COM=1,); => NAK(REASON=No such COM port,);\n"
            "adm SETCOM(COMTYPE=0,); => NAK(REASON=Missing COM,);\n"
            "adm SETCOM(COM=0,DATABITS=1,); => NAK(REASON=Unknown key DATABITS,);\n"
            "adm SETCOM(COM=0,BAUD=fast,); => NAK(REASON=Invalid value for BAUD,);\n");
        QTest::newRow("hostlink com") << 1 << QByteArray(
            "adm SETCOM(COM=0,COMTYPE=2,BAUD=4800,PARITY=1,MSGTOUT=700,RETRIES=1,SCANTIME=300,); => ACK();\n"
            "adm GETCOM(COM=0,); => COM(COM=0,COMTYPE=2,BAUD=4800,PARITY=1,MSGTOUT=700,RETRIES=1,SCANTIME=300,);\n"
            "adm SETCOM(COM=0,FORMAT=1,); => NAK(REASON=Unknown key FORMAT,);\n");
        QTest::newRow("df1 com") << 2 << QByteArray(
            "adm SETCOM(COM=0,COMTYPE=0,BAUD=38400,DATABITS=1,PARITY=1,MSGTOUT=900,SCANTIME=50,ERRORMTHD=1,); => ACK();\n"
            "adm GETCOM(COM=0,); => COM(COM=0,COMTYPE=0,BAUD=38400,DATABITS=1,PARITY=1,MSGTOUT=900,SCANTIME=50,"
            "ERRORMTHD=1,);\n"
            "adm SETCOM(COM=0,RETRIES=1,); => NAK(REASON=Unknown key RETRIES,);\n");
        QTest::newRow("smtp and recipients") << 0 << QByteArray(
            "adm GETSMTP(); => SMTP(ENABLE=0,SERVER=,TIMEOUT=20,RETRIES=5,RETRYINT=10,FROM=,AUTH=0,USER=,PASS=,);\n"
            "adm SETSMTP(ENABLE=1,SERVER=mail.example.com,TIMEOUT=30,RETRIES=2,RETRYINT=15,FROM=gw@example.com,"
            "AUTH=1,USER=u,PASS=p/cox/sc,); => ACK();\n"
            "adm GETSMTP(); => SMTP(ENABLE=1,SERVER=mail.example.com,TIMEOUT=30,RETRIES=2,RETRYINT=15,"
            "FROM=gw@example.com,AUTH=1,USER=u,PASS=p/cox/sc,);\n"
            "adm GETTOO(TOO=1,); => TOO(TOO=1,EMAIL=b@example.com,);\n"
            "adm SETTOO(TOO=4,EMAIL=x@example.com,); => ACK();\n"
            "adm GETTOO(TOO=4,); => TOO(TOO=4,EMAIL=x@example.com,);\n"
            "adm SETTOO(TOO=0,EMAIL=,); => ACK();\n"
            "adm GETTOO(TOO=0,); => TOO(TOO=0,EMAIL=,);\n"
            "adm SETTOO(TOO=5,EMAIL=y@example.com,); => NAK(REASON=Invalid value for TOO,);\n"
            "adm GETTOO(); => NAK(REASON=Missing TOO,);\n");
        QTest::newRow("modbus tags") << 0 << QByteArray(
            "adm " + MbLevel + " => NAK(REASON=Tag Administration not enabled,);\n"
            "adm DELALLTAG(); => NAK(REASON=Tag Administration not enabled,);\n"
            + addTags({MbLevel, MbTemp}) +
            "adm GETTAGCOUNT(); => TAGCOUNT(COUNT=2,);\n"
            "adm GETTAG(TAG=0,); => " + asTagConfig(MbLevel) + "\n"
            "adm GETTAG(TAG=1,); => " + asTagConfig(MbTemp) + "\n"
            "adm GETTAG(TAG=2,); => NAK(REASON=No such Tag,);\n"
            "adm GETTAG(TAG=x,); => NAK(REASON=Invalid value for TAG,);\n"
            "adm " + MbPump + " => NAK(REASON=Tag Administration not enabled,);\n"
            "adm ENABLETAGADMIN(); => ACK();\n"
            "adm DELALLTAG(); => ACK();\n"
            "adm RESET(); => ACK();\n"
            "adm " + MbPump + " => NAK(REASON=Tag Administration not enabled,);\n"
            "adm GETTAGCOUNT(); => TAGCOUNT(COUNT=0,);\n");
        QTest::newRow("hostlink tags") << 1 << QByteArray(
            addTags({HlOil, HlGuard}) +
            "adm GETTAG(TAG=1,); => " + asTagConfig(HlGuard) + "\n"
            "adm ENABLETAGADMIN(); => ACK();\n"
            "adm " + MbPump + " => NAK(REASON=Unknown key MBFUNC,);\n"
            "adm ADDTAG(NAME=X,TYPE=one,); => NAK(REASON=Invalid value for TYPE,);\n"
            "adm ADDTAG(SOURCE=0,); => NAK(REASON=Missing NAME,);\n"
            "adm ADDTAG(NAME=X,TYPE=3,ALLO=1.5,); => NAK(REASON=Invalid value for ALLO,);\n"
            "adm GETTAGCOUNT(); => TAGCOUNT(COUNT=2,);\n"
            "adm ADDTAG(NAME=Y,TYPE=3,ALLO=1,); => ACK();\n"
            "adm GETTAGCOUNT(); => TAGCOUNT(COUNT=3,);\n");
        QTest::newRow("df1 tags") << 2 << QByteArray(
            addTags({Df1Fan, Df1Recipe}) +
            "adm GETTAG(TAG=0,); => " + asTagConfig(Df1Fan) + "\n"
            "adm ENABLETAGADMIN(); => ACK();\n"
            "adm " + HlOil + " => NAK(REASON=Unknown key UNIT,);\n");
        QTest::newRow("machine") << 0 << QByteArray(
            "adm STOP(); => ACK();\nadm RUN(); => ACK();\nadm STOP(); => ACK();\nadm RESET(); => ACK();\n");
        QTest::newRow("values by kind, modbus") << 0 << QByteArray(
            addTags({MbLevel, MbTemp, MbPump, MbDoor, MbFloatInv}) +
            "app WRITE(TAG=0,VALUE=15,); => ACK();\n"
            "app WRITE(TAG=1,VALUE=1.25000000E1,); => ACK();\n"
            "app WRITE(TAG=2,VALUE=1,); => ACK();\n"
            "app WRITE(TAG=4,VALUE=-3.50000000E-1,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=15,ST1=1,);\n"
            "app READ(TAG1=1,); => VALUES(VAL1=1.25000000E1,ST1=1,);\n"
            "app READ(TAG1=2,); => VALUES(VAL1=1,ST1=1,);\n"
            "app READ(TAG1=4,); => VALUES(VAL1=-3.50000000E-1,ST1=1,);\n"
            "app READ(TAG1=0,TAG2=2,); => VALUES(VAL1=15,ST1=1,VAL2=1,ST2=1,);\n"
            "app READ(TAG1=9,); => VALUES(VAL1=0,ST1=164,);\n"
            "adm STOP(); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=15,ST1=17,);\n");
        QTest::newRow("values by kind, hostlink") << 1 << QByteArray(
            addTags({HlOil, HlGuard}) +
            "app WRITE(TAG=0,VALUE=4.20000000E1,); => ACK();\n"
            "app WRITE(TAG=1,VALUE=1,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=4.20000000E1,ST1=1,);\n"
            "app READ(TAG1=1,); => VALUES(VAL1=1,ST1=1,);\n");
        QTest::newRow("values by kind, df1") << 2 << QByteArray(
            addTags({Df1Fan, Df1Recipe}) +
            "app WRITE(TAG=0,VALUE=1,); => ACK();\n"
            "app WRITE(TAG=1,VALUE=42,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=1,ST1=1,);\n"
            "app READ(TAG1=1,); => VALUES(VAL1=42,ST1=1,);\n");
        QTest::newRow("write refusals") << 0 << QByteArray(
            addTags({MbLevel, MbTemp, MbPump, MbDoor}) +
            "app WRITE(TAG=3,VALUE=1,); => NAK(REASON=Tag is Read Only,);\n"
            "app WRITE(TAG=0,VALUE=101,); => NAK(REASON=Value out of Limits,);\n"
            "app WRITE(TAG=0,VALUE=-1,); => NAK(REASON=Value out of Limits,);\n"
            "app WRITE(TAG=0,VALUE=100,); => ACK();\n"
            "app WRITE(TAG=1,VALUE=1.50000001E2,); => NAK(REASON=Value out of Limits,);\n"
            "app WRITE(TAG=0,VALUE=abc,); => NAK(REASON=Invalid Value,);\n"
            "app WRITE(TAG=1,VALUE=3.5,); => NAK(REASON=Invalid Value,);\n"
            "app WRITE(TAG=4,VALUE=1,); => NAK(REASON=No such Tag,);\n"
            "app WRITE(TAG=0,); => NAK(REASON=Missing VALUE,);\n"
            "app READ(TAG1=0,); => VALUES(VAL1=100,ST1=257,);\n");
        QTest::newRow("alarm: in alarm, acknowledged, normal") << 0 << QByteArray(
            addTags({MbLevel, MbPump}) +
            "app WRITE(TAG=0,VALUE=15,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=15,ST1=1,);\n"
            "app WRITE(TAG=0,VALUE=25,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=25,ST1=257,);\n"
            "app ALARMACK(TAG=0,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=25,ST1=513,);\n"
            "app WRITE(TAG=0,VALUE=5,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=5,ST1=513,);\n"
            "app WRITE(TAG=0,VALUE=10,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=10,ST1=1,);\n"
            "app ALARMACK(TAG=1,); => NAK(REASON=Tag has no Alarm,);\n"
            "app ALARMACK(TAG=7,); => NAK(REASON=No such Tag,);\n");
        QTest::newRow("edge alarm of a digital tag") << 1 << QByteArray(
            addTags({HlGuard}) +
            "app WRITE(TAG=0,VALUE=1,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=1,ST1=1,);\n"
            "app WRITE(TAG=0,VALUE=0,); => ACK();\n"
            "app READ(TAG1=0,); => VALUES(VAL1=0,ST1=257,);\n");
        QTest::newRow("malformed and unknown") << 0 << QByteArray(
            "adm GETNET => NAK(REASON=Malformed Packet,);\n"
            "adm GETNET() => NAK(REASON=Malformed Packet,);\n"
            "adm (X=1,); => NAK(REASON=Malformed Packet,);\n"
            "adm GET NET(); => NAK(REASON=Malformed Packet,);\n"
            "adm SETTOO(TOO,); => NAK(REASON=Malformed Packet,);\n"
            "adm SETTOO(TOO=1,EMAIL=a)b,); => NAK(REASON=Malformed Packet,);\n"
            "adm FOO(); => NAK(REASON=Unknown Command,);\n"
            "adm getnet(); => NAK(REASON=Unknown Command,);\n"
            "adm READ(TAG1=0,); => NAK(REASON=Unknown Command,);\n"
            "app GETNET(); => NAK(REASON=Unknown Command,);\n"
            "app READ(); => NAK(REASON=Missing TAG1,);\n"
            "adm GETNET(X=1); => " + MbNetwork + "\n");
    }

    void exchanges()
    {
        QFETCH(int, gateway);
        QFETCH(QByteArray, steps);
        for (const QByteArray &line : steps.split('\n')) {
            if (line.isEmpty())
                continue;
            const qsizetype arrow = line.indexOf(" => ");
            QVERIFY2(arrow > 4, line.constData());
            const QByteArray script = line.startsWith("app ") ? "apppost.cgi" : "admpost.cgi";
            const QByteArray request = line.mid(4, arrow - 4);
            const HttpResult r = post(m_sim->gateway(gateway).serveAddress(), m_sim->httpPort(), script, request);
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(r.status, 200);
            if (r.body != line.mid(arrow + 4))
                qWarning("request %s", request.constData());
            QCOMPARE(r.body, line.mid(arrow + 4));
        }
    }

    // The state behind the replies is the one tests and the locator see.
    void stateReadBack()
    {
        QCOMPARE(adm(0, "SETADMIN(PWD=other,);").body, QByteArray("ACK();"));
        QCOMPARE(adm(0, "SETNET(PWD=other,NAME=renamed,);").body, QByteArray("ACK();"));
        sim::GatewayState s = m_sim->gateway(0).snapshot();
        QCOMPARE(s.adminPassword, QByteArray("other"));
        QCOMPARE(s.hostName, QByteArray("mb"));
        QVERIFY(s.networkPending);
        QCOMPARE(adm(0, "RESET();").body, QByteArray("ACK();"));
        s = m_sim->gateway(0).snapshot();
        QCOMPARE(s.hostName, QByteArray("renamed"));
        QCOMPARE(s.resets, 1);
        QVERIFY(!s.networkPending);
        // The other gateways did not change.
        QCOMPARE(m_sim->gateway(1).snapshot().adminPassword, QByteArray("secret"));
    }

    void clock()
    {
        const QDateTime set(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(adm(0, "SETTIME(TIME=05032024140709,);").body, QByteArray("ACK();"));
        TPacket reply;
        reply.SetText(adm(0, "GETTIME();").body);
        QVERIFY(reply.IsCommand("TIME"));
        const QDateTime read = reply.GetDateTime("TIME", QDateTime());
        QVERIFY(read.isValid());
        QVERIFY2(qAbs(set.secsTo(read)) <= 2, reply.GetText().constData());
        // Only this gateway's clock moved.
        reply.SetText(adm(1, "GETTIME();").body);
        QVERIFY(qAbs(QDateTime::currentDateTime().secsTo(reply.GetDateTime("TIME", QDateTime()))) <= 2);
        QCOMPARE(adm(0, "SETTIME(TIME=31022024120000,);").body, QByteArray("NAK(REASON=Invalid value for TIME,);"));
    }

    void replyShape()
    {
        const HttpResult r = adm(0, "GETADMIN();");
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.version, QByteArray("HTTP/1.0"));
        QCOMPARE(r.contentType, QByteArray("text/x-zpack"));

        // A client asking to keep the connection open still sees it closed after the reply.
        Poco::Net::StreamSocket socket(Poco::Net::SocketAddress("127.0.0.2", m_sim->httpPort()));
        socket.setReceiveTimeout(Poco::Timespan(3, 0));
        const std::string request = "POST /admpost.cgi HTTP/1.1\r\nHost: 127.0.0.2\r\nConnection: keep-alive\r\n"
                                    "Content-Type: text/x-zpack\r\nContent-Length: 11\r\n\r\nGETADMIN();";
        socket.sendBytes(request.data(), int(request.size()));
        QByteArray all;
        char buffer[1024];
        for (int n; (n = socket.receiveBytes(buffer, sizeof buffer)) > 0;)
            all.append(buffer, n);
        QVERIFY2(all.startsWith("HTTP/1.0 200 OK\r\n"), all.constData());
        QVERIFY(all.endsWith("\r\n\r\nADMIN(PWD=secret,);"));

        QCOMPARE(post("127.0.0.2", m_sim->httpPort(), "index.html", "GETADMIN();").status, 404);
    }

    void everyGatewayOnItsAddress()
    {
        QVERIFY(m_sim->httpPort() != 0);
        for (int i = 0; i < 3; ++i) {
            TPacket reply;
            reply.SetText(adm(i, "GETDEVICE();").body);
            QCOMPARE(reply.GetValue("MAC"), m_sim->gateway(i).mac());
        }
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");      // 0: no reply at all
        QTest::addColumn<QByteArray>("reply");

        const int nak = int(sim::FaultKind::Nak), wrong = int(sim::FaultKind::WrongReply),
                  http = int(sim::FaultKind::HttpError), drop = int(sim::FaultKind::Drop);
        QTest::newRow("nak") << QByteArray("GETNET") << nak << QByteArray("GETNET();") << 200
                             << QByteArray("NAK(REASON=Simulated fault,);");
        QTest::newRow("nak leaves state") << QByteArray("SETADMIN") << nak << QByteArray("SETADMIN(PWD=x,);") << 200
                                          << QByteArray("NAK(REASON=Simulated fault,);");
        QTest::newRow("wrong reply to a get") << QByteArray("GETCOM") << wrong << QByteArray("GETCOM(COM=0,);") << 200
                                              << QByteArray("ACK();");
        QTest::newRow("wrong reply to a set") << QByteArray("SETADMIN") << wrong << QByteArray("SETADMIN(PWD=x,);")
                                              << 200 << QByteArray("BUSY();");
        QTest::newRow("http 500") << QByteArray("GETDEVICE") << http << QByteArray("GETDEVICE();") << 500
                                  << QByteArray();
        QTest::newRow("drop") << QByteArray("GETADMIN") << drop << QByteArray("GETADMIN();") << 0 << QByteArray();
        QTest::newRow("every command") << QByteArray("*") << nak << QByteArray("GETUSER();") << 200
                                       << QByteArray("NAK(REASON=Simulated fault,);");
    }

    void faults()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, kind);
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        m_sim->gateway(0).setFault(command, {sim::FaultKind(kind), 0});
        const HttpResult r = adm(0, request);
        if (status == 0) {
            QVERIFY2(!r.ok, r.body.constData());
        } else {
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(r.status, status);
            if (status == 200)
                QCOMPARE(r.body, reply);
        }
        // A faulty command changes nothing, and the other gateways answer as usual.
        QCOMPARE(m_sim->gateway(0).snapshot().adminPassword, QByteArray("secret"));
        QCOMPARE(post("127.0.0.3", m_sim->httpPort(), "admpost.cgi", request).status, 200);
        m_sim->gateway(0).clearFaults();
        QCOMPARE(adm(0, "GETADMIN();").body, QByteArray("ADMIN(PWD=secret,);"));
    }

    void delayFault()
    {
        m_sim->gateway(1).setFault("GETUSER", {sim::FaultKind::Delay, 400});
        QElapsedTimer timer;
        timer.start();
        HttpResult r = adm(1, "GETUSER();");
        QVERIFY(timer.elapsed() >= 390);
        QCOMPARE(r.body, QByteArray("USER(USERNAME=user,);"));
        // A client that gives up first sees no reply.
        timer.restart();
        r = post("127.0.0.3", m_sim->httpPort(), "admpost.cgi", "GETUSER();", 100);
        QVERIFY(!r.ok);
        QVERIFY(timer.elapsed() < 390);
        // Other commands are not delayed.
        QCOMPARE(adm(1, "GETADMIN();").body, QByteArray("ADMIN(PWD=secret,);"));
    }

    void stopEndsDelays()
    {
        m_sim->gateway(0).setFault("GETUSER", {sim::FaultKind::Delay, 60000});
        (void)post("127.0.0.2", m_sim->httpPort(), "admpost.cgi", "GETUSER();", 100);
        QElapsedTimer timer;
        timer.start();
        m_sim.reset();
        QVERIFY(timer.elapsed() < 5000);
    }

    void tagTableHolds128()
    {
        QCOMPARE(adm(0, "ENABLETAGADMIN();").body, QByteArray("ACK();"));
        for (int i = 0; i < 128; ++i) {
            TPacket add;
            add.NewCommand("ADDTAG");
            add.AddString("NAME", "T" + QByteArray::number(i));
            add.AddInteger("TYPE", 0);
            const HttpResult r = adm(0, add.GetText());
            QVERIFY2(r.body == "ACK();", r.body.constData());
        }
        QCOMPARE(adm(0, "ADDTAG(NAME=T128,TYPE=0,);").body, QByteArray("NAK(REASON=Tag table full,);"));
        QCOMPARE(adm(0, "GETTAGCOUNT();").body, QByteArray("TAGCOUNT(COUNT=128,);"));
        QCOMPARE(adm(0, "GETTAG(TAG=127,);").body, QByteArray("TAGCONFIG(NAME=T127,TYPE=0,);"));
        QCOMPARE(m_sim->gateway(0).snapshot().live.size(), 128);
    }
};

KOVA_TEST(TestSimHttp)
#include "tst_sim_http.moc"
