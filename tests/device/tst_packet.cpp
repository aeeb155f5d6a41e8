#include "TestRegistry.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <ctime>

// What a value reads back as, worked out independently of the codec: the written text
// has the five characters escaped; on reading, "/" takes three characters and yields a
// character only when they are one of the escapes.
static QByteArray readBackModel(const QByteArray &value)
{
    static const QList<QPair<char, QByteArray>> table = {
        {'(', "/sp"}, {')', "/ep"}, {',', "/co"}, {';', "/sc"}, {'=', "/eq"}};
    QByteArray written;
    for (char c : value) {
        QByteArray piece(1, c);
        for (const auto &entry : table)
            if (entry.first == c)
                piece = entry.second;
        written += piece;
    }
    QByteArray read;
    for (qsizetype i = 0; i < written.size();) {
        if (written[i] != '/') {
            read += written[i++];
            continue;
        }
        const QByteArray three = written.mid(i, 3);
        for (const auto &entry : table)
            if (entry.second == three)
                read += entry.first;
        i += 3;
    }
    return read;
}

class TestPacket : public QObject
{
    Q_OBJECT

private slots:
    void workedExample()
    {
        TPacket p;
        p.NewCommand("demo");
        QCOMPARE(p.GetText(), QByteArray("DEMO();"));
        p.AddString("name", "a,b");
        QCOMPARE(p.GetText(), QByteArray("DEMO(NAME=a/cob,);"));
        p.AddInteger("count", -5);
        QCOMPARE(p.GetText(), QByteArray("DEMO(NAME=a/cob,COUNT=-5,);"));
        p.AddBoolean("on", true);
        QCOMPARE(p.GetText(), QByteArray("DEMO(NAME=a/cob,COUNT=-5,ON=1,);"));
        p.AddFloat("level", 3.14);
        QCOMPARE(p.GetText(), QByteArray("DEMO(NAME=a/cob,COUNT=-5,ON=1,LEVEL=3.14000000E0,);"));
        p.AddDateTime("when", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(p.GetText(), QByteArray("DEMO(NAME=a/cob,COUNT=-5,ON=1,LEVEL=3.14000000E0,WHEN=05032024140709,);"));

        QCOMPARE(p.GetValue("name"), QByteArray("a,b"));
        QCOMPARE(p.GetInteger("count", 0), -5);
        QCOMPARE(p.GetBoolean("on", false), true);
        QCOMPARE(p.GetFloat("level", 0), 3.14);
        QCOMPARE(p.GetDateTime("when", {}), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(p.GetValue("ame"), QByteArray());
        QCOMPARE(p.GetValue("other"), QByteArray());
        QCOMPARE(p.GetString("other", "x"), QByteArray("x"));
        QCOMPARE(p.GetCommand(), QByteArray("DEMO"));
        QVERIFY(p.IsCommand("demo"));
    }

    void listExample()
    {
        QByteArray list = NewList("config");
        QCOMPARE(list, QByteArray("CONFIG()"));
        list = AddListItem("a", list);
        QCOMPARE(list, QByteArray("CONFIG(a)"));
        list = AddListItem("b", list);
        QCOMPARE(list, QByteArray("CONFIG(a,b)"));
        QCOMPARE(GetListItem(list, 2), QByteArray("b"));
        QCOMPARE(GetListItem(list, 3), QByteArray());
        QVERIFY(ListHasItems(list, 2));
        QVERIFY(!ListHasItems(list, 3));
    }

    void listItems_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("item");
        QTest::newRow("empty list") << QByteArray("X()") << 1 << QByteArray();
        QTest::newRow("empty list, index 2") << QByteArray("X()") << 2 << QByteArray();
        QTest::newRow("single item") << QByteArray("X(a)") << 1 << QByteArray("a");
        QTest::newRow("single item, index 2") << QByteArray("X(a)") << 2 << QByteArray();
        QTest::newRow("no bracket") << QByteArray("Xa,b") << 1 << QByteArray();
        QTest::newRow("first") << QByteArray("NTM(1119,2.1-TS,00:11,1.2.3.4)") << 1 << QByteArray("1119");
        QTest::newRow("last") << QByteArray("NTM(1119,2.1-TS,00:11,1.2.3.4)") << 4 << QByteArray("1.2.3.4");
        QTest::newRow("empty first item") << QByteArray("CONFIG(,MAC,1.2.3.4)") << 1 << QByteArray();
        QTest::newRow("after empty first") << QByteArray("CONFIG(,MAC,1.2.3.4)") << 2 << QByteArray("MAC");
        QTest::newRow("past the end") << QByteArray("NTM(a,b,c)") << 7 << QByteArray();
        QTest::newRow("index 0") << QByteArray("NTM(a,b,c)") << 0 << QByteArray();
    }

    void listItems()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, index);
        QFETCH(QByteArray, item);
        QCOMPARE(GetListItem(list, index), item);
    }

    void listHasItems_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("has");
        QTest::newRow("empty") << QByteArray("X()") << 1 << false;
        QTest::newRow("one of one") << QByteArray("X(a)") << 1 << true;
        QTest::newRow("two of one") << QByteArray("X(a)") << 2 << false;
        QTest::newRow("7 of 7") << QByteArray("NTM(1,2,3,4,5,6,7)") << 7 << true;
        QTest::newRow("8 of 7") << QByteArray("NTM(1,2,3,4,5,6,7)") << 8 << false;
        QTest::newRow("8 of 8") << QByteArray("NTM(1,2,3,4,5,6,7,h)") << 8 << true;
    }

    void listHasItems()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, count);
        QFETCH(bool, has);
        QCOMPARE(ListHasItems(list, count), has);
    }

    void listStartsWith()
    {
        QVERIFY(ListStartsWith("ntm", "NTM(a)"));
        QVERIFY(!ListStartsWith("ntm", "ntm(a)"));
        QVERIFY(!ListStartsWith("ack", "NAK(a)"));
    }

    void addEmptyItemToEmptyList()
    {
        QCOMPARE(AddListItem("", NewList("config")), QByteArray("CONFIG()"));
        QCOMPARE(AddListItem(",MAC", NewList("config")), QByteArray("CONFIG(,MAC)"));
    }

    void newCommandDiscards()
    {
        TPacket p;
        p.NewCommand("a");
        p.AddString("k", "v");
        p.NewCommand("getnet");
        QCOMPARE(p.GetText(), QByteArray("GETNET();"));
    }

    void addParamWithoutCommandDoesNothing()
    {
        TPacket p;
        p.AddString("k", "v");
        QCOMPARE(p.GetText(), QByteArray());
        p.SetText("ACK(A=1,)");
        p.AddString("k", "v");
        QCOMPARE(p.GetText(), QByteArray("ACK(A=1,)"));
    }

    void upperCaseTouchesAsciiOnly()
    {
        TPacket p;
        p.NewCommand(QByteArray("cmd\xe9"));
        p.AddString(QByteArray("k\xe9y"), "v");
        QCOMPARE(p.GetText(), QByteArray("CMD\xe9(K\xe9Y=v,);"));
        QCOMPARE(p.GetValue(QByteArray("K\xe9y")), QByteArray("v"));
    }

    void values_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("slash not escaped") << QByteArray("X(V=x/y,);") << QByteArray("V") << QByteArray("x");
        QTest::newRow("escape after text") << QByteArray("X(V=50/cop,);") << QByteArray("V") << QByteArray("50,p");
        QTest::newRow("key inside key") << QByteArray("SETUSER(USERNAME=u,);") << QByteArray("NAME") << QByteArray();
        QTest::newRow("key at start never") << QByteArray("NAME=u,") << QByteArray("NAME") << QByteArray();
        QTest::newRow("second occurrence") << QByteArray("X(USERNAME=u,NAME=n,);") << QByteArray("name") << QByteArray("n");
        QTest::newRow("no trailing comma") << QByteArray("X(A=1") << QByteArray("A") << QByteArray("1");
        QTest::newRow("empty value") << QByteArray("X(A=,);") << QByteArray("A") << QByteArray();
        QTest::newRow("trailing slash") << QByteArray("X(A=ab/") << QByteArray("A") << QByteArray("ab");
        QTest::newRow("all escapes") << QByteArray("X(A=/sp/ep/co/sc/eq,);") << QByteArray("A") << QByteArray("(),;=");
    }

    void values()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        TPacket p;
        p.SetText(text);
        QCOMPARE(p.GetValue(key), value);
    }

    void emptyValueGivesDefaults()
    {
        TPacket p;
        p.SetText("X(A=,);");
        QCOMPARE(p.GetString("A", "d"), QByteArray("d"));
        QCOMPARE(p.GetInteger("A", 7), 7);
        QCOMPARE(p.GetBoolean("A", true), true);
        QCOMPARE(p.GetFloat("A", 1.5), 1.5);
    }

    void booleans_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("expected");
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("yes") << QByteArray("yes") << true;
        QTest::newRow("00") << QByteArray("00") << true;
        QTest::newRow("0") << QByteArray("0") << false;
    }

    void booleans()
    {
        QFETCH(QByteArray, raw);
        QFETCH(bool, expected);
        TPacket p;
        p.SetText("X(B=" + raw + ",);");
        QCOMPARE(p.GetBoolean("B", !expected), expected);
    }

    void integers_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero") << QByteArray("0") << true << 0;
        QTest::newRow("negative") << QByteArray("-5") << true << -5;
        QTest::newRow("plus") << QByteArray("+12") << true << 12;
        QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483648LL);
        QTest::newRow("above 32 bits") << QByteArray("2147483648") << false << 0;
        QTest::newRow("below 32 bits") << QByteArray("-2147483649") << false << 0;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << false << 0;
        QTest::newRow("letters") << QByteArray("12a") << false << 0;
        QTest::newRow("real") << QByteArray("1.5") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("space") << QByteArray(" 1") << false << 0;
    }

    void integers()
    {
        QFETCH(QByteArray, raw);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        TPacket p;
        p.SetText("X(N=" + raw + ",);");
        if (valid) {
            QCOMPARE(p.GetInteger("N", 99), expected);
        } else {
            try {
                p.GetInteger("N", 99);
                QFAIL("no conversion error");
            } catch (const EConvertError &e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(raw)));
            }
        }
    }

    void integersWritten_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("zero") << 0 << QByteArray("0");
        QTest::newRow("negative") << -42 << QByteArray("-42");
        QTest::newRow("min") << int(-2147483648LL) << QByteArray("-2147483648");
        QTest::newRow("max") << 2147483647 << QByteArray("2147483647");
    }

    void integersWritten()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, text);
        TPacket p;
        p.NewCommand("x");
        p.AddInteger("n", value);
        QCOMPARE(p.GetText(), "X(N=" + text + ",);");
    }

    void floatsWritten_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("3.14") << 3.14 << QByteArray("3.14000000E0");
        QTest::newRow("1234567.891") << 1234567.891 << QByteArray("1.23456789E6");
        QTest::newRow("-0.00125") << -0.00125 << QByteArray("-1.25000000E-3");
        QTest::newRow("zero") << 0.0 << QByteArray("0.00000000E0");
        QTest::newRow("negative zero") << -0.0 << QByteArray("0.00000000E0");
        QTest::newRow("carry into exponent") << 9.9999999999 << QByteArray("1.00000000E1");
        QTest::newRow("large exponent") << 1.5e300 << QByteArray("1.50000000E300");
        QTest::newRow("tiny") << 2.5e-310 << QByteArray("2.50000000E-310");
        QTest::newRow("32-bit 0.1") << double(0.1f) << QByteArray("1.00000001E-1");
    }

    void floatsWritten()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(ZPack::formatFloat(value), text);
    }

    void floatsUseFullStopInAnyLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const char *previous = setlocale(LC_NUMERIC, nullptr);
        const std::string keep = previous ? previous : "C";
        setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; the default locale still matters
        TPacket p;
        p.NewCommand("x");
        p.AddFloat("v", 3.14);
        setlocale(LC_NUMERIC, keep.c_str());
        QLocale::setDefault(saved);
        QCOMPARE(p.GetText(), QByteArray("X(V=3.14000000E0,);"));
        QCOMPARE(p.GetFloat("V", 0), 3.14);
    }

    void floatsRead_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<double>("expected");
        QTest::newRow("negative exponent") << QByteArray("2.5E-2") << 0.025;
        QTest::newRow("plus and zeros") << QByteArray("2.5E+002") << 250.0;
        QTest::newRow("no exponent") << QByteArray("2.5") << -1.0;
        QTest::newRow("lower-case e") << QByteArray("2.5e2") << -1.0;
        QTest::newRow("integer mantissa") << QByteArray("3E2") << 300.0;
        QTest::newRow("zero") << QByteArray("0.00000000E0") << 0.0;
    }

    void floatsRead()
    {
        QFETCH(QByteArray, raw);
        QFETCH(double, expected);
        TPacket p;
        p.SetText("X(V=" + raw + ",);");
        QCOMPARE(p.GetFloat("V", -1.0), expected);
    }

    void floatsMalformed_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("bad mantissa") << QByteArray("x.5E2");
        QTest::newRow("bad exponent") << QByteArray("2.5Ex");
        QTest::newRow("empty exponent") << QByteArray("2.5E");
        QTest::newRow("empty mantissa") << QByteArray("E5");
        QTest::newRow("comma mantissa") << QByteArray("2,5E1");
    }

    void floatsMalformed()
    {
        QFETCH(QByteArray, raw);
        QVERIFY_THROWS_EXCEPTION(EConvertError, ZPack::parseFloat(raw, 0));
    }

    void nonFiniteFloatsReadBackAsFailure()
    {
        for (double v : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
            TPacket p;
            p.NewCommand("x");
            p.AddFloat("v", v);
            QVERIFY_THROWS_EXCEPTION(EConvertError, p.GetFloat("V", 0));
        }
    }

    void randomFloatsRoundTrip()
    {
        auto *random = QRandomGenerator::global();
        for (int i = 0; i < 5000; ++i) {
            const double mantissa = random->generateDouble() * 20 - 10;
            const int exponent = random->bounded(-30, 31);
            const double value = mantissa * std::pow(10.0, exponent);
            TPacket p;
            p.NewCommand("x");
            p.AddFloat("v", value);
            const double back = p.GetFloat("V", 0);
            if (value == 0) {
                QCOMPARE(back, 0.0);
                continue;
            }
            const double relative = std::fabs(back - value) / std::fabs(value);
            QVERIFY2(relative <= 5e-9, qPrintable(QString::number(value, 'g', 17)));
        }
    }

    void dateTimes_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime fallback(QDate(2000, 1, 1), QTime(0, 0));
        QTest::newRow("valid") << QByteArray("05032024140709") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
        QTest::newRow("31 February") << QByteArray("31022024120000") << fallback;
        QTest::newRow("13 digits") << QByteArray("0503202414070") << fallback;
        QTest::newRow("15 digits") << QByteArray("050320241407090") << fallback;
        QTest::newRow("month 13") << QByteArray("01132024120000") << fallback;
        QTest::newRow("hour 24") << QByteArray("01012024240000") << fallback;
        QTest::newRow("letter") << QByteArray("0503202414070a") << fallback;
        QTest::newRow("leap day") << QByteArray("29022024000000") << QDateTime(QDate(2024, 2, 29), QTime(0, 0));
        // Berlin's clocks jump from 02:00 to 03:00 that night: the time exists on no clock.
        QTest::newRow("hour skipped by daylight saving") << QByteArray("31032024023000") << fallback;
        QTest::newRow("hour after the jump") << QByteArray("31032024033000") << QDateTime(QDate(2024, 3, 31), QTime(3, 30));
    }

    void dateTimes()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QDateTime, expected);
        // Local time in a fixed zone with daylight saving, whatever the machine's.
        const QByteArray zone = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto restore = qScopeGuard([&] {
            hadZone ? qputenv("TZ", zone) : qunsetenv("TZ");
            tzset();
        });
        TPacket p;
        p.SetText("X(T=" + raw + ",);");
        QCOMPARE(p.GetDateTime("T", QDateTime(QDate(2000, 1, 1), QTime(0, 0))), expected);
    }

    void commands()
    {
        TPacket p;
        p.SetText("ACK();");
        QVERIFY(p.IsCommand("ack"));
        p.SetText("ack();");
        QVERIFY(!p.IsCommand("ack"));
        p.SetText("NOBRACKET");
        QCOMPARE(p.GetCommand(), QByteArray());
        p.SetText("\r\nACK();");
        QVERIFY(!p.IsCommand("ACK"));
    }

    // Values made of the special characters, "/" and ordinary bytes: without "/" they
    // round-trip exactly; with "/" they read back as the unescaping rule says.
    void randomStringsRoundTrip()
    {
        const QByteArray alphabet = QByteArray("(),;=/") + "abcXYZ019 \xe9\x01";
        auto *random = QRandomGenerator::global();
        for (int i = 0; i < 5000; ++i) {
            QByteArray value;
            const int length = random->bounded(0, 16);
            for (int j = 0; j < length; ++j)
                value.append(alphabet.at(random->bounded(alphabet.size())));
            TPacket p;
            p.NewCommand("x");
            p.AddString("v", value);
            p.AddString("w", "after");
            const QByteArray back = p.GetValue("V");
            const QByteArray expected = value.contains('/') ? readBackModel(value) : value;
            QCOMPARE(back, expected);
            if (!value.contains('/'))
                QCOMPARE(p.GetValue("W"), QByteArray("after"));
        }
    }

    void slashSwallowsTwoCharacters()
    {
        QCOMPARE(ZPack::unescape(ZPack::escape("a/bcd")), QByteArray("ad"));
        QCOMPARE(ZPack::unescape(ZPack::escape("x/y")), QByteArray("x"));
    }
};

KOVA_TEST(TestPacket)
#include "tst_packet.moc"
