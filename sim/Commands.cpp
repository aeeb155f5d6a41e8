#include "Commands.h"

#include "LiveValues.h"
#include "TagKeys.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"

#include <QDateTime>
#include <QHash>

namespace sim {

namespace {

// A request the gateway refuses; its text becomes the NAK's REASON.
struct Refused
{
    QByteArray reason;
};

const QByteArray Ack = "ACK();";

QByteArray key(const Request &r, const QByteArray &name)
{
    return GatewayState::keyValue(r.keys, name);
}

bool hasKey(const Request &r, const QByteArray &name)
{
    for (const auto &kv : r.keys) {
        if (kv.first == name)
            return true;
    }
    return false;
}

int intKey(const Request &r, const QByteArray &name)
{
    const QByteArray v = key(r, name);
    try {
        return ZPack::parseInteger(v);
    } catch (const EConvertError &) {
        throw Refused{"Invalid value for " + name};
    }
}

void requireInteger(const QByteArray &name, const QByteArray &value)
{
    if (value.isEmpty())
        return;
    try {
        ZPack::parseInteger(value);
    } catch (const EConvertError &) {
        throw Refused{"Invalid value for " + name};
    }
}

bool isAddress(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 4)
        return false;
    for (const QByteArray &p : parts) {
        bool ok = false;
        const int n = p.toInt(&ok);
        if (p.isEmpty() || p.size() > 3 || !ok || n < 0 || n > 255)
            return false;
    }
    return true;
}

// Every key must be one of the allowed ones: a key of another protocol is a mistake of the sender.
void requireKnownKeys(const Request &r, const QByteArrayList &allowed)
{
    for (const auto &kv : r.keys) {
        if (!allowed.contains(kv.first))
            throw Refused{"Unknown key " + kv.first};
    }
}

QByteArrayList keyNames(const Keys &keys)
{
    QByteArrayList names;
    for (const auto &kv : keys)
        names.append(kv.first);
    return names;
}

int tagIndex(const GatewayState &s, const Request &r, const QByteArray &name)
{
    if (!hasKey(r, name))
        throw Refused{"Missing " + name};
    const int index = intKey(r, name);
    if (index < 0 || index >= s.tags.size())
        throw Refused{"No such Tag"};
    return index;
}

// ---- device, network, users, clock -------------------------------------------------------

QByteArray getDevice(GatewayState &s, const Request &, qint64)
{
    return buildPacket("DEVICE", {{"VERSION", s.version}, {"MAC", s.mac}, {"ID", s.model}});
}

QByteArray getNet(GatewayState &s, const Request &, qint64)
{
    return buildPacket("NETWORK", {{"NAME", s.hostName},
                                   {"DHCP", s.dhcp ? "1" : "0"},
                                   {"IP", s.ip},
                                   {"NETMASK", s.netmask},
                                   {"GATEWAY", s.gateway},
                                   {"FSTDNS", s.dns1},
                                   {"SNDDNS", s.dns2},
                                   {"SNMP", s.snmp ? "1" : "0"},
                                   {"MANAGER", s.manager},
                                   {"READS", s.readCommunity},
                                   {"WRITES", s.writeCommunity},
                                   {"TRAPS", s.trapCommunity}});
}

QByteArray setNet(GatewayState &s, const Request &r, qint64)
{
    if (key(r, "PWD") != s.adminPassword)
        throw Refused{"Invalid Password"};
    requireKnownKeys(r, {"PWD", "NAME", "DHCP", "IP", "NETMASK", "GATEWAY", "FSTDNS", "SNDDNS", "SNMP", "MANAGER",
                         "READS", "WRITES", "TRAPS"});
    for (const char *address : {"IP", "NETMASK", "GATEWAY", "FSTDNS", "SNDDNS", "MANAGER"}) {
        if (hasKey(r, address) && !isAddress(key(r, address)))
            throw Refused{QByteArray("Invalid value for ") + address};
    }
    Keys pending;
    for (const auto &kv : r.keys) {
        if (kv.first != "PWD")
            pending.append(kv);
    }
    s.pendingNetwork = pending;
    s.networkPending = true;
    return Ack;
}

QByteArray getAdmin(GatewayState &s, const Request &, qint64)
{
    return buildPacket("ADMIN", {{"PWD", s.adminPassword}});
}

QByteArray getUser(GatewayState &s, const Request &, qint64)
{
    return buildPacket("USER", {{"USERNAME", s.webUser}});
}

QByteArray setUser(GatewayState &s, const Request &r, qint64)
{
    s.webUser = key(r, "USERNAME");
    s.webPassword = key(r, "PWD");
    return Ack;
}

QByteArray setAdmin(GatewayState &s, const Request &r, qint64)
{
    s.adminPassword = key(r, "PWD");
    return Ack;
}

QDateTime gatewayClock(const GatewayState &s, qint64 nowMs)
{
    return QDateTime::fromMSecsSinceEpoch(nowMs).addSecs(s.clockOffsetSecs);
}

QByteArray getTime(GatewayState &s, const Request &, qint64 nowMs)
{
    return buildPacket("TIME", {{"TIME", ZPack::formatDateTime(gatewayClock(s, nowMs))}});
}

QByteArray setTime(GatewayState &s, const Request &r, qint64 nowMs)
{
    const QDateTime time = ZPack::parseDateTime(key(r, "TIME"), QDateTime());
    if (!time.isValid())
        throw Refused{"Invalid value for TIME"};
    s.clockOffsetSecs = QDateTime::fromMSecsSinceEpoch(nowMs).secsTo(time);
    return Ack;
}

// ---- machine and tag administration -------------------------------------------------------

QByteArray stop(GatewayState &s, const Request &, qint64)
{
    s.running = false;
    return Ack;
}

QByteArray run(GatewayState &s, const Request &, qint64)
{
    s.running = true;
    return Ack;
}

QByteArray reset(GatewayState &s, const Request &, qint64)
{
    if (s.networkPending)
        applyNetwork(s, s.pendingNetwork);
    s.pendingNetwork.clear();
    s.networkPending = false;
    s.running = true;
    s.tagAdmin = false;
    ++s.resets;
    return Ack;
}

QByteArray enableTagAdmin(GatewayState &s, const Request &, qint64)
{
    s.tagAdmin = true;
    return Ack;
}

QByteArray disableTagAdmin(GatewayState &s, const Request &, qint64)
{
    s.tagAdmin = false;
    return Ack;
}

QByteArray delAllTag(GatewayState &s, const Request &, qint64)
{
    if (!s.tagAdmin)
        throw Refused{"Tag Administration not enabled"};
    s.tags.clear();
    s.live.clear();
    return Ack;
}

QByteArray addTag(GatewayState &s, const Request &r, qint64)
{
    if (!s.tagAdmin)
        throw Refused{"Tag Administration not enabled"};
    if (s.tags.size() >= MaxTags)
        throw Refused{"Tag table full"};
    const int family = s.protocolFamily();
    requireKnownKeys(r, tagKeyNames(family));
    if (key(r, "NAME").isEmpty())
        throw Refused{"Missing NAME"};
    for (const char *name : {"SOURCE", "FILETYPE", "FILENUMBER", "ELEMENT", "SUBELEMENT", "UNIT", "TYPE", "MBFUNC",
                             "HLFUNC", "ADDRESS", "BIT", "SCALE"})
        requireInteger(name, key(r, name));
    for (const char *name : {"FACT_A", "FACT_B"}) {
        double unused = 0;
        if (!key(r, name).isEmpty() && !parseValue(Real, key(r, name), unused))
            throw Refused{QByteArray("Invalid value for ") + name};
    }
    // The limits travel in the form of the sender's idea of the value kind, which may differ from
    // the gateway's for odd type and table pairs: any number form is taken.
    for (const char *name : {"WRLO", "WRHI", "ALLO", "ALHI"}) {
        double unused = 0;
        const QByteArray value = key(r, name);
        if (!value.isEmpty() && !parseValue(Integer, value, unused) && !parseValue(Real, value, unused))
            throw Refused{QByteArray("Invalid value for ") + name};
    }
    s.tags.append(r.keys);
    s.live.append(TagLive());
    return Ack;
}

QByteArray getTagCount(GatewayState &s, const Request &, qint64)
{
    return buildPacket("TAGCOUNT", {{"COUNT", QByteArray::number(s.tags.size())}});
}

QByteArray getTag(GatewayState &s, const Request &r, qint64)
{
    return buildPacket("TAGCONFIG", s.tags.at(tagIndex(s, r, "TAG")));
}

// ---- serial port, e-mail ------------------------------------------------------------------

void requireComZero(const Request &r)
{
    if (!hasKey(r, "COM"))
        throw Refused{"Missing COM"};
    if (intKey(r, "COM") != 0)
        throw Refused{"No such COM port"};
}

QByteArray setCom(GatewayState &s, const Request &r, qint64)
{
    requireComZero(r);
    Keys com = comKeys(s);
    requireKnownKeys(r, QByteArrayList{"COM"} + keyNames(com));
    for (const auto &kv : r.keys)
        requireInteger(kv.first, kv.second);
    for (const auto &kv : r.keys) {
        if (kv.first != "COM")
            GatewayState::setKeyValue(com, kv.first, kv.second);
    }
    s.com = com;
    return Ack;
}

QByteArray getCom(GatewayState &s, const Request &r, qint64)
{
    requireComZero(r);
    return buildPacket("COM", Keys{{"COM", "0"}} + comKeys(s));
}

QByteArray setSmtp(GatewayState &s, const Request &r, qint64)
{
    Keys smtp = smtpKeys(s);
    requireKnownKeys(r, keyNames(smtp));
    for (const char *name : {"TIMEOUT", "RETRIES", "RETRYINT"})
        requireInteger(name, key(r, name));
    for (const auto &kv : r.keys)
        GatewayState::setKeyValue(smtp, kv.first, kv.second);
    s.smtp = smtp;
    return Ack;
}

QByteArray getSmtp(GatewayState &s, const Request &, qint64)
{
    return buildPacket("SMTP", smtpKeys(s));
}

int recipientIndex(const Request &r)
{
    if (!hasKey(r, "TOO"))
        throw Refused{"Missing TOO"};
    const int index = intKey(r, "TOO");
    if (index < 0 || index > 4)
        throw Refused{"Invalid value for TOO"};
    return index;
}

QByteArray setToo(GatewayState &s, const Request &r, qint64)
{
    s.recipients[size_t(recipientIndex(r))] = key(r, "EMAIL");
    return Ack;
}

QByteArray getToo(GatewayState &s, const Request &r, qint64)
{
    const int index = recipientIndex(r);
    return buildPacket("TOO", {{"TOO", QByteArray::number(index)}, {"EMAIL", s.recipients[size_t(index)]}});
}

// ---- live values -------------------------------------------------------------------------

QByteArray mailbox(GatewayState &s, const Request &, qint64 nowMs)
{
    advanceLive(s, nowMs);
    return buildPacket("MAILBOX", {{"COUNT", QByteArray::number(s.mailboxCount)},
                                   {"STATUS", QByteArray::number(s.mailboxStatus)},
                                   {"TOO", QByteArray::number(s.mailboxTo)},
                                   {"RETRY", QByteArray::number(s.mailboxRetry)},
                                   {"ERROR", QByteArray::number(s.mailboxError)}});
}

// READ(TAG1=i,TAG2=j,...) answers VALn and STn for each; an unknown tag reports a read error.
QByteArray read(GatewayState &s, const Request &r, qint64 nowMs)
{
    if (!hasKey(r, "TAG1"))
        throw Refused{"Missing TAG1"};
    advanceLive(s, nowMs);
    Keys values;
    for (int n = 1; hasKey(r, "TAG" + QByteArray::number(n)); ++n) {
        const QByteArray suffix = QByteArray::number(n);
        const int index = intKey(r, "TAG" + suffix);
        values.append({"VAL" + suffix, readValueText(s, index)});
        values.append({"ST" + suffix, QByteArray::number(readStatus(s, index))});
    }
    return buildPacket("VALUES", values);
}

QByteArray write(GatewayState &s, const Request &r, qint64 nowMs)
{
    advanceLive(s, nowMs);
    const int index = tagIndex(s, r, "TAG");
    if (!hasKey(r, "VALUE"))
        throw Refused{"Missing VALUE"};
    const QByteArray refusal = writeTag(s, index, key(r, "VALUE"));
    if (!refusal.isEmpty())
        throw Refused{refusal};
    return Ack;
}

QByteArray alarmAck(GatewayState &s, const Request &r, qint64 nowMs)
{
    advanceLive(s, nowMs);
    const QByteArray refusal = acknowledgeAlarm(s, tagIndex(s, r, "TAG"));
    if (!refusal.isEmpty())
        throw Refused{refusal};
    return Ack;
}

using Handler = QByteArray (*)(GatewayState &, const Request &, qint64);

struct Entry
{
    Script script;
    Handler handler;
};

const QHash<QByteArray, Entry> &commandTable()
{
    static const QHash<QByteArray, Entry> table = {
        {"GETDEVICE", {Script::Admin, getDevice}},
        {"GETNET", {Script::Admin, getNet}},
        {"SETNET", {Script::Admin, setNet}},
        {"GETADMIN", {Script::Admin, getAdmin}},
        {"SETADMIN", {Script::Admin, setAdmin}},
        {"GETUSER", {Script::Admin, getUser}},
        {"SETUSER", {Script::Admin, setUser}},
        {"GETTIME", {Script::Admin, getTime}},
        {"SETTIME", {Script::Admin, setTime}},
        {"RESET", {Script::Admin, reset}},
        {"STOP", {Script::Admin, stop}},
        {"RUN", {Script::Admin, run}},
        {"ENABLETAGADMIN", {Script::Admin, enableTagAdmin}},
        {"DISABLETAGADMIN", {Script::Admin, disableTagAdmin}},
        {"DELALLTAG", {Script::Admin, delAllTag}},
        {"ADDTAG", {Script::Admin, addTag}},
        {"GETTAGCOUNT", {Script::Admin, getTagCount}},
        {"GETTAG", {Script::Admin, getTag}},
        {"SETCOM", {Script::Admin, setCom}},
        {"GETCOM", {Script::Admin, getCom}},
        {"SETSMTP", {Script::Admin, setSmtp}},
        {"GETSMTP", {Script::Admin, getSmtp}},
        {"SETTOO", {Script::Admin, setToo}},
        {"GETTOO", {Script::Admin, getToo}},
        {"MAILBOX", {Script::Admin, mailbox}},
        {"READ", {Script::App, read}},
        {"WRITE", {Script::App, write}},
        {"ALARMACK", {Script::App, alarmAck}},
    };
    return table;
}

} // namespace

