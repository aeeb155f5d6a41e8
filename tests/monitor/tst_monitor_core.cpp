#include "TestRegistry.h"

#include "../device/TestServers.h"
#include "MonitorGateway.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"
#include "monitor/MonitorScan.h"
#include "monitor/TagDownload.h"

#include <QLocale>
#include <QTest>
#include <QTimer>

namespace {

TDeviceData deviceAt(const QByteArray &ip, quint8 family = FamilyModbus)
{
    TDeviceData device;
    device.IPAddress = ip;
    device.ProtocolFamily = family;
    return device;
}

TPacket packet(const QByteArray &text)
{
    TPacket p;
    p.SetText(text);
    return p;
}

} // namespace

// The monitor's rules without a window: value kinds, status words, mailbox texts, value
// texts, the download and the scan cycle against the simulated gateway.
class TestMonitorCore : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void valueKindFromTypeAndScale_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("kind");
        QTest::newRow("Modbus long inverted, scaled") << 0 << 3 << 2 << int(KindReal);
        QTest::newRow("Modbus long inverted, unscaled") << 0 << 3 << 1 << int(KindInteger);
        QTest::newRow("Modbus BCD, scaled") << 0 << 6 << 2 << int(KindReal);
        QTest::newRow("Modbus float inverted") << 0 << 5 << 1 << int(KindReal);
        QTest::newRow("Modbus single bit") << 0 << 8 << 2 << int(KindDigital);
        QTest::newRow("Modbus outside the table") << 0 << 9 << 2 << int(KindInteger);
        QTest::newRow("DF1 word bit") << 2 << 5 << 1 << int(KindDigital);
        QTest::newRow("Hostlink float") << 1 << 3 << 1 << int(KindReal);
        QTest::newRow("Hostlink BCD, unscaled") << 1 << 4 << 1 << int(KindInteger);
        QTest::newRow("DF1 outside the table") << 2 << 7 << 1 << int(KindInteger);
    }
    void valueKindFromTypeAndScale()
    {
        QFETCH(int, family);
        QFETCH(int, type);
        QFETCH(int, scale);
        QFETCH(int, kind);
        QCOMPARE(int(ValueKindFromType(quint8(family), type, scale)), kind);
        QCOMPARE(int(TagKindFromText(TagKindText(quint8(kind)))), kind);
    }

    // A READ reply through the scan: what the fields show, and the colour of the points after it.
    void valueReplies_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<int>("alarmState");
        QTest::newRow("0x0121") << 1 << QByteArray("VALUES(VAL1=12,ST1=289,);") << "12" << "Idle - Timeout" << "IN ALARM" << 1;
        QTest::newRow("0x00A2") << 1 << QByteArray("VALUES(VAL1=-3,ST1=162,);") << "-3" << "Reading - No such Tag name" << "No" << 0;
        QTest::newRow("0x00B2") << 1 << QByteArray("VALUES(VAL1=0,ST1=178,);") << "0" << "Reading" << "No" << 0;
        QTest::newRow("acknowledged") << 0 << QByteArray("VALUES(VAL1=1,ST1=513,);") << "1" << "Idle - OK" << "Acknowledged" << 2;
        QTest::newRow("codes without text") << 0 << QByteArray("VALUES(VAL1=yes,ST1=1800,);") << "1" << " - OK"
                                            << "Unknown" << 7;
        QTest::newRow("real, no keys") << 2 << QByteArray("VALUES();") << "0" << "Unknown - OK" << "No" << 0;
        QTest::newRow("real") << 2 << QByteArray("VALUES(VAL1=1.25000000E-1,ST1=1,);") << "0.125" << "Idle - OK" << "No" << 0;
        // Beyond 16 bits, or not a number: the status word says nothing; the value still counts.
        QTest::newRow("ST1 beyond 16 bits") << 1 << QByteArray("VALUES(VAL1=7,ST1=65536,);") << "7" << "" << "" << 0;
        QTest::newRow("ST1 negative") << 1 << QByteArray("VALUES(VAL1=7,ST1=-1,);") << "7" << "" << "" << 0;
        QTest::newRow("malformed value") << 1 << QByteArray("VALUES(VAL1=7x,ST1=289,);") << "" << "Idle - Timeout" << "IN ALARM" << 1;
        QTest::newRow("another reply") << 1 << QByteArray("NAK(REASON=Busy,);") << "" << "" << "" << 0;
    }
    void valueReplies()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QString, value);
        QFETCH(QString, status);
        QFETCH(QString, alarm);
        QFETCH(int, alarmState);
        ScriptedHttpServer server;
        server.reply(ScriptedHttpServer::ok(reply));
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(server.port());
        TMonitorScan scan(channel);
        scan.SetDevice(deviceAt("127.0.0.1"));
        scan.SetTag(4, "T", quint8(kind));

        const TScanTick tick = scan.Tick();
        QVERIFY(server.requests().constFirst().startsWith("POST /apppost.cgi "));
        QVERIFY(server.requests().constFirst().endsWith("\r\n\r\nREAD(TAG1=4,);"));
        QCOMPARE(tick.Phase, 0);
        QCOMPARE(tick.Reading.Value, value);
        QCOMPARE(tick.Reading.Status, status);
        QCOMPARE(tick.Reading.Alarm, alarm);
        QCOMPARE(tick.Reading.AlarmState, alarmState);
        QCOMPARE(tick.HasPoint, !value.isEmpty());
        // The next ticks (mailbox, commands) plot the same value in the same alarm colour.
        server.reply(ScriptedHttpServer::ok("MAILBOX();"));
        const TScanTick next = scan.Tick();
        QCOMPARE(next.Phase, 1);
        QCOMPARE(next.HasPoint, !value.isEmpty());
        if (next.HasPoint) {
            QCOMPARE(next.PointAlarm, alarmState);
            QCOMPARE(next.PointValue, tick.Reading.Number);
        }
    }

    void mailboxReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("fields"); // queue, status, sending to, retry, error; empty: not a mailbox
        QTest::newRow("sending") << QByteArray("MAILBOX(COUNT=4,STATUS=1,TOO=3,RETRY=2,ERROR=2,);")
                                 << QStringList{"4/128", "Sending mail...", "3", "2", "Timeout while Sending"};
        QTest::newRow("sending, defaults") << QByteArray("MAILBOX(STATUS=1,);")
                                           << QStringList{"0/128", "Sending mail...", "1", "1", "Ok"};
        QTest::newRow("sent") << QByteArray("MAILBOX(COUNT=0,STATUS=2,TOO=3,RETRY=2,ERROR=0,);")
                              << QStringList{"0/128", "Mail sent", "-", "-", "Ok"};
        QTest::newRow("no keys") << QByteArray("MAILBOX();") << QStringList{"0/128", "Mailbox Disabled", "-", "-", "Ok"};
        QTest::newRow("nothing to send, DNS") << QByteArray("MAILBOX(STATUS=3,ERROR=1,);")
                                              << QStringList{"0/128", "No Alarms to send", "-", "-",
                                                             "Could not Resolve SMTP Server (Check DNS)"};
        QTest::newRow("codes without text") << QByteArray("MAILBOX(COUNT=128,STATUS=7,ERROR=5,);")
                                            << QStringList{"128/128", "", "-", "-", ""};
        QTest::newRow("malformed") << QByteArray("MAILBOX(COUNT=x,);") << QStringList{};
        QTest::newRow("another reply") << QByteArray("VALUES(COUNT=1,);") << QStringList{};
    }
    void mailboxReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, fields);
        const std::optional<TMailboxView> view = ReadMailbox(packet(reply));
        QCOMPARE(view.has_value(), !fields.isEmpty());
        if (view)
            QCOMPARE((QStringList{view->Queued, view->Status, view->SendingTo, view->CurrentRetry, view->LastError}), fields);
    }

    // Values as shown and as typed back, in the user's locale.
    void valueTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error"); // empty: converts
        QTest::addColumn<double>("parsed");
        QTest::newRow("integer") << "C" << 1 << "-2147483648" << "" << -2147483648.0;
        QTest::newRow("integer too large") << "C" << 1 << "2147483648" << "'2147483648' is not a valid integer value" << 0.0;
        QTest::newRow("integer empty") << "C" << 1 << "" << "'' is not a valid integer value" << 0.0;
        QTest::newRow("integer with a point") << "C" << 1 << "1.5" << "'1.5' is not a valid integer value" << 0.0;
        QTest::newRow("real") << "C" << 2 << "-0.125" << "" << -0.125;
        QTest::newRow("real, German") << "de_DE" << 2 << "2,5" << "" << 2.5;
        QTest::newRow("real, German, shown without grouping") << "de_DE" << 2 << "1234567,5" << "" << 1234567.5;
        QTest::newRow("real, German, point") << "de_DE" << 2 << "2.500" << "'2.500' is not a valid floating point value" << 0.0;
        QTest::newRow("real, two signs") << "C" << 2 << "--1" << "'--1' is not a valid floating point value" << 0.0;
        QTest::newRow("real, pasted infinity") << "C" << 2 << "inf" << "'inf' is not a valid floating point value" << 0.0;
    }
    void valueTexts()
    {
        QFETCH(QString, locale);
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QFETCH(double, parsed);
        QLocale::setDefault(QLocale(locale));
        try {
            const TWriteValue value = TagValueText::Parse(quint8(kind), typed);
            QVERIFY2(error.isEmpty(), "converted what it should refuse");
            QCOMPARE(kind == KindInteger ? double(value.IntValue) : value.RealValue, parsed);
            // What is shown reads back as the same value.
            QCOMPARE(TagValueText::Parse(quint8(kind), TagValueText::Format(quint8(kind), parsed)), value);
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), error);
        }
    }

    // GETTAGCOUNT, then one GETTAG per tag: stops, failures part-way and the 128 bound.
    void download_data()
    {
        QTest::addColumn<int>("extraTags");
        QTest::addColumn<int>("stopAfter");  // -1: never
        QTest::addColumn<int>("removeAfter"); // the gateway loses its tags after this many; -1: never
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("message");
        QTest::newRow("whole") << 0 << -1 << -1 << true << 5 << "Done.";
        QTest::newRow("stopped after 3 of 10") << 5 << 3 << -1 << true << 3 << "Download Stopped by user.";
        QTest::newRow("failure after 2") << 0 << -1 << 2 << false << 2 << "Error while obtaining Tags.";
        QTest::newRow("no tags") << 0 << -1 << 0 << false << 0 << "No Configured Tags in connected Orvan.";
        QTest::newRow("more than 128") << 125 << -1 << -1 << true << 128
                                       << "Done. The Orvan has 130 Tags; only the first 128 are listed.";
    }
    void download()
    {
        QFETCH(int, extraTags);
        QFETCH(int, stopAfter);
        QFETCH(int, removeAfter);
        QFETCH(bool, ok);
        QFETCH(int, entries);
        QFETCH(QString, message);
        auto simulator = monitortest::start(monitortest::gateway(extraTags));
        auto removeTags = [&] { simulator->gateway(0).update([](sim::GatewayState &s) { s.tags.clear(); }); };
        if (removeAfter == 0)
            removeTags();
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(simulator->httpPort());
        TTagDownload download(channel);
        download.SetDevice(deviceAt("127.0.0.2"));
        int announced = 0;
        QStringList progress;
        TTagDownload::Hooks hooks;
        hooks.started = [&](int count) { announced = count; };
        hooks.stopRequested = [&] { return download.Entries().size() == stopAfter; };
        hooks.fetched = [&](int number, int count, const TTagEntry &entry) {
            progress << TagDownloadText::GettingTag(number, count, entry.Name);
            if (number == removeAfter)
                removeTags();
        };
        const TTagDownload::Result result = download.PoblateTagsList(hooks);
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.message, message);
        QCOMPARE(download.Entries().size(), entries);
        QCOMPARE(announced, entries == 0 ? 0 : qMin(5 + extraTags, 128));
        if (entries >= 5)
            QCOMPARE(download.Entries().mid(0, 5), (QList<TTagEntry>{{"LEVEL", KindInteger}, {"PUMP", KindDigital},
                                                                     {"TEMP", KindReal}, {"SETPOINT", KindInteger},
                                                                     {"COUNT", KindInteger}}));
        if (entries > 0)
            QCOMPARE(progress.constFirst(), QStringLiteral("Getting Tag 1 of %1: LEVEL").arg(announced));
    }

    void tagWithoutNameOrType()
    {
        ScriptedHttpServer server;
        server.reply(ScriptedHttpServer::ok("TAGCONFIG(SCALE=2,);"));
        server.reply(ScriptedHttpServer::ok("TAGCONFIG(NAME=X,TYPE=abc,);"));
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(server.port());
        TTagDownload download(channel);
        download.SetDevice(deviceAt("127.0.0.1"));
        TTagEntry entry;
        QVERIFY(download.GetTagConfig(0, entry));
        QCOMPARE(entry, (TTagEntry{"*", KindReal})); // TYPE 0 by default, scaled
        QVERIFY_THROWS_EXCEPTION(EConvertError, download.GetTagConfig(1, entry));
    }

    // The cycle against the gateway: value, mailbox, then one command per phase 2 - a write and
    // an acknowledge asked together go out in consecutive cycles.
    void scanCycle()
    {
        auto simulator = monitortest::start(monitortest::gateway());
        sim::Gateway &gateway = simulator->gateway(0);
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(simulator->httpPort());
        TMonitorScan scan(channel);
        scan.SetDevice(deviceAt("127.0.0.2"));
        scan.SetTag(0, "LEVEL", KindInteger);
        TWriteValue low;
        low.IntValue = 50; // below the alarm band
        QVERIFY(scan.RequestWrite(low));
        TWriteValue other;
        other.IntValue = 60;
        QVERIFY(!scan.RequestWrite(other)); // one write at a time
        scan.RequestAcknowledge();

        TScanTick tick = scan.Tick();
        QCOMPARE(tick.Phase, 0);
        QVERIFY(tick.Answered);
        QCOMPARE(tick.Reading.Status, QStringLiteral("Idle - OK"));
        QCOMPARE(tick.Reading.Alarm, QStringLiteral("No"));
        tick = scan.Tick();
        QCOMPARE(tick.Phase, 1);
        QCOMPARE(tick.Reading.Mailbox.Status, QStringLiteral("Mailbox Disabled"));
        QCOMPARE(tick.Reading.Mailbox.Queued, QStringLiteral("0/128"));
        tick = scan.Tick();
        QCOMPARE(tick.Phase, 2);
        QCOMPARE(tick.Command, TScanCommand::Write);
        QVERIFY(tick.Error.isEmpty());
        QCOMPARE(gateway.snapshot().live[0].value, 50.0);
        QCOMPARE(gateway.snapshot().live[0].alarm, 1);
        QVERIFY(scan.AcknowledgePending());

        tick = scan.Tick();
        QCOMPARE(tick.Reading.Value, QStringLiteral("50"));
        QCOMPARE(tick.Reading.Alarm, QStringLiteral("IN ALARM"));
        QCOMPARE(tick.PointAlarm, 1);
        scan.Tick();
        tick = scan.Tick();
        QCOMPARE(tick.Command, TScanCommand::Acknowledge);
        QCOMPARE(gateway.snapshot().live[0].alarm, 2);
        tick = scan.Tick();
        QCOMPARE(tick.Reading.Alarm, QStringLiteral("Acknowledged"));
        scan.Tick();
        QCOMPARE(scan.Tick().Command, TScanCommand::None); // nothing left to send

        // Another tag drops what was asked for this one, and what was read of it.
        scan.RequestAcknowledge();
        scan.SetTag(4, "COUNT", KindInteger);
        QVERIFY(!scan.AcknowledgePending());
        QVERIFY(!scan.Reading().HasValue());
        QCOMPARE(scan.Phase(), 0);
    }

    // Play on another tag while a READ waits: its reply is not shown as the new tag's value.
    void replyForAnotherTagIsDropped()
    {
        auto simulator = monitortest::start(monitortest::gateway());
        simulator->gateway(0).setFault("READ", {sim::FaultKind::Delay, 200});
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(simulator->httpPort());
        TMonitorScan scan(channel);
        scan.SetDevice(deviceAt("127.0.0.2"));
        scan.SetTag(0, "LEVEL", KindInteger);
        QTimer::singleShot(50, [&] { scan.SetTag(1, "PUMP", KindDigital); });
        const TScanTick tick = scan.Tick();
        QVERIFY(tick.Answered && tick.Stale);
        QVERIFY(!tick.HasPoint);
        QCOMPARE(tick.Reading, TMonitorReading{});
        QCOMPARE(scan.Phase(), 1);
    }

    void commandFailures_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("error");
        QTest::newRow("write refused") << 3 << true << QByteArray() << "Tag Write Error.\r\nReason: Tag is Read Only";
        QTest::newRow("write, fault") << 3 << true << QByteArray("nak") << "Tag Write Error.\r\nReason: Simulated fault";
        QTest::newRow("write unanswered") << 4 << true << QByteArray("drop")
                                          << "Tag Write Error.\r\nReason: No Response from Device.";
        QTest::newRow("write, other reply") << 4 << true << QByteArray("wrong") << "";
        QTest::newRow("acknowledge refused") << 4 << false << QByteArray() << "Alarm ackwnoledge error.\r\nReason: Tag has no Alarm";
        QTest::newRow("acknowledge unanswered") << 0 << false << QByteArray("http500") << "Alarm acknowledge error.";
    }
    void commandFailures()
    {
        QFETCH(int, tag);
        QFETCH(bool, write);
        QFETCH(QByteArray, fault);
        QFETCH(QString, error);
        auto simulator = monitortest::start(monitortest::gateway());
        const QByteArray command = write ? "WRITE" : "ALARMACK";
        if (fault == "nak")
            simulator->gateway(0).setFault(command, {sim::FaultKind::Nak});
        else if (fault == "drop")
            simulator->gateway(0).setFault(command, {sim::FaultKind::Drop});
        else if (fault == "wrong")
            simulator->gateway(0).setFault(command, {sim::FaultKind::WrongReply});
        else if (fault == "http500")
            simulator->gateway(0).setFault(command, {sim::FaultKind::HttpError});
        THttpChannel channel;
        channel.setReportFailures(false);
        channel.setPort(simulator->httpPort());
        TMonitorScan scan(channel);
        scan.SetDevice(deviceAt("127.0.0.2"));
        scan.SetTag(tag, "T", KindInteger);
        if (write)
            scan.RequestWrite({});
        else
            scan.RequestAcknowledge();
        scan.Tick();
        scan.Tick();
        const TScanTick tick = scan.Tick();
        QCOMPARE(tick.Error, error);
        QCOMPARE(tick.Answered, error.isEmpty());
        QVERIFY(!scan.WritePending() && !scan.AcknowledgePending()); // a failed command is not sent again
    }

    void historyKeepsTheLast25()
    {
        TValueHistory history;
        history.RestartGraphic(KindDigital);
        QCOMPARE(history.Points().size(), 25);
        QCOMPARE(history.Points().constLast(), (TGraphPoint{24, 0, 0}));
        QCOMPARE(history.VerticalRange(), std::make_pair(-0.5, 1.5));
        for (int i = 0; i < 30; ++i)
            history.AddPoint2Graph(i % 3, i);
        QCOMPARE(history.Points().size(), 25);
        QCOMPARE(history.Points().constFirst(), (TGraphPoint{30, 5, 2}));
        QCOMPARE(history.Points().constLast(), (TGraphPoint{54, 29, 2}));
        QCOMPARE(history.PointCounter(), 55);
        history.RestartGraphic(KindReal);
        QCOMPARE(history.PointCounter(), 25);
        QVERIFY(history.VerticalRange().first < 0 && history.VerticalRange().second > 0); // a flat line keeps room
    }
};

KOVA_TEST(TestMonitorCore)
#include "tst_monitor_core.moc"
