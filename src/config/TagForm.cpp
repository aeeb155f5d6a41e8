#include "config/TagForm.h"

#include "config/TagRows.h"
#include "config/TagRules.h"
#include "config/TagText.h"

namespace {

bool isWordBit(TagProtocol protocol, int type)
{
    return type == (protocol == TagProtocol::Modbus ? ModbusType::WordBit : HostlinkDF1Type::WordBit);
}

// A 32-bit register holds a Long or a Float; a Word bit keeps the option as the user left it.
bool mayUseRegister32(int type)
{
    return type == ModbusType::Long || type == ModbusType::Float || type == ModbusType::WordBit;
}

// --- record -> form --------------------------------------------------------------------

template<typename Tag>
void valueFieldsOf(const Tag &tag, TTagForm &form)
{
    const bool digital = tag.ValueKind == TagValueKind::Digital;
    form.readOnly = tag.ReadOnly;
    form.writeLimits = tag.WriteLimits;
    if (!digital) {
        form.minWrite = FormatLimitText(tag.MinWrite, tag.ValueKind, LimitRole::Write);
        form.maxWrite = FormatLimitText(tag.MaxWrite, tag.ValueKind, LimitRole::Write);
    }
    form.alarmEnable = tag.AlarmEnable;
    form.sendEMail = tag.SendEMail;
    if (tag.AlarmEnable) {
        if (digital) {
            form.negativeEdge = tag.HighestAlarm.BoolValue && !tag.LowestAlarm.BoolValue;
        } else {
            form.lowestAlarm = FormatLimitText(tag.LowestAlarm, tag.ValueKind, LimitRole::Alarm);
            form.highestAlarm = FormatLimitText(tag.HighestAlarm, tag.ValueKind, LimitRole::Alarm);
        }
        if (form.protocol != TagProtocol::Modbus) {
            form.alarmEdge = digital;
            form.alarmValue = !digital;
        }
    }
    form.scale = tag.Scale;
    if (tag.Scale != TagScale::None) {
        form.factorA = FormatRealText(tag.FactorA);
        form.factorB = FormatRealText(tag.FactorB);
    }
}

// --- form -> record ----------------------------------------------------------------------

TTagValue readLimit(const QByteArray &text, bool integer)
{
    TTagValue value;
    if (integer)
        value.IntValue = ParseIntegerText(text);
    else
        value.RealValue = ParseRealText(text);
    return value;
}

// The location of a tag whose source fixes it: the point, or nothing for an internal tag.
template<typename Tag>
void getFixedLocation(const TTagForm &form, Tag &tag)
{
    tag.BitPosition = SourceUsesPoint(form.source) ? ParseIntegerText(form.bitPosition) : 0;
    SetFixedLocation(tag);
}

template<typename Tag>
void GetValueTagConfig(const TTagForm &form, Tag &tag)
{
    tag.MinWrite = {};
    tag.MaxWrite = {};
    if (IsSerialSource(form.source)) {
        tag.ReadOnly = form.readOnly;
        tag.WriteLimits = form.writeLimits;
        if (form.writeLimits && !IsDigital(form)) {
            const bool integer = IsInteger(form);
            tag.MinWrite = readLimit(form.minWrite, integer);
            tag.MaxWrite = readLimit(form.maxWrite, integer);
        }
    } else {
        tag.ReadOnly = form.source == TagSource::Output ? form.readOnly : true;
        tag.WriteLimits = false;
    }
}

template<typename Tag>
void GetAlarmTagConfig(const TTagForm &form, Tag &tag)
{
    tag.AlarmEnable = form.alarmEnable;
    tag.SendEMail = form.alarmEnable && form.sendEMail;
    tag.LowestAlarm = {};
    tag.HighestAlarm = {};
    if (!form.alarmEnable)
        return;
    // The alarm's form follows the tag, not the alarm kind box: an edge for a digital tag.
    if (IsDigital(form)) {
        if (form.negativeEdge)
            tag.HighestAlarm.BoolValue = true;
        else
            tag.LowestAlarm.BoolValue = true;
        return;
    }
    const bool integer = IsInteger(form);
    tag.LowestAlarm = readLimit(form.lowestAlarm, integer);
    tag.HighestAlarm = readLimit(form.highestAlarm, integer);
}

template<typename Tag>
void GetScaleTagConfig(const TTagForm &form, Tag &tag)
{
    tag.Scale = TagScale::None;
    tag.FactorA = 0;
    tag.FactorB = 0;
    if (IsDigital(form))
        return;
    tag.Scale = quint8(form.scale);
    if (form.scale == TagScale::Linear) {
        tag.FactorA = ParseRealText(form.factorA);
        tag.FactorB = ParseRealText(form.factorB);
    }
}

template<typename Tag>
void getValueSide(const TTagForm &form, Tag &tag)
{
    GetValueTagConfig(form, tag);
    GetAlarmTagConfig(form, tag);
    GetScaleTagConfig(form, tag);
    tag.ValueKind = ValueKind(form.protocol, form.source, form.table, form.type, form.scale, form.tagName);
}

// Name and source; a tag off the serial bus gets its fixed location as well. True when the
// serial location is still to be read.
template<typename Tag>
bool getSerialHead(const TTagForm &form, Tag &tag)
{
    tag.TagName = form.tagName;
    tag.Source = quint8(form.source);
    if (!IsSerialSource(form.source)) {
        getFixedLocation(form, tag);
        return false;
    }
    tag.TagType = quint8(form.type);
    return true;
}

// The bit a serial tag of a word-bit type points at.
qint32 serialBitPosition(const TTagForm &form)
{
    return isWordBit(form.protocol, form.type) ? ParseIntegerText(form.bitPosition) : 0;
}

TModbusTagConfig GetMBTagConfig(const TTagForm &form)
{
    TModbusTagConfig tag;
    if (!getSerialHead(form, tag))
        return tag;
    tag.UnitID = ParseIntegerText(form.unitID);
    tag.ModbusFunction = quint8(form.table);
    tag.Address = ParseIntegerText(form.address);
    tag.BitPosition = serialBitPosition(form);
    tag.Register32 = form.register32 && mayUseRegister32(form.type);
    return tag;
}

THostlinkTagConfig GetHLTagConfig(const TTagForm &form)
{
    THostlinkTagConfig tag;
    if (!getSerialHead(form, tag))
        return tag;
    tag.UnitID = ParseIntegerText(form.unitID);
    tag.HostlinkFunction = quint8(form.table);
    tag.Address = ParseIntegerText(form.address);
    tag.BitPosition = serialBitPosition(form);
    return tag;
}

TDF1TagConfig GetDF1TagConfig(const TTagForm &form)
{
    TDF1TagConfig tag;
    if (!getSerialHead(form, tag))
        return tag;
    tag.FileType = quint8(form.table);
    tag.FileNumber = ParseIntegerText(form.fileNumber);
    tag.WordNumber = ParseIntegerText(form.wordNumber);
    tag.BitPosition = serialBitPosition(form);
    return tag;
}

} // namespace

