#include "TestRegistry.h"

#include "FileSizeLimit.h"

#include "monitor/MonitorLog.h"
#include "monitor/MonitorScan.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

namespace {

const QByteArray Header = "Time,Tag,Value,Status,Alarm\r\n";

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TScanTick readTick(const QByteArray &tag, double number, const QString &status = QStringLiteral("Idle - OK"))
{
    TScanTick tick;
    tick.Time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 250), QTimeZone::utc());
    tick.TagName = tag;
    tick.ValueKind = KindInteger;
    tick.Answered = true;
    tick.Reading.Number = number;
    tick.Reading.Value = QString::number(number);
    tick.Reading.Status = status;
    tick.Reading.Alarm = QStringLiteral("No");
    return tick;
}

} // namespace

// The monitor's CSV recording: the bytes of each row, that each row is on disk as soon as it
// is written, and what a file that cannot be opened or a full disk leave behind.
class TestMonitorLog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void rowsAsWritten_data()
    {
        QTest::addColumn<TScanTick>("tick");
        QTest::addColumn<QByteArray>("row"); // empty: the tick writes nothing
        const TScanTick level = readTick("LEVEL", 500);
        QTest::newRow("integer, UTC") << level << QByteArray("2024-03-05T14:07:09Z,LEVEL,500,Idle - OK,No\r\n");

        TScanTick real = readTick("TEMP", 1234.5, QStringLiteral("Reading - Comm Error"));
        real.Time = QDateTime(QDate(2024, 10, 27), QTime(2, 30), QTimeZone(7200));
        real.ValueKind = KindReal;
        real.Reading.Alarm = QStringLiteral("IN ALARM");
        QTest::newRow("real, German user, summer time")
            << real << QByteArray("2024-10-27T02:30:00+02:00,TEMP,1234.5,Reading - Comm Error,IN ALARM\r\n");
        real.Reading.Number = -1.5e-20;
        real.Time = real.Time.toOffsetFromUtc(3600);
        QTest::newRow("tiny real, winter time")
            << real << QByteArray("2024-10-27T01:30:00+01:00,TEMP,-1.5e-20,Reading - Comm Error,IN ALARM\r\n");

        TScanTick digital = readTick("PUMP", 1);
        digital.ValueKind = KindDigital;
        QTest::newRow("digital") << digital << QByteArray("2024-03-05T14:07:09Z,PUMP,1,Idle - OK,No\r\n");

        QTest::newRow("comma and quotes in the name")
            << readTick("A,\"B\"", 1) << QByteArray("2024-03-05T14:07:09Z,\"A,\"\"B\"\"\",1,Idle - OK,No\r\n");
        QTest::newRow("line break in the name")
            << readTick("A\r\nB", 1) << QByteArray("2024-03-05T14:07:09Z,\"A\r\nB\",1,Idle - OK,No\r\n");
        QTest::newRow("Latin-1 name as UTF-8")
            << readTick("D\xC9" "BIT", 1) << QByteArray("2024-03-05T14:07:09Z,D\xC3\x89" "BIT,1,Idle - OK,No\r\n");

        TScanTick unanswered = level;
        unanswered.Answered = false;
        QTest::newRow("no reply") << unanswered << QByteArray("2024-03-05T14:07:09Z,LEVEL,,No valid reply,\r\n");
        TScanTick nothingRead = level;
        nothingRead.Reading.Value.clear(); // a malformed first value
        QTest::newRow("status without a value") << nothingRead << QByteArray("2024-03-05T14:07:09Z,LEVEL,,Idle - OK,No\r\n");

        TScanTick mailbox = level;
        mailbox.Phase = 1;
        QTest::newRow("mailbox tick") << mailbox << QByteArray();
        TScanTick command = level;
        command.Phase = 2;
        QTest::newRow("command tick") << command << QByteArray();
        TScanTick stale = level;
        stale.Stale = true;
        QTest::newRow("reply for the tag before") << stale << QByteArray();
    }
    void rowsAsWritten()
    {
        QFETCH(TScanTick, tick);
        QFETCH(QByteArray, row);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("level.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older recording, longer than the new one, replaced as the picker asked\r\n");
        old.close();

        TMonitorLog log;
        QVERIFY2(log.Open(path), qPrintable(log.ErrorString()));
        QCOMPARE(contents(path), Header);
        QVERIFY(log.Write(tick));
        // Read while the log is still open: the row must already be with the system.
        QCOMPARE(contents(path), Header + row);
        QVERIFY(log.Write(readTick("NEXT", 2)));
        QCOMPARE(contents(path), Header + row + "2024-03-05T14:07:09Z,NEXT,2,Idle - OK,No\r\n");
        QVERIFY(log.IsOpen());
        log.Close();
        QVERIFY(!log.IsOpen());
    }

    void failures_data()
    {
        QTest::addColumn<QString>("name");   // in a fresh folder; absolute paths as they stand
        QTest::addColumn<int>("limit");      // bytes the file may grow to; 0: no limit
        QTest::addColumn<QByteArray>("kept"); // what the file holds afterwards; null: not a file to read
        QTest::addColumn<QString>("message");
        QTest::newRow("missing folder") << "none/log.csv" << 0 << QByteArray("(unreadable)")
                                        << "Cannot record to file \"%1\".\r\nReason: No such file or directory";
        QTest::newRow("a folder") << "." << 0 << QByteArray()
                                  << "Cannot record to file \"%1\".\r\nReason: Is a directory";
        QTest::newRow("disk full at the header") << "/dev/full" << 0 << QByteArray()
                                                 << "Cannot record to file \"%1\".\r\nReason: No space left on device";
        // The second row fits only in part: the part is taken back, the rows before it stay.
        QTest::newRow("disk full at a row") << "log.csv" << 80 << Header + "2024-03-05T14:07:09Z,LEVEL,500,Idle - OK,No\r\n"
                                            << "Recording to file \"%1\" stopped.\r\nReason: File too large";
    }
    void failures()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        QFETCH(QByteArray, kept);
        QFETCH(QString, message);
        if (name.startsWith('/') && !QFile::exists(name))
            QSKIP("no /dev/full here");
        QTemporaryDir dir;
        const QString path = QDir::cleanPath(name.startsWith('/') ? name : dir.filePath(name));
        TMonitorLog log;
        bool written = log.Open(path);
        if (written) {
            QVERIFY(log.Write(readTick("LEVEL", 500)));
            FileSizeLimit full(limit);
            written = log.Write(readTick("LEVEL", 501));
        }
        QVERIFY(!written);
        QCOMPARE(log.ErrorString(), message.arg(path));
        QVERIFY(!log.IsOpen());
        if (!kept.isNull())
            QCOMPARE(contents(path), kept);
    }
};

KOVA_TEST(TestMonitorLog)
#include "tst_monitor_log.moc"
