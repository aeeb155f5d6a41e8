#include "device/Connection.h"

#include "base/Prompt.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

#include <QScopedValueRollback>

LogInOutcome LogIn(THttpChannel &channel, const TDeviceData &device, const QByteArray &password,
                   TDeviceData *connected)
{
    TPacket request;
    request.NewCommand("GETADMIN");
    TPacket reply;
    if (!channel.SendHTTPAdminServer(QStringLiteral("Connecting..."), device.IPAddress, device.RemoteHost, request,
                                     reply))
        return LogInOutcome::NoResponse;
    // The reply's command is not checked: a gateway that answers anything but the right
    // password is refused here.
    if (reply.GetString("PWD", {}) != password)
        return LogInOutcome::WrongPassword;
    if (connected) {
        *connected = device;
        connected->UserName = "admin";
        connected->Password = password;
        connected->FullConfig = device.DeviceName.contains("Orvan");
    }
    return LogInOutcome::Connected;
}

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
    TDeviceData candidate;
    switch (LogIn(m_channel, device, *typed, &candidate)) {
    case LogInOutcome::NoResponse:
        Prompt::instance().error(QString::fromLatin1(ConnectionText::NoResponse));
        return false;
    case LogInOutcome::WrongPassword:
        Prompt::instance().error(QString::fromLatin1(ConnectionText::WrongPassword));
        return false;
    case LogInOutcome::Connected:
        break;
    }
    const QString name = QString::fromLatin1(candidate.DeviceName + "/" + candidate.MAC);
    Prompt::instance().information(QStringLiteral("Succesfully Connected to %1.").arg(name));
    m_device = candidate;
    m_connected = true;
    if (!IsFirmwareCompatible(m_device.Version, m_device.ProtocolFamily) && showIncompatibleFirmware)
        showIncompatibleFirmware(m_device, GetFirmwareBounds(m_device.ProtocolFamily));
    return true;
}
