#pragma once

#include "base/DeviceData.h"
#include "device/Firmware.h"

#include <functional>
#include <optional>

class THttpChannel;

// The log-in to one gateway. A connection is a client-side state only: the gateway keeps
// no session, so disconnecting sends nothing.
class TDeviceConnection
{
public:
    explicit TDeviceConnection(THttpChannel &channel) : m_channel(channel) {}

    // The password dialog: the typed password, or nullopt when cancelled.
    std::function<std::optional<QByteArray>()> askPassword;
    // The "Non-compatible version" notice, shown after a successful connection to a
    // gateway whose firmware lies outside the family's bounds. The connection stays.
    std::function<void(const TDeviceData &device, const FirmwareBounds &bounds)> showIncompatibleFirmware;

    // Asks the password, checks it against the gateway's GETADMIN reply and connects.
    // False at once while another connection attempt runs.
    bool ConnectToDevice(const TDeviceData &device);
    void Disconnect() { m_connected = false; }
    bool Connecting() const { return m_connecting; }

    bool Connected() const { return m_connected; }
    const TDeviceData &ConnectedDevice() const { return m_device; }

private:
    THttpChannel &m_channel;
    bool m_connected = false;
    bool m_connecting = false;
    TDeviceData m_device;
};
