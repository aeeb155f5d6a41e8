#include "TestRegistry.h"

#include "base/ConvertError.h"
#include "config/TagRows.h"
#include "config/TagRules.h"
#include "config/TagText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>

Q_DECLARE_METATYPE(TagProtocol)
Q_DECLARE_METATYPE(TModbusTagConfig)

namespace {

QByteArray joined(const QList<QByteArray> &texts)
{
    return texts.join('|');
}

// Tags as a tag dialog would build them, with random choices everywhere the user has one.
class TagMaker
{
public:
    explicit TagMaker(quint32 seed) : m_random(seed) {}

    TModbusTagConfig modbus()
    {
        TModbusTagConfig tag;
        tag.Source = quint8(m_random.bounded(5));
        if (tag.Source == TagSource::Serial) {
            tag.TagName = name();
            tag.UnitID = m_random.bounded(1, 256);
            tag.ModbusFunction = quint8(m_random.bounded(4));
            const bool bits = tag.ModbusFunction == ModbusTable::InputStatus || tag.ModbusFunction == ModbusTable::CoilStatus;
            tag.TagType = bits ? ModbusType::SingleBit : quint8(m_random.bounded(8));
            tag.Address = m_random.bounded(1, 65537);
            tag.BitPosition = tag.TagType == ModbusType::WordBit ? m_random.bounded(16) : 0;
            const bool may32 = tag.TagType == ModbusType::Long || tag.TagType == ModbusType::Float || tag.TagType == ModbusType::WordBit;
            tag.Register32 = may32 && coin();
        } else {
            tag.TagName = tag.Source == TagSource::Internal ? internalName(true) : name();
            tag.BitPosition = m_random.bounded(8);
            SetFixedLocation(tag);
        }
        valueSide(tag);
        if (tag.AlarmEnable)
            tag.SendTrap = coin();
        return tag;
    }

    THostlinkTagConfig hostlink()
    {
        THostlinkTagConfig tag;
        tag.Source = quint8(m_random.bounded(5));
        if (tag.Source == TagSource::Serial) {
            tag.TagName = name();
            tag.UnitID = m_random.bounded(100);
            tag.HostlinkFunction = quint8(m_random.bounded(6));
            tag.Address = m_random.bounded(10000);
            tag.TagType = quint8(m_random.bounded(6));
            tag.BitPosition = tag.TagType == HostlinkDF1Type::WordBit ? m_random.bounded(16) : 0;
        } else {
            tag.TagName = tag.Source == TagSource::Internal ? internalName(false) : name();
            tag.BitPosition = m_random.bounded(8);
            SetFixedLocation(tag);
        }
        valueSide(tag);
        return tag;
    }

    TDF1TagConfig df1()
    {
        TDF1TagConfig tag;
        tag.Source = quint8(m_random.bounded(5));
        if (tag.Source == TagSource::Serial) {
            tag.TagName = name();
            tag.FileType = quint8(m_random.bounded(6));
            tag.FileNumber = m_random.bounded(65536);
            tag.WordNumber = m_random.bounded(65536);
            tag.TagType = quint8(m_random.bounded(6));
            tag.BitPosition = tag.TagType == HostlinkDF1Type::WordBit ? m_random.bounded(16) : 0;
        } else {
            tag.TagName = tag.Source == TagSource::Internal ? internalName(false) : name();
            tag.BitPosition = m_random.bounded(8);
            SetFixedLocation(tag);
        }
        valueSide(tag);
        return tag;
    }

private:
    bool coin() { return m_random.bounded(2) == 1; }

    QByteArray name()
    {
        static const QByteArray letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
        QByteArray text;
        const int length = m_random.bounded(1, 16);
        for (int i = 0; i < length; ++i)
            text += letters.at(m_random.bounded(int(letters.size())));
        return text;
    }

    QByteArray internalName(bool withTemp)
    {
        static const QList<QByteArray> names = {"_COMMERROR", "_ALARM", "_ALARMNAK", "_TEMP"};
        return names.at(m_random.bounded(withTemp ? 4 : 3));
    }

    // Any finite 32-bit value, so the real text form meets every exponent.
    float real()
    {
        for (;;) {
            const quint32 bits = m_random.generate();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                return value;
        }
    }

    qint32 integerIn(const TIntegerRange &range)
    {
        return qint32(m_random.bounded(qint64(range.Lowest), qint64(range.Highest) + 1));
    }

