#include "TestRegistry.h"
#include "RecordingPrompt.h"
#include "TagDialogDriver.h"

#include "config/TagChecks.h"
#include "config/TagRows.h"
#include "config/ui/DF1Tags.h"
#include "config/ui/HostlinkTags.h"
#include "config/ui/InternalTags.h"

#include <QLocale>
#include <QPushButton>

// Expected records name only the fields that matter; the others keep their zero defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

Q_DECLARE_METATYPE(TagProtocol)
Q_DECLARE_METATYPE(THostlinkTagConfig)
Q_DECLARE_METATYPE(TDF1TagConfig)

namespace {

// Serial tags that pass every check; rows add to them or change them.
const QStringList Hostlink = {"txtTagName=t1", "txtUnitID=5", "txtAddress=100"};
const QStringList DF1 = {"txtTagName=t1", "cboFileType=Integer (N)", "txtFileNumber=7", "txtWordNumber=0"};

template<typename Record>
QString describe(const Record &tag)
{
    return QString::fromLatin1(TagToTexts(tag).join('|'));
}

} // namespace

// The Hostlink and DF1 dialogs: they force nothing while the user edits, the checks on OK
// do that work, and the user picks the alarm kind.
class TestHostlinkDF1TagDialogs : public QObject
{
    Q_OBJECT

    RecordingPrompt prompt;
    TfrmInternalTags picker;
    TfrmHostlinkTags hostlink{&picker};
    TfrmDF1Tags df1{&picker};

    template<typename Dialog>
    void open(Dialog &dialog, bool editMode, const decltype(Dialog::TagConfig) &tag = {})
    {
        hostlink.hide();
        df1.hide();
        dialog.EditMode = editMode;
        dialog.TagConfig = tag;
        dialog.setResult(0);
        dialog.show();
        prompt.clear();
    }

    TTagsDialog &openNew(TagProtocol protocol)
    {
        if (protocol == TagProtocol::Hostlink) {
            open(hostlink, false);
            return hostlink;
        }
        open(df1, false);
        return df1;
    }

    static void ok(QWidget &dialog) { dialog.findChild<QPushButton *>(QStringLiteral("btnOk"))->click(); }

