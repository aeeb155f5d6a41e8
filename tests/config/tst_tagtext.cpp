#include "TestRegistry.h"

#include "base/ConvertError.h"
#include "config/TagText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

// Text forms of single fields: reals under both decimal separators, limits, addresses.
class TestTagText : public QObject
{
    Q_OBJECT

    QLocale m_savedLocale;

    static QString conversionError(const std::function<void()> &run)
    {
        try {
            run();
        } catch (const EConvertError &e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void init() { m_savedLocale = QLocale(); }
    void cleanup() { QLocale::setDefault(m_savedLocale); }

    void realText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        const QString dot = QStringLiteral("C");
        const QString comma = QStringLiteral("de_DE");
        // 32-bit values widen exactly; the text shows 15 digits of the widened value.
        QTest::newRow("float 0.1") << dot << double(0.1f) << QByteArray("0.100000001490116");
        QTest::newRow("float 0.1, comma") << comma << double(0.1f) << QByteArray("0,100000001490116");
        QTest::newRow("float -2.5") << dot << double(-2.5f) << QByteArray("-2.5");
        QTest::newRow("float 1.5, comma") << comma << double(1.5f) << QByteArray("1,5");
        QTest::newRow("zero") << dot << 0.0 << QByteArray("0");
        QTest::newRow("negative zero") << dot << -0.0 << QByteArray("0");
        QTest::newRow("whole number") << dot << 100.0 << QByteArray("100");
        QTest::newRow("no grouping, comma") << comma << 1234567.0 << QByteArray("1234567");
        QTest::newRow("no grouping, dot") << dot << 1234567.25 << QByteArray("1234567.25");
        QTest::newRow("15 digits before the point") << dot << 999999999999999.0 << QByteArray("999999999999999");
        QTest::newRow("16 digits before the point") << dot << 1e15 << QByteArray("1E15");
        QTest::newRow("rounded to 15 digits") << dot << 123456789012345678.0 << QByteArray("1.23456789012346E17");
        QTest::newRow("rounding carries into the exponent") << dot << 999999999999999.9 << QByteArray("1E15");
        QTest::newRow("smallest fixed") << dot << 0.00001 << QByteArray("0.00001");
        QTest::newRow("fixed with leading zeros") << dot << 0.0000123 << QByteArray("0.0000123");
        QTest::newRow("below 0.00001") << dot << 0.0000099 << QByteArray("9.9E-6");
        QTest::newRow("scientific, comma") << comma << -1.5e-7 << QByteArray("-1,5E-7");
        QTest::newRow("float max") << dot << double(std::numeric_limits<float>::max()) << QByteArray("3.40282346638529E38");
        QTest::newRow("float denormal") << dot << double(std::numeric_limits<float>::denorm_min()) << QByteArray("1.40129846432482E-45");
        QTest::newRow("float 1e10") << dot << double(1e10f) << QByteArray("10000000000");
        QTest::newRow("float 123.456") << dot << double(123.456f) << QByteArray("123.456001281738");
    }

    void realText()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(FormatRealText(value), text);
    }