    TTagValue limit(quint8 kind, const TIntegerRange &range)
    {
        TTagValue value;
        if (kind == TagValueKind::Integer)
            value.IntValue = integerIn(range);
        else
            value.RealValue = real();
        return value;
    }

    template <typename Tag>
    void valueSide(Tag &tag)
    {
        const bool digital = IsDigital(tag);
        if (!digital && coin()) {
            tag.Scale = TagScale::Linear;
            tag.FactorA = real();
            tag.FactorB = real();
        }
        tag.ValueKind = ValueKind(tag);
        const TIntegerRange range = IntegerRange(tag);
        tag.ReadOnly = IsForcedReadOnly(tag) || coin();
        tag.WriteLimits = IsSerialSource(tag.Source) && !tag.ReadOnly && !digital && coin();
        if (tag.WriteLimits) {
            tag.MinWrite = limit(tag.ValueKind, range);
            tag.MaxWrite = limit(tag.ValueKind, range);
        }
        tag.AlarmEnable = coin();
        if (tag.AlarmEnable) {
            tag.SendEMail = coin();
            if (digital) {
                (coin() ? tag.LowestAlarm : tag.HighestAlarm).BoolValue = true;
            } else {
                tag.LowestAlarm = limit(tag.ValueKind, range);
                tag.HighestAlarm = limit(tag.ValueKind, range);
            }
        }
    }

