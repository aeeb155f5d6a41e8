#include "cli/GatewayJobs.h"

#include "base/ConvertError.h"
#include "config/ConfigFile.h"
#include "config/ConfigModel.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWire.h"
#include "device/HttpChannel.h"

#include <QFileInfo>

namespace {

template<class Record> struct ModelOf;
template<> struct ModelOf<TModbusOrvanConfig> { using type = TModbusConfigModel; };
template<> struct ModelOf<THostlinkOrvanConfig> { using type = THostlinkConfigModel; };
template<> struct ModelOf<TDF1OrvanConfig> { using type = TDF1ConfigModel; };

// A record of the protocol, empty.
AnyConfig emptyRecord(TagProtocol protocol)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return AnyConfig(std::in_place_type<TModbusOrvanConfig>);
    case TagProtocol::Hostlink:
        return AnyConfig(std::in_place_type<THostlinkOrvanConfig>);
    case TagProtocol::DF1:
        break;
    }
    return AnyConfig(std::in_place_type<TDF1OrvanConfig>);
}

// The protocol of the configurations a gateway of this family takes.
std::optional<TagProtocol> protocolOfFamily(quint8 family)
{
    for (TagProtocol protocol : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1})
        if (FamilyOfProtocol(protocol) == family)
            return protocol;
    return std::nullopt;
}

template<class Record>
bool loadRecord(const QString &path, Record &record, QString *error)
{
    typename ModelOf<Record>::type model;
    TConfigFile file;
    if (!file.Open(path, model).Opened) {
        *error = CliPrompt::takeError();
        return false;
    }
    if (const TFieldCheck check = model.Validate(); !check) {
        *error = check.Message;
        return false;
    }
    // Tag texts are converted only when a tag is sent: a malformed number ends the send
    // here, naming the tag, before any gateway is touched.
    for (int row = 0; row < model.GetTagCount(); ++row) {
        try {
            typename decltype(record.Tags)::value_type tag;
            model.GetTagFromList(row, tag);
        } catch (const EConvertError &e) {
            *error = QStringLiteral("Tag %1 \"%2\": %3")
                         .arg(row + 1)
                         .arg(QString::fromLatin1(model.TagCaption(row)), e.message());
            return false;
        }
    }
    try {
        model.GetAllConfig(record);
    } catch (const EConvertError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

template<class Record>
bool saveRecord(const Record &record, const QString &path, QString *error)
{
    typename ModelOf<Record>::type model;
    model.SetAllConfig(record);
    TConfigFile file;
    file.BindFresh(path); // a new file, as Save As writes it
    if (!file.Write(model)) {
        *error = CliPrompt::takeError();
        return false;
    }
    return true;
}

TTransferObserver observerFor(const QByteArray &host, Progress &progress)
{
    TTransferObserver observer;
    observer.status = [&progress, host](const QString &text) { progress.status(host, text); };
    return observer;
}

void takeFailure(const TConfigTransfer &transfer, GatewayResult &result)
{
    result.step = transfer.Failure().command;
    result.reason = transfer.Failure().detail;
}

} // namespace

std::optional<ConfigToSend> LoadConfigToSend(const QString &path, QString *error)
{
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("%1: no such file").arg(path);
        return std::nullopt;
    }
    const std::optional<TagProtocol> protocol = ConfigFileProtocol(path);
    if (!protocol) {
        *error = QStringLiteral("%1: not a Modbus, Hostlink or DF1 configuration file").arg(path);
        return std::nullopt;
    }
    auto record = std::make_shared<AnyConfig>(emptyRecord(*protocol));
    QString why;
    const bool loaded = std::visit([&](auto &r) { return loadRecord(path, r, &why); }, *record);
    if (!loaded) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return std::nullopt;
    }
    ConfigToSend config;
    config.protocol = *protocol;
    config.tags = std::visit([](const auto &r) { return int(r.TagCount); }, *record);
    config.record = std::move(record);
    return config;
}

GatewayResult SendConfigJob(const CliSettings &settings, const QByteArray &host, const ConfigToSend &config,
                            Progress &progress)
{
    GatewayResult result;
    THttpChannel channel = settings.channel();
    TDeviceData device;
    if (!ReachGateway(channel, host, settings.password, result, device, progress))
        return result;
    // As Send To Orvan: a configuration goes only to a gateway of its protocol family.
    if (!ProtocolMatchesDevice(config.protocol, device)) {
        const std::optional<TagProtocol> theirs = protocolOfFamily(device.ProtocolFamily);
        result.step = "model";
        result.reason = QStringLiteral("%1 (the file is %2, %3 takes %4)")
                            .arg(QLatin1String(TransferText::WrongModel), ProtocolWord(config.protocol),
                                 QString::fromLatin1(device.DeviceName),
                                 theirs ? ProtocolWord(*theirs) : QStringLiteral("another protocol"));
        return result;
    }
    TConfigTransfer transfer(channel, device, observerFor(host, progress));
    result.ok = std::visit([&](const auto &record) { return transfer.SendConfig(record); }, *config.record);
    if (!result.ok)
        takeFailure(transfer, result);
    result.extra[QStringLiteral("tags")] = config.tags;
    return result;
}

GatewayResult GetConfigJob(const CliSettings &settings, const QByteArray &host, const QString &path, Progress &progress)
{
    GatewayResult result;
    THttpChannel channel = settings.channel();
    TDeviceData device;
    if (!ReachGateway(channel, host, settings.password, result, device, progress))
        return result;
    const std::optional<TagProtocol> protocol = protocolOfFamily(device.ProtocolFamily);
    if (!protocol) {
        result.step = "model";
        result.reason = QStringLiteral("%1 speaks no protocol Kova configures").arg(QString::fromLatin1(device.DeviceName));
        return result;
    }
    AnyConfig record = emptyRecord(*protocol);
    TConfigTransfer transfer(channel, device, observerFor(host, progress));
    const bool got = std::visit(
        [&](auto &r) {
            SetNewConfigDefaults(r); // what a new document holds where the gateway's answer maps to nothing
            return transfer.GetConfig(r);
        },
        record);
    if (!got) {
        takeFailure(transfer, result);
        return result;
    }
    progress.status(host, QStringLiteral("Saving %1...").arg(path));
    QString why;
    if (!std::visit([&](const auto &r) { return saveRecord(r, path, &why); }, record)) {
        result.step = "save";
        result.reason = why;
        return result;
    }
    result.ok = true;
    result.extra[QStringLiteral("file")] = path;
    result.extra[QStringLiteral("protocol")] = ProtocolWord(*protocol);
    result.extra[QStringLiteral("tags")] = std::visit([](const auto &r) { return int(r.TagCount); }, record);
    return result;
}
