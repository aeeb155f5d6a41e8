#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// Tag records of the three serial protocols and the value sets of their code fields.
//
// Strings are bytes (QByteArray) throughout: tag names and every text form go to
// configuration files and to the gateway unchanged, and both are 8-bit (Latin-1).
// The tag dialogs convert with QString::fromLatin1/toLatin1 at their controls.
//
// The rules that classify a tag live in TagRules.h, the text forms in TagText.h and the
// record <-> tag-list-row texts in TagRows.h.

// The protocol whose item lists apply. The codes equal the device's protocol family.
enum class TagProtocol : quint8 { Modbus = 0, Hostlink = 1, DF1 = 2 };

// The one of three values that belongs to the protocol: where only a value differs by
// protocol, the choice is made here once.
// (The result refers to one of the arguments: bind it to a reference only when they outlive it.)
template<class T>
const T &ByProtocol(TagProtocol protocol, const T &modbus, const T &hostlink, const T &df1)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return modbus;
    case TagProtocol::Hostlink:
        return hostlink;
    case TagProtocol::DF1:
        break;
    }
    return df1;
}

// "Modbus", "Hostlink", "DF1": the protocol's word in window titles and messages.
QString ProtocolWord(TagProtocol protocol);

// Source: where a tag's value comes from. The same codes in all three protocols.
namespace TagSource {
inline constexpr quint8 Serial = 0;
inline constexpr quint8 Input = 1;
inline constexpr quint8 Output = 2;
inline constexpr quint8 Internal = 3;
inline constexpr quint8 AInput = 4;
}

// Modbus data types (TagType of TModbusTagConfig).
namespace ModbusType {
inline constexpr quint8 UnsignedInt = 0;
inline constexpr quint8 SignedInt = 1;
inline constexpr quint8 Long = 2;
inline constexpr quint8 LongInverted = 3;
inline constexpr quint8 Float = 4;
inline constexpr quint8 FloatInverted = 5;
inline constexpr quint8 BCD = 6;
inline constexpr quint8 WordBit = 7;
inline constexpr quint8 SingleBit = 8;
}

// Hostlink and DF1 data types (TagType of THostlinkTagConfig and TDF1TagConfig).
namespace HostlinkDF1Type {
inline constexpr quint8 UnsignedInt = 0;
inline constexpr quint8 SignedInt = 1;
inline constexpr quint8 Long = 2;
inline constexpr quint8 Float = 3;
inline constexpr quint8 BCD = 4;
inline constexpr quint8 WordBit = 5;
inline constexpr quint8 SingleBit = 6;
}

// Modbus register tables (ModbusFunction).
namespace ModbusTable {
inline constexpr quint8 HoldingRegister = 0;
inline constexpr quint8 InputRegister = 1;
inline constexpr quint8 InputStatus = 2;
inline constexpr quint8 CoilStatus = 3;
}

// Hostlink register areas (HostlinkFunction).
namespace HostlinkArea {
inline constexpr quint8 IR = 0;
inline constexpr quint8 SR = 1;
inline constexpr quint8 LR = 2;
inline constexpr quint8 HR = 3;
inline constexpr quint8 TCPV = 4;
inline constexpr quint8 DM = 5;
}

// DF1 data file types (FileType).
namespace DF1File {
inline constexpr quint8 Input = 0;
inline constexpr quint8 Output = 1;
inline constexpr quint8 Status = 2;
inline constexpr quint8 Binary = 3;
inline constexpr quint8 Integer = 4;
inline constexpr quint8 Float = 5;
}

namespace TagScale {
inline constexpr quint8 None = 0;
inline constexpr quint8 Linear = 1;
}

// Kind of a tag's value after scaling; says which member of each TTagValue counts.
namespace TagValueKind {
inline constexpr quint8 Digital = 0;
inline constexpr quint8 Integer = 1;
inline constexpr quint8 Real = 2;
}

// The internal tag whose value is a temperature: the one internal tag that is real.
inline constexpr char InternalTempTagName[] = "_TEMP";

// One limit of a tag. Only the member named by the tag's ValueKind counts; the others are 0.
struct TTagValue
{
    float RealValue = 0;
    qint32 IntValue = 0;
    bool BoolValue = false; // digital alarm limits: the edge flags

    bool operator==(const TTagValue &) const = default;
};

struct TModbusTagConfig
{
    QByteArray TagName;
    quint8 Source = 0;
    qint32 UnitID = 0;
    quint8 TagType = 0;
    quint8 ModbusFunction = 0;
    qint32 Address = 0;      // 1..65536 within the table, without the table digit
    qint32 BitPosition = 0;
    bool Register32 = false; // "32-Bit Register (Enron)"
    bool ReadOnly = false;
    bool WriteLimits = false;
    TTagValue MinWrite;
    TTagValue MaxWrite;
    bool AlarmEnable = false;
    bool SendEMail = false;
    TTagValue LowestAlarm;   // digital: positive-edge flag
    TTagValue HighestAlarm;  // digital: negative-edge flag
    quint8 Scale = 0;
    float FactorA = 0;
    float FactorB = 0;
    quint8 ValueKind = 0;
    bool SendTrap = false;

    bool operator==(const TModbusTagConfig &) const = default;
};

struct THostlinkTagConfig
{
    QByteArray TagName;
    quint8 Source = 0;
    qint32 UnitID = 0;
    quint8 TagType = 0;
    quint8 HostlinkFunction = 0;
    qint32 Address = 0;
    qint32 BitPosition = 0;
    bool ReadOnly = false;
    bool WriteLimits = false;
    TTagValue MinWrite;
    TTagValue MaxWrite;
    bool AlarmEnable = false;
    bool SendEMail = false;
    TTagValue LowestAlarm;
    TTagValue HighestAlarm;
    quint8 Scale = 0;
    float FactorA = 0;
    float FactorB = 0;
    quint8 ValueKind = 0;

