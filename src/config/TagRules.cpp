#include "config/TagRules.h"

#include <limits>

namespace {

constexpr qint32 Int32Min = std::numeric_limits<qint32>::min();
constexpr qint32 Int32Max = std::numeric_limits<qint32>::max();

bool isTempTag(const QByteArray &tagName)
{
    return tagName == InternalTempTagName;
}

int floatType(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? ModbusType::Float : HostlinkDF1Type::Float;
}

int wordBitType(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? ModbusType::WordBit : HostlinkDF1Type::WordBit;
}

int singleBitType(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? ModbusType::SingleBit : HostlinkDF1Type::SingleBit;
}

int signedIntType(TagProtocol protocol)
{
    return protocol == TagProtocol::Modbus ? ModbusType::SignedInt : HostlinkDF1Type::SignedInt;
}

} // namespace

bool IsSerialSource(int source)
{
    return source == TagSource::Serial;
}

bool HasFixedLocation(int source)
{
    return source >= TagSource::Input && source <= TagSource::AInput;
}

bool IsDigital(TagProtocol protocol, int source, int table, int type, const QByteArray &tagName)
{
    if (!IsSerialSource(source)) {
        if (source == TagSource::AInput)
            return false;
        // Every other non-serial tag is a point or a flag; the temperature is the exception.
        return !(protocol == TagProtocol::Modbus && isTempTag(tagName));
    }
    if (protocol == TagProtocol::Modbus && (table == ModbusTable::InputStatus || table == ModbusTable::CoilStatus))
        return true;
    return type == wordBitType(protocol);
}

bool IsInteger(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName)
{
    Q_UNUSED(tagName); // no internal tag is an integer; kept so every rule takes the same selections
    if (scale != TagScale::None)
        return false;
    if (!IsSerialSource(source))
        return source == TagSource::AInput;
    if (type == wordBitType(protocol) || type == floatType(protocol))
        return false;
    if (protocol == TagProtocol::Modbus) {
        if (type == ModbusType::FloatInverted)
            return false;
        return table == ModbusTable::HoldingRegister || table == ModbusTable::InputRegister;
    }
    return true;
}

quint8 ValueKind(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName)
{
    if (IsDigital(protocol, source, table, type, tagName))
        return TagValueKind::Digital;
    if (IsInteger(protocol, source, table, type, scale, tagName))
        return TagValueKind::Integer;
    return TagValueKind::Real;
}

TIntegerRange TypeIntegerRange(TagProtocol protocol, int type)
{
    const TIntegerRange unsigned16{0, 65535};
    const TIntegerRange signed16{-32768, 32767};
    const TIntegerRange signed32{Int32Min, Int32Max};
    if (protocol == TagProtocol::Modbus) {
        switch (type) {
        case ModbusType::UnsignedInt:
        case ModbusType::BCD: // the register's full range, not 0..9999
            return unsigned16;
        case ModbusType::SignedInt:
            return signed16;
        case ModbusType::Long:
        case ModbusType::LongInverted:
            return signed32;
        default:
            return {};
        }
    }
    switch (type) {
    case HostlinkDF1Type::UnsignedInt:
    case HostlinkDF1Type::BCD:
        return unsigned16;
    case HostlinkDF1Type::SignedInt:
        return signed16;
    case HostlinkDF1Type::Long:
        return signed32;
    default:
        return {};
    }
}

TIntegerRange IntegerRange(TagProtocol protocol, int source, int table, int type, int scale, const QByteArray &tagName)
{
    if (!IsInteger(protocol, source, table, type, scale, tagName))
        return {};
    return TypeIntegerRange(protocol, type);
}

bool IsForcedReadOnly(TagProtocol protocol, int source, int table)
{
    if (source == TagSource::Output)
        return false;
    if (!IsSerialSource(source))
        return true;
    return protocol == TagProtocol::Modbus && (table == ModbusTable::InputRegister || table == ModbusTable::InputStatus);
}

quint8 FixedTagType(TagProtocol protocol, int source, const QByteArray &tagName, int type)
{
    switch (source) {
    case TagSource::Input:
    case TagSource::Output:
        return quint8(singleBitType(protocol));
    case TagSource::Internal:
        if (protocol == TagProtocol::Modbus && isTempTag(tagName))
            return ModbusType::Float;
        return quint8(singleBitType(protocol));
    case TagSource::AInput:
        return quint8(signedIntType(protocol));
    default:
        return quint8(type);
    }
}

quint8 FixedModbusFunction(int source, int table)
{
    switch (source) {
    case TagSource::Input:
    case TagSource::Internal:
        return ModbusTable::InputStatus;
    case TagSource::Output:
        return ModbusTable::CoilStatus;
    case TagSource::AInput:
        return ModbusTable::InputRegister;
    default:
        return quint8(table);
    }
}

bool SourceUsesPoint(int source)
{
    return source == TagSource::Input || source == TagSource::Output || source == TagSource::AInput;
}

void SetFixedLocation(TModbusTagConfig &tag)
{
    if (!HasFixedLocation(tag.Source))
        return;
    tag.UnitID = 0;
    tag.TagType = FixedTagType(TagProtocol::Modbus, tag.Source, tag.TagName, tag.TagType);
    tag.ModbusFunction = FixedModbusFunction(tag.Source, tag.ModbusFunction);
    tag.Address = 0;
    if (!SourceUsesPoint(tag.Source))
        tag.BitPosition = 0;
    tag.Register32 = false;
}

void SetFixedLocation(THostlinkTagConfig &tag)
{
    if (!HasFixedLocation(tag.Source))
        return;
    tag.UnitID = 0;
    tag.TagType = FixedTagType(TagProtocol::Hostlink, tag.Source, tag.TagName, tag.TagType);
    tag.HostlinkFunction = HostlinkArea::IR;
    tag.Address = 0;
    if (!SourceUsesPoint(tag.Source))
        tag.BitPosition = 0;
}

void SetFixedLocation(TDF1TagConfig &tag)
{
    if (!HasFixedLocation(tag.Source))
        return;
    tag.FileType = tag.Source == TagSource::Output ? DF1File::Output : DF1File::Input;
    tag.TagType = FixedTagType(TagProtocol::DF1, tag.Source, tag.TagName, tag.TagType);
    tag.FileNumber = 0;
    tag.WordNumber = 0;
    if (!SourceUsesPoint(tag.Source))
        tag.BitPosition = 0;
}

TTagSelection SelectionOf(const TModbusTagConfig &tag)
{
    return {TagProtocol::Modbus, tag.Source, tag.ModbusFunction, tag.TagType, tag.Scale, tag.TagName};
}
TTagSelection SelectionOf(const THostlinkTagConfig &tag)
{
    return {TagProtocol::Hostlink, tag.Source, tag.HostlinkFunction, tag.TagType, tag.Scale, tag.TagName};
}
TTagSelection SelectionOf(const TDF1TagConfig &tag)
{
    return {TagProtocol::DF1, tag.Source, tag.FileType, tag.TagType, tag.Scale, tag.TagName};
}
