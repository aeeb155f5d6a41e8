#pragma once

#include "base/DeviceData.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QThread>

#include <memory>
#include <optional>

// Texts of the locator's waits and verdicts.
namespace LocatorText {
inline constexpr char Searching[] = "Getting Data from Devices in Network...";
inline constexpr char Setting[] = "Setting Device Data...";
inline constexpr char Conflict[] =
    "Other Application is conflicting with Kova Communication.\r\nClose the other application and try again.";
inline constexpr char Configured[] = "Device Successfully Configured!.";
inline constexpr char ConfigFailed[] = "Error Setting Device Configuration.\r\nCheck the Password.";
}

// A record from a discovery answer NTM(model,version,mac,ip,netmask,gateway,dhcp[,host]).
// Missing items read as empty texts; the answer is never refused here.
TDeviceData GetDeviceData(const QByteArray &text);

// What the locator is waiting for, and the rules that decide what a datagram means
// during that wait. Plain state: the controller owns the timer and the windows.
class TLocatorState
{
public:
    enum Action : quint8 { Idle = 0, Search = 1, Config = 2 };
    enum class Verdict { None, Configured, Failed };

    // How long each wait collects answers.
    static int waitMs(quint8 action) { return action == Config ? 1000 : 500; }

    void Start(quint8 action, const QByteArray &mac = {});

    // A discovery answer during a search gives the record to list. During a CONFIG wait an
    // "ACK" or "NAK" for the expected MAC updates the verdict (the last one decides).
    std::optional<TDeviceData> HandleDatagram(const QByteArray &datagram);

    // Ends the wait: back to idle; the verdict of a CONFIG wait, None otherwise.
    Verdict Finish();
    void Reset();

    quint8 LocatorAction() const { return m_action; }
    QByteArray ExpectedMAC() const { return m_expectedMac; }
    bool ConfigSuccess() const { return m_configSuccess; }

private:
    quint8 m_action = Idle;
    QByteArray m_expectedMac;
    bool m_configSuccess = false;
};

// The local IPv4 addresses to bind, in binding order. The first binding carries the
// broadcasts, so it is one that can reach the broadcast address: a loopback address
// when the target is on loopback, otherwise a network address (loopback last).
QList<QHostAddress> LocatorBindAddresses(const QList<QHostAddress> &localAddresses,
                                         const QHostAddress &broadcast);

class LocatorListener;

// The UDP side of the locator: one binding per local IPv4 address, all on the locator
// port. A listener thread drains the sockets as datagrams arrive, so a burst of answers
// is not lost while the user-interface thread is busy; each datagram is handed to the
// user-interface thread through datagramReceived, in arrival order.
class TDeviceLocator : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 998;
    // Each binding asks for this much receive buffer: room for well over 1000 answers.
    static constexpr int ReceiveBufferBytes = 2 * 1024 * 1024;
    static constexpr int DatagramBufferBytes = 8192;

    explicit TDeviceLocator(quint16 port = DefaultPort,
                            const QHostAddress &broadcast = QHostAddress(QStringLiteral("255.255.255.255")),
                            QObject *parent = nullptr);
    ~TDeviceLocator() override;

    // Prepares one binding per local IPv4 address (nothing is bound yet).
    void SetUpSockets();
    // Overrides the machine's address list (before SetUpSockets); for tests and tools.
    void setLocalAddresses(const QList<QHostAddress> &addresses);

    // Broadcasts the text. The first send binds every prepared address and starts
    // listening; a later send retries the bindings that failed. False when the
    // broadcast could not be sent (typically: another program holds the port).
    bool SendUDPPacket(const QByteArray &text);

    // Hands every datagram that has reached the sockets so far to datagramReceived now.
    void deliverPending();

    quint16 port() const { return m_port; }
    QHostAddress broadcastAddress() const { return m_broadcast; }
    QList<QHostAddress> preparedAddresses() const { return m_addresses; }
    QList<QHostAddress> boundAddresses() const;
    // The smallest receive buffer the kernel granted a binding (0 before the first send).
    int receiveBufferSize() const;

signals:
    void datagramReceived(const QByteArray &datagram);

private:
    quint16 m_port;
    QHostAddress m_broadcast;
    std::optional<QList<QHostAddress>> m_localOverride;
    QList<QHostAddress> m_addresses;
    QThread m_thread;
    std::unique_ptr<LocatorListener> m_listener;
};
