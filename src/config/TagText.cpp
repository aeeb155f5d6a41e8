#include "config/TagText.h"

#include "base/ConvertError.h"
#include "config/TagRules.h"
#include "base/DscPkt.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

const QByteArray NonSerialLocation = "00000";

QByteArray localeDecimalPoint()
{
    return QLocale().decimalPoint().toLatin1();
}

} // namespace

QByteArray FormatBoolText(bool value)
{
    return value ? QByteArrayLiteral("Yes") : QByteArrayLiteral("No");
}

bool ParseBoolText(const QByteArray &text)
{
    return text == "Yes";
}

QByteArray FormatIntegerText(qint32 value)
{
    return QByteArray::number(value);
}

qint32 ParseIntegerText(const QByteArray &text)
{
    // The packet codec's reader is the one strict decimal reader of the program.
    return ZPack::parseInteger(text);
}

bool TryParseInteger(const QByteArray &text, qint32 *value)
{
    try {
        const qint32 parsed = ParseIntegerText(text);
        if (value)
            *value = parsed;
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

QByteArray FormatRealText(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Round to 15 significant digits first; the layout depends on the rounded exponent.
    // std::to_chars ignores the C locale, so the digits are always ASCII with '.'.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const QByteArray scientific(buffer, result.ptr - buffer); // d.ddddddddddddddde[+-]xx
    const qsizetype e = scientific.indexOf('e');
    const int exponent = scientific.mid(e + 1).toInt();
    QByteArray digits = scientific.left(1) + scientific.mid(2, e - 2);
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    const QByteArray point = localeDecimalPoint();
    QByteArray text;
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text = "0" + point + QByteArray(-exponent - 1, '0') + digits;
        } else {
            QByteArray whole = digits.left(exponent + 1);
            whole += QByteArray(exponent + 1 - whole.size(), '0');
            const QByteArray fraction = digits.mid(exponent + 1);
            text = fraction.isEmpty() ? whole : whole + point + fraction;
        }
    } else {
        text = digits.left(1);
        if (digits.size() > 1)
            text += point + digits.mid(1);
        text += 'E' + QByteArray::number(exponent);
    }
    return value < 0 ? '-' + text : text;
}

bool TryParseReal(const QByteArray &text, float *value)
{
    QLocale locale;
    // A grouping character would otherwise be taken silently: "1.5" is 15 in German.
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double parsed = locale.toDouble(QString::fromLatin1(text), &ok);
    if (!ok)
        return false;
    // The 15-digit text of the largest float lies a little above it; only what would
    // round to infinity is out of range (half a unit beyond the largest float).
    static const double floatLimit = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    if (std::isfinite(parsed) && std::fabs(parsed) >= floatLimit)
        return false;
    if (value)
        *value = float(parsed);
    return true;
}

float ParseRealText(const QByteArray &text)
{
    float value = 0;
    if (!TryParseReal(text, &value))
        throw EConvertError::invalidFloat(text);
    return value;
}

QByteArray FormatLimitText(const TTagValue &value, int valueKind, LimitRole role)
{
    switch (valueKind) {
    case TagValueKind::Digital:
        if (role == LimitRole::Write)
            return "0";
        return value.BoolValue ? "1" : "0";
    case TagValueKind::Integer:
        return FormatIntegerText(value.IntValue);
    default:
        return FormatRealText(value.RealValue);
    }
}

TTagValue ParseLimitText(const QByteArray &text, int valueKind, LimitRole role)
{
    TTagValue value;
    switch (valueKind) {
    case TagValueKind::Digital:
        if (role == LimitRole::Alarm)
            value.BoolValue = text == "1";
        break;
    case TagValueKind::Integer:
        value.IntValue = ParseIntegerText(text);
        break;
    default:
        value.RealValue = ParseRealText(text);
        break;
    }
    return value;
}

QByteArray FormatModbusAddress(int source, int table, qint32 address)
{
    if (!IsSerialSource(source))
        return NonSerialLocation;
    const QString number = address <= 9999 ? QString::asprintf("%.4d", address) : QString::asprintf("%.5d", address);
    return ModbusTableDigit(table) + number.toLatin1();
}

void ParseModbusAddress(const QByteArray &text, quint8 &table, qint32 &address)
{
    const qint32 parsed = ParseIntegerText(text.mid(1));
    const int fromDigit = text.isEmpty() ? -1 : ModbusTableFromDigit(text.at(0));
    if (fromDigit >= 0)
        table = quint8(fromDigit);
    address = parsed;
}

QByteArray FormatLocationNumber(int source, qint32 value)
{
    return IsSerialSource(source) ? FormatIntegerText(value) : NonSerialLocation;
}
