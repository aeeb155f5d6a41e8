#include "config/ConfigWire.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "config/TagRules.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <span>

namespace {

// One value set on the wire: a field value and the code that stands for it.
struct Code
{
    int field;
    int wire;
};
using Codes = std::span<const Code>;

// Serial port. Reading COMTYPE also takes "1" as RS-232; DF1 PARITY reads any code but 0
// as even, so it has no read table.
constexpr Code ComTypeWrite[] = {{0, 0}, {1, 2}, {2, 3}};
constexpr Code ComTypeRead[] = {{0, 0}, {0, 1}, {1, 2}, {2, 3}};
constexpr Code BaudCodes[] = {{0, 2400},  {1, 4800},  {2, 9600},  {3, 14400}, {4, 19200},
                              {5, 28800}, {6, 38400}, {7, 57600}, {8, 115200}};
constexpr Code FormatCodes[] = {{0, 0}, {1, 1}};
constexpr Code ParityCodes[] = {{0, 0}, {1, 1}, {2, 2}};
constexpr Code DF1ParityWrite[] = {{0, 0}, {1, 1}, {2, 1}};
constexpr Code DataBitsCodes[] = {{8, 0}, {7, 1}};
constexpr Code ErrorMethodCodes[] = {{0, 0}, {1, 1}};

// Tags.
constexpr Code ModbusFunctionCodes[] = {{ModbusTable::HoldingRegister, 4},
                                        {ModbusTable::InputRegister, 3},
                                        {ModbusTable::InputStatus, 1},
                                        {ModbusTable::CoilStatus, 0}};
constexpr Code HostlinkAreaCodes[] = {{HostlinkArea::IR, 0}, {HostlinkArea::SR, 1},   {HostlinkArea::LR, 2},
                                      {HostlinkArea::HR, 3}, {HostlinkArea::TCPV, 4}, {HostlinkArea::DM, 6}};
constexpr Code DF1FileTypeCodes[] = {{DF1File::Input, 131},  {DF1File::Output, 130},  {DF1File::Status, 132},
                                     {DF1File::Binary, 133}, {DF1File::Integer, 137}, {DF1File::Float, 138}};
constexpr Code ScaleCodes[] = {{TagScale::None, 1}, {TagScale::Linear, 2}};

// Wire defaults of the keys a reply may leave out.
constexpr int DefaultBaud = 9600;
constexpr int DefaultPacketTimeout = 4;
constexpr int DefaultMessageTimeout = 1000;
constexpr int DefaultScanTime = 100;
constexpr int DefaultEmailTimeout = 20;
constexpr int DefaultEmailRetries = 5;
constexpr int DefaultEmailRetryInterval = 10;
constexpr int DefaultFileType = 137;
constexpr int DefaultModbusFunction = 4;
const QByteArray DefaultTagName = "*";

std::optional<int> toWire(Codes codes, int field)
{
    for (const Code &c : codes)
        if (c.field == field)
            return c.wire;
    return std::nullopt;
}

std::optional<int> fromWire(Codes codes, int wire)
{
    for (const Code &c : codes)
        if (c.wire == wire)
            return c.field;
    return std::nullopt;
}

void addCode(TPacket &packet, const char *key, Codes codes, int field)
{
    if (const auto wire = toWire(codes, field))
        packet.AddInteger(key, *wire);
}

// True when the value mapped and the field took it.
template<typename Field>
bool readCode(const TPacket &reply, const char *key, int defaultWire, Codes codes, Field &field)
{
    const auto value = fromWire(codes, reply.GetInteger(key, defaultWire));
    if (!value)
        return false;
    field = Field(*value);
    return true;
}

// A code field carried as it is (SOURCE, TYPE). A code that does not fit the byte maps to nothing.
void readByte(const TPacket &reply, const char *key, quint8 &field)
{
    const qint32 value = reply.GetInteger(key, 0);
    if (value >= 0 && value <= 255)
        field = quint8(value);
}

bool fitsInt32(qint64 value)
{
    return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

// The record's reals are 32-bit: a received number beyond their range does not read.
float readReal(const TPacket &reply, const char *key)
{
    const double value = reply.GetFloat(key, 0);
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX))
        throw EConvertError::invalidFloat(reply.GetValue(key));
    return float(value);
}

// ---- serial port ----------------------------------------------------------------------------
//
// Modbus:   COM COMTYPE FORMAT BAUD PARITY PKTTOUT MSGTOUT RETRIES SCANTIME
// Hostlink: COM COMTYPE BAUD PARITY MSGTOUT RETRIES SCANTIME
// DF1:      COM COMTYPE BAUD DATABITS PARITY MSGTOUT SCANTIME ERRORMTHD

