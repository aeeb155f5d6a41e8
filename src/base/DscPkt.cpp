#include "base/DscPkt.h"

#include "base/ConvertError.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

struct Escape
{
    char plain;
    const char *escaped;
};

constexpr Escape kEscapes[] = {
    {'(', "/sp"}, {')', "/ep"}, {',', "/co"}, {';', "/sc"}, {'=', "/eq"},
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Strict decimal real: [+-] digits [. digits] (at least one digit), "." as the point.
bool parseDecimal(const QByteArray &text, long double &out)
{
    if (text.isEmpty())
        return false;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    bool negative = false;
    if (*begin == '+' || *begin == '-') {
        negative = *begin == '-';
        ++begin;
    }
    int digits = 0;
    bool seenPoint = false;
    for (const char *p = begin; p != end; ++p) {
        if (isDigit(*p))
            ++digits;
        else if (*p == '.' && !seenPoint)
            seenPoint = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    std::string body(begin, end);
    if (body.front() == '.')
        body.insert(body.begin(), '0');
    long double value = 0;
    const auto result = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != body.data() + body.size())
        return false;
    out = negative ? -value : value;
    return true;
}

// Strict decimal integer with optional sign; false on overflow of the given bounds.
bool parseDecimalInteger(const QByteArray &text, long long low, long long high, long long &out)
{
    if (text.isEmpty())
        return false;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    bool negative = false;
    if (*begin == '+' || *begin == '-') {
        negative = *begin == '-';
        ++begin;
    }
    if (begin == end)
        return false;
    long long value = 0;
    for (const char *p = begin; p != end; ++p) {
        if (!isDigit(*p))
            return false;
        value = value * 10 + (*p - '0');
        if (value > high + 1) // keeps room for the most negative value; avoids overflow
            return false;
    }
    if (negative)
        value = -value;
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

} // namespace

namespace ZPack {

QByteArray upper(const QByteArray &text)
{
    QByteArray result = text;
    for (char &c : result) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return result;
}

QByteArray escape(const QByteArray &value)
{
    QByteArray result;
    result.reserve(value.size());
    for (char c : value) {
        const char *replacement = nullptr;
        for (const Escape &e : kEscapes) {
            if (e.plain == c)
                replacement = e.escaped;
        }
        if (replacement)
            result.append(replacement);
        else
            result.append(c);
    }
    return result;
}

QByteArray unescape(const QByteArray &raw)
{
    QByteArray result;
    result.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        if (raw.at(i) != '/') {
            result.append(raw.at(i));
            ++i;
            continue;
        }
        // A "/" always consumes three characters; only the five escapes produce one.
        const QByteArray piece = raw.mid(i, 3);
        for (const Escape &e : kEscapes) {
            if (piece == e.escaped)
                result.append(e.plain);
        }
        i += 3;
    }
    return result;
}

QByteArray formatFloat(double value)
{
    // Non-finite reals have no exponent form; the mantissa makes GetFloat fail on them.
    if (std::isnan(value))
        return "NANE0";
    if (std::isinf(value))
        return value < 0 ? "-INFE0" : "INFE0";
    if (value == 0)
        value = 0; // zero has no sign on the wire: -0.0 would print "-0.00000000E0"

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 8);
    const QByteArray text(buffer, int(result.ptr - buffer)); // e.g. "-1.25000000e-03"
    const qsizetype e = text.indexOf('e');
    const QByteArray mantissa = text.left(e);
    const int exponent = text.mid(e + 1).toInt();
    return mantissa + 'E' + QByteArray::number(exponent);
}

qint32 parseInteger(const QByteArray &text)
{
    long long value = 0;
    if (!parseDecimalInteger(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), value))
        throw EConvertError::invalidInteger(text);
    return qint32(value);
}

double parseFloat(const QByteArray &text, double defaultValue)
{
    if (text.isEmpty())
        return defaultValue;
    const qsizetype e = text.indexOf('E');
    if (e < 0)
        return defaultValue;
    const QByteArray mantissaText = text.left(e);
    const QByteArray exponentText = text.mid(e + 1);
    long double mantissa = 0;
    if (!parseDecimal(mantissaText, mantissa))
        throw EConvertError::invalidFloat(mantissaText);
    long long exponent = 0;
    if (!parseDecimalInteger(exponentText, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), exponent))
        throw EConvertError::invalidInteger(exponentText);
    const long double value = mantissa * std::pow(10.0L, static_cast<long double>(exponent));
    return static_cast<double>(value);
}

QByteArray formatDateTime(const QDateTime &value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return QString::asprintf("%02d%02d%d%02d%02d%02d", d.day(), d.month(), d.year(), t.hour(), t.minute(), t.second()).toLatin1();
}

