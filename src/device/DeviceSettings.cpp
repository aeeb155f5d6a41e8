#include "device/DeviceSettings.h"

#include "base/DscPkt.h"
#include "device/HttpChannel.h"
#include "device/IPAddress.h"

namespace {

// Texts of the "Information" window while each request runs.
const QString kGettingNetwork = QStringLiteral("Getting Orvan Network Parameters...");
const QString kGettingUser = QStringLiteral("Getting User Data from Device...");
const QString kGettingTime = QStringLiteral("Getting current Date and Time from Device...");
const QString kSettingNetwork = QStringLiteral("Setting Device Network Configuration...");
const QString kResetting = QStringLiteral("Resetting Device...");
const QString kSettingUser = QStringLiteral("Setting Standard User Data...");
const QString kSettingAdmin = QStringLiteral("Setting Administrator Data...");
const QString kSettingTime = QStringLiteral("Setting Date and Time...");

TPacket command(const QByteArray &name)
{
    TPacket packet;
    packet.NewCommand(name);
    return packet;
}

TSettingsOutcome noResponse(const TPacket &request)
{
    return {TSettingsOutcome::Kind::NoResponse, request.GetCommand(), {}, {}};
}

// One request whose reply must be `expected`.
TSettingsOutcome exchange(const AdminSend &send, const QString &info, const TPacket &request,
                          const QByteArray &expected, TPacket &reply)
{
    if (!send || !send(info, request, reply))
        return noResponse(request);
    if (!reply.IsCommand(expected))
        return {TSettingsOutcome::Kind::WrongReply, request.GetCommand(), reply.GetCommand(),
                reply.GetString("REASON", {})};
    return {};
}

TSettingsOutcome acknowledged(const AdminSend &send, const QString &info, const TPacket &request)
{
    TPacket reply;
    return exchange(send, info, request, "ACK", reply);
}

} // namespace

AdminSend ChannelAdminSend(THttpChannel &channel, const TDeviceData &device)
{
    return [&channel, ip = device.IPAddress, remote = device.RemoteHost](const QString &info, const TPacket &request,
                                                                         TPacket &reply) {
        return channel.SendHTTPAdminServer(info, ip, remote, request, reply);
    };
}

bool IsFullConfigurable(const TDeviceData &device)
{
    return device.FullConfig && device.IPAddress != IPAddress::Any.toLatin1();
}

TNetworkSettings NetworkSettingsFromRow(const TDeviceData &device)
{
    TNetworkSettings s;
    s.HostName = device.HasHostName ? device.HostName : QByteArray();
    s.DHCP = device.DHCP || device.IPAddress == IPAddress::Any.toLatin1();
    s.IPAddress = QString::fromLatin1(device.IPAddress);
    s.Netmask = QString::fromLatin1(device.Netmask);
    s.Gateway = QString::fromLatin1(device.Gateway);
    if (IsFullConfigurable(device))
        s.PreferredDNS = s.AlternativeDNS = IPAddress::Any;
    s.Manager = IPAddress::Any;
    return s;
}

TSettingsOutcome ReadNetworkSettings(const AdminSend &send, TNetworkSettings &settings)
{
    TPacket reply;
    const TSettingsOutcome outcome = exchange(send, kGettingNetwork, command("GETNET"), "NETWORK", reply);
    if (!outcome.ok())
        return outcome;
    ReadNetworkReply(reply, settings);
    settings.DHCP = settings.DHCP || settings.IPAddress == IPAddress::Any;
    return outcome;
}

TSettingsOutcome ReadGeneralProps(const AdminSend &send, TGeneralProps &props)
{
    TPacket reply;
    TPacket request = command("GETADMIN");
    if (!send || !send(kGettingUser, request, reply))
        return noResponse(request);
    props.AdminPassword = reply.IsCommand("ADMIN") ? reply.GetString("PWD", "") : QByteArray();

    request = command("GETUSER");
    if (!send(kGettingUser, request, reply))
        return noResponse(request);
    props.UserName = reply.IsCommand("USER") ? reply.GetString("USERNAME", "") : QByteArray();

    // Any reply will do: only its TIME is read.
    request = command("GETTIME");
    if (!send(kGettingTime, request, reply))
        return noResponse(request);
    props.Time = reply.GetDateTime("TIME", QDateTime::currentDateTime());
    return {};
}

TSettingsOutcome WriteNetworkSettings(const AdminSend &send, const QByteArray &password,
                                      const TNetworkSettings &settings)
{
    const TSettingsOutcome outcome = acknowledged(send, kSettingNetwork, BuildSetNet(password, settings));
    if (!outcome.ok())
        return outcome;
    return acknowledged(send, kResetting, command("RESET"));
}

QByteArray BuildConfigList(const QByteArray &password, const TDeviceData &device, const TNetworkSettings &settings)
{
    return BuildConfigList(password, device.MAC, settings, device.HasHostName);
}

TSettingsOutcome WriteNetworkByConfig(const ConfigSend &send, const QByteArray &password, const TDeviceData &device,
                                      const TNetworkSettings &settings)
{
    const ConfigAnswer answer = send ? send(BuildConfigList(password, device, settings), device.MAC)
                                     : ConfigAnswer::NotSent;
    switch (answer) {
    case ConfigAnswer::Accepted:
        return {};
    case ConfigAnswer::Refused:
        return {TSettingsOutcome::Kind::WrongReply, "CONFIG", "NAK", {}};
    case ConfigAnswer::Silent:
        return {TSettingsOutcome::Kind::NoResponse, "CONFIG", {}, {}};
    case ConfigAnswer::NotSent:
        break;
    }
    return {TSettingsOutcome::Kind::NotSent, "CONFIG", {}, {}};
}

TSettingsOutcome WriteUser(const AdminSend &send, const QByteArray &userName, const QByteArray &password)
{
    TPacket request = command("SETUSER");
    request.AddString("USERNAME", userName);
    request.AddString("PWD", password);
    return acknowledged(send, kSettingUser, request);
}

TSettingsOutcome WriteAdministrator(const AdminSend &send, const QByteArray &password)
{
    TPacket request = command("SETADMIN");
    request.AddString("PWD", password);
    return acknowledged(send, kSettingAdmin, request);
}

TSettingsOutcome WriteDateTime(const AdminSend &send, const QDateTime &time)
{
    TPacket request = command("SETTIME");
    request.AddDateTime("TIME", time);
    return acknowledged(send, kSettingTime, request);
}