template<class Config>
void addComKeys(TPacket &p, const Config &c)
{
    constexpr TagProtocol protocol = ProtocolOf<Config>;
    p.AddInteger("COM", 0);
    addCode(p, "COMTYPE", ComTypeWrite, c.ComType);
    if constexpr (protocol == TagProtocol::Modbus)
        addCode(p, "FORMAT", FormatCodes, c.Format);
    addCode(p, "BAUD", BaudCodes, c.BaudRate);
    if constexpr (protocol == TagProtocol::DF1) {
        addCode(p, "DATABITS", DataBitsCodes, c.DataBits);
        addCode(p, "PARITY", DF1ParityWrite, c.Parity);
    } else {
        addCode(p, "PARITY", ParityCodes, c.Parity);
    }
    if constexpr (protocol == TagProtocol::Modbus)
        p.AddInteger("PKTTOUT", c.PacketTimeout);
    p.AddInteger("MSGTOUT", c.MessageTimeout);
    if constexpr (protocol != TagProtocol::DF1)
        p.AddInteger("RETRIES", 1); // the gateway's own retries; the editor offers no choice
    p.AddInteger("SCANTIME", c.ScanTime);
    if constexpr (protocol == TagProtocol::DF1)
        addCode(p, "ERRORMTHD", ErrorMethodCodes, c.ErrorMethod);
}

template<class Config>
void readComKeys(const TPacket &r, Config &config)
{
    constexpr TagProtocol protocol = ProtocolOf<Config>;
    Config c = config; // a malformed value leaves the record as it was
    readCode(r, "COMTYPE", 0, ComTypeRead, c.ComType);
    if constexpr (protocol == TagProtocol::Modbus)
        readCode(r, "FORMAT", 0, FormatCodes, c.Format);
    readCode(r, "BAUD", DefaultBaud, BaudCodes, c.BaudRate);
    if constexpr (protocol == TagProtocol::DF1) {
        readCode(r, "DATABITS", 0, DataBitsCodes, c.DataBits);
        c.Parity = r.GetInteger("PARITY", 0) == 0 ? 0 : 2; // the DF1 editor knows none and even
    } else {
        readCode(r, "PARITY", 0, ParityCodes, c.Parity);
    }
    if constexpr (protocol == TagProtocol::Modbus)
        c.PacketTimeout = r.GetInteger("PKTTOUT", DefaultPacketTimeout);
    c.MessageTimeout = r.GetInteger("MSGTOUT", DefaultMessageTimeout);
    c.ScanTime = r.GetInteger("SCANTIME", DefaultScanTime);
    if constexpr (protocol == TagProtocol::DF1)
        readCode(r, "ERRORMTHD", 0, ErrorMethodCodes, c.ErrorMethod);
    config = std::move(c);
}

// ---- tags -----------------------------------------------------------------------------------
//
// Modbus:   NAME SOURCE UNIT TYPE MBFUNC ADDRESS REG32 BIT <value> TRAP <limits>
// Hostlink: NAME SOURCE UNIT TYPE HLFUNC ADDRESS BIT <value> <limits>
// DF1:      NAME SOURCE FILETYPE FILENUMBER ELEMENT SUBELEMENT TYPE BIT <value> <limits>
// <value>:  SCALE FACT_A FACT_B READONLY LIMITS ALARM EMAIL;  <limits>: WRLO WRHI ALLO ALHI

void addLimits(TPacket &p, int kind, const TTagValue &minWrite, const TTagValue &maxWrite, const TTagValue &lowAlarm,
               const TTagValue &highAlarm)
{
    switch (kind) {
    case TagValueKind::Digital:
        // A digital tag has no write limits; its alarm limits are the edge flags.
        p.AddBoolean("WRLO", false);
        p.AddBoolean("WRHI", false);
        p.AddBoolean("ALLO", lowAlarm.BoolValue);
        p.AddBoolean("ALHI", highAlarm.BoolValue);
        break;
    case TagValueKind::Integer:
        p.AddInteger("WRLO", minWrite.IntValue);
        p.AddInteger("WRHI", maxWrite.IntValue);
        p.AddInteger("ALLO", lowAlarm.IntValue);
        p.AddInteger("ALHI", highAlarm.IntValue);
        break;
    default:
        p.AddFloat("WRLO", minWrite.RealValue);
        p.AddFloat("WRHI", maxWrite.RealValue);
        p.AddFloat("ALLO", lowAlarm.RealValue);
        p.AddFloat("ALHI", highAlarm.RealValue);
        break;
    }
}

