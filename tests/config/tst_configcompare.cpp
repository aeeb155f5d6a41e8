#include "TestRegistry.h"

#include "config/ConfigCompare.h"
#include "config/ConfigTransfer.h"

#include <QTest>

#include <functional>
#include <memory>

namespace {

using Change = std::function<void(TModbusOrvanConfig &document, TModbusOrvanConfig &orvan)>;

TModbusTagConfig serialTag(const QByteArray &name, qint32 address)
{
    TModbusTagConfig t;
    t.TagName = name;
    t.UnitID = 1;
    t.TagType = ModbusType::Float;
    t.Address = address;
    t.AlarmEnable = true;
    t.LowestAlarm.RealValue = 10;
    t.HighestAlarm.RealValue = 90.5f;
    t.ValueKind = TagValueKind::Real;
    return t;
}

// Document: three tags and three recipients. The gateway's copy is that configuration as a
// get reads it back: the input tag's table as the wire carries a tag off the bus (Coil
// Status), the recipients closed up. Neither counts as a difference.
void fill(TModbusOrvanConfig &document, TModbusOrvanConfig &orvan)
{
    SetNewConfigDefaults(document);
    document.Email.Recipients = {"a@x", "", "c@x", "", ""};
    document.Email.RecipientCount = 3;
    document.Email.SmtpPassword = "secret";
    TModbusTagConfig input;
    input.TagName = "IN1";
    input.Source = TagSource::Input;
    input.TagType = ModbusType::SingleBit;
    input.ModbusFunction = ModbusTable::InputStatus;
    input.BitPosition = 1;
    input.ReadOnly = true;
    document.Tags[0] = serialTag("LEVEL", 10);
    document.Tags[1] = input;
    document.Tags[2] = serialTag("FLOW", 20);
    document.TagCount = 3;

    orvan = document;
    orvan.Email.Recipients = {"a@x", "c@x", "", "", ""};
    orvan.Email.RecipientCount = 2;
    orvan.Tags[1].ModbusFunction = ModbusTable::CoilStatus;
}

QStringList texts(const TConfigDifferences &differences)
{
    QStringList out;
    for (const TConfigDifference &d : differences)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                   .arg(CompareText::SectionText(d.section), CompareText::KindText(d.kind), QString::fromLatin1(d.tagName),
                        QString::fromLatin1(d.caption), QString::fromLatin1(d.documentText),
                        QString::fromLatin1(d.orvanText));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestConfigCompare : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void differences_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("summary");

        QTest::newRow("what the wire drops") << Change([](auto &, auto &) {}) << QStringList()
                                             << QString::fromLatin1(CompareText::Identical);
        QTest::newRow("serial fields read as the page shows them")
            << Change([](auto &d, auto &o) {
                   o.BaudRate = 4;
                   d.ScanTime = 250;
                   o.PacketTimeout = 9;
               })
            << QStringList{"Serial Port|Changed||Baud Rate (bps)|9600|19200",
                           "Serial Port|Changed||Scan Time (ms)|250 ms|100 ms",
                           "Serial Port|Changed||Modbus Packet Timeout (RTU Mode)|4|9"}
            << "The configuration differs from the one in the Orvan: 3 serial port settings.";
        QTest::newRow("a gateway value that maps to nothing is not a default")
            << Change([](auto &, auto &o) {
                   auto start = std::make_unique<TModbusOrvanConfig>();
                   SetCompareStart(*start);
                   o.BaudRate = start->BaudRate; // left by a get as it started
               })
            << QStringList{"Serial Port|Changed||Baud Rate (bps)|9600|(not a known value)"}
            << "The configuration differs from the one in the Orvan: 1 serial port setting.";
        QTest::newRow("e-mail, password masked, recipients by slot")
            << Change([](auto &d, auto &o) {
                   o.Email.SmtpPassword = "public";
                   d.Email.Enabled = true;
                   o.Email.Recipients[1] = "b@x";
               })
            << QStringList{"E-Mails|Changed||Enable relaying|Yes|No", "E-Mails|Changed||Password|******|******",
                           "E-Mails|Changed||Recipient 2|c@x|b@x"}
            << "The configuration differs from the one in the Orvan: 3 e-mail settings.";
        QTest::newRow("tags by name: changed, added, removed; letter case counts")
            << Change([](auto &d, auto &o) {
                   o.Tags[0].Address = 11;
                   o.Tags[0].HighestAlarm.RealValue = 0.1f;
                   d.Tags[2].TagName = "Flow";
               })
            << QStringList{"Tags|Changed|LEVEL|Address|40010|40011",
                           "Tags|Changed|LEVEL|High|90.5|0.100000001490116",
                           "Tags|Only in the document|Flow||Modbus Serial, Unit ID 1, Address 40020, Float|",
                           "Tags|Only in the Orvan|FLOW|||Modbus Serial, Unit ID 1, Address 40020, Float"}
            << "The configuration differs from the one in the Orvan: 1 tag changed, 1 tag only in the document, "
               "1 tag only in the Orvan.";
        QTest::newRow("order of the tags, and a name twice")
            << Change([](auto &d, auto &o) {
                   std::swap(o.Tags[0], o.Tags[2]);
                   d.Tags[3] = d.Tags[0];
                   d.TagCount = 4;
               })
            << QStringList{"Tags|Only in the document|LEVEL||Modbus Serial, Unit ID 1, Address 40010, Float|",
                           "Tags|Changed||Order of the tags|LEVEL, IN1, FLOW|FLOW, IN1, LEVEL"}
            << "The configuration differs from the one in the Orvan: 1 tag only in the document, the order of the tags.";
    }

    void differences()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, expected);
        QFETCH(QString, summary);
        auto document = std::make_unique<TModbusOrvanConfig>();
        auto orvan = std::make_unique<TModbusOrvanConfig>();
        fill(*document, *orvan);
        change(*document, *orvan);
        const TConfigDifferences differences = CompareConfigs(*document, *orvan);
        QCOMPARE(texts(differences), expected);
        QCOMPARE(CompareText::Summary(differences), summary);
    }

    // What the other protocols' records carry differently: DF1's parity 1 is sent as even,
    // Hostlink writes its retries caption its own way.
    void otherProtocols()
    {
        auto df1 = std::make_unique<TDF1OrvanConfig>();
        SetNewConfigDefaults(*df1);
        auto df1Orvan = std::make_unique<TDF1OrvanConfig>(*df1);
        df1->Parity = 1;
        df1Orvan->Parity = 2;
        QCOMPARE(texts(CompareConfigs(*df1, *df1Orvan)), QStringList());
        df1Orvan->Parity = 0;
        df1Orvan->DataBits = 7;
        QCOMPARE(texts(CompareConfigs(*df1, *df1Orvan)),
                 (QStringList{"Serial Port|Changed||Parity|Even|None", "Serial Port|Changed||Data Bits|8|7"}));

        auto hostlink = std::make_unique<THostlinkOrvanConfig>();
        SetNewConfigDefaults(*hostlink);
        auto hostlinkOrvan = std::make_unique<THostlinkOrvanConfig>(*hostlink);
        hostlinkOrvan->Email.Retries = 7;
        QCOMPARE(texts(CompareConfigs(*hostlink, *hostlinkOrvan)),
                 QStringList{"E-Mails|Changed||Retries (Times)|5|7"});
    }
};

KOVA_TEST(TestConfigCompare)
#include "tst_configcompare.moc"
