#pragma once

// Configuration records for the transfer tests: serial and e-mail settings away from every
// default, and tags of every source, table, type and value kind as the tag dialogs build them.

#include "config/ConfigTransfer.h"
#include "config/KovaTypes.h"
#include "config/TagRows.h"
#include "config/TagRules.h"

#include <memory>
#include <tuple>
#include <type_traits>

namespace samples {

inline TEmailConfig email()
{
    TEmailConfig e;
    e.Enabled = true;
    e.SmtpServer = "mail.example.com";
    e.Timeout = 30;
    e.Retries = 2;
    e.RetryInterval = 15;
    e.Sender = "gw@example.com";
    e.Recipients = {"a@example.com", "b@example.com", "", "", ""};
    e.RecipientCount = 2;
    e.AuthEnabled = true;
    e.SmtpUser = "u";
    e.SmtpPassword = "p,w";
    return e;
}

inline void serial(TModbusOrvanConfig &c)
{
    c.ComType = 1; // RS-485
    c.BaudRate = 4; // 19200
    c.Parity = 2;
    c.Format = 1;
    c.ScanTime = 250;
    c.MessageTimeout = 500;
    c.PacketTimeout = 8;
}

inline void serial(THostlinkOrvanConfig &c)
{
    c.ComType = 2; // RS-422
    c.BaudRate = 8; // 115200
    c.Parity = 1;
    c.ScanTime = 0;
    c.MessageTimeout = 10;
}

inline void serial(TDF1OrvanConfig &c)
{
    c.ComType = 0;
    c.BaudRate = 0; // 2400
    c.DataBits = 7;
    c.Parity = 2;
    c.ErrorMethod = 1;
    c.ScanTime = 100;
    c.MessageTimeout = 1000;
}

// Serial location of tag i, varied over tables, areas, file types and data types.
inline void location(TModbusTagConfig &t, int i)
{
    t.UnitID = 1 + i % 255;
    t.ModbusFunction = quint8((i / 5) % 4);
    const bool bits = t.ModbusFunction == ModbusTable::InputStatus || t.ModbusFunction == ModbusTable::CoilStatus;
    t.TagType = bits ? ModbusType::SingleBit : quint8((i / 3) % 8);
    t.Address = 1 + (i * 517) % 65536;
    t.BitPosition = t.TagType == ModbusType::WordBit ? i % 16 : 0;
    t.Register32 = (t.TagType == ModbusType::Long || t.TagType == ModbusType::Float) && i % 2;
}

inline void location(THostlinkTagConfig &t, int i)
{
    t.UnitID = i % 100;
    t.HostlinkFunction = quint8((i / 5) % 6);
    t.TagType = quint8((i / 3) % 6);
    t.Address = (i * 37) % 10000;
    t.BitPosition = t.TagType == HostlinkDF1Type::WordBit ? i % 16 : 0;
}

inline void location(TDF1TagConfig &t, int i)
{
    t.FileType = quint8((i / 5) % 6);
    t.FileNumber = 3 + i;
    t.WordNumber = i * 7;
    t.TagType = quint8((i / 3) % 6);
    t.BitPosition = t.TagType == HostlinkDF1Type::WordBit ? i % 16 : 0;
}

template<class Tag>
Tag tag(int i)
{
    Tag t;
    t.Source = quint8(i % 5);
    if (t.Source == TagSource::Serial) {
        t.TagName = "T" + QByteArray::number(i);
        location(t, i);
    } else {
        t.TagName = i == 3 ? QByteArray(InternalTempTagName) : "P" + QByteArray::number(i);
        t.BitPosition = i % 8;
        SetFixedLocation(t);
    }
    t.Scale = i % 7 == 0 ? TagScale::Linear : TagScale::None;
    t.ValueKind = ValueKind(t);
    if (t.ValueKind == TagValueKind::Digital)
        t.Scale = TagScale::None;
    if (t.Scale == TagScale::Linear) {
        t.FactorA = 0.1f * float(i);
        t.FactorB = -3.5f;
    }
    t.ReadOnly = IsForcedReadOnly(t) || i % 3 == 0;
    t.AlarmEnable = i % 3 != 1;
    t.SendEMail = t.AlarmEnable && i % 2;
    if constexpr (std::is_same_v<Tag, TModbusTagConfig>)
        t.SendTrap = t.AlarmEnable && i % 4 == 0;
    switch (t.ValueKind) {
    case TagValueKind::Digital:
        t.LowestAlarm.BoolValue = t.AlarmEnable && i % 2;
        t.HighestAlarm.BoolValue = t.AlarmEnable && !(i % 2);
        break;
    case TagValueKind::Integer:
        t.WriteLimits = !t.ReadOnly;
        t.MinWrite.IntValue = t.WriteLimits ? -i : 0;
        t.MaxWrite.IntValue = t.WriteLimits ? i * 100 : 0;
        t.LowestAlarm.IntValue = t.AlarmEnable ? i : 0;
        t.HighestAlarm.IntValue = t.AlarmEnable ? i * 1000 : 0;
        break;
    default:
        t.WriteLimits = !t.ReadOnly;
        t.MinWrite.RealValue = t.WriteLimits ? -0.1f * float(i) : 0;
        t.MaxWrite.RealValue = t.WriteLimits ? 12345.678f : 0;
        t.LowestAlarm.RealValue = t.AlarmEnable ? 1e-7f * float(i) : 0;
        t.HighestAlarm.RealValue = t.AlarmEnable ? 3.4e38f : 0;
        break;
    }
    return t;
}

template<class Config>
std::unique_ptr<Config> config(int tagCount)
{
    auto c = std::make_unique<Config>();
    SetNewConfigDefaults(*c);
    serial(*c);
    c->Email = email();
    c->TagCount = tagCount;
    for (int i = 0; i < tagCount; ++i)
        c->Tags[size_t(i)] = tag<std::remove_cvref_t<decltype(c->Tags[0])>>(i);
    return c;
}

// The serial fields of a record, to compare.
inline auto serialFields(const TModbusOrvanConfig &c)
{
    return std::tie(c.ComType, c.BaudRate, c.Parity, c.Format, c.ScanTime, c.MessageTimeout, c.PacketTimeout);
}
inline auto serialFields(const THostlinkOrvanConfig &c)
{
    return std::tie(c.ComType, c.BaudRate, c.Parity, c.ScanTime, c.MessageTimeout);
}
inline auto serialFields(const TDF1OrvanConfig &c)
{
    return std::tie(c.ComType, c.BaudRate, c.DataBits, c.Parity, c.ErrorMethod, c.ScanTime, c.MessageTimeout);
}

// The first difference between two records, in words; empty when they are equal.
template<class Config>
QString difference(const Config &a, const Config &b)
{
    if (serialFields(a) != serialFields(b))
        return QStringLiteral("serial");
    if (!(a.Email == b.Email))
        return QStringLiteral("e-mail");
    if (a.TagCount != b.TagCount)
        return QStringLiteral("tag count %1 / %2").arg(a.TagCount).arg(b.TagCount);
    for (int i = 0; i < a.TagCount; ++i) {
        if (!(a.Tags[size_t(i)] == b.Tags[size_t(i)]))
            return QStringLiteral("tag %1: %2 / %3")
                .arg(i)
                .arg(QString::fromLatin1(TagToTexts(a.Tags[size_t(i)]).join('|')),
                     QString::fromLatin1(TagToTexts(b.Tags[size_t(i)]).join('|')));
    }
    return {};
}

} // namespace samples