TTagValue readLimit(const TPacket &r, const char *key, int kind, bool writeLimit)
{
    TTagValue value;
    switch (kind) {
    case TagValueKind::Digital:
        if (!writeLimit)
            value.BoolValue = r.GetBoolean(key, false);
        break;
    case TagValueKind::Integer:
        value.IntValue = r.GetInteger(key, 0);
        break;
    default:
        value.RealValue = readReal(r, key);
        break;
    }
    return value;
}

template<class Tag>
void addTagKeys(TPacket &p, const Tag &t)
{
    constexpr TagProtocol protocol = ProtocolOf<Tag>;
    p.AddString("NAME", t.TagName);
    p.AddInteger("SOURCE", t.Source);
    if constexpr (protocol == TagProtocol::DF1) {
        addCode(p, "FILETYPE", DF1FileTypeCodes, t.FileType);
        p.AddInteger("FILENUMBER", t.FileNumber);
        p.AddInteger("ELEMENT", t.WordNumber);
        p.AddInteger("SUBELEMENT", 0);
    } else {
        p.AddInteger("UNIT", t.UnitID);
    }
    p.AddInteger("TYPE", t.TagType);
    if constexpr (protocol == TagProtocol::Modbus) {
        // A tag off the serial bus has the address text "00000" in the tag list, which
        // reads as Coil Status, address 0: that is what the gateway has always received.
        const bool serial = IsSerialSource(t.Source);
        addCode(p, "MBFUNC", ModbusFunctionCodes, serial ? t.ModbusFunction : ModbusTable::CoilStatus);
        const qint64 address = (serial ? qint64(t.Address) : 0) - 1;
        if (fitsInt32(address))
            p.AddInteger("ADDRESS", qint32(address));
        p.AddBoolean("REG32", t.Register32);
    } else if constexpr (protocol == TagProtocol::Hostlink) {
        addCode(p, "HLFUNC", HostlinkAreaCodes, t.HostlinkFunction);
        p.AddInteger("ADDRESS", t.Address);
    }
    p.AddInteger("BIT", t.BitPosition);
    addCode(p, "SCALE", ScaleCodes, t.Scale);
    p.AddFloat("FACT_A", t.FactorA);
    p.AddFloat("FACT_B", t.FactorB);
    p.AddBoolean("READONLY", t.ReadOnly);
    p.AddBoolean("LIMITS", t.WriteLimits);
    p.AddBoolean("ALARM", t.AlarmEnable);
    p.AddBoolean("EMAIL", t.SendEMail);
    if constexpr (protocol == TagProtocol::Modbus)
        p.AddBoolean("TRAP", t.SendTrap);
    addLimits(p, t.ValueKind, t.MinWrite, t.MaxWrite, t.LowestAlarm, t.HighestAlarm);
}

template<class Tag>
void readTagKeys(const TPacket &r, Tag &tag)
{
    constexpr TagProtocol protocol = ProtocolOf<Tag>;
    Tag t = tag; // a malformed value leaves the record as it was
    t.TagName = r.GetString("NAME", DefaultTagName);
    readByte(r, "SOURCE", t.Source);
    if constexpr (protocol == TagProtocol::DF1) {
        const bool knownFile = readCode(r, "FILETYPE", DefaultFileType, DF1FileTypeCodes, t.FileType);
        t.FileNumber = r.GetInteger("FILENUMBER", 0);
        if (knownFile) // an element of an unknown file type means nothing here
            t.WordNumber = r.GetInteger("ELEMENT", 0);
    } else {
        t.UnitID = r.GetInteger("UNIT", 1);
    }
    readByte(r, "TYPE", t.TagType);
    if constexpr (protocol == TagProtocol::Modbus) {
        readCode(r, "MBFUNC", DefaultModbusFunction, ModbusFunctionCodes, t.ModbusFunction);
        const qint64 address = qint64(r.GetInteger("ADDRESS", 1)) + 1;
        if (fitsInt32(address))
            t.Address = qint32(address);
        t.Register32 = r.GetBoolean("REG32", false);
    } else if constexpr (protocol == TagProtocol::Hostlink) {
        readCode(r, "HLFUNC", 0, HostlinkAreaCodes, t.HostlinkFunction);
        t.Address = r.GetInteger("ADDRESS", 0);
    }
    t.BitPosition = r.GetInteger("BIT", 0);
    readCode(r, "SCALE", 0, ScaleCodes, t.Scale);
    t.FactorA = readReal(r, "FACT_A");
    t.FactorB = readReal(r, "FACT_B");
    t.ReadOnly = r.GetBoolean("READONLY", false);
    t.WriteLimits = r.GetBoolean("LIMITS", false);
    t.AlarmEnable = r.GetBoolean("ALARM", false);
    t.SendEMail = r.GetBoolean("EMAIL", false);
    if constexpr (protocol == TagProtocol::Modbus)
        t.SendTrap = r.GetBoolean("TRAP", false);
    // The limits' form depends on the kind, which the fields above decide.
    t.ValueKind = ValueKind(t);
    t.MinWrite = readLimit(r, "WRLO", t.ValueKind, true);
    t.MaxWrite = readLimit(r, "WRHI", t.ValueKind, true);
    t.LowestAlarm = readLimit(r, "ALLO", t.ValueKind, false);
    t.HighestAlarm = readLimit(r, "ALHI", t.ValueKind, false);
    tag = std::move(t);
}

} // namespace