QByteArray TagFieldKey(TagProtocol protocol, TagField field)
{
    switch (field) {
    case TagField::TagName:
    case TagField::Internal:
        return "NAME";
    case TagField::Source: return "SOURCE";
    case TagField::UnitID: return "UNITID";
    case TagField::Type: return "TYPE";
    case TagField::Table: // the Modbus table is the address's first digit
        return ByProtocol<QByteArray>(protocol, "ADDRESS", "REGTABLE", "FILETYPE");
    case TagField::Address: return "ADDRESS";
    case TagField::FileNumber: return "FILENUMBER";
    case TagField::WordNumber: return "WORDNUMBER";
    case TagField::BitPosition: return "BITPOS";
    case TagField::Register32: return "ENRON";
    case TagField::ReadOnly: return "READONLY";
    case TagField::WriteLimits: return "LIMITS";
    case TagField::MinWrite: return "WRMIN";
    case TagField::MaxWrite: return "WRMAX";
    case TagField::AlarmEnable:
    case TagField::AlarmValue:
    case TagField::AlarmEdge:
        return "ALARM";
    case TagField::SendEMail: return "EMAIL";
    case TagField::SendTrap: return "TRAP";
    case TagField::LowestAlarm:
    case TagField::Positive:
        return "ALMIN";
    case TagField::HighestAlarm:
    case TagField::Negative:
        return "ALMAX";
    case TagField::Scale: return "SCALE";
    case TagField::FactorA: return "FACTORA";
    case TagField::FactorB: return "FACTORB";
    case TagField::Count: break;
    }
    return "NAME";
}

