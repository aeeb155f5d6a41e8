#include "config/ConfigTransfer.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "config/ConfigModel.h"
#include "config/ConfigWire.h"
#include "device/HttpChannel.h"

namespace {

// Steps of each sequence besides one per tag.
constexpr int SendSteps = 12; // STOP SETCOM SETSMTP 5xSETTOO ENABLETAGADMIN DELALLTAG DISABLETAGADMIN RESET
constexpr int GetSteps = 9;   // STOP GETCOM GETSMTP 5xGETTOO RUN (GETTAGCOUNT does not count)

// A reply shown in a failure's detail is cut here: a tag reply runs to some 300 bytes.
constexpr int ReplyShown = 80;

QString numbered(const char *text, int number)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(text)).arg(number);
}

TPacket command(const QByteArray &name)
{
    TPacket packet;
    packet.NewCommand(name);
    return packet;
}

} // namespace

const QString TConfigTransfer::CompletedText = QStringLiteral("TRANSFER COMPLETED!");

quint8 FamilyOfProtocol(TagProtocol protocol)
{
    return ByProtocol(protocol, FamilyModbus, FamilyHostlink, FamilyDF1);
}

bool ProtocolMatchesDevice(TagProtocol protocol, const TDeviceData &device)
{
    return device.ProtocolFamily == FamilyOfProtocol(protocol);
}

// A new document's record is what a fresh editor model gives.
void SetNewConfigDefaults(TModbusOrvanConfig &config) { TModbusConfigModel().GetAllConfig(config); }
void SetNewConfigDefaults(THostlinkOrvanConfig &config) { THostlinkConfigModel().GetAllConfig(config); }
void SetNewConfigDefaults(TDF1OrvanConfig &config) { TDF1ConfigModel().GetAllConfig(config); }

TConfigTransfer::TConfigTransfer(THttpChannel &channel, const TDeviceData &device, TTransferObserver observer)
    : m_channel(channel), m_device(device), m_observer(std::move(observer))
{
}

bool TConfigTransfer::SendConfig(const TModbusOrvanConfig &config) { return sendConfig(config); }
bool TConfigTransfer::SendConfig(const THostlinkOrvanConfig &config) { return sendConfig(config); }
bool TConfigTransfer::SendConfig(const TDF1OrvanConfig &config) { return sendConfig(config); }
bool TConfigTransfer::GetConfig(TModbusOrvanConfig &config) { return getConfig(config); }
bool TConfigTransfer::GetConfig(THostlinkOrvanConfig &config) { return getConfig(config); }
bool TConfigTransfer::GetConfig(TDF1OrvanConfig &config) { return getConfig(config); }

void TConfigTransfer::begin()
{
    m_failure = {};
    setPosition(0);
}

QString TConfigTransfer::machineName() const
{
    return QStringLiteral("Stopping Orvan %1 machine...").arg(ProtocolWord(m_protocol));
}

template<class Config>
bool TConfigTransfer::sendConfig(const Config &config)
{
    m_protocol = ProtocolOf<Config>;
    begin();
    const int n = config.TagCount;
    if (n < 0 || n > MaxTags) // the editor never holds more; a record from elsewhere might
        return fail(TTransferFailure::Kind::TooManyTags, "ADDTAG",
                    QStringLiteral("The configuration holds %1 Tags; at most %2 can be sent.").arg(n).arg(MaxTags));
    setMaximum(n + SendSteps);
    return SendCommand(machineName(), "STOP")
        && SendCOMConfig(config)
        && SendEMAILConfig(config.Email)
        && SendRECIPIENTSList(config.Email)
        && SendCommand(QStringLiteral("Enabling Tag Administration..."), "ENABLETAGADMIN")
        && SendCommand(QStringLiteral("Deleting existing Tags..."), "DELALLTAG")
        && SendTAGS(config)
        && SendCommand(QStringLiteral("Disabling Tag Administration..."), "DISABLETAGADMIN")
        && SendCommand(QStringLiteral("Resetting Device..."), "RESET")
        && (setStatus(CompletedText), true);
}

