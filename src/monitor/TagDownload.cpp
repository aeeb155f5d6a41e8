#include "monitor/TagDownload.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

namespace {

const QByteArray AdminScript = "admpost.cgi";

} // namespace

const QString TagDownloadText::Initializing = QStringLiteral("Initializing Tag Configuration Download...");
const QString TagDownloadText::Failed = QStringLiteral("Error while obtaining Tags.");
const QString TagDownloadText::NoTags = QStringLiteral("No Configured Tags in connected Orvan.");
const QString TagDownloadText::Stopped = QStringLiteral("Download Stopped by user.");
const QString TagDownloadText::Done = QStringLiteral("Done.");

QString TagDownloadText::GettingTag(int number, int count, const QByteArray &name)
{
    return QStringLiteral("Getting Tag %1 of %2: %3").arg(number).arg(count).arg(QString::fromLatin1(name));
}

QString TagDownloadText::DoneFirstOf(int reported)
{
    return QStringLiteral("Done. The Orvan has %1 Tags; only the first %2 are listed.")
        .arg(reported)
        .arg(TTagDownload::MaxEntries);
}

quint8 ValueKindFromType(quint8 protocolFamily, int type, int scale)
{
    const quint8 byScale = scale == 1 ? KindInteger : KindReal;
    if (protocolFamily == FamilyModbus) {
        switch (type) {
        case 0: case 1: case 2: case 3: case 6: // unsigned, signed, long, long inverted, BCD
            return byScale;
        case 4: case 5:                         // float, float inverted
            return KindReal;
        case 7: case 8:                         // word bit, single bit
            return KindDigital;
        default:
            return KindInteger;
        }
    }
    switch (type) {
    case 0: case 1: case 2: case 4: // unsigned, signed, long, BCD
        return byScale;
    case 3:                         // float
        return KindReal;
    case 5: case 6:                 // word bit, single bit
        return KindDigital;
    default:
        return KindInteger;
    }
}

QString TagKindText(quint8 kind)
{
    switch (kind) {
    case KindDigital:
        return QStringLiteral("Digital");
    case KindInteger:
        return QStringLiteral("Integer");
    default:
        return QStringLiteral("Float");
    }
}

quint8 TagKindFromText(const QString &text)
{
    if (text == QLatin1String("Integer"))
        return KindInteger;
    if (text == QLatin1String("Float"))
        return KindReal;
    return KindDigital;
}

bool TTagDownload::GetTagCount(int &count)
{
    count = 0;
    TPacket request;
    TPacket reply;
    request.NewCommand("GETTAGCOUNT");
    if (!m_channel.SendHTTPServer(m_device.IPAddress, m_device.RemoteHost, AdminScript, request, reply)
        || !reply.IsCommand("TAGCOUNT"))
        return false;
    count = reply.GetInteger("COUNT", 0);
    return true;
}

bool TTagDownload::GetTagConfig(int index, TTagEntry &entry)
{
    entry = TTagEntry{};
    TPacket request;
    TPacket reply;
    request.NewCommand("GETTAG");
    request.AddInteger("TAG", index);
    if (!m_channel.SendHTTPServer(m_device.IPAddress, m_device.RemoteHost, AdminScript, request, reply)
        || !reply.IsCommand("TAGCONFIG"))
        return false;
    const int type = reply.GetInteger("TYPE", 0);
    const int scale = reply.GetInteger("SCALE", 1);
    entry.Name = reply.GetString("NAME", "*");
    entry.ValueKind = ValueKindFromType(m_device.ProtocolFamily, type, scale);
    return true;
}

TTagDownload::Result TTagDownload::PoblateTagsList(const Hooks &hooks)
{
    Result result;
    m_entries.clear();
    try {
        int count = 0;
        if (!GetTagCount(count)) {
            result.message = TagDownloadText::Failed;
            return result;
        }
        result.reported = count;
        if (count <= 0) {
            result.message = TagDownloadText::NoTags;
            return result;
        }
        // The list holds 128 tags, as many as a gateway can be given; a gateway that reports
        // more is read up to that bound and the closing text says so.
        const int wanted = qMin(count, MaxEntries);
        if (hooks.started)
            hooks.started(wanted);
        for (int i = 0; i < wanted; ++i) {
            if (hooks.stopRequested && hooks.stopRequested()) {
                result.stopped = true;
                break;
            }
            TTagEntry entry;
            if (!GetTagConfig(i, entry)) {
                result.message = TagDownloadText::Failed;
                return result;
            }
            m_entries.append(entry);
            if (hooks.fetched)
                hooks.fetched(i + 1, wanted, entry);
        }
        result.ok = true;
        if (result.stopped)
            result.message = TagDownloadText::Stopped;
        else
            result.message = count > MaxEntries ? TagDownloadText::DoneFirstOf(count) : TagDownloadText::Done;
    } catch (const EConvertError &) {
        // A malformed number in a reply: the download ends as for any unexpected reply.
        result.ok = false;
        result.message = TagDownloadText::Failed;
    }
    return result;
}
