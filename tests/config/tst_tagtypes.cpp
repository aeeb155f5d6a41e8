#include "TestRegistry.h"

#include "config/KovaTypes.h"
#include "config/TagRules.h"

#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(TagProtocol)

namespace {

// One value set of one protocol, as its pair of conversions.
struct ValueSet
{
    std::function<QByteArray(int)> text;
    std::function<quint8(const QByteArray &)> value;
};

ValueSet valueSet(const QByteArray &name)
{
    const auto source = [](TagProtocol p) {
        return ValueSet{[p](int c) { return GetSourceText(p, c); }, [p](const QByteArray &t) { return GetSourceValue(p, t); }};
    };
    const auto type = [](TagProtocol p) {
        return ValueSet{[p](int c) { return GetTypeText(p, c); }, [p](const QByteArray &t) { return GetTypeValue(p, t); }};
    };
    if (name == "modbus source")
        return source(TagProtocol::Modbus);
    if (name == "hostlink source")
        return source(TagProtocol::Hostlink);
    if (name == "df1 source")
        return source(TagProtocol::DF1);
    if (name == "modbus type")
        return type(TagProtocol::Modbus);
    if (name == "hostlink type")
        return type(TagProtocol::Hostlink);
    if (name == "df1 type")
        return type(TagProtocol::DF1);
    if (name == "scale")
        return {GetScaleText, GetScaleValue};
    if (name == "modbus table")
        return {GetModbusFunctionText, GetModbusFunctionValue};
    if (name == "hostlink area")
        return {GetHostlinkFunctionText, GetHostlinkFunctionValue};
    if (name == "df1 file type")
        return {GetDF1FileTypeText, GetDF1FileTypeValue};
    qFatal("unknown value set %s", name.constData());
}

} // namespace

class TestTagTypes : public QObject
{
    Q_OBJECT

private slots:
    void codeTextPairs_data()
    {
        QTest::addColumn<QByteArray>("set");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("text");
        const auto rows = [](const char *set, const QList<QByteArray> &texts) {
            for (int code = 0; code < texts.size(); ++code)
                QTest::addRow("%s %d", set, code) << QByteArray(set) << code << texts.at(code);
        };
        rows("modbus source", {"Modbus Serial", "Orvan Input", "Orvan Output", "Internal", ""});
        rows("hostlink source", {"Hostlink Serial", "Orvan Input", "Orvan Output", "Internal", "Orvan Ainput"});
        rows("df1 source", {"DF1 Serial", "Orvan Input", "Orvan Output", "Internal", "Orvan Ainput"});
        rows("modbus type", {"Unsigned int", "Signed int", "Long", "Long Inverted", "Float", "Float Inverted", "BCD",
                             "Word bit", "Single bit"});
        rows("hostlink type", {"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"});
        rows("df1 type", {"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"});
        rows("scale", {"None", "Linear (Ax+B)"});
        rows("modbus table", {"Holding Register", "Input Register", "Input Status", "Coil Status"});
        rows("hostlink area", {"IR", "SR", "LR", "HR", "TCPV", "DM"});
        rows("df1 file type", {"Input (I)", "Output (O)", "Status (S)", "Binary (B)", "Integer (N)", "Float (F)"});
    }

    void codeTextPairs()
    {
        QFETCH(QByteArray, set);
        QFETCH(int, code);
        QFETCH(QByteArray, text);
        const ValueSet conversions = valueSet(set);
        QCOMPARE(conversions.text(code), text);
        QCOMPARE(int(conversions.value(text)), code);
    }

