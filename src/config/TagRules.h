#pragma once

#include "config/KovaTypes.h"

// The rules that classify a tag. Each rule has one implementation taking plain values,
// so a tag dialog can ask it about its current selections; the record overloads ask the
// same rule about a stored tag (a tag list row, a tag read from a gateway).
//
// Parameters: `table` is the Modbus register table (ModbusFunction); the Hostlink and DF1
// rules do not look at it, so those callers may pass anything (the record overloads pass
// their area or file type). `tagName` matters only for the Modbus "_TEMP" internal tag.
//
// Analog inputs (source 4) are classed as the tag dialogs class them everywhere,
// including for records read back from a gateway: integer without a scale, real with
// the linear scale. Their limits then read back as the numbers the dialog stored.

bool IsSerialSource(int source);
// Sources 1 to 4 carry fixed location fields (see SetFixedLocation).
bool HasFixedLocation(int source);

bool IsDigital(TagProtocol protocol, int source, int table, int type, const QByteArray &tagName);
bool IsInteger(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName);
// 0 digital, 1 integer, 2 real.
quint8 ValueKind(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName);

struct TIntegerRange
{
    qint32 Lowest = 0;
    qint32 Highest = 0;
    bool operator==(const TIntegerRange &) const = default;
};

// The integer range of a data type; 0..0 for a type without one.
TIntegerRange TypeIntegerRange(TagProtocol protocol, int type);
// The range a tag's integer limits must lie in: its type's range for an integer tag,
// else 0..0 (a linear scale makes the tag real).
TIntegerRange IntegerRange(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName);

// True when the tag must be read-only whatever the user chooses: every source but the
// serial bus and the outputs, and a Modbus serial tag in the Input Register or Input
// Status table.
bool IsForcedReadOnly(TagProtocol protocol, int source, int table);

// The data type a non-serial source fixes: Signed int for an analog input, Float for the
// Modbus "_TEMP" internal tag, Single bit otherwise. For the serial source, returns `type`.
quint8 FixedTagType(TagProtocol protocol, int source, const QByteArray &tagName, int type);
// The Modbus register table a non-serial source fixes; `table` for the serial source.
quint8 FixedModbusFunction(int source, int table);
// Whether the source's BitPosition is a point number (inputs, outputs, analog inputs).
bool SourceUsesPoint(int source);

// Overwrite the location fields of a tag with a non-serial source (1 to 4) with the values
// that source fixes. BitPosition stays as the point for sources 1, 2 and 4 and becomes 0
// for an internal tag. Tags of the serial source or of a source outside the list are
// left alone.
void SetFixedLocation(TModbusTagConfig &tag);
void SetFixedLocation(THostlinkTagConfig &tag);
void SetFixedLocation(TDF1TagConfig &tag);

// The values the rules look at, as a stored record holds them.
struct TTagSelection
{
    TagProtocol protocol;
    int source;
    int table; // Modbus register table; the Hostlink area or DF1 file type, which the rules ignore
    int type;
    int scale;
    QByteArray tagName;
};

TTagSelection SelectionOf(const TModbusTagConfig &tag);
TTagSelection SelectionOf(const THostlinkTagConfig &tag);
TTagSelection SelectionOf(const TDF1TagConfig &tag);

template<typename Tag>
concept TagRecord = requires(const Tag &tag) { SelectionOf(tag); };

// Record overloads: the same rules asked about a stored tag.
template<TagRecord Tag> bool IsDigital(const Tag &tag)
{
    const TTagSelection s = SelectionOf(tag);
    return IsDigital(s.protocol, s.source, s.table, s.type, s.tagName);
}
template<TagRecord Tag> bool IsInteger(const Tag &tag)
{
    const TTagSelection s = SelectionOf(tag);
    return IsInteger(s.protocol, s.source, s.table, s.type, s.scale, s.tagName);
}
template<TagRecord Tag> quint8 ValueKind(const Tag &tag)
{
    const TTagSelection s = SelectionOf(tag);
    return ValueKind(s.protocol, s.source, s.table, s.type, s.scale, s.tagName);
}
template<TagRecord Tag> TIntegerRange IntegerRange(const Tag &tag)
{
    const TTagSelection s = SelectionOf(tag);
    return IntegerRange(s.protocol, s.source, s.table, s.type, s.scale, s.tagName);
}
template<TagRecord Tag> bool IsForcedReadOnly(const Tag &tag)
{
    const TTagSelection s = SelectionOf(tag);
    return IsForcedReadOnly(s.protocol, s.source, s.table);
}
