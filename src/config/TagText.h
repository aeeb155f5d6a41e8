#pragma once

#include "config/KovaTypes.h"

// Text forms of tag fields, as a tag list shows them and a configuration file stores
// them, and reading them back. Reading a malformed number throws EConvertError
// ("'%s' is not a valid integer value" / "'%s' is not a valid floating point value").
//
// Reals use the default locale (QLocale(), which tests switch with QLocale::setDefault)
// for the decimal separator and never group digits.

// "Yes" / "No"; read back, exactly "Yes" is true.
QByteArray FormatBoolText(bool value);
bool ParseBoolText(const QByteArray &text);

// Decimal. Reading accepts an optional sign and decimal digits that fit in 32 bits.
QByteArray FormatIntegerText(qint32 value);
qint32 ParseIntegerText(const QByteArray &text);
bool TryParseInteger(const QByteArray &text, qint32 *value);

// The shortest general form with up to 15 significant digits: fixed notation when the
// magnitude is at least 0.00001 and at most 15 digits stand before the point, else
// "d.dddE-7" style. A 32-bit 0.1 is written "0.100000001490116" (with "," under a comma
// locale). Reading follows the locale and yields a 32-bit float; a number beyond the
// float range does not read.
QByteArray FormatRealText(double value);
float ParseRealText(const QByteArray &text);
bool TryParseReal(const QByteArray &text, float *value);

// The four limits of a tag, by its value kind. Digital: write limits "0", alarm limits
// "1"/"0" from their edge flag; integer: IntValue; real (and any other kind): RealValue.
enum class LimitRole { Write, Alarm };
QByteArray FormatLimitText(const TTagValue &value, int valueKind, LimitRole role);
// A fresh limit with only the member of the kind set (digital write limits stay zero).
TTagValue ParseLimitText(const QByteArray &text, int valueKind, LimitRole role);

// Modbus address: table digit + address with at least four digits ("%.4d"), five above
// 9999 ("%.5d"): 40001, 310000, 00001. A non-serial tag gives "00000".
QByteArray FormatModbusAddress(int source, int table, qint32 address);
// The first character selects the table ('0', '1', '3', '4'; any other leaves `table`
// as it is); the rest is the address.
void ParseModbusAddress(const QByteArray &text, quint8 &table, qint32 &address);

// Hostlink address, DF1 file number and word number: decimal, "00000" for a non-serial tag.
QByteArray FormatLocationNumber(int source, qint32 value);
