#include "config/TagRows.h"

#include "config/TagRules.h"
#include "config/TagText.h"

namespace {

// Positions within the value part, the same in every protocol.
enum ValuePart { ReadOnlyAt, LimitsAt, WrMinAt, WrMaxAt, AlarmAt, AlMinAt, AlMaxAt, EmailAt, ScaleAt, FactorAAt, FactorBAt, ValuePartSize };

template <typename Tag>
void appendValueTexts(QList<QByteArray> &texts, const Tag &tag)
{
    texts << FormatBoolText(tag.ReadOnly) << FormatBoolText(tag.WriteLimits)
          << FormatLimitText(tag.MinWrite, tag.ValueKind, LimitRole::Write)
          << FormatLimitText(tag.MaxWrite, tag.ValueKind, LimitRole::Write) << FormatBoolText(tag.AlarmEnable)
          << FormatLimitText(tag.LowestAlarm, tag.ValueKind, LimitRole::Alarm)
          << FormatLimitText(tag.HighestAlarm, tag.ValueKind, LimitRole::Alarm) << FormatBoolText(tag.SendEMail)
          << GetScaleText(tag.Scale) << FormatRealText(tag.FactorA) << FormatRealText(tag.FactorB);
}

// KIND as written; -1 when it names no kind (the record's fields decide then).
int kindFromText(const QByteArray &text)
{
    const qint32 kind = ParseIntegerText(text);
    return kind >= TagValueKind::Digital && kind <= TagValueKind::Real ? kind : -1;
}

// The value part, once the location fields are known. `kind` is KIND as read (-1: none).
template <typename Tag>
void readValueTexts(const QList<QByteArray> &texts, int base, int kind, Tag &tag)
{
    const auto cell = [&](int at) { return texts.value(base + at); };
    tag.Scale = GetScaleValue(cell(ScaleAt));
    tag.ValueKind = kind >= 0 ? quint8(kind) : ValueKind(tag);
    tag.ReadOnly = ParseBoolText(cell(ReadOnlyAt));
    tag.WriteLimits = ParseBoolText(cell(LimitsAt));
    tag.MinWrite = ParseLimitText(cell(WrMinAt), tag.ValueKind, LimitRole::Write);
    tag.MaxWrite = ParseLimitText(cell(WrMaxAt), tag.ValueKind, LimitRole::Write);
    tag.AlarmEnable = ParseBoolText(cell(AlarmAt));
    tag.LowestAlarm = ParseLimitText(cell(AlMinAt), tag.ValueKind, LimitRole::Alarm);
    tag.HighestAlarm = ParseLimitText(cell(AlMaxAt), tag.ValueKind, LimitRole::Alarm);
    tag.SendEMail = ParseBoolText(cell(EmailAt));
    tag.FactorA = ParseRealText(cell(FactorAAt));
    tag.FactorB = ParseRealText(cell(FactorBAt));
}

// Layout of the location part, per protocol: NAME, SOURCE and these, then BITPOS.
constexpr int ModbusValueBase = 7;   // NAME SOURCE UNITID ADDRESS TYPE ENRON BITPOS
constexpr int HostlinkValueBase = 7; // NAME SOURCE UNITID REGTABLE ADDRESS TYPE BITPOS
constexpr int DF1ValueBase = 7;      // NAME SOURCE FILETYPE FILENUMBER WORDNUMBER TYPE BITPOS

} // namespace

const QList<QByteArray> &TagKeys(TagProtocol protocol)
{
    static const QList<QByteArray> modbus = {"NAME", "SOURCE", "UNITID", "ADDRESS", "TYPE", "ENRON", "BITPOS",
                                             "READONLY", "LIMITS", "WRMIN", "WRMAX", "ALARM", "ALMIN", "ALMAX",
                                             "EMAIL", "SCALE", "FACTORA", "FACTORB", "TRAP", "KIND"};
    static const QList<QByteArray> hostlink = {"NAME", "SOURCE", "UNITID", "REGTABLE", "ADDRESS", "TYPE", "BITPOS",
                                               "READONLY", "LIMITS", "WRMIN", "WRMAX", "ALARM", "ALMIN", "ALMAX",
                                               "EMAIL", "SCALE", "FACTORA", "FACTORB", "KIND"};
    static const QList<QByteArray> df1 = {"NAME", "SOURCE", "FILETYPE", "FILENUMBER", "WORDNUMBER", "TYPE", "BITPOS",
                                          "READONLY", "LIMITS", "WRMIN", "WRMAX", "ALARM", "ALMIN", "ALMAX",
                                          "EMAIL", "SCALE", "FACTORA", "FACTORB", "KIND"};
    return ByProtocol(protocol, modbus, hostlink, df1);
}

