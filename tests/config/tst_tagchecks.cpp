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
