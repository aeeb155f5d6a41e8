#include "device/RemoteSearch.h"

#include "base/Prompt.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

namespace {
const QString kSearching = QStringLiteral("Searching Remote Device...");
}

TDeviceData RemoteDeviceData(const QByteArray &host, const TPacket &deviceReply, const TPacket &networkReply)
{
    TDeviceData device;
    device.Version = deviceReply.GetString("VERSION", {});
    device.MAC = deviceReply.GetString("MAC", {});
    const QByteArray id = deviceReply.GetString("ID", "Orvan");
    if (id == "Orvan") {
        device.DeviceName = "Orvan";
    } else {
        const ModelInfo model = GetModelInfo(id);
        device.DeviceName = model.name;
        device.ProtocolFamily = model.family;
    }
    device.HostName = networkReply.GetString("NAME", {});
    device.DHCP = networkReply.GetBoolean("DHCP", false);
    device.IPAddress = networkReply.GetString("IP", "0.0.0.0");
    device.Netmask = networkReply.GetString("NETMASK", "0.0.0.0");
    device.Gateway = networkReply.GetString("GATEWAY", "0.0.0.0");
    device.RemoteHost = host;
    device.HasHostName = true;
    device.FullConfig = true;
    return device;
}

RemoteSearchOutcome QueryRemoteDevice(THttpChannel &channel, const QByteArray &host, TDeviceData &device,
                                      QByteArray *failed)
{
    const auto failure = [failed](const char *command, RemoteSearchOutcome outcome) {
        if (failed)
            *failed = command;
        return outcome;
    };
    TPacket request;
    TPacket deviceReply;
    request.NewCommand("GETDEVICE");
    if (!channel.SendHTTPAdminServer(kSearching, host, host, request, deviceReply))
        return failure("GETDEVICE", RemoteSearchOutcome::NoResponse);
    TPacket networkReply;
    request.NewCommand("GETNET");
    if (!channel.SendHTTPAdminServer(kSearching, host, host, request, networkReply))
        return failure("GETNET", RemoteSearchOutcome::NoResponse);
    // Both replies are judged only once both are in, as the search has always done.
    if (!deviceReply.IsCommand("DEVICE"))
        return failure("GETDEVICE", RemoteSearchOutcome::InvalidResponse);
    if (!networkReply.IsCommand("NETWORK"))
        return failure("GETNET", RemoteSearchOutcome::InvalidResponse);
    device = RemoteDeviceData(host, deviceReply, networkReply);
    return RemoteSearchOutcome::Found;
}

RemoteSearchOutcome SearchRemoteDevice(THttpChannel &channel, const QByteArray &host, TDeviceData &device)
{
    const RemoteSearchOutcome outcome = QueryRemoteDevice(channel, host, device);
    if (outcome == RemoteSearchOutcome::InvalidResponse)
        Prompt::instance().error(QString::fromLatin1(RemoteSearchText::InvalidResponse));
    return outcome;
}