    void unknownTexts_data()
    {
        QTest::addColumn<QByteArray>("set");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("case differs") << QByteArray("modbus type") << QByteArray("single bit") << 0;
        QTest::newRow("case differs, hostlink") << QByteArray("hostlink type") << QByteArray("SINGLE BIT") << 0;
        QTest::newRow("blank around") << QByteArray("hostlink area") << QByteArray(" DM") << 0;
        QTest::newRow("empty is no hostlink source") << QByteArray("hostlink source") << QByteArray() << 0;
        QTest::newRow("modbus ainput text elsewhere") << QByteArray("modbus source") << QByteArray("Orvan Ainput") << 0;
        QTest::newRow("other protocol's serial") << QByteArray("df1 source") << QByteArray("Modbus Serial") << 0;
        QTest::newRow("modbus-only type") << QByteArray("df1 type") << QByteArray("Long Inverted") << 0;
        QTest::newRow("scale prefix") << QByteArray("scale") << QByteArray("Linear") << 0;
        // Placeholders of codes outside the list come back as their code...
        QTest::newRow("placeholder type") << QByteArray("modbus type") << QByteArray("Unknown (9)") << 9;
        QTest::newRow("placeholder source") << QByteArray("modbus source") << QByteArray("Unknown (5)") << 5;
        QTest::newRow("placeholder 255") << QByteArray("df1 file type") << QByteArray("Unknown (255)") << 255;
        // ...but only in the form written, and only for codes the list lacks.
        QTest::newRow("placeholder of a listed code") << QByteArray("modbus source") << QByteArray("Unknown (4)") << 0;
        QTest::newRow("placeholder leading zero") << QByteArray("modbus type") << QByteArray("Unknown (09)") << 0;
        QTest::newRow("placeholder beyond a byte") << QByteArray("modbus type") << QByteArray("Unknown (256)") << 0;
        QTest::newRow("placeholder negative") << QByteArray("scale") << QByteArray("Unknown (-1)") << 0;
        QTest::newRow("placeholder case") << QByteArray("scale") << QByteArray("unknown (7)") << 0;
    }