template<class Config>
bool TConfigTransfer::getConfig(Config &config)
{
    m_protocol = ProtocolOf<Config>;
    begin();
    int n = 0;
    if (!GetTagCount(n))
        return false;
    // Refused before STOP, so a refusal leaves the gateway running as it was.
    if (n < 0)
        return fail(TTransferFailure::Kind::BadValue, "GETTAGCOUNT",
                    QStringLiteral("The Orvan reports %1 Tags.").arg(n));
    if (n > MaxTags)
        return fail(TTransferFailure::Kind::TooManyTags, "GETTAGCOUNT",
                    QStringLiteral("The Orvan reports %1 Tags; a configuration holds at most %2.").arg(n).arg(MaxTags));
    config.TagCount = 0; // from here on the record counts only tags read from this gateway
    setMaximum(n + GetSteps);
    return SendCommand(machineName(), "STOP")
        && GetCOMConfig(config)
        && GetEMAILConfig(config.Email)
        && GetRECIPIENTSList(config.Email)
        && GetTAGS(config, n)
        && SendCommand(QStringLiteral("Resetting Device..."), "RUN") // a get ends with RUN, under this text
        && (setStatus(CompletedText), true);
}

template<class Config>
bool TConfigTransfer::SendCOMConfig(const Config &config)
{
    setStatus(QStringLiteral("Sending COM Configuration..."));
    TPacket request = command("SETCOM");
    AddComKeys(request, config);
    return exchange(request, "ACK", {});
}

template<class Config>
bool TConfigTransfer::GetCOMConfig(Config &config)
{
    setStatus(QStringLiteral("Getting COM Configuration..."));
    TPacket request = command("GETCOM");
    request.AddInteger("COM", 0);
    return exchange(request, "COM", [&](const TPacket &reply) { ReadComKeys(reply, config); });
}

bool TConfigTransfer::SendEMAILConfig(const TEmailConfig &email)
{
    setStatus(QStringLiteral("Sending E-Mail Configuration..."));
    TPacket request = command("SETSMTP");
    AddSmtpKeys(request, email);
    return exchange(request, "ACK", {});
}

bool TConfigTransfer::GetEMAILConfig(TEmailConfig &email)
{
    setStatus(QStringLiteral("Getting E-Mail Configuration..."));
    return exchange(command("GETSMTP"), "SMTP", [&](const TPacket &reply) { ReadSmtpKeys(reply, email); });
}

bool TConfigTransfer::SendRECIPIENTSList(const TEmailConfig &email)
{
    for (int i = 0; i < MaxRecipients; ++i) {
        setStatus(numbered("Sending E-Mail Recipients List...", i + 1));
        TPacket request = command("SETTOO");
        request.AddInteger("TOO", i);
        request.AddString("EMAIL", RecipientAt(email, i));
        if (!exchange(request, "ACK", {}))
            return false;
    }
    return true;
}

bool TConfigTransfer::GetRECIPIENTSList(TEmailConfig &email)
{
    for (int i = 0; i < MaxRecipients; ++i) {
        setStatus(numbered("Getting E-Mail Recipients List...", i + 1));
        TPacket request = command("GETTOO");
        request.AddInteger("TOO", i);
        if (!exchange(request, "TOO", [&](const TPacket &reply) { ReadRecipient(reply, email); }))
            return false;
    }
    return true;
}

bool TConfigTransfer::GetTagCount(int &count)
{
    setStatus(QStringLiteral("Getting Tag Count..."));
    return exchange(
        command("GETTAGCOUNT"), "TAGCOUNT", [&](const TPacket &reply) { count = reply.GetInteger("COUNT", 0); },
        false);
}

template<class Config>
bool TConfigTransfer::SendTAGS(const Config &config)
{
    for (int i = 0; i < config.TagCount; ++i) {
        setStatus(numbered("Sending Tag Configuration...", i + 1));
        TPacket request = command("ADDTAG");
        AddTagKeys(request, config.Tags[size_t(i)]);
        if (!exchange(request, "ACK", {}))
            return false;
    }
    return true;
}