bool IsTagNameCharacter(QChar c)
{
    const char16_t code = c.unicode();
    return code >= 0x20 && code <= 0xFF && code != 0x7F;
}

QString TypedTagName(const QString &typed)
{
    QString name;
    for (QChar c : typed) {
        if (!IsTagNameCharacter(c))
            continue;
        name += (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 'a' + 'A') : c;
    }
    return name;
}

const QList<TInternalTag> &InternalTags()
{
    static const QList<TInternalTag> tags = {
        {"_COMMERROR", "Digital",
         "The Value of the Tag \"_COMMERROR\" becomes 1 when a Serial Communication error is detected."},
        {"_ALARM", "Digital",
         "The Value of the Tag \"_ALARM\" becomes 1 when any other Tag (except Internal Tags) are in Alarm State, "
         "acknowledged or not."},
        {"_ALARMNAK", "Digital",
         "The Value of the Tag \"_ALARMNAK\" becomes 1 when any other Tag (except Internal Tags) are in Not "
         "Acknowledged Alarm State."},
        {InternalTempTagName, "Real", "This provides the temperature"},
    };
    return tags;
}

bool IsInternalTagName(TagProtocol protocol, const QByteArray &name)
{
    if (name == InternalTempTagName && protocol != TagProtocol::Modbus)
        return false;
    for (const TInternalTag &tag : InternalTags())
        if (name == tag.name)
            return true;
    return false;
}

bool IsDigital(const TTagForm &form)
{
    return IsDigital(form.protocol, form.source, form.table, form.type, form.tagName);
}

bool IsInteger(const TTagForm &form)
{
    return IsInteger(form.protocol, form.source, form.table, form.type, form.scale, form.tagName);
}

TIntegerRange IntegerRange(const TTagForm &form)
{
    return IntegerRange(form.protocol, form.source, form.table, form.type, form.scale, form.tagName);
}

TTagForm TagFormOf(const TModbusTagConfig &tag)
{
    TTagForm form;
    form.protocol = TagProtocol::Modbus;
    form.tagName = tag.TagName;
    form.source = tag.Source;
    form.unitID = FormatIntegerText(tag.UnitID);
    form.type = tag.TagType;
    form.table = tag.ModbusFunction;
    form.address = FormatModbusAddress(TagSource::Serial, tag.ModbusFunction, tag.Address).mid(1);
    form.bitPosition = FormatIntegerText(tag.BitPosition);
    form.register32 = tag.Register32;
    form.sendTrap = tag.AlarmEnable && tag.SendTrap;
    valueFieldsOf(tag, form);
    return form;
}

TTagForm TagFormOf(const THostlinkTagConfig &tag)
{
    TTagForm form;
    form.protocol = TagProtocol::Hostlink;
    form.tagName = tag.TagName;
    form.source = tag.Source;
    form.unitID = FormatIntegerText(tag.UnitID);
    form.type = tag.TagType;
    form.table = tag.HostlinkFunction;
    form.address = FormatIntegerText(tag.Address);
    form.bitPosition = FormatIntegerText(tag.BitPosition);
    valueFieldsOf(tag, form);
    return form;
}

