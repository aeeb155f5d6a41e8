#pragma once

#include "base/DeviceData.h"

class THttpChannel;
class TPacket;

enum class RemoteSearchOutcome { Found, NoResponse, InvalidResponse };

namespace RemoteSearchText {
inline constexpr char InvalidResponse[] = "Not Valid Response from Device.";
}

// Asks a gateway reached by host name or address for GETDEVICE then GETNET, through the
// remote client (so the proxy applies), and shows nothing: the command line's identification
// of a gateway, and the exchanges under SearchRemoteDevice. On failure *failed (when given)
// names the request that got no reply or the wrong one.
RemoteSearchOutcome QueryRemoteDevice(THttpChannel &channel, const QByteArray &host, TDeviceData &device,
                                      QByteArray *failed = nullptr);

// QueryRemoteDevice for the window: "Not Valid Response from Device." is shown here; a
// request without reply has already been reported by the channel.
RemoteSearchOutcome SearchRemoteDevice(THttpChannel &channel, const QByteArray &host, TDeviceData &device);

// The record of a remote gateway from its DEVICE and NETWORK replies.
TDeviceData RemoteDeviceData(const QByteArray &host, const TPacket &deviceReply, const TPacket &networkReply);