QList<QByteArray> TagToTexts(const TModbusTagConfig &tag)
{
    QList<QByteArray> texts;
    texts << tag.TagName << GetSourceText(TagProtocol::Modbus, tag.Source) << FormatIntegerText(tag.UnitID)
          << FormatModbusAddress(tag.Source, tag.ModbusFunction, tag.Address)
          << GetTypeText(TagProtocol::Modbus, tag.TagType) << FormatBoolText(tag.Register32)
          << FormatIntegerText(tag.BitPosition);
    appendValueTexts(texts, tag);
    texts << FormatBoolText(tag.SendTrap) << FormatIntegerText(tag.ValueKind);
    return texts;
}

QList<QByteArray> TagToTexts(const THostlinkTagConfig &tag)
{
    QList<QByteArray> texts;
    texts << tag.TagName << GetSourceText(TagProtocol::Hostlink, tag.Source) << FormatIntegerText(tag.UnitID)
          << GetHostlinkFunctionText(tag.HostlinkFunction) << FormatLocationNumber(tag.Source, tag.Address)
          << GetTypeText(TagProtocol::Hostlink, tag.TagType) << FormatIntegerText(tag.BitPosition);
    appendValueTexts(texts, tag);
    texts << FormatIntegerText(tag.ValueKind);
    return texts;
}

QList<QByteArray> TagToTexts(const TDF1TagConfig &tag)
{
    QList<QByteArray> texts;
    texts << tag.TagName << GetSourceText(TagProtocol::DF1, tag.Source) << GetDF1FileTypeText(tag.FileType)
          << FormatLocationNumber(tag.Source, tag.FileNumber) << FormatLocationNumber(tag.Source, tag.WordNumber)
          << GetTypeText(TagProtocol::DF1, tag.TagType) << FormatIntegerText(tag.BitPosition);
    appendValueTexts(texts, tag);
    texts << FormatIntegerText(tag.ValueKind);
    return texts;
}

void TagFromTexts(const QList<QByteArray> &texts, TModbusTagConfig &tag)
{
    const int kind = kindFromText(texts.value(TagKeys(TagProtocol::Modbus).size() - 1));
    TModbusTagConfig read = tag;
    read.TagName = texts.value(0);
    read.Source = GetSourceValue(TagProtocol::Modbus, texts.value(1));
    read.UnitID = ParseIntegerText(texts.value(2));
    ParseModbusAddress(texts.value(3), read.ModbusFunction, read.Address);
    read.ModbusFunction = FixedModbusFunction(read.Source, read.ModbusFunction);
    read.TagType = GetTypeValue(TagProtocol::Modbus, texts.value(4));
    read.Register32 = ParseBoolText(texts.value(5));
    read.BitPosition = ParseIntegerText(texts.value(6));
    readValueTexts(texts, ModbusValueBase, kind, read);
    read.SendTrap = ParseBoolText(texts.value(ModbusValueBase + ValuePartSize));
    tag = read;
}

void TagFromTexts(const QList<QByteArray> &texts, THostlinkTagConfig &tag)
{
    const int kind = kindFromText(texts.value(TagKeys(TagProtocol::Hostlink).size() - 1));
    THostlinkTagConfig read = tag;
    read.TagName = texts.value(0);
    read.Source = GetSourceValue(TagProtocol::Hostlink, texts.value(1));
    read.UnitID = ParseIntegerText(texts.value(2));
    read.HostlinkFunction = GetHostlinkFunctionValue(texts.value(3));
    read.Address = ParseIntegerText(texts.value(4));
    read.TagType = GetTypeValue(TagProtocol::Hostlink, texts.value(5));
    read.BitPosition = ParseIntegerText(texts.value(6));
    readValueTexts(texts, HostlinkValueBase, kind, read);
    tag = read;
}

void TagFromTexts(const QList<QByteArray> &texts, TDF1TagConfig &tag)
{
    const int kind = kindFromText(texts.value(TagKeys(TagProtocol::DF1).size() - 1));
    TDF1TagConfig read = tag;
    read.TagName = texts.value(0);
    read.Source = GetSourceValue(TagProtocol::DF1, texts.value(1));
    read.FileType = GetDF1FileTypeValue(texts.value(2));
    read.FileNumber = ParseIntegerText(texts.value(3));
    read.WordNumber = ParseIntegerText(texts.value(4));
    read.TagType = GetTypeValue(TagProtocol::DF1, texts.value(5));
    read.BitPosition = ParseIntegerText(texts.value(6));
    readValueTexts(texts, DF1ValueBase, kind, read);
    tag = read;
}
