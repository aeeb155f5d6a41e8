#include "TestRegistry.h"
#include "RecordingPrompt.h"
#include "TagDialogDriver.h"

#include "config/TagChecks.h"
#include "config/TagRows.h"
#include "config/ui/InternalTags.h"
#include "config/ui/ModbusTags.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

// Expected records name only the fields that matter; the others keep their zero defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

Q_DECLARE_METATYPE(TModbusTagConfig)

namespace {

// Every field, so that a failed comparison shows what differs.
QString describe(const TModbusTagConfig &t)
{
    const auto value = [](const TTagValue &v) { return QStringLiteral("%1/%2/%3").arg(v.RealValue).arg(v.IntValue).arg(v.BoolValue); };
    return QStringLiteral("%1 src%2 unit%3 type%4 table%5 addr%6 bit%7 r32:%8 ro:%9 wl:%10 [%11 %12] al:%13 mail:%14 [%15 %16] "
                          "scale%17 A%18 B%19 kind%20 trap:%21")
        .arg(QString::fromLatin1(t.TagName)).arg(t.Source).arg(t.UnitID).arg(t.TagType).arg(t.ModbusFunction)
        .arg(t.Address).arg(t.BitPosition).arg(t.Register32).arg(t.ReadOnly).arg(t.WriteLimits)
        .arg(value(t.MinWrite), value(t.MaxWrite)).arg(t.AlarmEnable).arg(t.SendEMail)
        .arg(value(t.LowestAlarm), value(t.HighestAlarm)).arg(t.Scale).arg(t.FactorA).arg(t.FactorB)
        .arg(t.ValueKind).arg(t.SendTrap);
}

// A serial tag that passes every check; rows add to it or change it.
const QStringList Serial = {"txtTagName=t1", "txtUnitID=1", "txtAddress=0001"};
const QString Converted = QStringLiteral(
    "warning: The entered Address will be converted in its equivalent value expressed in the 5 digits Format.");

} // namespace

class TestModbusTagDialog : public QObject
{
    Q_OBJECT

    RecordingPrompt prompt;
    TfrmInternalTags picker;
    TfrmModbusTags dialog{&picker};

    void open(bool editMode, const TModbusTagConfig &tag = {})
    {
        dialog.hide();
        dialog.EditMode = editMode;
        dialog.TagConfig = tag;
        dialog.setResult(0);
        dialog.show();
        prompt.clear();
    }

