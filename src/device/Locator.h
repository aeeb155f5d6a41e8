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
// The locator port refused for lack of permission (not held by another program): what to
// do about it, with the command for this program's file.
QString noPermission(quint16 port, const QString &program);
}

// Why a broadcast could not be sent.
enum class LocatorFailure {
    None,
    PortInUse,    // another program holds the locator port
    NoPermission, // the port needs a privilege this program lacks
    Other,
};

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
    // An ACK or NAK for the expected MAC has come during this CONFIG wait.
    bool ConfigAnswered() const { return m_configAnswered; }

private:
    quint8 m_action = Idle;
    QByteArray m_expectedMac;
    bool m_configSuccess = false;
    bool m_configAnswered = false;
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

    // Starts the listener and reads the local IPv4 addresses (nothing is bound yet).
    void SetUpSockets();
    // Overrides the machine's address list; for tests and tools.
    void setLocalAddresses(const QList<QHostAddress> &addresses);

    // Broadcasts the text. Each send reads the local addresses afresh, binds those not
    // bound yet (and the wildcard address, for answers sent by broadcast), lets go of
    // those gone, and starts listening. False when the broadcast could not be sent;
    // lastFailure() then says why.
    bool SendUDPPacket(const QByteArray &text);
    LocatorFailure lastFailure() const { return m_lastFailure; }

    // Hands every datagram that has reached the sockets so far to datagramReceived now.
    void deliverPending();

    quint16 port() const { return m_port; }
    QHostAddress broadcastAddress() const { return m_broadcast; }
    // The local addresses of the last send (or of SetUpSockets), in binding order.
    QList<QHostAddress> preparedAddresses() const { return m_addresses; }
    // Those bound, and the wildcard address when it is.
    QList<QHostAddress> boundAddresses() const;
    // The smallest receive buffer the kernel granted a binding (0 before the first send).
    int receiveBufferSize() const;

signals:
    void datagramReceived(const QByteArray &datagram);

private:
    QList<QHostAddress> currentAddresses() const;

    quint16 m_port;
    QHostAddress m_broadcast;
    LocatorFailure m_lastFailure = LocatorFailure::None;
    std::optional<QList<QHostAddress>> m_localOverride;
    QList<QHostAddress> m_addresses;
    QThread m_thread;
    std::unique_ptr<LocatorListener> m_listener;
};

// How a CONFIG broadcast ended for a caller without windows.
enum class ConfigAnswer {
    Accepted, // the gateway answered ACK
    Refused,  // it answered NAK (a wrong password, say)
    Silent,   // no answer for its MAC within the wait
    NotSent,  // the broadcast could not go; the locator's lastFailure() says why
};

// The CONFIG exchange without windows: broadcasts the list and judges the answers for the
// MAC that arrive within waitMs, by the same rules as the window's wait. Blocks the caller
// in a local event loop meanwhile.
ConfigAnswer SendConfigList(TDeviceLocator &locator, const QByteArray &list, const QByteArray &mac,
                            int waitMs = TLocatorState::waitMs(TLocatorState::Config));