    bool operator==(const THostlinkTagConfig &) const = default;
};

struct TDF1TagConfig
{
    QByteArray TagName;
    quint8 Source = 0;
    quint8 TagType = 0;
    quint8 FileType = 0;
    qint32 FileNumber = 0;
    qint32 WordNumber = 0;
    qint32 BitPosition = 0;
    bool ReadOnly = false;
    bool WriteLimits = false;
    TTagValue MinWrite;
    TTagValue MaxWrite;
    bool AlarmEnable = false;
    bool SendEMail = false;
    TTagValue LowestAlarm;
    TTagValue HighestAlarm;
    quint8 Scale = 0;
    float FactorA = 0;
    float FactorB = 0;
    quint8 ValueKind = 0;

    bool operator==(const TDF1TagConfig &) const = default;
};

// A configuration holds at most this many tags; an e-mail configuration this many recipients.
inline constexpr int MaxTags = 128;
inline constexpr int MaxRecipients = 5;

// E-mail relaying settings and recipients of a configuration.
struct TEmailConfig
{
    bool Enabled = false;
    QByteArray SmtpServer;
    qint32 Timeout = 0;       // delivery timeout, seconds
    qint32 Retries = 0;
    qint32 RetryInterval = 0; // seconds between retries
    QByteArray Sender;
    std::array<QByteArray, MaxRecipients> Recipients; // the first RecipientCount count; the rest empty
    qint32 RecipientCount = 0;
    bool AuthEnabled = false;
    QByteArray SmtpUser;
    QByteArray SmtpPassword;  // plain text

    bool operator==(const TEmailConfig &) const = default;
};

// Whole gateway configurations, one per protocol. The serial fields hold positions in the
// editor's lists, not the file's or the wire's codes; only the first TagCount tags count.
struct TModbusOrvanConfig
{
    quint8 ComType = 0;   // 0 RS-232, 1 RS-485, 2 RS-422
    quint8 BaudRate = 0;  // position 0..8 in the list of rates
    quint8 Parity = 0;    // 0 none, 1 odd, 2 even
    quint8 Format = 0;    // 0 RTU, 1 ASCII
    qint32 ScanTime = 0;  // ms
    qint32 MessageTimeout = 0; // ms
    qint32 PacketTimeout = 0;  // bytes
    TEmailConfig Email;
    qint32 TagCount = 0;
    std::array<TModbusTagConfig, MaxTags> Tags;
};

struct THostlinkOrvanConfig
{
    quint8 ComType = 0;
    quint8 BaudRate = 0;
    quint8 Parity = 0;
    qint32 ScanTime = 0;
    qint32 MessageTimeout = 0;
    TEmailConfig Email;
    qint32 TagCount = 0;
    std::array<THostlinkTagConfig, MaxTags> Tags;
};

struct TDF1OrvanConfig
{
    quint8 ComType = 0;
    quint8 BaudRate = 0;
    qint32 DataBits = 8;  // 7 or 8
    quint8 Parity = 0;    // 0 none, 2 even
    quint8 ErrorMethod = 0; // 0 CRC, 1 BCC
    qint32 ScanTime = 0;
    qint32 MessageTimeout = 0;
    TEmailConfig Email;
    qint32 TagCount = 0;
    std::array<TDF1TagConfig, MaxTags> Tags;
};

// ---------------------------------------------------------------------------------------
// Value sets. Each list is the item list of the tag dialog's drop-down, in code order;
// the dialogs fill their lists from these so the texts exist once.
//
// ...Text(code): the entry at the code. A code outside the list (a record read from a
// gateway may carry one) gives the placeholder "Unknown (N)" rather than failing.
// ...Value(text): the position of the first entry equal to the text (exact, case
// counts). A placeholder "Unknown (N)" for a code outside the list gives N back, so a
// gateway's record survives the trip through the tag list; any other text gives 0.
// ---------------------------------------------------------------------------------------

const QList<QByteArray> &SourceItems(TagProtocol protocol);
const QList<QByteArray> &TypeItems(TagProtocol protocol);
const QList<QByteArray> &ScaleItems();
const QList<QByteArray> &ModbusFunctionItems();
const QList<QByteArray> &HostlinkFunctionItems();
const QList<QByteArray> &DF1FileTypeItems();
// The protocol's table list: Modbus functions, Hostlink functions or DF1 file types.
const QList<QByteArray> &TableItems(TagProtocol protocol);

QByteArray GetSourceText(TagProtocol protocol, int code);
quint8 GetSourceValue(TagProtocol protocol, const QByteArray &text);
QByteArray GetTypeText(TagProtocol protocol, int code);
quint8 GetTypeValue(TagProtocol protocol, const QByteArray &text);
QByteArray GetScaleText(int code);
quint8 GetScaleValue(const QByteArray &text);
QByteArray GetModbusFunctionText(int code);
quint8 GetModbusFunctionValue(const QByteArray &text);
QByteArray GetHostlinkFunctionText(int code);
quint8 GetHostlinkFunctionValue(const QByteArray &text);
QByteArray GetDF1FileTypeText(int code);
quint8 GetDF1FileTypeValue(const QByteArray &text);

// The generic pair behind the conversions above, for any item list.
QByteArray ItemText(const QList<QByteArray> &items, int code);
quint8 ItemValue(const QList<QByteArray> &items, const QByteArray &text);

// Table digit written before a Modbus register address ('4' Holding Register, '3' Input
// Register, '1' Input Status, '0' Coil Status); '?' for a table outside the list.
char ModbusTableDigit(int table);
// The table a leading digit stands for; -1 for any other character.
int ModbusTableFromDigit(char digit);
