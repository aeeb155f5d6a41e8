#pragma once

#include "base/DeviceData.h"
#include "device/Firmware.h"

#include <QString>

#include <functional>
#include <optional>

class THttpChannel;

// The outcome of the administrator password check.
enum class LogInOutcome { Connected, NoResponse, WrongPassword };

namespace ConnectionText {
inline constexpr char NoResponse[] = "Unable to connect to Device.";
inline constexpr char WrongPassword[] = "Unable to connect to Device. Wrong Password.";
}

// The log-in exchange itself, without windows or prompts: one GETADMIN, whose PWD must equal
// the typed password exactly. On Connected, *connected (when given) is the device as it is
// then held: UserName "admin", the password, FullConfig by its model name. The window's
// connection and the command line both log in through this.
LogInOutcome LogIn(THttpChannel &channel, const TDeviceData &device, const QByteArray &password,
                   TDeviceData *connected = nullptr);

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