    // Builds a tag through the dialog, then shows it again and confirms it unchanged.
    template<typename Dialog>
    void roundTrip(Dialog &dialog, const QStringList &steps, const decltype(Dialog::TagConfig) &expected, const QStringList &shownAgain)
    {
        open(dialog, false);
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        ok(dialog);
        QCOMPARE(prompt.texts().join(QLatin1Char('\n')), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(describe(dialog.TagConfig), describe(expected));
        QVERIFY(dialog.TagConfig == expected);

        // The same tag as tag list texts passes the same checks and builds the same record.
        const TTagForm fromRow = TagFormFromTexts(dialog.Protocol(), TagToTexts(expected));
        QVERIFY(ValidateTag(fromRow).passed());
        decltype(Dialog::TagConfig) rebuilt;
        GetTagConfiguration(fromRow, rebuilt);
        QVERIFY(rebuilt == expected);

        open(dialog, true, expected);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit %1 Tag").arg(ProtocolWord(dialog.Protocol())));
        const QStringList wrong = TagDialogDriver::mismatches(dialog, shownAgain);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
        ok(dialog);
        QCOMPARE(prompt.texts().join(QLatin1Char('\n')), QString());
        QVERIFY(dialog.TagConfig == expected);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void checks_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("message");
        const auto hl = [](const char *name, const QStringList &steps, const char *message) {
            QTest::newRow(name) << TagProtocol::Hostlink << steps << QString::fromLatin1(message);
        };
        const auto df = [](const char *name, const QStringList &steps, const char *message) {
            QTest::newRow(name) << TagProtocol::DF1 << steps << QString::fromLatin1(message);
        };
        hl("hostlink unit 99", Hostlink + QStringList{"txtUnitID=99"}, "");
        hl("hostlink unit 0", Hostlink + QStringList{"txtUnitID=0"}, "");
        hl("hostlink no unit", Hostlink + QStringList{"txtUnitID="}, "Unit ID must be provided.");
        hl("hostlink single bit", Hostlink + QStringList{"cboType=Single bit"}, "Hostlink Serial Tags cannot be of type \"Single Bit\".");
        hl("hostlink no address", Hostlink + QStringList{"txtAddress="}, "Register Address must be provided.");
        hl("hostlink word bit 16", Hostlink + QStringList{"cboType=Word bit", "txtBitPosition=16"}, "Bit Position must be between 0 and 15.");
        hl("word bit with limits", Hostlink + QStringList{"cboType=Word bit", "txtBitPosition=1", "chkWriteLimits=1"},
           "Digital Tags cannot have writting limits.");
        const QStringList alarm = Hostlink + QStringList{"chkAlarmEnable=1"};
        hl("word bit with value alarm", alarm + QStringList{"cboType=Word bit", "txtBitPosition=1", "chkAlarmValue=1"},
           "Digital Tags cannot have alarm by a range of values.");
        hl("unsigned with edge alarm", alarm + QStringList{"chkAlarmEdge=1"}, "Only Digital Tags can have edge-triggered alarm.");
        hl("alarm of no kind", alarm, "Select either Out of Range Value Alarm or Edge triggered Alarm.");
        hl("alarm range reversed", alarm + QStringList{"chkAlarmValue=1", "txtLowestAlarm=9", "txtHighestAlarm=1"}, "Alarm Range is not valid");
        hl("word bit scaled", Hostlink + QStringList{"cboType=Word bit", "txtBitPosition=1", "cboScale=Linear (Ax+B)"},
           "Digital Tags cannot be scalable");
        hl("signed int limits", Hostlink + QStringList{"cboType=Signed int", "chkWriteLimits=1", "txtMinWrite=-40000", "txtMaxWrite=1"},
           "Write Limits must be between -32768 and 32767 for the selected type.");
        hl("long alarm not integer", alarm + QStringList{"cboType=Long", "chkAlarmValue=1", "txtLowestAlarm=0.5", "txtHighestAlarm=1"},
           "Alarm range values must be Integer for this type of Tag.");
        const QStringList input = {"cboSource=Orvan Input", "txtTagName=in1", "txtBitPosition=1"};
        hl("input not read only", input, "Tag must be Read Only.");
        hl("input of no alarm kind", input + QStringList{"chkReadOnly=1", "chkAlarmEnable=1"}, "");
        hl("input with value alarm", input + QStringList{"chkReadOnly=1", "chkAlarmEnable=1", "chkAlarmValue=1"},
           "Digital Tags cannot have alarm by a range of values.");
        hl("output bit 8", {"cboSource=Orvan Output", "txtTagName=o1", "txtBitPosition=8"}, "Bit Position must be between 0 and 7.");
        hl("output scaled", {"cboSource=Orvan Output", "txtTagName=o1", "txtBitPosition=0", "cboScale=Linear (Ax+B)"},
           "Digital Tags cannot be scalable");
        hl("output with limits", {"cboSource=Orvan Output", "txtTagName=o1", "txtBitPosition=0", "chkWriteLimits=1"},
           "Digital Tags cannot have writting limits.");
        hl("internal not read only", {"cboSource=Internal", "txtTagName=_ALARM"}, "Tag must be Read Only.");
        hl("internal _TEMP", {"cboSource=Internal", "txtTagName=_TEMP", "chkReadOnly=1"}, "Unrecognized Internal Tag Name.");
        hl("internal value alarm", {"cboSource=Internal", "txtTagName=_ALARM", "chkReadOnly=1", "chkAlarmEnable=1", "chkAlarmValue=1"},
           "Digital Tags cannot have alarm by a range of values.");
        const QStringList analog = {"cboSource=Orvan Ainput", "txtTagName=a1", "txtBitPosition=0", "chkReadOnly=1", "chkAlarmEnable=1"};
        hl("analog alarm empty", analog + QStringList{"chkAlarmEdge=1"}, "Alarm Range is not valid");
        hl("analog alarm not integer", analog + QStringList{"txtLowestAlarm=0.5", "txtHighestAlarm=1"},
           "Alarm range values must be Integer for this type of Tag.");
        hl("analog factor missing", analog + QStringList{"txtLowestAlarm=0", "txtHighestAlarm=1", "cboScale=Linear (Ax+B)", "txtFactorA=1"},
           "Scale Factors are not valid");
        df("df1 single bit before the file", {"txtTagName=t1", "cboType=Single bit"}, "DF1 Serial Tags cannot be of type \"Single Bit\".");
        df("df1 no file", DF1 + QStringList{"txtFileNumber="}, "Enter a valid File Number.");
        df("df1 file 65536", DF1 + QStringList{"txtFileNumber=65536"}, "File Number must be between 0 and 65535.");
        df("integer file 8", DF1 + QStringList{"txtFileNumber=8"}, "File Number for Tags of File Type \"Integer (N)\" must be 7 or greater than 8.");
        df("integer file 9", DF1 + QStringList{"txtFileNumber=9"}, "");
        df("integer file 255", DF1 + QStringList{"txtFileNumber=255"}, "");
        df("float file 8", DF1 + QStringList{"cboFileType=Float (F)", "txtFileNumber=8"}, "");
        df("float file 5", DF1 + QStringList{"cboFileType=Float (F)", "txtFileNumber=5"},
           "File Number for Tags of File Type \"Float (F)\" must be 8 or greater than 8.");
        df("binary file 3", DF1 + QStringList{"cboFileType=Binary (B)", "txtFileNumber=3"}, "");
        df("input file 0", DF1 + QStringList{"cboFileType=Input (I)", "txtFileNumber=0"},
           "File Number for Tags of File Type \"Input (I)\" must be \"1\"");
        df("output file 1", DF1 + QStringList{"cboFileType=Output (O)", "txtFileNumber=1"},
           "File Number for Tags of File Type \"Output (O)\" must be \"0\"");
        df("status file 2", DF1 + QStringList{"cboFileType=Status (S)", "txtFileNumber=2"}, "");
        df("df1 no word", DF1 + QStringList{"txtWordNumber="}, "Enter a valid Word number.");
        df("df1 word 65536", DF1 + QStringList{"txtWordNumber=65536"}, "Word Number must be between 0 and 65535.");
        df("df1 word bit 16", DF1 + QStringList{"cboType=Word bit", "txtBitPosition=16"}, "Bit Position must be between 0 and 15.");
        df("df1 alarm of no kind", DF1 + QStringList{"chkAlarmEnable=1"}, "Select either Out of Range Value Alarm or Edge triggered Alarm.");
        df("df1 internal _TEMP", {"cboSource=Internal", "txtTagName=_TEMP", "chkReadOnly=1"}, "Unrecognized Internal Tag Name.");
    }

    void checks()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        TTagsDialog &dialog = openNew(protocol);
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        ok(dialog);
        QCOMPARE(prompt.texts().join(QLatin1Char('\n')), message);
        QCOMPARE(prompt.texts(QStringLiteral("error")).size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
    }

    void enabling_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const auto hl = [](const char *name, const QStringList &steps, const QStringList &expected) {
            QTest::newRow(name) << TagProtocol::Hostlink << steps << expected;
        };
        hl("new tag", {}, {"cboSource=Hostlink Serial", "cboType=Unsigned int", "cboHostlinkFunction=IR", "txtBitPosition:disabled",
                           "chkSendEMail:disabled", "chkAlarmValue:disabled", "txtLowestAlarm:disabled", "chkAlarmEdge:disabled",
                           "rdoPositive:disabled", "rdoPositive=1", "rdoPositive:visible", "txtLowestAlarm:visible",
                           "txtFactorA:disabled", "btnInternal:disabled"});
        hl("alarm enabled", {"chkAlarmEnable=1"}, {"chkSendEMail:enabled", "chkAlarmValue:enabled", "txtLowestAlarm:enabled",
                                                   "txtHighestAlarm:enabled", "chkAlarmEdge:enabled", "rdoNegative:enabled"});
        hl("one alarm kind", {"chkAlarmEnable=1", "chkAlarmValue=1", "chkAlarmEdge=1"}, {"chkAlarmValue=0", "chkAlarmEdge=1"});
        hl("no alarm kind", {"chkAlarmEnable=1", "chkAlarmEdge=1", "chkAlarmEdge=0"}, {"chkAlarmValue=0", "chkAlarmEdge=0"});
        hl("alarm off again", {"chkAlarmEnable=1", "chkSendEMail=1", "chkAlarmValue=1", "chkAlarmEnable=0"},
           {"chkSendEMail=0", "chkSendEMail:disabled", "chkAlarmValue=0", "chkAlarmValue:disabled", "rdoPositive:disabled"});
        hl("word bit forces nothing", {"cboType=Word bit"}, {"txtBitPosition:enabled", "chkWriteLimits:enabled", "cboScale:enabled"});
        hl("read only", {"chkWriteLimits=1", "chkReadOnly=1"}, {"chkWriteLimits=0", "chkWriteLimits:disabled", "txtMinWrite:disabled"});
        hl("input", {"cboSource=Orvan Input"}, {"cboType=Single bit", "cboType:disabled", "chkReadOnly=0", "chkReadOnly:enabled",
                                                "txtUnitID:disabled", "cboHostlinkFunction:disabled", "txtAddress:disabled",
                                                "txtBitPosition:enabled"});
        hl("analog input", {"cboSource=Orvan Ainput"}, {"cboType=Signed int", "txtBitPosition:enabled"});
        hl("internal", {"cboSource=Internal"}, {"btnInternal:enabled", "txtBitPosition:disabled", "cboType=Single bit"});
        hl("typing", {"txtUnitID=100", "txtAddress=12a345", "txtTagName=ab"}, {"txtUnitID=10", "txtAddress=1234", "txtTagName=AB"});
        const auto df = [](const char *name, const QStringList &steps, const QStringList &expected) {
            QTest::newRow(name) << TagProtocol::DF1 << steps << expected;
        };
        df("df1 new tag", {}, {"cboSource=DF1 Serial", "cboFileType=Input (I)", "cboType=Unsigned int", "txtFileNumber=",
                               "txtWordNumber=", "txtBitPosition:disabled", "chkAlarmValue:disabled"});
        df("df1 output", {"cboSource=Orvan Output"}, {"cboFileType:disabled", "lblFileType:disabled", "txtFileNumber:disabled",
                                                     "txtWordNumber:disabled", "cboType=Single bit", "txtBitPosition:enabled"});
        df("df1 typing", {"txtFileNumber=123456", "txtWordNumber=9x"}, {"txtFileNumber=12345", "txtWordNumber=9"});
    }

