#include "config/TagFormRules.h"

#include "config/TagRules.h"

#include <initializer_list>

namespace {

bool isModbus(const TTagFormState &s)
{
    return s.form.protocol == TagProtocol::Modbus;
}

void setEnabled(TTagFormState &s, std::initializer_list<TagField> fields, bool on)
{
    for (TagField field : fields)
        s.setEnabled(field, on);
}

int wordBitType(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? ModbusType::WordBit : HostlinkDF1Type::WordBit;
}

// The fields that locate a serial tag, which only the serial source uses.
std::initializer_list<TagField> locationFields(TagProtocol protocol)
{
    static constexpr std::initializer_list<TagField> unitAreaAddress = {TagField::UnitID, TagField::Table, TagField::Address,
                                                                        TagField::Type};
    static constexpr std::initializer_list<TagField> fileWord = {TagField::Table, TagField::FileNumber, TagField::WordNumber,
                                                                 TagField::Type};
    return protocol == TagProtocol::DF1 ? fileWord : unitAreaAddress;
}

bool isRegisterTable(int table)
{
    return table == ModbusTable::HoldingRegister || table == ModbusTable::InputRegister;
}

bool isTempName(const TTagFormState &s)
{
    return s.form.tagName == InternalTempTagName;
}

// The "_TEMP" name makes a Modbus tag the real temperature value.
void becomeTemperature(TTagFormState &s)
{
    s.setEnabled(TagField::WriteLimits, false);
    s.form.type = ModbusType::Float;
    TypeChanged(s);
}

void clearValueFields(TTagFormState &s)
{
    TTagForm &f = s.form;
    f.readOnly = false;
    f.writeLimits = false;
    f.minWrite.clear();
    f.maxWrite.clear();
    ReadOnlyClicked(s);
    WriteLimitsClicked(s);

    f.alarmEnable = false;
    f.sendEMail = false;
    f.sendTrap = false;
    f.alarmValue = false;
    f.alarmEdge = false;
    f.lowestAlarm.clear();
    f.highestAlarm.clear();
    f.negativeEdge = false;
    AlarmEnableClicked(s);
    if (!isModbus(s)) {
        AlarmValueClicked(s);
        AlarmEdgeClicked(s);
    }

    f.scale = TagScale::None;
    f.factorA.clear();
    f.factorB.clear();
    ScaleChanged(s);
}

template<typename Tag>
void setValueFields(TTagFormState &s, const TTagForm &loaded, const Tag &tag)
{
    TTagForm &f = s.form;
    f.readOnly = loaded.readOnly;
    f.writeLimits = loaded.writeLimits;
    f.minWrite = loaded.minWrite;
    f.maxWrite = loaded.maxWrite;
    if (isModbus(s))
        s.setEnabled(TagField::ReadOnly, !IsForcedReadOnly(f.protocol, f.source, f.table));
    ReadOnlyClicked(s);
    WriteLimitsClicked(s);

    f.alarmEnable = loaded.alarmEnable;
    f.sendEMail = loaded.sendEMail;
    f.sendTrap = loaded.sendTrap;
    if (isModbus(s))
        AlarmEnableClicked(s);
    // The loaded form already holds the alarm as the tag's kind shows it: the edge choice
    // and empty limits for a digital tag, the limits (and the value box) otherwise.
    f.lowestAlarm = loaded.lowestAlarm;
    f.highestAlarm = loaded.highestAlarm;
    f.negativeEdge = loaded.negativeEdge;
    f.alarmValue = loaded.alarmValue;
    f.alarmEdge = loaded.alarmEdge;
    if (isModbus(s) && tag.AlarmEnable)
        s.alarmMode = tag.ValueKind == TagValueKind::Digital ? 1 : 2;
    AlarmEnableClicked(s);
    if (!isModbus(s)) {
        AlarmValueClicked(s);
        AlarmEdgeClicked(s);
    }

    f.scale = loaded.scale;
    f.factorA = loaded.factorA;
    f.factorB = loaded.factorB;
    ScaleChanged(s);
}

// The location as stored, then the handlers of the selections, then the value side.
template<typename Tag>
void setControls(TTagFormState &s, const Tag &tag)
{
    const TTagForm loaded = TagFormOf(tag);
    TTagForm &f = s.form;
    f = TTagForm{};
    f.protocol = loaded.protocol;
    f.tagName = loaded.tagName;
    f.source = loaded.source;
    f.unitID = loaded.unitID;
    f.table = loaded.table;
    f.type = loaded.type;
    f.address = loaded.address;
    f.fileNumber = loaded.fileNumber;
    f.wordNumber = loaded.wordNumber;
    f.bitPosition = loaded.bitPosition;
    f.register32 = loaded.register32;
    if (isModbus(s))
        ModbusFunctionChanged(s, true);
    TypeChanged(s);
    SourceChanged(s);
    setValueFields(s, loaded, tag);
}

} // namespace

