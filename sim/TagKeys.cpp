#include "TagKeys.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"

#include <cmath>

namespace sim {

QByteArray GatewayState::keyValue(const Keys &keys, const QByteArray &key)
{
    for (const auto &kv : keys) {
        if (kv.first == key)
            return kv.second;
    }
    return {};
}

void GatewayState::setKeyValue(Keys &keys, const QByteArray &key, const QByteArray &value)
{
    for (auto &kv : keys) {
        if (kv.first == key) {
            kv.second = value;
            return;
        }
    }
    keys.append({key, value});
}

Keys defaultComKeys(int family)
{
    switch (family) {
    case Hostlink:
        return {{"COMTYPE", "0"}, {"BAUD", "9600"}, {"PARITY", "0"}, {"MSGTOUT", "1000"},
                {"RETRIES", "1"}, {"SCANTIME", "100"}};
    case DF1:
        return {{"COMTYPE", "0"}, {"BAUD", "9600"}, {"DATABITS", "0"}, {"PARITY", "0"},
                {"MSGTOUT", "1000"}, {"SCANTIME", "100"}, {"ERRORMTHD", "0"}};
    default:
        return {{"COMTYPE", "0"}, {"FORMAT", "0"}, {"BAUD", "9600"}, {"PARITY", "0"}, {"PKTTOUT", "4"},
                {"MSGTOUT", "1000"}, {"RETRIES", "1"}, {"SCANTIME", "100"}};
    }
}

Keys defaultSmtpKeys()
{
    return {{"ENABLE", "0"}, {"SERVER", ""}, {"TIMEOUT", "20"}, {"RETRIES", "5"}, {"RETRYINT", "10"},
            {"FROM", ""}, {"AUTH", "0"}, {"USER", ""}, {"PASS", ""}};
}

const QByteArrayList &tagKeyNames(int family)
{
    static const QByteArrayList modbus = {"NAME", "SOURCE", "UNIT", "TYPE", "MBFUNC", "ADDRESS", "REG32", "BIT",
                                          "SCALE", "FACT_A", "FACT_B", "READONLY", "LIMITS", "ALARM", "EMAIL",
                                          "TRAP", "WRLO", "WRHI", "ALLO", "ALHI"};
    static const QByteArrayList hostlink = {"NAME", "SOURCE", "UNIT", "TYPE", "HLFUNC", "ADDRESS", "BIT",
                                            "SCALE", "FACT_A", "FACT_B", "READONLY", "LIMITS", "ALARM", "EMAIL",
                                            "WRLO", "WRHI", "ALLO", "ALHI"};
    static const QByteArrayList df1 = {"NAME", "SOURCE", "FILETYPE", "FILENUMBER", "ELEMENT", "SUBELEMENT",
                                       "TYPE", "BIT", "SCALE", "FACT_A", "FACT_B", "READONLY", "LIMITS", "ALARM",
                                       "EMAIL", "WRLO", "WRHI", "ALLO", "ALHI"};
    switch (family) {
    case Hostlink:
        return hostlink;
    case DF1:
        return df1;
    default:
        return modbus;
    }
}

// The stored values laid over the defaults, so a GET always answers every key in wire order.
static Keys overlay(Keys keys, const Keys &stored)
{
    for (auto &kv : keys) {
        for (const auto &s : stored) {
            if (s.first == kv.first)
                kv.second = s.second;
        }
    }
    return keys;
}

Keys comKeys(const GatewayState &state)
{
    return overlay(defaultComKeys(state.protocolFamily()), state.com);
}

Keys smtpKeys(const GatewayState &state)
{
    return overlay(defaultSmtpKeys(), state.smtp);
}

bool tagFlag(const Keys &tag, const QByteArray &key)
{
    const QByteArray v = GatewayState::keyValue(tag, key);
    return !v.isEmpty() && v != "0";
}

double tagNumber(const Keys &tag, const QByteArray &key)
{
    const QByteArray v = GatewayState::keyValue(tag, key);
    if (v.isEmpty())
        return 0;
    try {
        if (v.contains('E'))
            return ZPack::parseFloat(v, 0);
        return ZPack::parseInteger(v);
    } catch (const EConvertError &) {
        return 0;
    }
}

ValueKind tagValueKind(int family, const Keys &tag)
{
    const QByteArray typeText = GatewayState::keyValue(tag, "TYPE");
    const QByteArray scaleText = GatewayState::keyValue(tag, "SCALE");
    int type = 0;
    int scale = 1;
    try {
        if (!typeText.isEmpty())
            type = ZPack::parseInteger(typeText);
        if (!scaleText.isEmpty())
            scale = ZPack::parseInteger(scaleText);
    } catch (const EConvertError &) {
        return Integer;
    }
    const ValueKind byScale = scale == 1 ? Integer : Real;
    if (family == Modbus) {
        switch (type) {
        case 0: case 1: case 2: case 3: case 6:
            return byScale;
        case 4: case 5:
            return Real;
        case 7: case 8:
            return Digital;
        default:
            return Integer;
        }
    }
    switch (type) {
    case 0: case 1: case 2: case 4:
        return byScale;
    case 3:
        return Real;
    case 5: case 6:
        return Digital;
    default:
        return Integer;
    }
}

QByteArray formatValue(ValueKind kind, double value)
{
    switch (kind) {
    case Digital:
        return value != 0 ? "1" : "0";
    case Integer:
        return QByteArray::number(qint64(std::llround(value)));
    default:
        return ZPack::formatFloat(value);
    }
}

bool parseValue(ValueKind kind, const QByteArray &text, double &value)
{
    if (text.isEmpty())
        return false;
    try {
        switch (kind) {
        case Digital:
            value = text != "0" ? 1 : 0;
            return true;
        case Integer:
            value = ZPack::parseInteger(text);
            return true;
        default:
            if (!text.contains('E'))
                return false;
            value = ZPack::parseFloat(text, 0);
            return true;
        }
    } catch (const EConvertError &) {
        return false;
    }
}

Keys tagKeys(int family, const TagSpec &t)
{
    Keys k;
    auto put = [&](const QByteArray &key, const QByteArray &value) { k.append({key, value}); };
    auto num = [&](const char *key, int v) { put(key, QByteArray::number(v)); };
    auto flag = [&](const char *key, bool v) { put(key, v ? "1" : "0"); };
    put("NAME", t.name);
    num("SOURCE", t.source);
    if (family == DF1) {
        num("FILETYPE", t.fileType);
        num("FILENUMBER", t.fileNumber);
        num("ELEMENT", t.element);
        num("SUBELEMENT", 0);
    } else {
        num("UNIT", t.unit);
    }
    num("TYPE", t.type);
    if (family == Modbus)
        num("MBFUNC", t.mbFunc);
    if (family == Hostlink)
        num("HLFUNC", t.hlFunc);
    if (family != DF1)
        num("ADDRESS", t.address);
    if (family == Modbus)
        flag("REG32", t.reg32);
    num("BIT", t.bit);
    num("SCALE", t.scale);
    put("FACT_A", ZPack::formatFloat(t.factA));
    put("FACT_B", ZPack::formatFloat(t.factB));
    flag("READONLY", t.readOnly);
    flag("LIMITS", t.limits);
    flag("ALARM", t.alarm);
    flag("EMAIL", t.email);
    if (family == Modbus)
        flag("TRAP", t.trap);
    const ValueKind kind = tagValueKind(family, k);
    if (kind == Digital) {
        put("WRLO", "0");
        put("WRHI", "0");
        flag("ALLO", t.alLo != 0);
        flag("ALHI", t.alHi != 0);
    } else {
        put("WRLO", formatValue(kind, t.wrLo));
        put("WRHI", formatValue(kind, t.wrHi));
        put("ALLO", formatValue(kind, t.alLo));
        put("ALHI", formatValue(kind, t.alHi));
    }
    return k;
}

} // namespace sim