    void enabling()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        TTagsDialog &dialog = openNew(protocol);
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        const QStringList wrong = TagDialogDriver::mismatches(dialog, expected);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }

    void hostlinkRecords_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<THostlinkTagConfig>("expected");
        QTest::addColumn<QStringList>("shownAgain");
        QTest::newRow("DM word with limits and value alarm")
            << QStringList{"txtTagName=level", "txtUnitID=99", "cboHostlinkFunction=DM", "txtAddress=1234", "chkWriteLimits=1",
                           "txtMinWrite=0", "txtMaxWrite=100", "chkAlarmEnable=1", "chkAlarmValue=1", "txtLowestAlarm=10",
                           "txtHighestAlarm=90", "chkSendEMail=1"}
            << THostlinkTagConfig{.TagName = "LEVEL", .UnitID = 99, .HostlinkFunction = HostlinkArea::DM, .Address = 1234,
                                  .WriteLimits = true, .MaxWrite = {.IntValue = 100}, .AlarmEnable = true, .SendEMail = true,
                                  .LowestAlarm = {.IntValue = 10}, .HighestAlarm = {.IntValue = 90}, .ValueKind = TagValueKind::Integer}
            << QStringList{"chkAlarmValue=1", "chkAlarmEdge=0", "txtHighestAlarm=90", "cboHostlinkFunction=DM"};
        QTest::newRow("word bit with negative edge")
            << QStringList{"txtTagName=b", "txtUnitID=0", "cboHostlinkFunction=HR", "txtAddress=7", "cboType=Word bit",
                           "txtBitPosition=15", "chkAlarmEnable=1", "chkAlarmEdge=1", "rdoNegative"}
            << THostlinkTagConfig{.TagName = "B", .TagType = HostlinkDF1Type::WordBit, .HostlinkFunction = HostlinkArea::HR,
                                  .Address = 7, .BitPosition = 15, .AlarmEnable = true, .HighestAlarm = {.BoolValue = true}}
            << QStringList{"chkAlarmEdge=1", "chkAlarmValue=0", "rdoNegative=1", "txtLowestAlarm="};
        QTest::newRow("input alarm of no kind is an edge")
            << QStringList{"cboSource=Orvan Input", "txtTagName=in2", "txtBitPosition=2", "chkReadOnly=1", "chkAlarmEnable=1"}
            << THostlinkTagConfig{.TagName = "IN2", .Source = TagSource::Input, .TagType = HostlinkDF1Type::SingleBit,
                                  .BitPosition = 2, .ReadOnly = true, .AlarmEnable = true, .LowestAlarm = {.BoolValue = true}}
            << QStringList{"chkAlarmEdge=1", "rdoPositive=1"};
        QTest::newRow("scaled analog input, edge box ticked")
            << QStringList{"cboSource=Orvan Ainput", "txtTagName=ai", "txtBitPosition=7", "chkReadOnly=1", "chkAlarmEnable=1",
                           "chkAlarmEdge=1", "txtLowestAlarm=0.5", "txtHighestAlarm=1.5", "cboScale=Linear (Ax+B)", "txtFactorA=0.01",
                           "txtFactorB=0"}
            << THostlinkTagConfig{.TagName = "AI", .Source = TagSource::AInput, .TagType = HostlinkDF1Type::SignedInt, .BitPosition = 7,
                                  .ReadOnly = true, .AlarmEnable = true, .LowestAlarm = {.RealValue = 0.5f},
                                  .HighestAlarm = {.RealValue = 1.5f}, .Scale = TagScale::Linear, .FactorA = 0.01f,
                                  .ValueKind = TagValueKind::Real}
            << QStringList{"chkAlarmValue=1", "txtLowestAlarm=0.5"};
        QTest::newRow("internal _ALARMNAK")
            << QStringList{"cboSource=Internal", "txtTagName=_alarmnak", "chkReadOnly=1"}
            << THostlinkTagConfig{.TagName = "_ALARMNAK", .Source = TagSource::Internal, .TagType = HostlinkDF1Type::SingleBit,
                                  .ReadOnly = true}
            << QStringList{"cboSource=Internal", "btnInternal:enabled"};
    }

    void hostlinkRecords()
    {
        QFETCH(QStringList, steps);
        QFETCH(THostlinkTagConfig, expected);
        QFETCH(QStringList, shownAgain);
        roundTrip(hostlink, steps, expected, shownAgain);
    }

    void df1Records_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<TDF1TagConfig>("expected");
        QTest::addColumn<QStringList>("shownAgain");
        QTest::newRow("long in an integer file")
            << QStringList{"txtTagName=count", "cboFileType=Integer (N)", "txtFileNumber=7", "txtWordNumber=10", "cboType=Long",
                           "chkWriteLimits=1", "txtMinWrite=-1", "txtMaxWrite=2147483647"}
            << TDF1TagConfig{.TagName = "COUNT", .TagType = HostlinkDF1Type::Long, .FileType = DF1File::Integer, .FileNumber = 7,
                             .WordNumber = 10, .WriteLimits = true, .MinWrite = {.IntValue = -1},
                             .MaxWrite = {.IntValue = 2147483647}, .ValueKind = TagValueKind::Integer}
            << QStringList{"txtFileNumber=7", "txtMaxWrite=2147483647"};
        QTest::newRow("scaled float file")
            << QStringList{"txtTagName=f", "cboFileType=Float (F)", "txtFileNumber=200", "txtWordNumber=65535", "cboType=Float",
                           "chkAlarmEnable=1", "chkAlarmValue=1", "txtLowestAlarm=-1.25", "txtHighestAlarm=1000000", "cboScale=Linear (Ax+B)",
                           "txtFactorA=2", "txtFactorB=1"}
            << TDF1TagConfig{.TagName = "F", .TagType = HostlinkDF1Type::Float, .FileType = DF1File::Float, .FileNumber = 200,
                             .WordNumber = 65535, .AlarmEnable = true, .LowestAlarm = {.RealValue = -1.25f},
                             .HighestAlarm = {.RealValue = 1e6f}, .Scale = TagScale::Linear, .FactorA = 2, .FactorB = 1,
                             .ValueKind = TagValueKind::Real}
            << QStringList{"txtHighestAlarm=1000000", "txtFactorA=2"};
        QTest::newRow("word bit of a binary file")
            << QStringList{"txtTagName=bit", "cboFileType=Binary (B)", "txtFileNumber=3", "txtWordNumber=1", "cboType=Word bit",
                           "txtBitPosition=15", "chkAlarmEnable=1", "chkAlarmEdge=1"}
            << TDF1TagConfig{.TagName = "BIT", .TagType = HostlinkDF1Type::WordBit, .FileType = DF1File::Binary, .FileNumber = 3,
                             .WordNumber = 1, .BitPosition = 15, .AlarmEnable = true, .LowestAlarm = {.BoolValue = true}}
            << QStringList{"txtBitPosition=15", "rdoPositive=1"};
        QTest::newRow("output whatever the file list shows")
            << QStringList{"cboFileType=Integer (N)", "txtFileNumber=9", "txtWordNumber=4", "cboSource=Orvan Output", "txtTagName=valve",
                           "txtBitPosition=4"}
            << TDF1TagConfig{.TagName = "VALVE", .Source = TagSource::Output, .TagType = HostlinkDF1Type::SingleBit,
                             .FileType = DF1File::Output, .BitPosition = 4}
            << QStringList{"cboFileType=Output (O)", "txtFileNumber=0"};
    }

    void df1Records()
    {
        QFETCH(QStringList, steps);
        QFETCH(TDF1TagConfig, expected);
        QFETCH(QStringList, shownAgain);
        roundTrip(df1, steps, expected, shownAgain);
    }
};

KOVA_TEST(TestHostlinkDF1TagDialogs)
#include "tst_hostlinkdf1tagdialog.moc"