void DigitalChange(TTagFormState &s)
{
    if (IsDigital(s.form)) {
        s.alarmMode = 1;
        s.form.writeLimits = false;
        s.setEnabled(TagField::WriteLimits, false);
        s.form.scale = TagScale::None;
        s.setEnabled(TagField::Scale, false);
    } else {
        s.alarmMode = 2;
        setEnabled(s, {TagField::Scale, TagField::WriteLimits}, true);
    }
    WriteLimitsClicked(s);
    ScaleChanged(s);
    AlarmEnableClicked(s);
}

void ReadAccessChange(TTagFormState &s)
{
    TTagForm &f = s.form;
    const bool forced = IsForcedReadOnly(f.protocol, f.source, f.table);
    f.readOnly = forced;
    s.setEnabled(TagField::ReadOnly, !forced);
    if (forced)
        f.writeLimits = false;
    s.setEnabled(TagField::WriteLimits, !forced);
    ReadOnlyClicked(s);
    WriteLimitsClicked(s);
}

void SourceChanged(TTagFormState &s)
{
    TTagForm &f = s.form;
    if (isModbus(s)) {
        DigitalChange(s);
        ReadAccessChange(s);
    }
    const auto location = locationFields(f.protocol);
    if (IsSerialSource(f.source)) {
        s.setEnabled(TagField::Internal, false);
        setEnabled(s, location, true);
        // The bit tables fix their type, however the tag came to this source.
        if (isModbus(s))
            s.setEnabled(TagField::Type, isRegisterTable(f.table));
        s.setEnabled(TagField::BitPosition, f.type == wordBitType(f.protocol));
        return;
    }
    const bool internal = f.source == TagSource::Internal;
    s.setEnabled(TagField::Internal, internal);
    setEnabled(s, location, false);
    f.type = FixedTagType(f.protocol, f.source, f.tagName, f.type);
    s.setEnabled(TagField::BitPosition, !internal);
}

void TypeChanged(TTagFormState &s)
{
    TTagForm &f = s.form;
    if (isModbus(s)) {
        DigitalChange(s);
        ReadAccessChange(s);
    }
    s.setEnabled(TagField::BitPosition, f.type == wordBitType(f.protocol));
    if (!isModbus(s) || f.type == ModbusType::WordBit)
        return;
    if (f.type == ModbusType::Long || f.type == ModbusType::Float) {
        s.setEnabled(TagField::Register32, IsSerialSource(f.source));
    } else {
        f.register32 = false;
        s.setEnabled(TagField::Register32, false);
    }
}

void ModbusFunctionChanged(TTagFormState &s, bool keepType)
{
    TTagForm &f = s.form;
    const bool registers = isRegisterTable(f.table);
    s.setEnabled(TagField::Type, registers);
    if (keepType) {
        DigitalChange(s);
        ReadAccessChange(s);
        return;
    }
    f.type = registers ? ModbusType::UnsignedInt : ModbusType::SingleBit;
    // The new type's own handling (bit position, 32-bit option) runs both refreshes.
    TypeChanged(s);
}