    QStringList promptLog() const
    {
        QStringList log;
        for (const RecordingPrompt::Entry &e : prompt.log)
            log << e.kind + QStringLiteral(": ") + e.text;
        return log;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    // The checks on OK, each failure with its message; a short address warns and goes on.
    void checks_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char *name, const QStringList &steps, const QString &message) {
            QTest::newRow(name) << steps << (message.isEmpty() ? QStringList() : QStringList{message});
        };
        const auto error = [](const char *text) { return QStringLiteral("error: ") + QLatin1String(text); };
        row("no name", {"txtUnitID=1", "txtAddress=0001"}, error("Tag must have a name."));
        row("no unit", {"txtTagName=t1", "txtAddress=0001"}, error("Modbus Unit ID must be provided."));
        row("unit 0", Serial + QStringList{"txtUnitID=0"}, error("Unit ID must be between 1 and 255."));
        row("unit 256", Serial + QStringList{"txtUnitID=256"}, error("Unit ID must be between 1 and 255."));
        row("unit 255", Serial + QStringList{"txtUnitID=255"}, {});
        row("address 001", Serial + QStringList{"txtAddress=001"}, Converted);
        row("address 00001", Serial + QStringList{"txtAddress=00001"}, Converted);
        row("address 10000", Serial + QStringList{"txtAddress=10000"}, {});
        row("address 65537", Serial + QStringList{"txtAddress=65537"},
            error("In 6 digit format, Address must be between 00001 and 65536."));
        row("address 000", Serial + QStringList{"txtAddress=000"}, error("In 4 digit format, Address must be between 001 and 999."));
        row("address 0000", Serial + QStringList{"txtAddress=0000"}, error("In 5 digit format, Address must be between 0001 and 9999."));
        row("address 12", Serial + QStringList{"txtAddress=12"}, error("Register Address must be complete."));
        row("address empty", Serial + QStringList{"txtAddress="}, error("Register Address must be provided."));
        row("address with a gap", Serial + QStringList{"txtAddress=0 1"}, error("Register Address must be provided."));
        row("word bit without bit", Serial + QStringList{"cboType=Word bit"}, error("Bit Position must be provided for this type."));
        row("word bit 16", Serial + QStringList{"cboType=Word bit", "txtBitPosition=16"}, error("Bit Position must be between 0 and 15."));
        QTest::newRow("warning, then a failure") << Serial + QStringList{"txtAddress=001", "cboType=Word bit"}
                                                 << QStringList{Converted, error("Bit Position must be provided for this type.")};
        const QStringList limits = Serial + QStringList{"chkWriteLimits=1"};
        row("signed int out of range", limits + QStringList{"cboType=Signed int", "txtMinWrite=-40000", "txtMaxWrite=10"},
            error("Write Limits must be between -32768 and 32767 for the selected type."));
        row("long not integer", limits + QStringList{"cboType=Long", "txtMinWrite=1.5", "txtMaxWrite=10"},
            error("Write Limits must be Integer for this type of Tag."));
        row("long scaled is real", limits + QStringList{"cboType=Long", "txtMinWrite=1.5", "txtMaxWrite=10",
                                                        "cboScale=Linear (Ax+B)", "txtFactorA=2", "txtFactorB=1"}, {});
        row("equal limits", limits + QStringList{"txtMinWrite=10", "txtMaxWrite=10"}, error("Writing Limits are not valid"));
        row("limit not a number", limits + QStringList{"txtMinWrite=1-", "txtMaxWrite=10"}, error("Writing Limits are not valid"));
        const QStringList alarm = Serial + QStringList{"chkAlarmEnable=1"};
        row("alarm reversed", alarm + QStringList{"txtLowestAlarm=10", "txtHighestAlarm=5"}, error("Alarm Range is not valid"));
        row("alarm not integer", alarm + QStringList{"txtLowestAlarm=1.5", "txtHighestAlarm=5"},
            error("Alarm range values must be Integer for this type of Tag."));
        row("alarm below unsigned", alarm + QStringList{"txtLowestAlarm=-1", "txtHighestAlarm=5"},
            error("Alarm Range Values must be between 0 and 65535 for the selected type."));
        row("bcd full range", alarm + QStringList{"cboType=BCD", "txtLowestAlarm=0", "txtHighestAlarm=65535"}, {});
        row("no factor", Serial + QStringList{"cboScale=Linear (Ax+B)", "txtFactorB=1"}, error("Scale Factors are not valid"));
        const QStringList temp = {"cboSource=Internal", "txtTagName=_temp"};
        row("_TEMP with alarm and scale", temp + QStringList{"chkAlarmEnable=1", "txtLowestAlarm=-10.5", "txtHighestAlarm=80",
                                                           "cboScale=Linear (Ax+B)", "txtFactorA=1.8", "txtFactorB=32"}, {});
        row("_TEMP alarm not a number", temp + QStringList{"chkAlarmEnable=1", "txtLowestAlarm=1-2", "txtHighestAlarm=80"},
            error("Alarm Range is not valid"));
        row("unknown internal", {"cboSource=Internal", "txtTagName=_ALARM2"}, error("Unrecognized Internal Tag Name."));
        row("output bit 8", {"cboSource=Orvan Output", "txtTagName=o1", "txtBitPosition=8"}, error("Bit Position must be between 0 and 7."));
        row("output no bit", {"cboSource=Orvan Output", "txtTagName=o1"}, error("Bit Position must be provided for this type."));
        const QStringList analog = {"cboSource=#4", "txtTagName=a1", "txtBitPosition=0", "chkAlarmEnable=1"};
        row("analog alarm not integer", analog + QStringList{"txtLowestAlarm=1.5", "txtHighestAlarm=10"},
            error("Alarm range values must be Integer for this type of Tag."));
        row("analog alarm out of range", analog + QStringList{"txtLowestAlarm=0", "txtHighestAlarm=40000"},
            error("Alarm Range Values must be between -32768 and 32767 for the selected type."));
        row("analog alarm empty", analog, error("Alarm Range is not valid"));
        row("analog factor not a number", analog + QStringList{"txtLowestAlarm=0", "txtHighestAlarm=1", "cboScale=Linear (Ax+B)",
                                                               "txtFactorA=-", "txtFactorB=0"}, error("Scale Factors are not valid"));
        row("analog scaled real alarm", analog + QStringList{"txtLowestAlarm=0.5", "txtHighestAlarm=1.5", "cboScale=Linear (Ax+B)",
                                                             "txtFactorA=0.1", "txtFactorB=0"}, {});
    }

    void checks()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, messages);
        open(false);
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        TModbusTagConfig before;
        before.TagName = "UNTOUCHED";
        dialog.TagConfig = before;
        dialog.findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        QCOMPARE(promptLog(), messages);
        const bool passes = !messages.join(QLatin1Char('\n')).contains(QLatin1String("error: "));
        QCOMPARE(dialog.result() == QDialog::Accepted, passes);
        QCOMPARE(dialog.isVisible(), !passes);
        // A refused tag leaves the record as it was.
        if (!passes)
            QCOMPARE(dialog.TagConfig.TagName, QByteArray("UNTOUCHED"));
    }

    // What the fields show and allow while the user edits.
    void enabling_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("new tag") << QStringList{}
            << QStringList{"cboSource=Modbus Serial", "cboType=Unsigned int", "cboModbusFunction=Holding Register", "txtAddress=4",
                           "btnInternal:disabled", "txtBitPosition:disabled", "chk32Bit:disabled", "txtMinWrite:disabled",
                           "chkSendEMail:disabled", "txtLowestAlarm:visible", "rdoPositive:hidden", "rdoPositive=1",
                           "cboScale=None", "txtFactorA:disabled"};
        QTest::newRow("coil status") << QStringList{"txtAddress=12", "cboModbusFunction=Coil Status"}
            << QStringList{"cboType=Single bit", "cboType:disabled", "txtAddress=012", "chkWriteLimits:disabled",
                           "cboScale:disabled", "rdoPositive:visible", "imgPositive:visible", "txtLowestAlarm:hidden",
                           "lblLowestAlarm:hidden", "rdoPositive:disabled"};
        QTest::newRow("coil alarm") << QStringList{"cboModbusFunction=Coil Status", "chkAlarmEnable=1"}
            << QStringList{"rdoPositive:enabled", "rdoNegative:enabled", "chkSendTrap:enabled", "chkSendEMail:enabled"};
        QTest::newRow("input register") << QStringList{"cboType=Long", "cboModbusFunction=Input Register"}
            << QStringList{"chkReadOnly=1", "chkReadOnly:disabled", "chkWriteLimits:disabled", "cboType=Unsigned int",
                           "cboType:enabled"};
        QTest::newRow("long, then bcd") << QStringList{"cboType=Long", "chk32Bit=1", "cboType=BCD"}
            << QStringList{"chk32Bit=0", "chk32Bit:disabled"};
        QTest::newRow("float") << QStringList{"cboType=Float"} << QStringList{"chk32Bit:enabled", "txtBitPosition:disabled"};
        QTest::newRow("word bit") << QStringList{"cboType=Word bit"}
            << QStringList{"txtBitPosition:enabled", "rdoPositive:visible", "chkWriteLimits:disabled"};
        QTest::newRow("write limits") << QStringList{"chkWriteLimits=1"} << QStringList{"txtMinWrite:enabled", "txtMaxWrite:enabled"};
        QTest::newRow("read only") << QStringList{"chkWriteLimits=1", "chkReadOnly=1"}
            << QStringList{"chkWriteLimits=0", "chkWriteLimits:disabled", "txtMinWrite:disabled"};
        QTest::newRow("_TEMP on serial") << QStringList{"txtTagName=_temp"}
            << QStringList{"txtTagName=_TEMP", "cboType=Float", "txtUnitID:disabled", "lblUnitID:disabled", "txtAddress:disabled",
                           "cboType:disabled", "cboModbusFunction:disabled", "btnInternal:enabled"};
        QTest::newRow("_TEMP, then back to serial") << QStringList{"txtTagName=_temp", "cboSource=Orvan Input", "cboSource=Modbus Serial"}
            << QStringList{"txtUnitID:enabled", "txtAddress:enabled", "cboType:enabled", "btnInternal:disabled"};
        QTest::newRow("input") << QStringList{"cboSource=Orvan Input"}
            << QStringList{"cboType=Single bit", "cboType:disabled", "txtBitPosition:enabled", "chkReadOnly=1", "chkReadOnly:disabled",
                           "txtUnitID:disabled", "rdoPositive:visible", "btnInternal:disabled"};
        QTest::newRow("output") << QStringList{"cboSource=Orvan Output"}
            << QStringList{"chkReadOnly:enabled", "chkReadOnly=0", "chkWriteLimits:disabled", "cboScale:disabled"};
        QTest::newRow("analog input") << QStringList{"cboSource=#4"}
            << QStringList{"cboType=Signed int", "txtLowestAlarm:visible", "cboScale:enabled", "chkReadOnly=1", "chkWriteLimits:disabled"};
        QTest::newRow("internal") << QStringList{"cboSource=Internal"}
            << QStringList{"btnInternal:enabled", "txtBitPosition:disabled", "cboType=Single bit", "rdoPositive:visible"};
        QTest::newRow("internal renamed from _TEMP") << QStringList{"cboSource=Internal", "txtTagName=_TEMP", "txtTagName=_ALARM"}
            << QStringList{"cboType=Single bit", "rdoPositive:visible", "txtLowestAlarm:hidden"};
        QTest::newRow("scale page of a digital tag") << QStringList{"cboModbusFunction=Coil Status", "tabPages=3"}
            << QStringList{"cboScale=None", "cboScale:disabled"};
        QTest::newRow("linear scale") << QStringList{"cboScale=Linear (Ax+B)"} << QStringList{"txtFactorA:enabled", "txtFactorB:enabled"};
        QTest::newRow("alarm off again") << QStringList{"chkAlarmEnable=1", "chkSendEMail=1", "chkSendTrap=1", "chkAlarmEnable=0"}
            << QStringList{"chkSendEMail=0", "chkSendEMail:disabled", "chkSendTrap=0", "txtLowestAlarm:disabled"};
        // Key filters: digit fields take digits, number fields numbers, names go upper case.
        QTest::newRow("typing") << QStringList{"txtUnitID=1a 2", "chkWriteLimits=1", "txtMinWrite=-1.5e3,x", "txtTagName=tank_1\u20ac", "txtAddress=1x2"}
            << QStringList{"txtUnitID=12", "txtMinWrite=-1.53,", "txtTagName=TANK_1", "txtAddress=412"};
    }

    void enabling()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        open(false);
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        const QStringList wrong = TagDialogDriver::mismatches(dialog, expected);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }

    // The record built for each source, and that record shown again and confirmed
    // unchanged (what the caller does after refusing a duplicate name).
    void records_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<TModbusTagConfig>("expected");
        QTest::addColumn<QStringList>("shownAgain");
        QTest::newRow("long with limits, alarm and trap") << QString()
            << QStringList{"txtTagName=tank1", "txtUnitID=17", "cboType=Long", "chk32Bit=1", "txtAddress=10000", "chkWriteLimits=1",
                           "txtMinWrite=-5", "txtMaxWrite=100000", "chkAlarmEnable=1", "txtLowestAlarm=0", "txtHighestAlarm=50000",
                           "chkSendEMail=1", "chkSendTrap=1"}
            << TModbusTagConfig{.TagName = "TANK1", .UnitID = 17, .TagType = ModbusType::Long, .Address = 10000, .Register32 = true,
                                .WriteLimits = true, .MinWrite = {.IntValue = -5}, .MaxWrite = {.IntValue = 100000},
                                .AlarmEnable = true, .SendEMail = true, .HighestAlarm = {.IntValue = 50000},
                                .ValueKind = TagValueKind::Integer, .SendTrap = true}
            << QStringList{"txtAddress=410000", "txtMinWrite=-5", "chk32Bit=1"};
        QTest::newRow("coil, negative edge, short address") << QString()
            << QStringList{"txtTagName=c1", "txtUnitID=2", "cboModbusFunction=Coil Status", "txtAddress=001", "chkAlarmEnable=1", "rdoNegative"}
            << TModbusTagConfig{.TagName = "C1", .UnitID = 2, .TagType = ModbusType::SingleBit, .ModbusFunction = ModbusTable::CoilStatus,
                                .Address = 1, .AlarmEnable = true, .HighestAlarm = {.BoolValue = true}}
            << QStringList{"txtAddress=00001", "rdoNegative=1", "txtLowestAlarm=", "cboType:disabled"};
        QTest::newRow("scaled float, comma locale") << QStringLiteral("de_DE")
            << QStringList{"txtTagName=f1", "txtUnitID=3", "cboType=Float", "txtAddress=0100", "chkWriteLimits=1", "txtMinWrite=0,5",
                           "txtMaxWrite=1,5", "cboScale=Linear (Ax+B)", "txtFactorA=2", "txtFactorB=-0,25"}
            << TModbusTagConfig{.TagName = "F1", .UnitID = 3, .TagType = ModbusType::Float, .Address = 100, .WriteLimits = true,
                                .MinWrite = {.RealValue = 0.5f}, .MaxWrite = {.RealValue = 1.5f}, .Scale = TagScale::Linear,
                                .FactorA = 2, .FactorB = -0.25f, .ValueKind = TagValueKind::Real}
            << QStringList{"txtMaxWrite=1,5", "txtFactorB=-0,25"};
        QTest::newRow("word bit of an input register") << QString()
            << QStringList{"txtTagName=w1", "txtUnitID=4", "cboModbusFunction=Input Register", "cboType=Word bit", "txtBitPosition=15",
                           "txtAddress=0002", "chkAlarmEnable=1"}
            << TModbusTagConfig{.TagName = "W1", .UnitID = 4, .TagType = ModbusType::WordBit, .ModbusFunction = ModbusTable::InputRegister,
                                .Address = 2, .BitPosition = 15, .ReadOnly = true, .AlarmEnable = true, .LowestAlarm = {.BoolValue = true}}
            << QStringList{"txtAddress=30002", "txtBitPosition=15", "rdoPositive=1"};
        QTest::newRow("input, after serial entries") << QString()
            << QStringList{"txtTagName=in3", "txtUnitID=5", "txtAddress=1234", "cboSource=Orvan Input", "txtBitPosition=3"}
            << TModbusTagConfig{.TagName = "IN3", .Source = TagSource::Input, .TagType = ModbusType::SingleBit,
                                .ModbusFunction = ModbusTable::InputStatus, .BitPosition = 3, .ReadOnly = true}
            << QStringList{"cboSource=Orvan Input", "txtBitPosition=3", "chkReadOnly:disabled"};
        QTest::newRow("output with negative edge") << QString()
            << QStringList{"cboSource=Orvan Output", "txtTagName=out7", "txtBitPosition=7", "chkAlarmEnable=1", "rdoNegative", "chkSendEMail=1"}
            << TModbusTagConfig{.TagName = "OUT7", .Source = TagSource::Output, .TagType = ModbusType::SingleBit,
                                .ModbusFunction = ModbusTable::CoilStatus, .BitPosition = 7, .AlarmEnable = true, .SendEMail = true,
                                .HighestAlarm = {.BoolValue = true}}
            << QStringList{"rdoNegative=1", "chkReadOnly=0"};
        QTest::newRow("_TEMP") << QString()
            << QStringList{"cboSource=Internal", "txtTagName=_temp", "chkAlarmEnable=1", "txtLowestAlarm=-10.5", "txtHighestAlarm=80",
                           "cboScale=Linear (Ax+B)", "txtFactorA=1.8", "txtFactorB=32"}
            << TModbusTagConfig{.TagName = "_TEMP", .Source = TagSource::Internal, .TagType = ModbusType::Float,
                                .ModbusFunction = ModbusTable::InputStatus, .ReadOnly = true, .AlarmEnable = true,
                                .LowestAlarm = {.RealValue = -10.5f}, .HighestAlarm = {.RealValue = 80}, .Scale = TagScale::Linear,
                                .FactorA = 1.8f, .FactorB = 32, .ValueKind = TagValueKind::Real}
            << QStringList{"txtLowestAlarm=-10.5", "txtFactorA=1.79999995231628", "cboType=Float"};
        QTest::newRow("_ALARM") << QString() << QStringList{"cboSource=Internal", "txtTagName=_alarm"}
            << TModbusTagConfig{.TagName = "_ALARM", .Source = TagSource::Internal, .TagType = ModbusType::SingleBit,
                                .ModbusFunction = ModbusTable::InputStatus, .ReadOnly = true}
            << QStringList{"cboType=Single bit"};
        QTest::newRow("analog input") << QString()
            << QStringList{"cboSource=#4", "txtTagName=ai1", "txtBitPosition=2", "chkAlarmEnable=1", "txtLowestAlarm=-100", "txtHighestAlarm=100"}
            << TModbusTagConfig{.TagName = "AI1", .Source = TagSource::AInput, .TagType = ModbusType::SignedInt,
                                .ModbusFunction = ModbusTable::InputRegister, .BitPosition = 2, .ReadOnly = true, .AlarmEnable = true,
                                .LowestAlarm = {.IntValue = -100}, .HighestAlarm = {.IntValue = 100}, .ValueKind = TagValueKind::Integer}
            << QStringList{"cboSource=", "txtHighestAlarm=100"};
    }

    void records()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, steps);
        QFETCH(TModbusTagConfig, expected);
        QFETCH(QStringList, shownAgain);
        QLocale::setDefault(locale.isEmpty() ? QLocale::c() : QLocale(locale));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });

        open(false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Modbus Tag"));
        QVERIFY(TagDialogDriver::apply(dialog, steps));
        dialog.findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        QCOMPARE(prompt.texts(QStringLiteral("error")).join(QLatin1Char('\n')), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(describe(dialog.TagConfig), describe(expected));
        QVERIFY(dialog.TagConfig == expected);

        // The same tag as tag list texts passes the same checks and builds the same record.
        const TTagForm fromRow = TagFormFromTexts(TagProtocol::Modbus, TagToTexts(expected));
        QVERIFY(ValidateTag(fromRow).passed());
        TModbusTagConfig rebuilt;
        GetTagConfiguration(fromRow, rebuilt);
        QCOMPARE(describe(rebuilt), describe(expected));

        open(true, expected);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Modbus Tag"));
        const QStringList wrong = TagDialogDriver::mismatches(dialog, shownAgain);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
        dialog.findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        QCOMPARE(prompt.texts(), QStringList());
        QCOMPARE(describe(dialog.TagConfig), describe(expected));
        QVERIFY(dialog.TagConfig == expected);
    }

    // Cancel keeps the record; a new tag starts empty whatever was edited before.
    void cancelAndClear()
    {
        const TModbusTagConfig tag{.TagName = "KEEP", .UnitID = 9, .Address = 7};
        open(true, tag);
        QVERIFY(TagDialogDriver::apply(dialog, {"txtTagName=other", "btnCancel"}));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.TagConfig == tag);
        open(false);
        const QStringList wrong = TagDialogDriver::mismatches(dialog, {"txtTagName=", "txtUnitID=", "txtAddress=4"});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }

    // The picker: OK only with a row, its description shown, its choice kept; the picked
    // name turns the tag into that internal value.
    void internalPicker()
    {
        open(false);
        QVERIFY(TagDialogDriver::apply(dialog, {"cboSource=Internal"}));
        auto *list = picker.findChild<QTreeWidget *>(QStringLiteral("lstInternalTags"));
        auto *ok = picker.findChild<QPushButton *>(QStringLiteral("btnOk"));
        auto *description = picker.findChild<QLabel *>(QStringLiteral("stDescription"));
        QStringList seen;
        const auto pick = [&](const QString &name) {
            QTimer::singleShot(0, &picker, [&, name] {
                seen << QStringLiteral("%1 %2").arg(picker.windowTitle(), ok->isEnabled() ? QStringLiteral("ok") : QStringLiteral("no ok"));
                if (list->selectedItems().isEmpty()) {
                    picker.btnOkClick(); // nothing to pick: the picker stays
                    seen << (picker.isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
                } else {
                    seen << QStringLiteral("kept ") + list->selectedItems().constFirst()->text(0);
                }
                if (name.isEmpty()) {
                    picker.reject();
                    return;
                }
                list->setCurrentItem(list->findItems(name, Qt::MatchExactly).constFirst());
                seen << description->text();
                ok->click();
                if (picker.isVisible())
                    picker.reject();
            });
            dialog.findChild<QPushButton *>(QStringLiteral("btnInternal"))->click();
        };
        pick(QStringLiteral("_TEMP"));
        QCOMPARE(seen, (QStringList{"Select Internal Tag no ok", "open", "This provides the temperature"}));
        QStringList wrong = TagDialogDriver::mismatches(dialog, {"txtTagName=_TEMP", "cboType=Float", "txtLowestAlarm:visible",
                                                                 "chkWriteLimits:disabled"});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));

        seen.clear();
        pick(QString());
        QCOMPARE(seen, (QStringList{"Select Internal Tag ok", "kept _TEMP"}));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("txtTagName"))->text(), QStringLiteral("_TEMP"));

        pick(QStringLiteral("_ALARM"));
        wrong = TagDialogDriver::mismatches(dialog, {"txtTagName=_ALARM", "cboType=Single bit", "rdoPositive:visible"});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
        list->clearSelection();
    }
};

KOVA_TEST(TestModbusTagDialog)
#include "tst_modbustagdialog.moc"