    void unknownTexts()
    {
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, text);
        QFETCH(int, code);
        QCOMPARE(int(valueSet(set).value(text)), code);
    }

    // A record from a gateway may carry any byte; its text must not fail and must read back.
    void codesOutsideTheLists()
    {
        const QList<QByteArray> sets = {"modbus source", "hostlink source", "df1 source", "modbus type", "hostlink type",
                                        "df1 type", "scale", "modbus table", "hostlink area", "df1 file type"};
        for (const QByteArray &set : sets) {
            const ValueSet conversions = valueSet(set);
            for (int code = 0; code <= 255; ++code) {
                const QByteArray text = conversions.text(code);
                QCOMPARE(int(conversions.value(text)), code);
            }
            QCOMPARE(conversions.text(-1), QByteArray("Unknown (-1)"));
            QCOMPARE(int(conversions.value(conversions.text(-1))), 0);
        }
        QCOMPARE(GetTypeText(TagProtocol::Hostlink, 7), QByteArray("Unknown (7)"));
        QCOMPARE(ModbusTableDigit(4), '?');
        QCOMPARE(ModbusTableFromDigit('2'), -1);
    }

    void classification_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint32>("lowest");
        QTest::addColumn<qint32>("highest");
        QTest::addColumn<bool>("readOnly");

        const auto M = TagProtocol::Modbus;
        const auto H = TagProtocol::Hostlink;
        const auto D = TagProtocol::DF1;
        const qint32 lmin = std::numeric_limits<qint32>::min();
        const qint32 lmax = std::numeric_limits<qint32>::max();
        using namespace TagValueKind;
        const int HR = ModbusTable::HoldingRegister, IR = ModbusTable::InputRegister, IS = ModbusTable::InputStatus,
                  CS = ModbusTable::CoilStatus;

        QTest::newRow("mb unsigned") << M << 0 << HR << int(ModbusType::UnsignedInt) << 0 << QByteArray("T") << int(Integer) << 0 << 65535 << false;
        QTest::newRow("mb unsigned scaled is real") << M << 0 << HR << int(ModbusType::UnsignedInt) << 1 << QByteArray("T") << int(Real) << 0 << 0 << false;
        QTest::newRow("mb signed input register") << M << 0 << IR << int(ModbusType::SignedInt) << 0 << QByteArray("T") << int(Integer) << -32768 << 32767 << true;
        QTest::newRow("mb long") << M << 0 << HR << int(ModbusType::Long) << 0 << QByteArray("T") << int(Integer) << lmin << lmax << false;
        QTest::newRow("mb long inverted") << M << 0 << IR << int(ModbusType::LongInverted) << 0 << QByteArray("T") << int(Integer) << lmin << lmax << true;
        QTest::newRow("mb bcd full word") << M << 0 << HR << int(ModbusType::BCD) << 0 << QByteArray("T") << int(Integer) << 0 << 65535 << false;
        QTest::newRow("mb float") << M << 0 << HR << int(ModbusType::Float) << 0 << QByteArray("T") << int(Real) << 0 << 0 << false;
        QTest::newRow("mb float inverted") << M << 0 << HR << int(ModbusType::FloatInverted) << 0 << QByteArray("T") << int(Real) << 0 << 0 << false;
        QTest::newRow("mb word bit") << M << 0 << HR << int(ModbusType::WordBit) << 0 << QByteArray("T") << int(Digital) << 0 << 0 << false;
        QTest::newRow("mb input status") << M << 0 << IS << int(ModbusType::SingleBit) << 0 << QByteArray("T") << int(Digital) << 0 << 0 << true;
        QTest::newRow("mb coil") << M << 0 << CS << int(ModbusType::SingleBit) << 0 << QByteArray("T") << int(Digital) << 0 << 0 << false;
        QTest::newRow("mb coil table wins over type") << M << 0 << CS << int(ModbusType::UnsignedInt) << 0 << QByteArray("T") << int(Digital) << 0 << 0 << false;
        QTest::newRow("mb serial named _TEMP") << M << 0 << HR << int(ModbusType::Float) << 0 << QByteArray("_TEMP") << int(Real) << 0 << 0 << false;
        QTest::newRow("mb input") << M << 1 << IS << int(ModbusType::SingleBit) << 0 << QByteArray("IN") << int(Digital) << 0 << 0 << true;
        QTest::newRow("mb output") << M << 2 << CS << int(ModbusType::SingleBit) << 0 << QByteArray("OUT") << int(Digital) << 0 << 0 << false;
        QTest::newRow("mb internal flag") << M << 3 << IS << int(ModbusType::SingleBit) << 0 << QByteArray("_ALARM") << int(Digital) << 0 << 0 << true;
        QTest::newRow("mb internal temp") << M << 3 << IS << int(ModbusType::Float) << 1 << QByteArray("_TEMP") << int(Real) << 0 << 0 << true;
        QTest::newRow("mb temp name is case exact") << M << 3 << IS << int(ModbusType::SingleBit) << 0 << QByteArray("_temp") << int(Digital) << 0 << 0 << true;
        QTest::newRow("mb ainput") << M << 4 << IR << int(ModbusType::SignedInt) << 0 << QByteArray("AI") << int(Integer) << -32768 << 32767 << true;
        QTest::newRow("mb ainput scaled") << M << 4 << IR << int(ModbusType::SignedInt) << 1 << QByteArray("AI") << int(Real) << 0 << 0 << true;
        QTest::newRow("mb source outside list") << M << 9 << HR << int(ModbusType::UnsignedInt) << 0 << QByteArray("X") << int(Digital) << 0 << 0 << true;

        // Hostlink and DF1 ignore the table argument: only the type and scale decide.
        QTest::newRow("hl unsigned") << H << 0 << 2 << int(HostlinkDF1Type::UnsignedInt) << 0 << QByteArray("T") << int(Integer) << 0 << 65535 << false;
        QTest::newRow("hl signed") << H << 0 << 3 << int(HostlinkDF1Type::SignedInt) << 0 << QByteArray("T") << int(Integer) << -32768 << 32767 << false;
        QTest::newRow("hl float") << H << 0 << 0 << int(HostlinkDF1Type::Float) << 0 << QByteArray("T") << int(Real) << 0 << 0 << false;
        QTest::newRow("hl bcd scaled") << H << 0 << 0 << int(HostlinkDF1Type::BCD) << 1 << QByteArray("T") << int(Real) << 0 << 0 << false;
        QTest::newRow("hl word bit") << H << 0 << 5 << int(HostlinkDF1Type::WordBit) << 0 << QByteArray("T") << int(Digital) << 0 << 0 << false;
        QTest::newRow("hl internal _TEMP is digital") << H << 3 << 0 << int(HostlinkDF1Type::SingleBit) << 0 << QByteArray("_TEMP") << int(Digital) << 0 << 0 << true;
        QTest::newRow("hl output") << H << 2 << 0 << int(HostlinkDF1Type::SingleBit) << 0 << QByteArray("O") << int(Digital) << 0 << 0 << false;
        QTest::newRow("hl ainput") << H << 4 << 0 << int(HostlinkDF1Type::SignedInt) << 0 << QByteArray("AI") << int(Integer) << -32768 << 32767 << true;
        QTest::newRow("df1 long") << D << 0 << 4 << int(HostlinkDF1Type::Long) << 0 << QByteArray("T") << int(Integer) << lmin << lmax << false;
        QTest::newRow("df1 bcd") << D << 0 << 4 << int(HostlinkDF1Type::BCD) << 0 << QByteArray("T") << int(Integer) << 0 << 65535 << false;
        QTest::newRow("df1 input") << D << 1 << 0 << int(HostlinkDF1Type::SingleBit) << 0 << QByteArray("I") << int(Digital) << 0 << 0 << true;
        QTest::newRow("df1 ainput scaled") << D << 4 << 0 << int(HostlinkDF1Type::SignedInt) << 1 << QByteArray("AI") << int(Real) << 0 << 0 << true;
    }

    void classification()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(int, source);
        QFETCH(int, table);
        QFETCH(int, type);
        QFETCH(int, scale);
        QFETCH(QByteArray, name);
        QFETCH(int, kind);
        QFETCH(qint32, lowest);
        QFETCH(qint32, highest);
        QFETCH(bool, readOnly);

        QCOMPARE(IsDigital(protocol, source, table, type, name), kind == TagValueKind::Digital);
        QCOMPARE(IsInteger(protocol, source, table, type, scale, name), kind == TagValueKind::Integer);
        QCOMPARE(int(ValueKind(protocol, source, table, type, scale, name)), kind);
        QCOMPARE(IntegerRange(protocol, source, table, type, scale, name), (TIntegerRange{lowest, highest}));
        QCOMPARE(IsForcedReadOnly(protocol, source, table), readOnly);

        // The record rules answer the same from the record's own fields.
        switch (protocol) {
        case TagProtocol::Modbus: {
            TModbusTagConfig tag;
            tag.TagName = name;
            tag.Source = quint8(source);
            tag.ModbusFunction = quint8(table);
            tag.TagType = quint8(type);
            tag.Scale = quint8(scale);
            QCOMPARE(int(ValueKind(tag)), kind);
            QCOMPARE(IsDigital(tag), kind == TagValueKind::Digital);
            QCOMPARE(IsInteger(tag), kind == TagValueKind::Integer);
            QCOMPARE(IntegerRange(tag), (TIntegerRange{lowest, highest}));
            QCOMPARE(IsForcedReadOnly(tag), readOnly);
            break;
        }
        case TagProtocol::Hostlink: {
            THostlinkTagConfig tag;
            tag.TagName = name;
            tag.Source = quint8(source);
            tag.HostlinkFunction = quint8(table);
            tag.TagType = quint8(type);
            tag.Scale = quint8(scale);
            QCOMPARE(int(ValueKind(tag)), kind);
            QCOMPARE(IntegerRange(tag), (TIntegerRange{lowest, highest}));
            QCOMPARE(IsForcedReadOnly(tag), readOnly);
            break;
        }
        case TagProtocol::DF1: {
            TDF1TagConfig tag;
            tag.TagName = name;
            tag.Source = quint8(source);
            tag.FileType = quint8(table);
            tag.TagType = quint8(type);
            tag.Scale = quint8(scale);
            QCOMPARE(int(ValueKind(tag)), kind);
            QCOMPARE(IntegerRange(tag), (TIntegerRange{lowest, highest}));
            QCOMPARE(IsForcedReadOnly(tag), readOnly);
            break;
        }
        }
    }

    void modbusFixedLocation_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("bit");
        QTest::newRow("input") << 1 << QByteArray("IN") << int(ModbusType::SingleBit) << int(ModbusTable::InputStatus) << 5;
        QTest::newRow("output") << 2 << QByteArray("OUT") << int(ModbusType::SingleBit) << int(ModbusTable::CoilStatus) << 5;
        QTest::newRow("internal") << 3 << QByteArray("_ALARM") << int(ModbusType::SingleBit) << int(ModbusTable::InputStatus) << 0;
        QTest::newRow("internal temp") << 3 << QByteArray("_TEMP") << int(ModbusType::Float) << int(ModbusTable::InputStatus) << 0;
        QTest::newRow("ainput") << 4 << QByteArray("AI") << int(ModbusType::SignedInt) << int(ModbusTable::InputRegister) << 5;
    }

    void modbusFixedLocation()
    {
        QFETCH(int, source);
        QFETCH(QByteArray, name);
        QFETCH(int, type);
        QFETCH(int, table);
        QFETCH(int, bit);
        TModbusTagConfig tag;
        tag.TagName = name;
        tag.Source = quint8(source);
        tag.UnitID = 17;
        tag.TagType = ModbusType::Long;
        tag.ModbusFunction = ModbusTable::HoldingRegister;
        tag.Address = 300;
        tag.BitPosition = 5;
        tag.Register32 = true;
        tag.ReadOnly = false; // the value side is not the location's business
        SetFixedLocation(tag);
        QCOMPARE(tag.UnitID, 0);
        QCOMPARE(int(tag.TagType), type);
        QCOMPARE(int(tag.ModbusFunction), table);
        QCOMPARE(tag.Address, 0);
        QCOMPARE(tag.BitPosition, bit);
        QCOMPARE(tag.Register32, false);
        QCOMPARE(tag.ReadOnly, false);
        QCOMPARE(int(FixedTagType(TagProtocol::Modbus, source, name, ModbusType::Long)), type);
    }

    void hostlinkDF1FixedLocation_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("bit");
        QTest::newRow("input") << 1 << int(HostlinkDF1Type::SingleBit) << int(DF1File::Input) << 6;
        QTest::newRow("output") << 2 << int(HostlinkDF1Type::SingleBit) << int(DF1File::Output) << 6;
        QTest::newRow("internal, even _TEMP") << 3 << int(HostlinkDF1Type::SingleBit) << int(DF1File::Input) << 0;
        QTest::newRow("ainput") << 4 << int(HostlinkDF1Type::SignedInt) << int(DF1File::Input) << 6;
    }

    void hostlinkDF1FixedLocation()
    {
        QFETCH(int, source);
        QFETCH(int, type);
        QFETCH(int, fileType);
        QFETCH(int, bit);

        THostlinkTagConfig hl;
        hl.TagName = "_TEMP";
        hl.Source = quint8(source);
        hl.UnitID = 12;
        hl.TagType = HostlinkDF1Type::Long;
        hl.HostlinkFunction = HostlinkArea::DM;
        hl.Address = 77;
        hl.BitPosition = 6;
        SetFixedLocation(hl);
        QCOMPARE(hl.UnitID, 0);
        QCOMPARE(int(hl.TagType), type);
        QCOMPARE(int(hl.HostlinkFunction), int(HostlinkArea::IR));
        QCOMPARE(hl.Address, 0);
        QCOMPARE(hl.BitPosition, bit);

        TDF1TagConfig df;
        df.TagName = "_TEMP";
        df.Source = quint8(source);
        df.TagType = HostlinkDF1Type::Float;
        df.FileType = DF1File::Float;
        df.FileNumber = 9;
        df.WordNumber = 40;
        df.BitPosition = 6;
        SetFixedLocation(df);
        QCOMPARE(int(df.FileType), fileType);
        QCOMPARE(int(df.TagType), type);
        QCOMPARE(df.FileNumber, 0);
        QCOMPARE(df.WordNumber, 0);
        QCOMPARE(df.BitPosition, bit);
    }

    // The serial source and sources outside the list keep their location.
    void serialLocationKept()
    {
        for (quint8 source : {quint8(0), quint8(5), quint8(200)}) {
            TModbusTagConfig tag;
            tag.Source = source;
            tag.UnitID = 3;
            tag.TagType = ModbusType::Long;
            tag.ModbusFunction = ModbusTable::InputRegister;
            tag.Address = 12;
            tag.BitPosition = 4;
            tag.Register32 = true;
            const TModbusTagConfig before = tag;
            SetFixedLocation(tag);
            QVERIFY(tag == before);
        }
    }
};

KOVA_TEST(TestTagTypes)
#include "tst_tagtypes.moc"