    QRandomGenerator m_random;
};

template <typename Tag>
QString conversionError(const QList<QByteArray> &texts, Tag &tag)
{
    try {
        TagFromTexts(texts, tag);
    } catch (const EConvertError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestTagRows : public QObject
{
    Q_OBJECT

    QLocale m_savedLocale;

private slots:
    void init() { m_savedLocale = QLocale(); }
    void cleanup() { QLocale::setDefault(m_savedLocale); }

    void keys()
    {
        QCOMPARE(joined(TagKeys(TagProtocol::Modbus)),
                 QByteArray("NAME|SOURCE|UNITID|ADDRESS|TYPE|ENRON|BITPOS|READONLY|LIMITS|WRMIN|WRMAX|ALARM|ALMIN|ALMAX|"
                            "EMAIL|SCALE|FACTORA|FACTORB|TRAP|KIND"));
        QCOMPARE(joined(TagKeys(TagProtocol::Hostlink)),
                 QByteArray("NAME|SOURCE|UNITID|REGTABLE|ADDRESS|TYPE|BITPOS|READONLY|LIMITS|WRMIN|WRMAX|ALARM|ALMIN|ALMAX|"
                            "EMAIL|SCALE|FACTORA|FACTORB|KIND"));
        QCOMPARE(joined(TagKeys(TagProtocol::DF1)),
                 QByteArray("NAME|SOURCE|FILETYPE|FILENUMBER|WORDNUMBER|TYPE|BITPOS|READONLY|LIMITS|WRMIN|WRMAX|ALARM|"
                            "ALMIN|ALMAX|EMAIL|SCALE|FACTORA|FACTORB|KIND"));
    }

    void modbusRows_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<TModbusTagConfig>("tag");
        QTest::addColumn<QByteArray>("texts");

        TModbusTagConfig level;
        level.TagName = "LEVEL";
        level.UnitID = 1;
        level.Address = 1;
        level.WriteLimits = true;
        level.MaxWrite.IntValue = 100;
        level.AlarmEnable = true;
        level.SendEMail = true;
        level.LowestAlarm.IntValue = -10;
        level.HighestAlarm.IntValue = 90;
        level.ValueKind = TagValueKind::Integer;
        level.SendTrap = true;
        QTest::newRow("holding register")
            << "C" << level << QByteArray("LEVEL|Modbus Serial|1|40001|Unsigned int|No|0|No|Yes|0|100|Yes|-10|90|Yes|None|0|0|Yes|1");

        // A linear scale makes the Unsigned int tag real: its limits are kept as reals.
        TModbusTagConfig scaled = level;
        scaled.Scale = TagScale::Linear;
        scaled.FactorA = 2.5f;
        scaled.FactorB = -0.1f;
        scaled.ValueKind = TagValueKind::Real;
        scaled.MinWrite = TTagValue{0.1f, 0, false};
        scaled.MaxWrite = TTagValue{250.0f, 0, false};
        scaled.LowestAlarm = TTagValue{-1.5f, 0, false};
        scaled.HighestAlarm = TTagValue{1e-7f, 0, false};
        QTest::newRow("scaled, comma")
            << "de_DE" << scaled
            << QByteArray("LEVEL|Modbus Serial|1|40001|Unsigned int|No|0|No|Yes|0,100000001490116|250|Yes|-1,5|"
                          "1,0000000116861E-7|Yes|Linear (Ax+B)|2,5|-0,100000001490116|Yes|2");

        TModbusTagConfig coil;
        coil.TagName = "PUMP";
        coil.UnitID = 255;
        coil.ModbusFunction = ModbusTable::CoilStatus;
        coil.TagType = ModbusType::SingleBit;
        coil.Address = 12345;
        coil.AlarmEnable = true;
        coil.HighestAlarm.BoolValue = true;
        QTest::newRow("coil, negative edge")
            << "C" << coil << QByteArray("PUMP|Modbus Serial|255|012345|Single bit|No|0|No|No|0|0|Yes|0|1|No|None|0|0|No|0");

        TModbusTagConfig input;
        input.TagName = "DOOR";
        input.Source = TagSource::Input;
        input.BitPosition = 3;
        SetFixedLocation(input);
        input.ReadOnly = true;
        input.AlarmEnable = true;
        input.LowestAlarm.BoolValue = true;
        QTest::newRow("input")
            << "C" << input << QByteArray("DOOR|Orvan Input|0|00000|Single bit|No|3|Yes|No|0|0|Yes|1|0|No|None|0|0|No|0");

        TModbusTagConfig analog;
        analog.TagName = "AI1";
        analog.Source = TagSource::AInput;
        analog.BitPosition = 7;
        SetFixedLocation(analog);
        analog.ReadOnly = true;
        analog.AlarmEnable = true;
        analog.LowestAlarm.IntValue = -32768;
        analog.HighestAlarm.IntValue = 32767;
        analog.ValueKind = TagValueKind::Integer;
        QTest::newRow("analog input")
            << "C" << analog << QByteArray("AI1||0|00000|Signed int|No|7|Yes|No|0|0|Yes|-32768|32767|No|None|0|0|No|1");

        TModbusTagConfig temp;
        temp.TagName = "_TEMP";
        temp.Source = TagSource::Internal;
        SetFixedLocation(temp);
        temp.ReadOnly = true;
        temp.Scale = TagScale::Linear;
        temp.FactorA = 0.5f;
        temp.ValueKind = TagValueKind::Real;
        QTest::newRow("internal temperature")
            << "C" << temp << QByteArray("_TEMP|Internal|0|00000|Float|No|0|Yes|No|0|0|No|0|0|No|Linear (Ax+B)|0.5|0|No|2");
    }

    void modbusRows()
    {
        QFETCH(QString, locale);
        QFETCH(TModbusTagConfig, tag);
        QFETCH(QByteArray, texts);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(joined(TagToTexts(tag)), texts);
        TModbusTagConfig back;
        back.ModbusFunction = ModbusTable::InputRegister;
        TagFromTexts(texts.split('|'), back);
        QVERIFY(back == tag);
    }

    void hostlinkDF1Rows()
    {
        QLocale::setDefault(QLocale::c());
        THostlinkTagConfig flag;
        flag.TagName = "_ALARM";
        flag.Source = TagSource::Internal;
        flag.HostlinkFunction = HostlinkArea::DM; // the fixed location puts it back to IR
        flag.Address = 40;
        SetFixedLocation(flag);
        flag.ReadOnly = true;
        QCOMPARE(joined(TagToTexts(flag)), QByteArray("_ALARM|Internal|0|IR|00000|Single bit|0|Yes|No|0|0|No|0|0|No|None|0|0|0"));

        THostlinkTagConfig dm;
        dm.TagName = "SETPOINT";
        dm.UnitID = 99;
        dm.HostlinkFunction = HostlinkArea::DM;
        dm.Address = 1234;
        dm.TagType = HostlinkDF1Type::BCD;
        dm.WriteLimits = true;
        dm.MaxWrite.IntValue = 65535;
        dm.ValueKind = TagValueKind::Integer;
        QCOMPARE(joined(TagToTexts(dm)), QByteArray("SETPOINT|Hostlink Serial|99|DM|1234|BCD|0|No|Yes|0|65535|No|0|0|No|None|0|0|1"));
        THostlinkTagConfig dmBack;
        TagFromTexts(TagToTexts(dm), dmBack);
        QVERIFY(dmBack == dm);

        TDF1TagConfig output;
        output.TagName = "LAMP";
        output.Source = TagSource::Output;
        output.BitPosition = 2;
        SetFixedLocation(output);
        QCOMPARE(joined(TagToTexts(output)), QByteArray("LAMP|Orvan Output|Output (O)|00000|00000|Single bit|2|No|No|0|0|No|0|0|No|None|0|0|0"));

        TDF1TagConfig n7;
        n7.TagName = "N7_12";
        n7.FileType = DF1File::Integer;
        n7.FileNumber = 7;
        n7.WordNumber = 12;
        n7.TagType = HostlinkDF1Type::WordBit;
        n7.BitPosition = 15;
        QCOMPARE(joined(TagToTexts(n7)), QByteArray("N7_12|DF1 Serial|Integer (N)|7|12|Word bit|15|No|No|0|0|No|0|0|No|None|0|0|0"));
        TDF1TagConfig n7Back;
        TagFromTexts(TagToTexts(n7), n7Back);
        QVERIFY(n7Back == n7);
    }

    // Texts from a file are not checked when read; they are judged when the tag is used.
    void lenientTexts()
    {
        QLocale::setDefault(QLocale::c());
        // Unknown item texts read as the first item; flags are "Yes" or false; a digital
        // tag's write limits are not read at all.
        TModbusTagConfig tag;
        TagFromTexts(QByteArray("X|modbus serial|1|40001|single bit|yes|0|YES|Yes|junk|junk|Yes|1|2|No|none|0|0|1|0").split('|'), tag);
        QCOMPARE(int(tag.Source), 0);
        QCOMPARE(int(tag.TagType), 0);
        QCOMPARE(tag.Register32, false);
        QCOMPARE(tag.ReadOnly, false);
        QCOMPARE(tag.WriteLimits, true);
        QCOMPARE(tag.MinWrite, TTagValue{});
        QCOMPARE(tag.LowestAlarm.BoolValue, true);
        QCOMPARE(tag.HighestAlarm.BoolValue, false);
        QCOMPARE(int(tag.Scale), 0);
        QCOMPARE(tag.SendTrap, false); // "1" is not "Yes"

        // A KIND that names no kind gives way to the kind of the fields: a Float tag is real.
        THostlinkTagConfig real;
        TagFromTexts(QByteArray("F|Hostlink Serial|1|DM|10|Float|0|No|Yes|1.5|2.5|No|0|0|No|None|0|0|9").split('|'), real);
        QCOMPARE(int(real.ValueKind), int(TagValueKind::Real));
        QCOMPARE(real.MaxWrite.RealValue, 2.5f);

        // A short row (a file missing its last keys) reads the missing texts as empty.
        TDF1TagConfig shortRow;
        QCOMPARE(conversionError(QByteArray("S|DF1 Serial|Integer (N)|7|0|Long|0").split('|'), shortRow),
                 QStringLiteral("'' is not a valid integer value"));
    }

    void malformedNumbers_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        const QString notInteger = QStringLiteral("'%1' is not a valid integer value");
        const QString notReal = QStringLiteral("'%1' is not a valid floating point value");
        // The base rows are integer tags (KIND 1) with a linear-scale factor text.
        QTest::newRow("mb kind") << TagProtocol::Modbus << QByteArray("KIND") << QByteArray("one") << notInteger.arg("one");
        QTest::newRow("mb unit") << TagProtocol::Modbus << QByteArray("UNITID") << QByteArray("") << notInteger.arg("");
        QTest::newRow("mb address") << TagProtocol::Modbus << QByteArray("ADDRESS") << QByteArray("4OO01") << notInteger.arg("OO01");
        QTest::newRow("mb integer limit") << TagProtocol::Modbus << QByteArray("WRMAX") << QByteArray("1.5") << notInteger.arg("1.5");
        QTest::newRow("mb factor") << TagProtocol::Modbus << QByteArray("FACTORA") << QByteArray("1,5") << notReal.arg("1,5");
        QTest::newRow("hl address") << TagProtocol::Hostlink << QByteArray("ADDRESS") << QByteArray("12a") << notInteger.arg("12a");
        QTest::newRow("hl alarm") << TagProtocol::Hostlink << QByteArray("ALMIN") << QByteArray("2147483648") << notInteger.arg("2147483648");
        QTest::newRow("hl bit") << TagProtocol::Hostlink << QByteArray("BITPOS") << QByteArray("") << notInteger.arg("");
        QTest::newRow("df1 word") << TagProtocol::DF1 << QByteArray("WORDNUMBER") << QByteArray("x") << notInteger.arg("x");
        QTest::newRow("df1 factor") << TagProtocol::DF1 << QByteArray("FACTORB") << QByteArray("") << notReal.arg("");
    }

    void malformedNumbers()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        QLocale::setDefault(QLocale::c());
        const qsizetype at = TagKeys(protocol).indexOf(key);
        QVERIFY(at >= 0);
        // A failed read leaves the record as it was.
        switch (protocol) {
        case TagProtocol::Modbus: {
            TModbusTagConfig tag;
            tag.TagName = "KEEP";
            QList<QByteArray> texts = QByteArray("A|Modbus Serial|1|40001|Long|No|0|No|Yes|1|2|Yes|3|4|No|None|1.5|0|No|1").split('|');
            texts[at] = text;
            QCOMPARE(conversionError(texts, tag), message);
            TModbusTagConfig kept;
            kept.TagName = "KEEP";
            QVERIFY(tag == kept);
            break;
        }
        case TagProtocol::Hostlink: {
            THostlinkTagConfig tag;
            QList<QByteArray> texts = QByteArray("A|Hostlink Serial|1|DM|12|Long|0|No|Yes|1|2|Yes|3|4|No|None|1.5|0|1").split('|');
            texts[at] = text;
            QCOMPARE(conversionError(texts, tag), message);
            QVERIFY(tag == THostlinkTagConfig{});
            break;
        }
        case TagProtocol::DF1: {
            TDF1TagConfig tag;
            QList<QByteArray> texts = QByteArray("A|DF1 Serial|Integer (N)|7|0|Long|0|No|Yes|1|2|Yes|3|4|No|None|1.5|0|1").split('|');
            texts[at] = text;
            QCOMPARE(conversionError(texts, tag), message);
            QVERIFY(tag == TDF1TagConfig{});
            break;
        }
        }
    }