void ReadOnlyClicked(TTagFormState &s)
{
    TTagForm &f = s.form;
    const bool locked = f.readOnly || (isModbus(s) && IsDigital(f));
    if (locked)
        f.writeLimits = false;
    s.setEnabled(TagField::WriteLimits, !locked);
    WriteLimitsClicked(s);
}

void WriteLimitsClicked(TTagFormState &s)
{
    setEnabled(s, {TagField::MinWrite, TagField::MaxWrite}, s.form.writeLimits);
}

void AlarmEnableClicked(TTagFormState &s)
{
    TTagForm &f = s.form;
    const bool on = f.alarmEnable;
    if (!on) {
        f.sendEMail = false;
        f.sendTrap = false;
        f.alarmValue = false;
        f.alarmEdge = false;
    }
    if (isModbus(s)) {
        setEnabled(s, {TagField::SendEMail, TagField::SendTrap}, on);
        if (s.alarmMode == 1)
            setEnabled(s, {TagField::Positive, TagField::Negative}, on);
        else
            setEnabled(s, {TagField::LowestAlarm, TagField::HighestAlarm}, on);
        return;
    }
    setEnabled(s,
               {TagField::SendEMail, TagField::AlarmValue, TagField::LowestAlarm, TagField::HighestAlarm,
                TagField::AlarmEdge, TagField::Positive, TagField::Negative},
               on);
}

void AlarmValueClicked(TTagFormState &s)
{
    if (s.form.alarmValue)
        s.form.alarmEdge = false;
}

void AlarmEdgeClicked(TTagFormState &s)
{
    if (s.form.alarmEdge)
        s.form.alarmValue = false;
}

void ScaleChanged(TTagFormState &s)
{
    setEnabled(s, {TagField::FactorA, TagField::FactorB}, s.form.scale != TagScale::None);
}

void ScalePageShown(TTagFormState &s)
{
    if (s.alarmMode == 1) {
        s.form.scale = TagScale::None;
        ScaleChanged(s);
    }
    s.setEnabled(TagField::Scale, s.alarmMode != 1);
}

void TagNameChanged(TTagFormState &s)
{
    if (!isModbus(s))
        return;
    if (isTempName(s)) {
        becomeTemperature(s);
        s.setEnabled(TagField::Internal, true);
        setEnabled(s, {TagField::UnitID, TagField::Address, TagField::Type, TagField::BitPosition, TagField::Table}, false);
        return;
    }
    // An internal tag's type follows its name, so a tag renamed away from "_TEMP" is
    // digital again at once.
    TTagForm &f = s.form;
    const int fixedType = FixedTagType(f.protocol, f.source, f.tagName, f.type);
    if (f.source == TagSource::Internal && f.type != fixedType) {
        f.type = fixedType;
        TypeChanged(s);
    }
}

void InternalTagPicked(TTagFormState &s, const QByteArray *picked)
{
    if (picked) {
        s.form.tagName = *picked;
        TagNameChanged(s);
    }
    if (!isModbus(s))
        return;
    DigitalChange(s);
    if (isTempName(s))
        becomeTemperature(s);
}

void ClearControls(TTagFormState &s)
{
    TTagForm &f = s.form;
    const TagProtocol protocol = f.protocol;
    f = TTagForm{};
    f.protocol = protocol;
    SourceChanged(s);
    TypeChanged(s);
    if (isModbus(s))
        ModbusFunctionChanged(s, false);
    clearValueFields(s);
}

void SetControls(TTagFormState &s, const TModbusTagConfig &tag)
{
    setControls(s, tag);
}

void SetControls(TTagFormState &s, const THostlinkTagConfig &tag)
{
    setControls(s, tag);
}

void SetControls(TTagFormState &s, const TDF1TagConfig &tag)
{
    setControls(s, tag);
}