void applyNetwork(GatewayState &s, const Keys &keys)
{
    auto has = [&](const char *name) {
        for (const auto &kv : keys) {
            if (kv.first == name)
                return true;
        }
        return false;
    };
    auto value = [&](const char *name) { return GatewayState::keyValue(keys, name); };
    if (has("NAME"))
        s.hostName = value("NAME");
    // The sender asks for DHCP with the address 0.0.0.0; the gateway then keeps the address it
    // is served on as its lease, and its netmask, gateway and DNS servers with it.
    if (has("DHCP"))
        s.dhcp = value("DHCP") != "0";
    else if (has("IP"))
        s.dhcp = value("IP") == "0.0.0.0";
    if (!s.dhcp) {
        if (has("IP") && value("IP") != "0.0.0.0")
            s.ip = value("IP");
        if (has("NETMASK"))
            s.netmask = value("NETMASK");
        if (has("GATEWAY"))
            s.gateway = value("GATEWAY");
        if (has("FSTDNS"))
            s.dns1 = value("FSTDNS");
        if (has("SNDDNS"))
            s.dns2 = value("SNDDNS");
    }
    if (has("SNMP"))
        s.snmp = value("SNMP") != "0";
    if (has("MANAGER"))
        s.manager = value("MANAGER");
    if (has("READS"))
        s.readCommunity = value("READS");
    if (has("WRITES"))
        s.writeCommunity = value("WRITES");
    if (has("TRAPS"))
        s.trapCommunity = value("TRAPS");
}

QByteArray handleCommand(GatewayState &state, Script script, const Request &request, qint64 nowMs)
{
    const auto &table = commandTable();
    const auto it = table.constFind(request.command);
    if (it == table.constEnd() || it->script != script)
        return nak("Unknown Command");
    try {
        return it->handler(state, request, nowMs);
    } catch (const Refused &refused) {
        return nak(refused.reason);
    }
}

QByteArray handleBody(GatewayState &state, Script script, const QByteArray &body, qint64 nowMs)
{
    const auto request = parseRequest(body);
    if (!request)
        return nak("Malformed Packet");
    return handleCommand(state, script, *request, nowMs);
}

} // namespace sim
