#include "device/Connection.h"

#include "base/Prompt.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

bool TDeviceConnection::ConnectToDevice(const TDeviceData &device)
{
    const std::optional<QByteArray> typed = askPassword ? askPassword() : std::nullopt;
    if (!typed)
        return false;

    m_device = device;
    m_device.UserName = "admin";
    m_device.FullConfig = device.DeviceName.contains("Orvan");

    TPacket request;
    request.NewCommand("GETADMIN");
    TPacket reply;
    if (!m_channel.SendHTTPAdminServer(QStringLiteral("Connecting..."), m_device.IPAddress, m_device.RemoteHost,
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
    const QString name = QString::fromLatin1(m_device.DeviceName + "/" + m_device.MAC);
    Prompt::instance().information(QStringLiteral("Succesfully Connected to %1.").arg(name));
    m_device.Password = *typed;
    m_connected = true;
    if (!IsFirmwareCompatible(m_device.Version, m_device.ProtocolFamily) && showIncompatibleFirmware)
        showIncompatibleFirmware(m_device, GetFirmwareBounds(m_device.ProtocolFamily));
    return true;
}