const QList<qint32> &BaudRates()
{
    static const QList<qint32> rates = [] {
        QList<qint32> list;
        for (const Code &c : BaudCodes)
            list.append(c.wire);
        return list;
    }();
    return rates;
}

void AddComKeys(TPacket &packet, const TModbusOrvanConfig &config) { addComKeys(packet, config); }
void AddComKeys(TPacket &packet, const THostlinkOrvanConfig &config) { addComKeys(packet, config); }
void AddComKeys(TPacket &packet, const TDF1OrvanConfig &config) { addComKeys(packet, config); }
void ReadComKeys(const TPacket &reply, TModbusOrvanConfig &config) { readComKeys(reply, config); }
void ReadComKeys(const TPacket &reply, THostlinkOrvanConfig &config) { readComKeys(reply, config); }
void ReadComKeys(const TPacket &reply, TDF1OrvanConfig &config) { readComKeys(reply, config); }

void AddSmtpKeys(TPacket &p, const TEmailConfig &email)
{
    p.AddBoolean("ENABLE", email.Enabled);
    p.AddString("SERVER", email.SmtpServer);
    p.AddInteger("TIMEOUT", email.Timeout);
    p.AddInteger("RETRIES", email.Retries);
    p.AddInteger("RETRYINT", email.RetryInterval);
    p.AddString("FROM", email.Sender);
    p.AddBoolean("AUTH", email.AuthEnabled);
    p.AddString("USER", email.SmtpUser);
    p.AddString("PASS", email.SmtpPassword); // plain text: the gateway knows no other form
}

void ReadSmtpKeys(const TPacket &r, TEmailConfig &email)
{
    TEmailConfig e = email;
    e.Enabled = r.GetBoolean("ENABLE", false);
    e.SmtpServer = r.GetString("SERVER", {});
    e.Timeout = r.GetInteger("TIMEOUT", DefaultEmailTimeout);
    e.Retries = r.GetInteger("RETRIES", DefaultEmailRetries);
    e.RetryInterval = r.GetInteger("RETRYINT", DefaultEmailRetryInterval);
    e.Sender = r.GetString("FROM", {});
    e.AuthEnabled = r.GetBoolean("AUTH", false);
    e.SmtpUser = r.GetString("USER", {});
    e.SmtpPassword = r.GetString("PASS", {});
    // Recipients of an earlier configuration must not survive among the gateway's.
    e.RecipientCount = 0;
    e.Recipients.fill(QByteArray());
    email = std::move(e);
}

QByteArray RecipientAt(const TEmailConfig &email, int index)
{
    if (index < 0 || index >= MaxRecipients || index >= email.RecipientCount)
        return {};
    return email.Recipients[size_t(index)];
}

void ReadRecipient(const TPacket &reply, TEmailConfig &email)
{
    const QByteArray address = reply.GetString("EMAIL", {});
    if (address.isEmpty() || email.RecipientCount < 0 || email.RecipientCount >= MaxRecipients)
        return;
    email.Recipients[size_t(email.RecipientCount)] = address;
    ++email.RecipientCount;
}

void AddTagKeys(TPacket &packet, const TModbusTagConfig &tag) { addTagKeys(packet, tag); }
void AddTagKeys(TPacket &packet, const THostlinkTagConfig &tag) { addTagKeys(packet, tag); }
void AddTagKeys(TPacket &packet, const TDF1TagConfig &tag) { addTagKeys(packet, tag); }
void ReadTagKeys(const TPacket &reply, TModbusTagConfig &tag) { readTagKeys(reply, tag); }
void ReadTagKeys(const TPacket &reply, THostlinkTagConfig &tag) { readTagKeys(reply, tag); }
void ReadTagKeys(const TPacket &reply, TDF1TagConfig &tag) { readTagKeys(reply, tag); }