    void readReal_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<float>("value");
        const QString dot = QStringLiteral("C");
        const QString comma = QStringLiteral("de_DE");
        QTest::newRow("dot") << dot << QByteArray("1.5") << true << 1.5f;
        QTest::newRow("comma") << comma << QByteArray("1,5") << true << 1.5f;
        QTest::newRow("integer") << dot << QByteArray("-40") << true << -40.0f;
        QTest::newRow("scientific") << dot << QByteArray("1.5E-7") << true << 1.5e-7f;
        QTest::newRow("scientific, comma") << comma << QByteArray("-1,5E-7") << true << -1.5e-7f;
        QTest::newRow("float max") << dot << QByteArray("3.40282346638529E38") << true << std::numeric_limits<float>::max();
        QTest::newRow("comma under dot") << dot << QByteArray("1,5") << false << 0.0f;
        QTest::newRow("dot under comma, not grouping") << comma << QByteArray("1.5") << false << 0.0f;
        QTest::newRow("grouped thousands") << comma << QByteArray("1.000,5") << false << 0.0f;
        QTest::newRow("empty") << dot << QByteArray() << false << 0.0f;
        QTest::newRow("letters") << dot << QByteArray("abc") << false << 0.0f;
        QTest::newRow("two points") << dot << QByteArray("1.2.3") << false << 0.0f;
        QTest::newRow("rounds down to float max") << dot << QByteArray("3.40282356E38") << true << std::numeric_limits<float>::max();
        QTest::newRow("rounds up beyond a float") << dot << QByteArray("3.40282357E38") << false << 0.0f;
        QTest::newRow("beyond a float") << dot << QByteArray("-1E39") << false << 0.0f;
    }

    void readReal()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(float, value);
        QLocale::setDefault(QLocale(locale));
        float read = -1;
        QCOMPARE(TryParseReal(text, &read), valid);
        if (valid) {
            QCOMPARE(read, value);
            QCOMPARE(ParseRealText(text), value);
        } else {
            QCOMPARE(conversionError([&] { ParseRealText(text); }),
                     QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromLatin1(text)));
        }
    }

    // Every finite 32-bit value survives its text exactly, under either separator.
    void realRoundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("dot") << QStringLiteral("C");
        QTest::newRow("comma") << QStringLiteral("de_DE");
        QTest::newRow("en_US") << QStringLiteral("en_US");
    }

    void realRoundTrip()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QRandomGenerator random(20240305);
        const QList<float> extremes = {std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                                       std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
                                       0.1f, 1e-5f, 1e15f, 16777217.0f};
        for (int i = 0; i < 20000; ++i) {
            const quint32 bits = random.generate();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            if (i < extremes.size())
                value = extremes.at(i);
            if (!std::isfinite(value) || value == 0)
                continue;
            const QByteArray text = FormatRealText(value);
            float back = 0;
            QVERIFY2(TryParseReal(text, &back), text.constData());
            QVERIFY2(std::memcmp(&back, &value, sizeof value) == 0, text.constData());
        }
    }

    void nonFiniteReals()
    {
        // Not produced by the dialogs, but a gateway's record must not break the list.
        QCOMPARE(FormatRealText(std::numeric_limits<double>::quiet_NaN()), QByteArray("NAN"));
        QCOMPARE(FormatRealText(-std::numeric_limits<double>::infinity()), QByteArray("-INF"));
        QVERIFY(std::isnan(ParseRealText("NAN")));
        QCOMPARE(ParseRealText("-INF"), -std::numeric_limits<float>::infinity());
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint32>("value");
        QTest::newRow("plain") << QByteArray("42") << true << 42;
        QTest::newRow("signed") << QByteArray("-32768") << true << -32768;
        QTest::newRow("plus") << QByteArray("+7") << true << 7;
        QTest::newRow("leading zeros") << QByteArray("00000") << true << 0;
        QTest::newRow("lowest") << QByteArray("-2147483648") << true << std::numeric_limits<qint32>::min();
        QTest::newRow("highest") << QByteArray("2147483647") << true << std::numeric_limits<qint32>::max();
        QTest::newRow("overflow") << QByteArray("2147483648") << false << 0;
        QTest::newRow("real") << QByteArray("1.5") << false << 0;
        QTest::newRow("empty") << QByteArray() << false << 0;
        QTest::newRow("blank") << QByteArray(" 1") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
    }

    void readInteger()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(qint32, value);
        qint32 read = -1;
        QCOMPARE(TryParseInteger(text, &read), valid);
        if (valid)
            QCOMPARE(ParseIntegerText(text), value);
        else
            QCOMPARE(conversionError([&] { ParseIntegerText(text); }),
                     QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    }

    void limits_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<float>("real");
        QTest::addColumn<qint32>("integer");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QByteArray>("text");
        // The record is what a sloppy source might hold; the text shows only what counts.
        QTest::newRow("digital write limit ignores members") << 0 << false << 2.5f << 7 << true << QByteArray("0");
        QTest::newRow("digital alarm set") << 0 << true << 2.5f << 7 << true << QByteArray("1");
        QTest::newRow("digital alarm clear") << 0 << true << 2.5f << 7 << false << QByteArray("0");
        QTest::newRow("integer") << 1 << false << 2.5f << -40000 << true << QByteArray("-40000");
        QTest::newRow("integer alarm") << 1 << true << 0.0f << 65535 << false << QByteArray("65535");
        QTest::newRow("real") << 2 << false << 0.1f << 9 << true << QByteArray("0.100000001490116");
        QTest::newRow("real alarm") << 2 << true << -1.5f << 0 << false << QByteArray("-1.5");
        QTest::newRow("unknown kind as real") << 7 << true << 3.0f << 1 << true << QByteArray("3");
    }

    void limits()
    {
        QFETCH(int, kind);
        QFETCH(bool, alarm);
        QFETCH(float, real);
        QFETCH(qint32, integer);
        QFETCH(bool, flag);
        QFETCH(QByteArray, text);
        QLocale::setDefault(QLocale::c());
        const LimitRole role = alarm ? LimitRole::Alarm : LimitRole::Write;
        QCOMPARE(FormatLimitText(TTagValue{real, integer, flag}, kind, role), text);

        // Read back: only the member of the kind is set, the others are zero.
        TTagValue expected;
        if (kind == 0)
            expected.BoolValue = alarm && flag;
        else if (kind == 1)
            expected.IntValue = integer;
        else
            expected.RealValue = real;
        QCOMPARE(ParseLimitText(text, kind, role), expected);
    }

    void digitalLimitTexts()
    {
        // Only "1" sets an edge flag; digital texts never fail.
        QCOMPARE(ParseLimitText("Yes", 0, LimitRole::Alarm), TTagValue{});
        QCOMPARE(ParseLimitText("x", 0, LimitRole::Write), TTagValue{});
        QCOMPARE(ParseLimitText("1", 0, LimitRole::Write), TTagValue{});
        QCOMPARE(conversionError([] { ParseLimitText("1.5", 1, LimitRole::Write); }),
                 QStringLiteral("'1.5' is not a valid integer value"));
    }

    void modbusAddress_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("table");
        QTest::addColumn<qint32>("address");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("holding 1") << 0 << int(ModbusTable::HoldingRegister) << 1 << QByteArray("40001");
        QTest::newRow("holding 40") << 0 << int(ModbusTable::HoldingRegister) << 40 << QByteArray("40040");
        QTest::newRow("holding 9999") << 0 << int(ModbusTable::HoldingRegister) << 9999 << QByteArray("49999");
        QTest::newRow("holding 10040") << 0 << int(ModbusTable::HoldingRegister) << 10040 << QByteArray("410040");
        QTest::newRow("input register 10000") << 0 << int(ModbusTable::InputRegister) << 10000 << QByteArray("310000");
        QTest::newRow("input register 12345") << 0 << int(ModbusTable::InputRegister) << 12345 << QByteArray("312345");
        QTest::newRow("input status 65536") << 0 << int(ModbusTable::InputStatus) << 65536 << QByteArray("165536");
        QTest::newRow("coil 1") << 0 << int(ModbusTable::CoilStatus) << 1 << QByteArray("00001");
        QTest::newRow("coil 12345") << 0 << int(ModbusTable::CoilStatus) << 12345 << QByteArray("012345");
        QTest::newRow("input tag") << 1 << int(ModbusTable::InputStatus) << 0 << QByteArray("00000");
        QTest::newRow("internal tag") << 3 << int(ModbusTable::InputStatus) << 0 << QByteArray("00000");
        QTest::newRow("ainput tag") << 4 << int(ModbusTable::InputRegister) << 0 << QByteArray("00000");
    }

    void modbusAddress()
    {
        QFETCH(int, source);
        QFETCH(int, table);
        QFETCH(qint32, address);
        QFETCH(QByteArray, text);
        QCOMPARE(FormatModbusAddress(source, table, address), text);
        if (source != 0)
            return;
        quint8 readTable = 99;
        qint32 readAddress = -1;
        ParseModbusAddress(text, readTable, readAddress);
        QCOMPARE(int(readTable), table);
        QCOMPARE(readAddress, address);
    }

    void readModbusAddress_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("table");
        QTest::addColumn<qint32>("address");
        // The table before reading is Input Register (1).
        QTest::newRow("non-serial text") << QByteArray("00000") << int(ModbusTable::CoilStatus) << 0;
        QTest::newRow("four-digit form") << QByteArray("4001") << int(ModbusTable::HoldingRegister) << 1;
        QTest::newRow("input status") << QByteArray("100017") << int(ModbusTable::InputStatus) << 17;
        QTest::newRow("unknown digit keeps the table") << QByteArray("512") << int(ModbusTable::InputRegister) << 12;
        QTest::newRow("unknown letter keeps the table") << QByteArray("?0001") << int(ModbusTable::InputRegister) << 1;
    }

    void readModbusAddress()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, table);
        QFETCH(qint32, address);
        quint8 readTable = ModbusTable::InputRegister;
        qint32 readAddress = -1;
        ParseModbusAddress(text, readTable, readAddress);
        QCOMPARE(int(readTable), table);
        QCOMPARE(readAddress, address);
    }

    void malformedModbusAddress()
    {
        quint8 table = ModbusTable::InputRegister;
        qint32 address = 77;
        QCOMPARE(conversionError([&] { ParseModbusAddress("4x001", table, address); }),
                 QStringLiteral("'x001' is not a valid integer value"));
        QCOMPARE(conversionError([&] { ParseModbusAddress("", table, address); }),
                 QStringLiteral("'' is not a valid integer value"));
        // A failed read changes nothing.
        QCOMPARE(int(table), int(ModbusTable::InputRegister));
        QCOMPARE(address, 77);
    }

    void locationNumbers()
    {
        QCOMPARE(FormatLocationNumber(TagSource::Serial, 0), QByteArray("0"));
        QCOMPARE(FormatLocationNumber(TagSource::Serial, 1234), QByteArray("1234"));
        QCOMPARE(FormatLocationNumber(TagSource::Output, 1234), QByteArray("00000"));
        QCOMPARE(FormatLocationNumber(TagSource::AInput, 0), QByteArray("00000"));
    }
};

KOVA_TEST(TestTagText)
#include "tst_tagtext.moc"
