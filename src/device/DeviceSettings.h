#pragma once

#include "base/DeviceData.h"
#include "device/Locator.h"
#include "device/NetworkSettings.h"
#include "device/RemoteSearch.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class THttpChannel;
class TPacket;

// The exchanges that read and write a gateway's own settings (network, SNMP, web user,
// administrator password, clock), without windows: the properties dialog shows their
// outcome, a command line can print it. Each sequence stops at its first failing step and
// undoes nothing on the gateway.

namespace DeviceSettingsText {
// A reply that is not the one asked for: the same words as the remote search.
using RemoteSearchText::InvalidResponse;
inline constexpr char UserConfigured[] = "User Data successfully configured.";
inline constexpr char AdminConfigured[] = "Administrator Data successfully configured.";
inline constexpr char DateTimeConfigured[] = "Date and Time successfully configured.";
// A network write ends with the locator's texts: LocatorText::Configured or ConfigFailed.
}

// How a sequence ended.
struct TSettingsOutcome
{
    enum class Kind {
        Done,
        NoResponse, // a request got no reply (the sender has reported it as its channel does)
        WrongReply, // a reply was another command than the expected one (a NAK, say)
        NotSent,    // the CONFIG broadcast could not go out
    };
    Kind kind = Kind::Done;
    QByteArray step;   // the request that failed: "SETNET", "RESET", "CONFIG" ...
    QByteArray reply;  // WrongReply: the command that came instead
    QByteArray reason; // WrongReply: the reply's REASON, when it carries one
    bool ok() const { return kind == Kind::Done; }
};

// One administrative request. `info` is the text the "Information" window shows while it
// runs. False when no reply came.
using AdminSend = std::function<bool(const QString &info, const TPacket &request, TPacket &reply)>;
// Through the channel's administrative path, to the device's remote host when it has one,
// otherwise to its IP address. The channel must outlive the function.
AdminSend ChannelAdminSend(THttpChannel &channel, const TDeviceData &device);

// The CONFIG broadcast of a gateway without the full firmware and its answer
// (SendConfigList over a locator, for one).
using ConfigSend = std::function<ConfigAnswer(const QByteArray &list, const QByteArray &mac)>;

// Everything is read and written over HTTP: the full firmware, and an address to reach it.
bool IsFullConfigurable(const TDeviceData &device);

// What the device list's row tells of the network, for a gateway that is not (or could not
// be) read over HTTP. A row without an address counts as DHCP; DNS servers are known only
// to fully configurable gateways (none, then), SNMP is off.
TNetworkSettings NetworkSettingsFromRow(const TDeviceData &device);

// GETNET. A gateway still waiting for its address from DHCP reports 0.0.0.0: read as DHCP on.
TSettingsOutcome ReadNetworkSettings(const AdminSend &send, TNetworkSettings &settings);

// What GETADMIN, GETUSER and GETTIME give; each is set once its request got a reply.
struct TGeneralProps
{
    std::optional<QByteArray> AdminPassword; // empty unless the reply was ADMIN
    std::optional<QByteArray> UserName;      // empty unless the reply was USER
    std::optional<QDateTime> Time;           // now when the reply has no valid TIME
};

// GETADMIN, GETUSER, GETTIME. Only a request without reply ends it: a refused read gives
// an empty value and the sequence goes on.
TSettingsOutcome ReadGeneralProps(const AdminSend &send, TGeneralProps &props);

// SETNET with the typed administrator password (the gateway checks it), then RESET, after
// which the gateway works with the new settings.
TSettingsOutcome WriteNetworkSettings(const AdminSend &send, const QByteArray &password,
                                      const TNetworkSettings &settings);

// The CONFIG list of this device (its host name item when the row has one) and its answer.
TSettingsOutcome WriteNetworkByConfig(const ConfigSend &send, const QByteArray &password, const TDeviceData &device,
                                      const TNetworkSettings &settings);
QByteArray BuildConfigList(const QByteArray &password, const TDeviceData &device, const TNetworkSettings &settings);

// SETUSER, SETADMIN and SETTIME carry no administrator password: the caller has checked
// the typed one against GETADMIN's.
TSettingsOutcome WriteUser(const AdminSend &send, const QByteArray &userName, const QByteArray &password);
TSettingsOutcome WriteAdministrator(const AdminSend &send, const QByteArray &password);
// To the second; milliseconds are dropped.
TSettingsOutcome WriteDateTime(const AdminSend &send, const QDateTime &time);