TTagForm TagFormOf(const TDF1TagConfig &tag)
{
    TTagForm form;
    form.protocol = TagProtocol::DF1;
    form.tagName = tag.TagName;
    form.source = tag.Source;
    form.type = tag.TagType;
    form.table = tag.FileType;
    form.fileNumber = FormatIntegerText(tag.FileNumber);
    form.wordNumber = FormatIntegerText(tag.WordNumber);
    form.bitPosition = FormatIntegerText(tag.BitPosition);
    valueFieldsOf(tag, form);
    return form;
}

TTagForm TagFormFromTexts(TagProtocol protocol, const QList<QByteArray> &texts)
{
    const QList<QByteArray> &keys = TagKeys(protocol);
    const auto cell = [&](const char *key) { return texts.value(keys.indexOf(key)); };

    TTagForm form;
    form.protocol = protocol;
    form.tagName = cell("NAME");
    form.source = GetSourceValue(protocol, cell("SOURCE"));
    form.type = GetTypeValue(protocol, cell("TYPE"));
    form.bitPosition = cell("BITPOS");
    const bool serial = IsSerialSource(form.source);
    switch (protocol) {
    case TagProtocol::Modbus: {
        const QByteArray address = cell("ADDRESS");
        const int table = address.isEmpty() ? -1 : ModbusTableFromDigit(address.at(0));
        form.table = FixedModbusFunction(form.source, table < 0 ? ModbusTable::HoldingRegister : table);
        form.unitID = serial ? cell("UNITID") : "0";
        form.address = serial ? address.mid(1) : "0000";
        form.register32 = ParseBoolText(cell("ENRON"));
        break;
    }
    case TagProtocol::Hostlink:
        form.table = GetHostlinkFunctionValue(cell("REGTABLE"));
        form.unitID = serial ? cell("UNITID") : "0";
        form.address = serial ? cell("ADDRESS") : "0";
        break;
    case TagProtocol::DF1:
        form.table = GetDF1FileTypeValue(cell("FILETYPE"));
        form.fileNumber = serial ? cell("FILENUMBER") : "0";
        form.wordNumber = serial ? cell("WORDNUMBER") : "0";
        break;
    }

    // The selections decide, as in the dialogs: a digital tag's limits are edge flags.
    const bool digital = IsDigital(form);

    form.readOnly = ParseBoolText(cell("READONLY"));
    form.writeLimits = ParseBoolText(cell("LIMITS"));
    if (!digital) {
        form.minWrite = cell("WRMIN");
        form.maxWrite = cell("WRMAX");
    }
    form.alarmEnable = ParseBoolText(cell("ALARM"));
    form.sendEMail = form.alarmEnable && ParseBoolText(cell("EMAIL"));
    form.sendTrap = protocol == TagProtocol::Modbus && form.alarmEnable && ParseBoolText(cell("TRAP"));
    if (form.alarmEnable) {
        if (digital) {
            form.negativeEdge = cell("ALMAX") == "1" && cell("ALMIN") != "1";
        } else {
            form.lowestAlarm = cell("ALMIN");
            form.highestAlarm = cell("ALMAX");
        }
        if (protocol != TagProtocol::Modbus) {
            form.alarmEdge = digital;
            form.alarmValue = !digital;
        }
    }
    form.scale = GetScaleValue(cell("SCALE"));
    if (form.scale != TagScale::None) {
        form.factorA = cell("FACTORA");
        form.factorB = cell("FACTORB");
    }
    return form;
}

void GetTagConfiguration(const TTagForm &form, TModbusTagConfig &tag)
{
    TModbusTagConfig built = GetMBTagConfig(form);
    getValueSide(form, built);
    built.SendTrap = form.alarmEnable && form.sendTrap;
    tag = built;
}

void GetTagConfiguration(const TTagForm &form, THostlinkTagConfig &tag)
{
    THostlinkTagConfig built = GetHLTagConfig(form);
    getValueSide(form, built);
    tag = built;
}

void GetTagConfiguration(const TTagForm &form, TDF1TagConfig &tag)
{
    TDF1TagConfig built = GetDF1TagConfig(form);
    getValueSide(form, built);
    tag = built;
}