    // A gateway may report codes beyond the lists; their placeholders carry them through.
    void codesOutsideTheListsSurvive()
    {
        QLocale::setDefault(QLocale::c());
        TModbusTagConfig newType;
        newType.TagName = "NEW";
        newType.UnitID = 4;
        newType.TagType = 12;
        newType.Address = 9;
        newType.ValueKind = ValueKind(newType);
        const QList<QByteArray> texts = TagToTexts(newType);
        QCOMPARE(texts.at(4), QByteArray("Unknown (12)"));
        TModbusTagConfig back;
        TagFromTexts(texts, back);
        QVERIFY(back == newType);

        THostlinkTagConfig newSource;
        newSource.TagName = "S";
        newSource.Source = 9;
        newSource.Scale = 3;
        newSource.ValueKind = ValueKind(newSource);
        THostlinkTagConfig sourceBack;
        TagFromTexts(TagToTexts(newSource), sourceBack);
        QVERIFY(sourceBack == newSource);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("dot") << QStringLiteral("C");
        QTest::newRow("comma") << QStringLiteral("de_DE");
    }

    void roundTrips()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        TagMaker maker(locale == QLatin1String("C") ? 1 : 2);
        for (int i = 0; i < 400; ++i) {
            const TModbusTagConfig modbus = maker.modbus();
            TModbusTagConfig modbusBack;
            TagFromTexts(TagToTexts(modbus), modbusBack);
            QVERIFY2(modbusBack == modbus, joined(TagToTexts(modbus)).constData());

            const THostlinkTagConfig hostlink = maker.hostlink();
            THostlinkTagConfig hostlinkBack;
            TagFromTexts(TagToTexts(hostlink), hostlinkBack);
            QVERIFY2(hostlinkBack == hostlink, joined(TagToTexts(hostlink)).constData());

            const TDF1TagConfig df1 = maker.df1();
            TDF1TagConfig df1Back;
            TagFromTexts(TagToTexts(df1), df1Back);
            QVERIFY2(df1Back == df1, joined(TagToTexts(df1)).constData());
        }
    }
};

KOVA_TEST(TestTagRows)
#include "tst_tagrows.moc"
