#include "TestRegistry.h"

#include "Commands.h"
#include "LiveValues.h"
#include "Request.h"
#include "Simulator.h"
#include "TagKeys.h"

#include <QTest>

using namespace sim;

namespace {

GatewayState gatewayWith(int family, const QList<TagSpec> &tags)
{
    GatewayState s;
    s.model = family == Modbus ? "1119" : family == Hostlink ? "1110" : "1117";
    for (const TagSpec &t : tags)
        s.tags.append(tagKeys(family, t));
    syncLive(s);
    s.liveEpochMs = 1000;
    return s;
}

TagSpec numericAlarm(const char *name, double low, double high, bool email)
{
    TagSpec t;
    t.name = name;
    t.type = 0;
    t.alarm = true;
    t.alLo = low;
    t.alHi = high;
    t.email = email;
    return t;
}

QByteArray exchange(GatewayState &s, const QByteArray &request, qint64 now = 1000)
{
    const bool app = request.startsWith("READ") || request.startsWith("WRITE") || request.startsWith("ALARMACK");
    return handleBody(s, app ? Script::App : Script::Admin, request, now);
}

} // namespace

// Live values, alarms and the mailbox, driven with chosen times.
class TestSimLive : public QObject
{
    Q_OBJECT

private slots:
    void valuesMoveAndStayPlausible()
    {
        TagSpec digital;
        digital.name = "RUN";
        digital.type = 8;
        GatewayState s = gatewayWith(Modbus, {numericAlarm("LEVEL", 100, 200, false), digital});
        QSet<double> digitalSeen;
        double low = 1e9, high = -1e9;
        int alarmsStarted = 0;
        int previousAlarm = 0;
        for (qint64 t = 1000; t < 1000 + 120000; t += 500) {
            advanceLive(s, t);
            low = qMin(low, s.live[0].value);
            high = qMax(high, s.live[0].value);
            digitalSeen.insert(s.live[1].value);
            if (s.live[0].alarm == 1 && previousAlarm == 0)
                ++alarmsStarted;
            previousAlarm = s.live[0].alarm;
        }
        // The value swings past its alarm band now and then, not far off it.
        QVERIFY2(low < 100 && low > 50, qPrintable(QString::number(low)));
        QVERIFY2(high > 200 && high < 250, qPrintable(QString::number(high)));
        QVERIFY(alarmsStarted >= 2);
        QCOMPARE(digitalSeen, QSet<double>({0.0, 1.0}));
    }

    void writtenValuesHoldAndStoppedGatewaysFreeze()
    {
        GatewayState s = gatewayWith(Hostlink, {numericAlarm("A", 0, 1000, false), numericAlarm("B", 0, 1000, false)});
        QCOMPARE(exchange(s, "WRITE(TAG=0,VALUE=321,);"), QByteArray("ACK();"));
        advanceLive(s, 1000);
        const double frozen = s.live[1].value;
        QCOMPARE(exchange(s, "STOP();"), QByteArray("ACK();"));
        for (qint64 t = 2000; t < 40000; t += 3000) {
            advanceLive(s, t);
            QCOMPARE(s.live[0].value, 321.0);
            QCOMPARE(s.live[1].value, frozen);
        }
        QCOMPARE(exchange(s, "RUN();"), QByteArray("ACK();"));
        advanceLive(s, 20000);
        QVERIFY(s.live[1].value != frozen);
        QCOMPARE(s.live[0].value, 321.0);
    }

    void alarmsQueueMail_data()
    {
        QTest::addColumn<bool>("email");
        QTest::addColumn<int>("queued");
        QTest::newRow("with e-mail") << true << 1;
        QTest::newRow("without e-mail") << false << 0;
    }

    void alarmsQueueMail()
    {
        QFETCH(bool, email);
        QFETCH(int, queued);
        GatewayState s = gatewayWith(DF1, {numericAlarm("T", 10, 20, email)});
        exchange(s, "WRITE(TAG=0,VALUE=30,);");
        exchange(s, "WRITE(TAG=0,VALUE=40,);"); // still the same alarm
        QCOMPARE(s.mailboxCount, queued);
        exchange(s, "WRITE(TAG=0,VALUE=15,);");
        exchange(s, "WRITE(TAG=0,VALUE=35,);"); // a new alarm
        QCOMPARE(s.mailboxCount, 2 * queued);
    }