template<class Config>
bool TConfigTransfer::GetTAGS(Config &config, int count)
{
    for (int i = 0; i < count && i < MaxTags; ++i) {
        setStatus(numbered("Getting Tag Configuration...", i + 1));
        TPacket request = command("GETTAG");
        request.AddInteger("TAG", i);
        if (!exchange(request, "TAGCONFIG", [&](const TPacket &reply) { ReadTagKeys(reply, config.Tags[size_t(i)]); }))
            return false;
        config.TagCount = i + 1;
    }
    return true;
}

bool TConfigTransfer::SendCommand(const QString &status, const QByteArray &name)
{
    setStatus(status);
    return exchange(command(name), "ACK", {});
}

bool TConfigTransfer::exchange(const TPacket &request, const QByteArray &expected,
                               const std::function<void(const TPacket &)> &read, bool counts)
{
    const QByteArray name = request.GetCommand();
    if (m_cancel.load())
        return fail(TTransferFailure::Kind::Cancelled, name, QStringLiteral("Cancelled."));
    TPacket reply;
    if (!m_channel.SendHTTPAdminNoInfo(m_device.IPAddress, m_device.RemoteHost, request, reply)) {
        const QString why = m_channel.lastError();
        return fail(TTransferFailure::Kind::NoResponse, name,
                    why.isEmpty() ? THttpChannel::NoResponseMessage : THttpChannel::NoResponseMessage + " (" + why + ")");
    }
    if (!reply.IsCommand(expected)) {
        QByteArray shown = reply.GetText();
        if (shown.size() > ReplyShown)
            shown = shown.left(ReplyShown) + "...";
        return fail(TTransferFailure::Kind::WrongReply, name,
                    QStringLiteral("%1 was answered by %2").arg(QString::fromLatin1(name), QString::fromLatin1(shown)));
    }
    if (read) {
        try {
            read(reply);
        } catch (const EConvertError &error) {
            return fail(TTransferFailure::Kind::BadValue, name, error.message());
        }
    }
    if (counts)
        setPosition(m_position + 1);
    return true;
}

bool TConfigTransfer::fail(TTransferFailure::Kind kind, const QByteArray &command, const QString &detail)
{
    m_failure = {kind, command, detail};
    return false;
}

void TConfigTransfer::setStatus(const QString &text)
{
    if (m_observer.status)
        m_observer.status(text);
}

void TConfigTransfer::setMaximum(int maximum)
{
    m_maximum = maximum;
    if (m_observer.maximum)
        m_observer.maximum(maximum);
}

void TConfigTransfer::setPosition(int position)
{
    m_position = position;
    if (m_observer.position)
        m_observer.position(position);
}

// The single exchanges, for each record.
template bool TConfigTransfer::SendCOMConfig(const TModbusOrvanConfig &);
template bool TConfigTransfer::SendCOMConfig(const THostlinkOrvanConfig &);
template bool TConfigTransfer::SendCOMConfig(const TDF1OrvanConfig &);
template bool TConfigTransfer::GetCOMConfig(TModbusOrvanConfig &);
template bool TConfigTransfer::GetCOMConfig(THostlinkOrvanConfig &);
template bool TConfigTransfer::GetCOMConfig(TDF1OrvanConfig &);
template bool TConfigTransfer::SendTAGS(const TModbusOrvanConfig &);
template bool TConfigTransfer::SendTAGS(const THostlinkOrvanConfig &);
template bool TConfigTransfer::SendTAGS(const TDF1OrvanConfig &);
template bool TConfigTransfer::GetTAGS(TModbusOrvanConfig &, int);
template bool TConfigTransfer::GetTAGS(THostlinkOrvanConfig &, int);
template bool TConfigTransfer::GetTAGS(TDF1OrvanConfig &, int);
