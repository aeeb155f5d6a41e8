#include "TestRegistry.h"

#include "config/TagChecks.h"
#include "config/TagRows.h"

#include <QTest>

Q_DECLARE_METATYPE(TagProtocol)
Q_DECLARE_METATYPE(TagField)

// The checks without a window, on forms built from tag list texts, as an importer of tag
// tables would run them: each refused row names the field to correct.
class TestTagChecks : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("message");
        QTest::addColumn<TagField>("field");
        const auto modbus = [](const char *name, const char *row, const char *message, TagField field) {
            QTest::newRow(name) << TagProtocol::Modbus << QByteArray(row) << QString::fromLatin1(message) << field;
        };
        modbus("holding register", "T1|Modbus Serial|1|40001|Unsigned int|No|0|No|No|0|0|No|0|0|No|None|0|0|No|1", "",
               TagField::Count);
        modbus("unknown source", "T1|Unknown (9)|1|40001|Unsigned int|No|0|No|No|0|0|No|0|0|No|None|0|0|No|1",
               "Choose a Source from the list.", TagField::Source);
        modbus("malformed limit", "T1|Modbus Serial|1|40001|Unsigned int|No|0|No|Yes|x|9|No|0|0|No|None|0|0|No|1",
               "Writing Limits are not valid", TagField::MinWrite);
        modbus("long address", "T1|Modbus Serial|1|4123456|Unsigned int|No|0|No|No|0|0|No|0|0|No|None|0|0|No|1",
               "In 6 digit format, Address must be between 00001 and 65536.", TagField::Address);
        modbus("writable input register", "T1|Modbus Serial|1|30001|Unsigned int|No|0|No|No|0|0|No|0|0|No|None|0|0|No|1",
               "Tag must be Read Only.", TagField::ReadOnly);
        modbus("output with limits", "O1|Orvan Output|0|00000|Single bit|No|1|No|Yes|0|0|No|0|0|No|None|0|0|No|0",
               "Digital Tags cannot have writting limits.", TagField::WriteLimits);
        modbus("coil with edge", "C1|Modbus Serial|1|00001|Single bit|No|0|No|No|0|0|Yes|0|1|No|None|0|0|No|0", "",
               TagField::Count);
        const auto other = [](const char *name, TagProtocol protocol, const char *row, const char *message, TagField field) {
            QTest::newRow(name) << protocol << QByteArray(row) << QString::fromLatin1(message) << field;
        };
        other("hostlink address of five digits", TagProtocol::Hostlink,
              "T1|Hostlink Serial|1|DM|12345|Unsigned int|0|No|No|0|0|No|0|0|No|None|0|0|1",
              "Register Address must be between 0 and 9999.", TagField::Address);
        other("hostlink value alarm on a word bit", TagProtocol::Hostlink,
              "T1|Hostlink Serial|1|DM|1|Word bit|3|No|No|0|0|Yes|0|1|No|None|0|0|1", "", TagField::Count);
        other("df1 unknown file type", TagProtocol::DF1, "T1|DF1 Serial|Unknown (7)|7|0|Unsigned int|0|No|No|0|0|No|0|0|No|None|0|0|1",
              "Choose a File Type from the list.", TagField::Table);
        other("df1 malformed file number", TagProtocol::DF1, "T1|DF1 Serial|Integer (N)|7x|0|Unsigned int|0|No|No|0|0|No|0|0|No|None|0|0|1",
              "Enter a valid File Number.", TagField::FileNumber);
    }

    void rows()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QByteArray, row);
        QFETCH(QString, message);
        QFETCH(TagField, field);
        const TTagForm form = TagFormFromTexts(protocol, row.split('|'));
        const TTagVerdict verdict = ValidateTag(form);
        QCOMPARE(verdict.fault ? verdict.fault->message : QString(), message);
        if (!verdict.fault)
            return;
        QCOMPARE(verdict.fault->field, field);
    }
};

KOVA_TEST(TestTagChecks)
#include "tst_tagchecks.moc"
