#include "config/TagChecks.h"

#include "config/TagRules.h"
#include "config/TagText.h"

namespace {

// One run of the checks: each check returns true when it failed, so a sequence reads
// `if (check) return true;` and stops at the first failure.
class TCheckRun
{
public:
    explicit TCheckRun(const TTagForm &form) : f(form) {}

    const TTagForm &f;
    TTagVerdict verdict;

    bool fail(TagField field, const QString &message)
    {
        verdict.fault = TTagFault{field, message};
        return true;
    }
};

bool isModbus(const TTagForm &form)
{
    return form.protocol == TagProtocol::Modbus;
}

int wordBitType(const TTagForm &form)
{
    return isModbus(form) ? ModbusType::WordBit : HostlinkDF1Type::WordBit;
}

int singleBitType(const TTagForm &form)
{
    return isModbus(form) ? ModbusType::SingleBit : HostlinkDF1Type::SingleBit;
}

bool isBitType(const TTagForm &form)
{
    return form.type == wordBitType(form) || form.type == singleBitType(form);
}

// A dialog's lists give only valid positions; a form built from texts may not.
bool checkChoices(TCheckRun &run)
{
    const TTagForm &f = run.f;
    const auto outside = [](int position, const QList<QByteArray> &items) { return position < 0 || position >= items.size(); };
    const auto choose = [&](TagField field, const char *what) {
        return run.fail(field, QStringLiteral("Choose a %1 from the list.").arg(QLatin1String(what)));
    };
    if (outside(f.source, SourceItems(f.protocol)))
        return choose(TagField::Source, "Source");
    if (IsSerialSource(f.source)) {
        if (outside(f.type, TypeItems(f.protocol)))
            return choose(TagField::Type, "Tag Type");
        if (outside(f.table, TableItems(f.protocol)))
            return choose(TagField::Table, f.protocol == TagProtocol::DF1 ? "File Type" : "Register Table");
    }
    if (outside(f.scale, ScaleItems()))
        return choose(TagField::Scale, "Scale function");
    return false;
}

// --- rules shared by every protocol ----------------------------------------------------

bool checkBitPosition(TCheckRun &run, int highest)
{
    qint32 bit = 0;
    if (!TryParseInteger(run.f.bitPosition, &bit))
        return run.fail(TagField::BitPosition, QStringLiteral("Bit Position must be provided for this type."));
    if (bit < 0 || bit > highest)
        return run.fail(TagField::BitPosition,
                        QStringLiteral("Bit Position must be between %1 and %2.").arg(QStringLiteral("0")).arg(highest));
    return false;
}

struct TLimitPair
{
    const QByteArray &low;
    const QByteArray &high;
    TagField lowField;
    TagField highField;
};

TLimitPair writeLimits(const TTagForm &f)
{
    return {f.minWrite, f.maxWrite, TagField::MinWrite, TagField::MaxWrite};
}

TLimitPair alarmLimits(const TTagForm &f)
{
    return {f.lowestAlarm, f.highestAlarm, TagField::LowestAlarm, TagField::HighestAlarm};
}

// Both read as real numbers and the high one lies above the low one, compared as the tag
// will hold them: integers for an integer tag, 32-bit reals otherwise.
bool checkRealPair(TCheckRun &run, const TLimitPair &pair, const QString &message)
{
    float low = 0;
    float high = 0;
    if (!TryParseReal(pair.low, &low))
        return run.fail(pair.lowField, message);
    if (!TryParseReal(pair.high, &high))
        return run.fail(pair.highField, message);
    qint32 lowInt = 0;
    qint32 highInt = 0;
    const bool integers = IsInteger(run.f) && TryParseInteger(pair.low, &lowInt) && TryParseInteger(pair.high, &highInt);
    if (integers ? highInt <= lowInt : high <= low)
        return run.fail(pair.highField, message);
    return false;
}

bool checkIntegerPair(TCheckRun &run, const TLimitPair &pair, const QString &message)
{
    if (!TryParseInteger(pair.low, nullptr))
        return run.fail(pair.lowField, message);
    if (!TryParseInteger(pair.high, nullptr))
        return run.fail(pair.highField, message);
    return false;
}

// `format` takes the lowest and highest value of the tag's integer range.
bool checkRangePair(TCheckRun &run, const TLimitPair &pair, const char *format)
{
    const TIntegerRange range = IntegerRange(run.f);
    const QString message = QString::fromLatin1(format).arg(range.Lowest).arg(range.Highest);
    for (const auto &[text, field] : {std::pair{pair.low, pair.lowField}, std::pair{pair.high, pair.highField}}) {
        qint32 value = 0;
        TryParseInteger(text, &value);
        if (value < range.Lowest || value > range.Highest)
            return run.fail(field, message);
    }
    return false;
}

bool checkFactors(TCheckRun &run)
{
    const QString message = QStringLiteral("Scale Factors are not valid");
    if (!TryParseReal(run.f.factorA, nullptr))
        return run.fail(TagField::FactorA, message);
    if (!TryParseReal(run.f.factorB, nullptr))
        return run.fail(TagField::FactorB, message);
    return false;
}

const QString WritingLimitsInvalid = QStringLiteral("Writing Limits are not valid");
const QString AlarmRangeInvalid = QStringLiteral("Alarm Range is not valid");
const QString WriteLimitsNotInteger = QStringLiteral("Write Limits must be Integer for this type of Tag.");
const QString AlarmNotInteger = QStringLiteral("Alarm range values must be Integer for this type of Tag.");
const char WriteLimitsRange[] = "Write Limits must be between %1 and %2 for the selected type.";
const char AlarmRange[] = "Alarm Range Values must be between %1 and %2 for the selected type.";
const QString NotScalable = QStringLiteral("Digital Tags cannot be scalable");
const QString NoWriteLimits = QStringLiteral("Digital Tags cannot have writting limits.");
const QString NoValueAlarm = QStringLiteral("Digital Tags cannot have alarm by a range of values.");
const QString MustBeReadOnly = QStringLiteral("Tag must be Read Only.");

// The integer limits of an integer tag: whole numbers, then within the type's range.
bool checkIntegerLimits(TCheckRun &run, bool writeChecked, bool alarmChecked)
{
    if (!IsInteger(run.f) || IsDigital(run.f))
        return false;
    if (writeChecked && checkIntegerPair(run, writeLimits(run.f), WriteLimitsNotInteger))
        return true;
    if (alarmChecked && checkIntegerPair(run, alarmLimits(run.f), AlarmNotInteger))
        return true;
    if (writeChecked && checkRangePair(run, writeLimits(run.f), WriteLimitsRange))
        return true;
    return alarmChecked && checkRangePair(run, alarmLimits(run.f), AlarmRange);
}

// A tag that is neither serial nor digital (an analog input, the Modbus temperature)
// carries alarm limits and scale factors that the record builder reads as numbers.
bool checkCarriedValues(TCheckRun &run)
{
    const TTagForm &f = run.f;
    if (IsDigital(f))
        return false;
    if (f.alarmEnable && checkRealPair(run, alarmLimits(f), AlarmRangeInvalid))
        return true;
    if (f.scale != TagScale::None && checkFactors(run))
        return true;
    return checkIntegerLimits(run, false, f.alarmEnable);
}

// --- serial checks -------------------------------------------------------------------

struct TAddressForm
{
    int digits;     // the format's digits, table digit included
    const char *lowest;
    const char *highest;
    qint32 maximum;
};

bool ValidateModbus(TCheckRun &run)
{
    const TTagForm &f = run.f;
    qint32 unit = 0;
    if (!TryParseInteger(f.unitID, &unit))
        return run.fail(TagField::UnitID, QStringLiteral("Modbus Unit ID must be provided."));
    if (unit < 1 || unit > 255)
        return run.fail(TagField::UnitID, QStringLiteral("Unit ID must be between 1 and 255."));
    const bool bitTable = f.table == ModbusTable::InputStatus || f.table == ModbusTable::CoilStatus;
    if (bitTable && f.type != ModbusType::SingleBit)
        return run.fail(TagField::Type, QStringLiteral("\"Coils\" and \"Input Status\" must be of type \"Single Bit\"."));
    if (!bitTable && f.type == ModbusType::SingleBit)
        return run.fail(TagField::Type,
                        QStringLiteral("\"Inputs Register\" and \"Holding Registers\" cannot be of type \"Single Bit\"."));

    qint32 address = 0;
    if (!TryParseInteger(f.address, &address))
        return run.fail(TagField::Address, QStringLiteral("Register Address must be provided."));
    const qsizetype length = f.address.size();
    if (length < 3)
        return run.fail(TagField::Address, QStringLiteral("Register Address must be complete."));
    // The number of digits typed picks the notation; a longer text than the box allows
    // counts as the longest one.
    static const TAddressForm forms[] = {{4, "001", "999", 999}, {5, "0001", "9999", 9999}, {6, "00001", "65536", 65536}};
    const TAddressForm &form = forms[qMin<qsizetype>(length, 5) - 3];
    if (address < 1 || address > form.maximum)
        return run.fail(TagField::Address, QStringLiteral("In %1 digit format, Address must be between %2 and %3.")
                                               .arg(form.digits)
                                               .arg(QLatin1String(form.lowest), QLatin1String(form.highest)));
    if (length == 3 || (length == 5 && address < 10000))
        run.verdict.warnings << QStringLiteral(
            "The entered Address will be converted in its equivalent value expressed in the 5 digits Format.");

    if (f.type == ModbusType::WordBit && checkBitPosition(run, 15))
        return true;
    if ((f.table == ModbusTable::InputRegister || f.table == ModbusTable::InputStatus) && !f.readOnly)
        return run.fail(TagField::ReadOnly, MustBeReadOnly);
    if (isBitType(f) && f.writeLimits)
        return run.fail(TagField::WriteLimits, NoWriteLimits);
    if (f.writeLimits && checkRealPair(run, writeLimits(f), WritingLimitsInvalid))
        return true;
    const bool digital = IsDigital(f);
    if (f.alarmEnable && !digital && checkRealPair(run, alarmLimits(f), AlarmRangeInvalid))
        return true;
    if (digital && f.scale != TagScale::None)
        return run.fail(TagField::Scale, NotScalable);
    if (f.scale != TagScale::None && checkFactors(run))
        return true;
    return checkIntegerLimits(run, f.writeLimits, f.alarmEnable);
}

// The Hostlink serial checks from the bit position on, which DF1 shares.
bool checkSerialValue(TCheckRun &run)
{
    const TTagForm &f = run.f;
    if (f.type == HostlinkDF1Type::WordBit && checkBitPosition(run, 15))
        return true;
    const bool bitType = isBitType(f);
    if (bitType && f.writeLimits)
        return run.fail(TagField::WriteLimits, NoWriteLimits);
    if (bitType && f.alarmValue)
        return run.fail(TagField::AlarmValue, NoValueAlarm);
    if (!bitType && f.alarmEdge)
        return run.fail(TagField::AlarmEdge, QStringLiteral("Only Digital Tags can have edge-triggered alarm."));
    if (f.writeLimits && checkRealPair(run, writeLimits(f), WritingLimitsInvalid))
        return true;
    if (f.alarmEnable && !f.alarmValue && !f.alarmEdge)
        return run.fail(TagField::AlarmValue,
                        QStringLiteral("Select either Out of Range Value Alarm or Edge triggered Alarm."));
    if (f.alarmValue && checkRealPair(run, alarmLimits(f), AlarmRangeInvalid))
        return true;
    if (bitType && f.scale != TagScale::None)
        return run.fail(TagField::Scale, NotScalable);
    if (f.scale != TagScale::None && checkFactors(run))
        return true;
    return checkIntegerLimits(run, f.writeLimits, f.alarmValue);
}

bool ValidateHostlink(TCheckRun &run)
{
    const TTagForm &f = run.f;
    qint32 unit = 0;
    if (!TryParseInteger(f.unitID, &unit))
        return run.fail(TagField::UnitID, QStringLiteral("Unit ID must be provided."));
    if (unit < 0 || unit > 99)
        return run.fail(TagField::UnitID, QStringLiteral("Unit ID must be between 0 and 99."));
    if (f.type == HostlinkDF1Type::SingleBit)
        return run.fail(TagField::Type, QStringLiteral("Hostlink Serial Tags cannot be of type \"Single Bit\"."));
    qint32 address = 0;
    if (!TryParseInteger(f.address, &address))
        return run.fail(TagField::Address, QStringLiteral("Register Address must be provided."));
    // The box takes four digits; a pasted or imported text may hold anything.
    if (address < 0 || address > 9999)
        return run.fail(TagField::Address, QStringLiteral("Register Address must be between 0 and 9999."));
    return checkSerialValue(run);
}

// The file numbers each DF1 file type allows: exactly `number`, or with `orAbove` also 9 and up.
struct TFileNumberRule
{
    int fileType;
    qint32 number;
    bool orAbove;
};

bool ValidateDF1(TCheckRun &run)
{
    const TTagForm &f = run.f;
    if (f.type == HostlinkDF1Type::SingleBit)
        return run.fail(TagField::Type, QStringLiteral("DF1 Serial Tags cannot be of type \"Single Bit\"."));
    qint32 file = 0;
    if (!TryParseInteger(f.fileNumber, &file))
        return run.fail(TagField::FileNumber, QStringLiteral("Enter a valid File Number."));
    if (file < 0 || file > 65535)
        return run.fail(TagField::FileNumber, QStringLiteral("File Number must be between 0 and 65535."));
    static const TFileNumberRule rules[] = {{DF1File::Input, 1, false},  {DF1File::Output, 0, false},
                                            {DF1File::Status, 2, false}, {DF1File::Binary, 3, true},
                                            {DF1File::Integer, 7, true}, {DF1File::Float, 8, true}};
    for (const TFileNumberRule &rule : rules) {
        if (rule.fileType != f.table || file == rule.number || (rule.orAbove && file > 8))
            continue;
        const QString type = QString::fromLatin1(GetDF1FileTypeText(rule.fileType));
        const QString number = QString::number(rule.number);
        return run.fail(TagField::FileNumber,
                        rule.orAbove ? QStringLiteral("File Number for Tags of File Type \"%1\" must be %2 or greater than 8.").arg(type, number)
                                     : QStringLiteral("File Number for Tags of File Type \"%1\" must be \"%2\"").arg(type, number));
    }
    qint32 word = 0;
    if (!TryParseInteger(f.wordNumber, &word))
        return run.fail(TagField::WordNumber, QStringLiteral("Enter a valid Word number."));
    if (word < 0 || word > 65535)
        return run.fail(TagField::WordNumber, QStringLiteral("Word Number must be between 0 and 65535."));
    return checkSerialValue(run);
}

// --- input/output and internal checks ------------------------------------------------------

bool ValidateIO(TCheckRun &run)
{
    const TTagForm &f = run.f;
    if (checkBitPosition(run, 7))
        return true;
    if ((f.source == TagSource::Input || f.source == TagSource::AInput) && !f.readOnly)
        return run.fail(TagField::ReadOnly, MustBeReadOnly);
    const bool point = f.source != TagSource::AInput;
    if (!isModbus(f) && point && f.alarmEnable && f.alarmValue)
        return run.fail(TagField::AlarmValue, NoValueAlarm);
    if (!isModbus(f) && point && f.scale != TagScale::None)
        return run.fail(TagField::Scale, NotScalable);
    // The record of a point keeps no write limits; say so rather than drop them.
    if (point && f.writeLimits)
        return run.fail(TagField::WriteLimits, NoWriteLimits);
    return checkCarriedValues(run);
}

bool ValidateInternal(TCheckRun &run)
{
    const TTagForm &f = run.f;
    if (!IsInternalTagName(f.protocol, f.tagName))
        return run.fail(TagField::TagName, QStringLiteral("Unrecognized Internal Tag Name."));
    if (!f.readOnly)
        return run.fail(TagField::ReadOnly, MustBeReadOnly);
    if (!isModbus(f) && f.alarmEnable && f.alarmValue)
        return run.fail(TagField::AlarmValue, NoValueAlarm);
    if (f.scale != TagScale::None && IsDigital(f))
        return run.fail(TagField::Scale, NotScalable);
    return checkCarriedValues(run);
}

} // namespace

TTagVerdict ValidateTag(const TTagForm &form)
{
    TCheckRun run(form);
    [&] {
        if (form.tagName.isEmpty())
            return run.fail(TagField::TagName, QStringLiteral("Tag must have a name."));
        if (checkChoices(run))
            return true;
        switch (form.source) {
        case TagSource::Serial:
            switch (form.protocol) {
            case TagProtocol::Modbus:
                return ValidateModbus(run);
            case TagProtocol::Hostlink:
                return ValidateHostlink(run);
            case TagProtocol::DF1:
                return ValidateDF1(run);
            }
            return false;
        case TagSource::Internal:
            return ValidateInternal(run);
        default:
            return ValidateIO(run);
        }
    }();
    return run.verdict;
}