QDateTime parseDateTime(const QByteArray &text, const QDateTime &defaultValue)
{
    if (text.size() != 14)
        return defaultValue;
    for (char c : text) {
        if (!isDigit(c))
            return defaultValue;
    }
    auto field = [&](int from, int length) { return text.mid(from, length).toInt(); };
    const QDate date(field(4, 4), field(2, 2), field(0, 2));
    const int hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    if (!date.isValid() || !QTime::isValid(hour, minute, second, 0))
        return defaultValue;
    // A wall time that local time skips (the hour lost to daylight saving) is no date-time.
    const QDateTime result(date, QTime(hour, minute, second));
    return result.isValid() ? result : defaultValue;
}

} // namespace ZPack

void TPacket::NewCommand(const QByteArray &name)
{
    m_text = ZPack::upper(name) + "();";
}

void TPacket::AddParam(const QByteArray &key, const QByteArray &value)
{
    const qsizetype end = m_text.indexOf(");");
    if (end < 0)
        return;
    m_text.insert(end, ZPack::upper(key) + '=' + ZPack::escape(value) + ',');
}

void TPacket::AddString(const QByteArray &key, const QByteArray &value)
{
    AddParam(key, value);
}

void TPacket::AddInteger(const QByteArray &key, qint32 value)
{
    AddParam(key, QByteArray::number(value));
}

void TPacket::AddBoolean(const QByteArray &key, bool value)
{
    AddParam(key, value ? "1" : "0");
}

void TPacket::AddFloat(const QByteArray &key, double value)
{
    AddParam(key, ZPack::formatFloat(value));
}

void TPacket::AddDateTime(const QByteArray &key, const QDateTime &value)
{
    AddParam(key, ZPack::formatDateTime(value));
}

QByteArray TPacket::GetCommand() const
{
    const qsizetype open = m_text.indexOf('(');
    return open < 0 ? QByteArray() : m_text.left(open);
}

bool TPacket::IsCommand(const QByteArray &name) const
{
    return GetCommand() == ZPack::upper(name);
}

QByteArray TPacket::GetValue(const QByteArray &key) const
{
    const QByteArray pattern = ZPack::upper(key) + '=';
    qsizetype at = m_text.indexOf(pattern);
    while (at >= 0) {
        // Only a key right after "(" or "," counts, so NAME= never matches inside USERNAME=.
        if (at > 0 && (m_text.at(at - 1) == '(' || m_text.at(at - 1) == ','))
            break;
        at = m_text.indexOf(pattern, at + 1);
    }
    if (at < 0)
        return {};
    const qsizetype start = at + pattern.size();
    const qsizetype comma = m_text.indexOf(',', start);
    const QByteArray raw = comma < 0 ? m_text.mid(start) : m_text.mid(start, comma - start);
    return ZPack::unescape(raw);
}

QByteArray TPacket::GetString(const QByteArray &key, const QByteArray &defaultValue) const
{
    const QByteArray value = GetValue(key);
    return value.isEmpty() ? defaultValue : value;
}

qint32 TPacket::GetInteger(const QByteArray &key, qint32 defaultValue) const
{
    const QByteArray value = GetValue(key);
    return value.isEmpty() ? defaultValue : ZPack::parseInteger(value);
}

bool TPacket::GetBoolean(const QByteArray &key, bool defaultValue) const
{
    const QByteArray value = GetValue(key);
    return value.isEmpty() ? defaultValue : value != "0";
}

double TPacket::GetFloat(const QByteArray &key, double defaultValue) const
{
    return ZPack::parseFloat(GetValue(key), defaultValue);
}

QDateTime TPacket::GetDateTime(const QByteArray &key, const QDateTime &defaultValue) const
{
    return ZPack::parseDateTime(GetValue(key), defaultValue);
}

QByteArray NewList(const QByteArray &word)
{
    return ZPack::upper(word) + "()";
}

QByteArray AddListItem(const QByteArray &item, const QByteArray &list)
{
    const QByteArray piece = list.contains("()") ? item : QByteArray(',' + item);
    return list.left(list.size() - 1) + piece + ')';
}

QByteArray GetListItem(const QByteArray &list, int index)
{
    if (list.contains("()") || !list.contains('('))
        return {};
    const qsizetype open = list.indexOf('(');
    if (!list.contains(',')) {
        if (index != 1)
            return {};
        const qsizetype close = list.indexOf(')');
        return close < 0 ? list.mid(open + 1) : list.mid(open + 1, close - open - 1);
    }
    auto nextStop = [](const QByteArray &text) {
        qsizetype stop = -1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == ',' || text.at(i) == ')') {
                stop = i;
                break;
            }
        }
        return stop;
    };
    QByteArray rest = list.mid(open, list.size() - 1 - open);
    for (int i = 1; i <= index; ++i) {
        rest.remove(0, 1);
        const qsizetype stop = nextStop(rest);
        if (i == index)
            return stop < 0 ? rest : rest.left(stop);
        rest = stop < 0 ? QByteArray() : rest.mid(stop);
    }
    return {};
}

bool ListStartsWith(const QByteArray &word, const QByteArray &list)
{
    return list.startsWith(ZPack::upper(word));
}

bool ListHasItems(const QByteArray &list, int count)
{
    if (list.contains("()"))
        return false;
    if (!list.contains(','))
        return count == 1;
    return list.count(',') + 1 >= count;
}
