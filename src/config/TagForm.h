#pragma once

#include "config/KovaTypes.h"
#include "config/TagRules.h"

#include <QString>

// A tag as the tag dialogs hold it while the user edits: the texts of the edit fields,
// the states of the check boxes and the positions in the drop-down lists, nothing parsed.
// The checks (TagChecks.h) and the record builders below take one of these, so a tag can
// be checked and built without any window.
//
// Building a form from the texts of a tag list row or a configuration file (TagRows.h key
// order) is TagFormFromTexts: list texts become list positions with the ...Value
// conversions, numbers stay texts, and the limits go by the kind of tag. Run ValidateTag
// on it and, when it passes, GetTagConfiguration: an importer of tag tables gets exactly
// the verdict and the record the dialogs would give.

// The fields of a tag form: what a check reports as failed, and what the dialogs enable,
// show or focus. Each protocol's dialog has the fields its record carries.
enum class TagField : quint8 {
    TagName,
    Source,
    Internal,    // the button that opens the internal tag picker
    UnitID,      // Modbus, Hostlink
    Type,
    Table,       // Modbus register table, Hostlink register area, DF1 file type
    Address,     // Modbus, Hostlink
    FileNumber,  // DF1
    WordNumber,  // DF1
    BitPosition,
    Register32,  // Modbus
    ReadOnly,
    WriteLimits,
    MinWrite,
    MaxWrite,
    AlarmEnable,
    SendEMail,
    SendTrap,    // Modbus
    AlarmValue,  // Hostlink, DF1: "alarm by value" box
    AlarmEdge,   // Hostlink, DF1: "alarm by edge" box
    LowestAlarm,
    HighestAlarm,
    Positive,    // edge choices
    Negative,
    Scale,
    FactorA,
    FactorB,
    Count
};

struct TTagForm
{
    TagProtocol protocol = TagProtocol::Modbus;
    QByteArray tagName;
    int source = TagSource::Serial;
    QByteArray unitID;
    int type = 0;
    int table = 0;          // position in the register table, area or file type list
    QByteArray address;     // Modbus: the digits typed after the table's digit, no trailing blanks
    QByteArray fileNumber;
    QByteArray wordNumber;
    QByteArray bitPosition;
    bool register32 = false;
    bool readOnly = false;
    bool writeLimits = false;
    QByteArray minWrite;
    QByteArray maxWrite;
    bool alarmEnable = false;
    bool sendEMail = false;
    bool sendTrap = false;
    bool alarmValue = false; // Hostlink, DF1 alarm kind boxes; the Modbus dialog has none
    bool alarmEdge = false;
    bool negativeEdge = false; // the negative-edge choice is selected (else the positive)
    QByteArray lowestAlarm;
    QByteArray highestAlarm;
    int scale = TagScale::None;
    QByteArray factorA;
    QByteArray factorB;

    bool operator==(const TTagForm &) const = default;
};

// The key (TagRows.h) of the text a field is read from by TagFormFromTexts: a check's
// failing field named as a tag list column. The alarm kind boxes and edge choices have no
// text of their own; they name ALARM, ALMIN and ALMAX. The Modbus table is the ADDRESS's
// first digit.
QByteArray TagFieldKey(TagProtocol protocol, TagField field);

// A tag name as a gateway holds it: at most MaxTagNameLength characters of Latin-1 without
// control characters, ASCII letters upper case (the dialogs raise them as they are typed).
inline constexpr int MaxTagNameLength = 15;
bool IsTagNameCharacter(QChar c);
// The name as the name field takes typed text: letters raised, other characters dropped.
QString TypedTagName(const QString &typed);

// The internal values of a gateway, as the internal tag picker lists them.
struct TInternalTag
{
    const char *name;
    const char *type; // "Digital" or "Real"
    const char *description;
};
const QList<TInternalTag> &InternalTags();
// Whether the protocol's gateways have the internal tag: only Modbus ones read "_TEMP".
bool IsInternalTagName(TagProtocol protocol, const QByteArray &name);

// The classification rules of TagRules.h asked about the form's current selections.
bool IsDigital(const TTagForm &form);
bool IsInteger(const TTagForm &form);
TIntegerRange IntegerRange(const TTagForm &form);

// The fields as a dialog shows a stored record: unit, address, numbers in decimal (a
// Modbus address with four digits up to 9999, else five), the limits by the record's
// ValueKind (a digital tag's limit fields empty, its alarm as the edge choice, an
// enabled value alarm with the value box ticked), factors only with a scale.
TTagForm TagFormOf(const TModbusTagConfig &tag);
TTagForm TagFormOf(const THostlinkTagConfig &tag);
TTagForm TagFormOf(const TDF1TagConfig &tag);

// The same from the texts of a row in TagRows.h key order. Numbers are kept as written,
// so a malformed one is reported by the checks with its field. KIND is not read: as in
// the dialogs, the selections say whether the tag is digital (its alarm limits "1"/"0"
// are then the edge flags) and the builder derives the kind again.
TTagForm TagFormFromTexts(TagProtocol protocol, const QList<QByteArray> &texts);

// The record a form describes, built from an all-zero record: the location by source,
// then access and write limits, alarm, scale and ValueKind, with every invariant of a
// stored tag. Only forms that passed ValidateTag are meant for it: a malformed number
// throws EConvertError.
void GetTagConfiguration(const TTagForm &form, TModbusTagConfig &tag);
void GetTagConfiguration(const TTagForm &form, THostlinkTagConfig &tag);
void GetTagConfiguration(const TTagForm &form, TDF1TagConfig &tag);