    // STATUS: 0 disabled, 1 sending, 2 sent, 3 nothing to send.
    void mailboxMovesThroughItsStates()
    {
        GatewayState s = gatewayWith(Modbus, {numericAlarm("T", 10, 20, true)});
        QCOMPARE(exchange(s, "MAILBOX();", 1000), QByteArray("MAILBOX(COUNT=0,STATUS=0,TOO=1,RETRY=1,ERROR=0,);"));
        exchange(s, "SETSMTP(ENABLE=1,SERVER=smtp.example.com,);");
        exchange(s, "SETTOO(TOO=2,EMAIL=c@example.com,);");
        QCOMPARE(exchange(s, "MAILBOX();", 1100), QByteArray("MAILBOX(COUNT=0,STATUS=3,TOO=1,RETRY=1,ERROR=0,);"));
        exchange(s, "WRITE(TAG=0,VALUE=99,);", 1200);
        QCOMPARE(exchange(s, "MAILBOX();", 1300), QByteArray("MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=1,ERROR=0,);"));
        QCOMPARE(exchange(s, "MAILBOX();", 2000), QByteArray("MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=1,ERROR=0,);"));
        QCOMPARE(exchange(s, "MAILBOX();", 3300), QByteArray("MAILBOX(COUNT=0,STATUS=2,TOO=3,RETRY=1,ERROR=0,);"));
        QCOMPARE(exchange(s, "MAILBOX();", 5300), QByteArray("MAILBOX(COUNT=0,STATUS=3,TOO=3,RETRY=1,ERROR=0,);"));
    }

    void mailboxWithoutServerRetriesThenGivesUp()
    {
        GatewayState s = gatewayWith(Modbus, {numericAlarm("T", 10, 20, true)});
        exchange(s, "SETSMTP(ENABLE=1,SERVER=,RETRIES=2,);");
        exchange(s, "WRITE(TAG=0,VALUE=99,);");
        QCOMPARE(exchange(s, "MAILBOX();", 1000), QByteArray("MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=1,ERROR=0,);"));
        QCOMPARE(exchange(s, "MAILBOX();", 3000), QByteArray("MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=2,ERROR=1,);"));
        QCOMPARE(exchange(s, "MAILBOX();", 5000), QByteArray("MAILBOX(COUNT=0,STATUS=3,TOO=1,RETRY=2,ERROR=1,);"));
    }

    // The value kind follows TYPE and SCALE per family, as a tag download classifies it.
    void valueKinds_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("kind");
        QTest::newRow("modbus long, no scale") << int(Modbus) << 3 << 1 << int(Integer);
        QTest::newRow("modbus long, linear") << int(Modbus) << 3 << 2 << int(Real);
        QTest::newRow("modbus float inverted") << int(Modbus) << 5 << 1 << int(Real);
        QTest::newRow("modbus bcd") << int(Modbus) << 6 << 1 << int(Integer);
        QTest::newRow("modbus word bit") << int(Modbus) << 7 << 1 << int(Digital);
        QTest::newRow("df1 word bit") << int(DF1) << 5 << 1 << int(Digital);
        QTest::newRow("hostlink float") << int(Hostlink) << 3 << 1 << int(Real);
        QTest::newRow("hostlink bcd, linear") << int(Hostlink) << 4 << 2 << int(Real);
        QTest::newRow("type outside the table") << int(DF1) << 9 << 1 << int(Integer);
        QTest::newRow("no scale key: none") << int(Modbus) << 0 << -1 << int(Integer);
    }

    void valueKinds()
    {
        QFETCH(int, family);
        QFETCH(int, type);
        QFETCH(int, scale);
        QFETCH(int, kind);
        Keys tag = {{"TYPE", QByteArray::number(type)}};
        if (scale >= 0)
            tag.append({"SCALE", QByteArray::number(scale)});
        QCOMPARE(int(tagValueKind(family, tag)), kind);
    }

    // Every demo tag is a valid ADDTAG of its gateway's protocol, keys in the order they travel.
    void demoSet()
    {
        const QList<GatewayState> set = Simulator::demoSet("127.0.0.2");
        QCOMPARE(set.size(), 5);
        const QList<QByteArray> models = {"1119", "1110", "1117", "1118", "2041"};
        for (int i = 0; i < set.size(); ++i) {
            QCOMPARE(set[i].ip, "127.0.0." + QByteArray::number(2 + i));
            QCOMPARE(set[i].model, models[i]);
            QCOMPARE(set[i].version.contains("-TS"), i < 3);
        }
        for (int i = 0; i < 3; ++i) {
            GatewayState s = set[i];
            QVERIFY(s.tags.size() >= 12);
            QSet<int> kinds, sources;
            GatewayState fresh = s;
            fresh.tags.clear();
            fresh.live.clear();
            QCOMPARE(exchange(fresh, "ENABLETAGADMIN();"), QByteArray("ACK();"));
            for (const Keys &tag : s.tags) {
                QByteArrayList names;
                for (const auto &kv : tag)
                    names << kv.first;
                QCOMPARE(names, tagKeyNames(s.protocolFamily()));
                QCOMPARE(exchange(fresh, buildPacket("ADDTAG", tag)), QByteArray("ACK();"));
                kinds.insert(tagValueKind(s.protocolFamily(), tag));
                sources.insert(GatewayState::keyValue(tag, "SOURCE").toInt());
            }
            QCOMPARE(kinds.size(), 3);
            QCOMPARE(sources, QSet<int>({0, 1, 2, 3, 4}));
            QCOMPARE(fresh.tags, s.tags);
        }
    }
};

KOVA_TEST(TestSimLive)
#include "tst_sim_live.moc"
