#pragma once

#include "GatewayState.h"

#include <QByteArrayList>

// The keys each protocol family uses on the wire (serial port, SMTP, tags), their defaults,
// and the value kind of a tag derived from its keys.
namespace sim {

enum Family { Modbus = 0, Hostlink = 1, DF1 = 2 };
enum ValueKind { Digital = 0, Integer = 1, Real = 2 };

// SETCOM / GETCOM keys after COM=0, in the order they travel, with the gateway's defaults.
Keys defaultComKeys(int family);
// SETSMTP / GETSMTP keys in order, with defaults.
Keys defaultSmtpKeys();
// ADDTAG / GETTAG keys of a family, in the order they travel.
const QByteArrayList &tagKeyNames(int family);

// Keys of the serial port: the stored values over the family's defaults, in wire order.
Keys comKeys(const GatewayState &state);
Keys smtpKeys(const GatewayState &state);

// Kind of a tag's value, from TYPE and SCALE ("1" none) as a tag list download decides it.
ValueKind tagValueKind(int family, const Keys &tag);
bool tagFlag(const Keys &tag, const QByteArray &key);     // false only when "0" or absent
double tagNumber(const Keys &tag, const QByteArray &key); // integer or exponent form; 0 when absent or bad

// Writes a value the way the wire carries it for a kind: "1"/"0", decimal, exponent form.
QByteArray formatValue(ValueKind kind, double value);
// Reads a value of a kind; false when the text does not convert.
bool parseValue(ValueKind kind, const QByteArray &text, double &value);

// A tag in wire terms, to build ADDTAG keys without writing them by hand (demo set, tests).
struct TagSpec
{
    QByteArray name;
    int source = 0;        // 0 serial, 1 input, 2 output, 3 internal, 4 analog input
    int fileType = 137;    // DF1: 131 I, 130 O, 132 S, 133 B, 137 N, 138 F
    int fileNumber = 0;    // DF1
    int element = 0;       // DF1
    int unit = 1;          // Modbus, Hostlink
    int type = 0;          // data type code of the family
    int mbFunc = 4;        // Modbus: 4 holding, 3 input register, 1 input status, 0 coil
    int hlFunc = 0;        // Hostlink: 0 IR, 1 SR, 2 LR, 3 HR, 4 TCPV, 6 DM
    int address = 0;       // as sent (Modbus: register number minus 1)
    bool reg32 = false;    // Modbus
    int bit = 0;
    int scale = 1;         // 1 none, 2 linear
    double factA = 0;
    double factB = 0;
    bool readOnly = false;
    bool limits = false;
    bool alarm = false;
    bool email = false;
    bool trap = false;     // Modbus
    double wrLo = 0, wrHi = 0; // by value kind; a digital tag sends "0"
    double alLo = 0, alHi = 0; // by value kind; digital: positive / negative edge flags
};
Keys tagKeys(int family, const TagSpec &tag);

} // namespace sim
