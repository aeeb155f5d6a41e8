#include "device/Connection.h"

#include "base/Prompt.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

#include <QScopedValueRollback>

bool TDeviceConnection::ConnectToDevice(const TDeviceData &device)
{
    // One log-in at a time: a second one started while the first waits for its reply
    // would leave the first one's answer applied to the second device.
    if (m_connecting)
        return false;
    const QScopedValueRollback connecting(m_connecting, true);
    const std::optional<QByteArray> typed = askPassword ? askPassword() : std::nullopt;
    if (!typed)
        return false;

    // The connected device changes only once the gateway has accepted the password.
    TDeviceData candidate = device;
    candidate.UserName = "admin";
    candidate.FullConfig = device.DeviceName.contains("Orvan");

    TPacket request;
    request.NewCommand("GETADMIN");
    TPacket reply;
    if (!m_channel.SendHTTPAdminServer(QStringLiteral("Connecting..."), candidate.IPAddress, candidate.RemoteHost,
                                       request, reply)) {
        Prompt::instance().error(QStringLiteral("Unable to connect to Device."));
        return false;
    }
    // The reply's command is not checked: a gateway that answers anything but the right
    // password is refused below.
    if (reply.GetString("PWD", {}) != *typed) {
        Prompt::instance().error(QStringLiteral("Unable to connect to Device. Wrong Password."));
        return false;
    }
    const QString name = QString::fromLatin1(candidate.DeviceName + "/" + candidate.MAC);
    Prompt::instance().information(QStringLiteral("Succesfully Connected to %1.").arg(name));
    candidate.Password = *typed;
    m_device = candidate;
    m_connected = true;
    if (!IsFirmwareCompatible(m_device.Version, m_device.ProtocolFamily) && showIncompatibleFirmware)
        showIncompatibleFirmware(m_device, GetFirmwareBounds(m_device.ProtocolFamily));
    return true;
}
