#include "Request.h"

#include "base/DscPkt.h"

namespace sim {

static bool isWord(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    }
    return true;
}

std::optional<Keys> parseKeyList(const QByteArray &text)
{
    Keys keys;
    // Values are escaped, so a raw "," always ends a parameter.
    const QList<QByteArray> items = text.split(',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QByteArray &item = items.at(i);
        if (item.isEmpty() && i == items.size() - 1)
            break; // the trailing comma
        const qsizetype eq = item.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArray key = item.left(eq);
        if (!isWord(key))
            return std::nullopt;
        keys.append({ZPack::upper(key), ZPack::unescape(item.mid(eq + 1))});
    }
    return keys;
}

std::optional<Request> parseRequest(const QByteArray &body)
{
    const QByteArray text = body.trimmed();
    const qsizetype open = text.indexOf('(');
    if (open <= 0 || !text.endsWith(");"))
        return std::nullopt;
    Request request;
    request.command = text.left(open);
    if (!isWord(request.command))
        return std::nullopt;
    const QByteArray inner = text.mid(open + 1, text.size() - open - 3);
    if (inner.contains('(') || inner.contains(')') || inner.contains(';'))
        return std::nullopt;
    const auto keys = parseKeyList(inner);
    if (!keys)
        return std::nullopt;
    request.keys = *keys;
    return request;
}

QByteArray buildPacket(const QByteArray &command, const Keys &keys)
{
    TPacket packet;
    packet.NewCommand(command);
    for (const auto &kv : keys)
        packet.AddString(kv.first, kv.second);
    return packet.GetText();
}

QByteArray nak(const QByteArray &reason)
{
    return buildPacket("NAK", {{"REASON", reason}});
}

} // namespace sim
