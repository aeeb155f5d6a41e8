#pragma once

#include "config/KovaTypes.h"

class TPacket;

// The protocol of a configuration or tag record type.
template<class Record> struct RecordProtocol;
template<> struct RecordProtocol<TModbusOrvanConfig> { static constexpr TagProtocol value = TagProtocol::Modbus; };
template<> struct RecordProtocol<THostlinkOrvanConfig> { static constexpr TagProtocol value = TagProtocol::Hostlink; };
template<> struct RecordProtocol<TDF1OrvanConfig> { static constexpr TagProtocol value = TagProtocol::DF1; };
template<> struct RecordProtocol<TModbusTagConfig> { static constexpr TagProtocol value = TagProtocol::Modbus; };
template<> struct RecordProtocol<THostlinkTagConfig> { static constexpr TagProtocol value = TagProtocol::Hostlink; };
template<> struct RecordProtocol<TDF1TagConfig> { static constexpr TagProtocol value = TagProtocol::DF1; };
template<class Record> inline constexpr TagProtocol ProtocolOf = RecordProtocol<Record>::value;

// How a whole configuration travels to and from a gateway, key by key: the serial port
// keys of SETCOM/GETCOM, the e-mail keys of SETSMTP/GETSMTP, the recipient of
// SETTOO/GETTOO and the tag keys of ADDTAG/GETTAG. The key lists and code tables of the
// three protocols live in ConfigWire.cpp, one table per value set.
//
// Writing: the adders append the keys in wire order to a packet begun with NewCommand.
// A field whose value has no wire code leaves its key out.
//
// Reading: a missing key takes the wire default and goes through the same mapping as a
// received value. A value that maps to nothing (BAUD=1200, MBFUNC=2, HLFUNC=5, an
// unknown FILETYPE, a code beyond a byte) leaves the field as it was, which is why the
// readers fill a record in place. A malformed number throws EConvertError.

// The nine baud rates, in the order of BaudRate's positions.
const QList<qint32> &BaudRates();

void AddComKeys(TPacket &packet, const TModbusOrvanConfig &config);
void AddComKeys(TPacket &packet, const THostlinkOrvanConfig &config);
void AddComKeys(TPacket &packet, const TDF1OrvanConfig &config);
void ReadComKeys(const TPacket &reply, TModbusOrvanConfig &config);
void ReadComKeys(const TPacket &reply, THostlinkOrvanConfig &config);
void ReadComKeys(const TPacket &reply, TDF1OrvanConfig &config);

// ENABLE SERVER TIMEOUT RETRIES RETRYINT FROM AUTH USER PASS. Reading also empties the
// recipient list (RecipientCount 0, every slot empty): the GETTOO replies refill it.
void AddSmtpKeys(TPacket &packet, const TEmailConfig &email);
void ReadSmtpKeys(const TPacket &reply, TEmailConfig &email);

// The address SETTOO carries for slot index: the recipient there, or empty past
// RecipientCount.
QByteArray RecipientAt(const TEmailConfig &email, int index);
// Files one GETTOO reply: a non-empty EMAIL goes to the next free slot and is counted, so
// a gateway holding a, empty, c gives a and c in slots 0 and 1.
void ReadRecipient(const TPacket &reply, TEmailConfig &email);

// Tag keys. A tag's last four keys follow its ValueKind. On reading, ValueKind is worked
// out from the received fields (TagRules) before the limits are read, and each limit is
// rebuilt with only the member of that kind set.
//
// A Modbus tag not on the serial bus carries no register address: it goes as Coil Status
// at address 0 (MBFUNC=0, ADDRESS=-1), as a tag list row has always sent it.
void AddTagKeys(TPacket &packet, const TModbusTagConfig &tag);
void AddTagKeys(TPacket &packet, const THostlinkTagConfig &tag);
void AddTagKeys(TPacket &packet, const TDF1TagConfig &tag);
void ReadTagKeys(const TPacket &reply, TModbusTagConfig &tag);
void ReadTagKeys(const TPacket &reply, THostlinkTagConfig &tag);
void ReadTagKeys(const TPacket &reply, TDF1TagConfig &tag);
