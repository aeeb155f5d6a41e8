#include "device/Locator.h"

#include "base/DscPkt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QTimer>
#include <QUdpSocket>

#include <sys/socket.h>

#include <algorithm>
#include <limits>

QString LocatorText::noPermission(quint16 port, const QString &program)
{
    // The command is copied into a shell: a path with blanks or the like goes in quotes.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    const QString path = plain.match(program).hasMatch()
        ? program
        : QLatin1Char('\'') + QString(program).replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
    return QStringLiteral("Kova is not allowed to use UDP port %1, which the search for devices needs.\r\n"
                          "Ports below 1024 need the capability cap_net_bind_service. Grant it to Kova once with:"
                          "\r\n\r\nsudo setcap cap_net_bind_service=+ep %2")
        .arg(port)
        .arg(path);
}

TDeviceData GetDeviceData(const QByteArray &text)
{
    const auto item = [&text](int index) { return GetListItem(text, index); };
    TDeviceData d;
    const ModelInfo model = GetModelInfo(item(1));
    d.DeviceName = model.name;
    d.Version = item(2);
    d.MAC = item(3);
    d.IPAddress = item(4);
    d.Netmask = item(5);
    d.Gateway = item(6);
    d.RemoteHost.clear();
    d.DHCP = item(7) != "0";
    if (ListHasItems(text, 8)) {
        d.HostName = item(8);
        d.HasHostName = true;
    } else {
        d.HostName = "-";
        d.HasHostName = false;
    }
    d.FullConfig = d.DeviceName.contains("Orvan") && d.Version.contains("-TS");
    d.ProtocolFamily = d.FullConfig && model.orvan ? model.family : quint8(FamilyModbus);
    return d;
}

void TLocatorState::Start(quint8 action, const QByteArray &mac)
{
    m_action = action;
    m_expectedMac = action == Config ? mac : QByteArray();
    m_configSuccess = false;
    m_configAnswered = false;
}

std::optional<TDeviceData> TLocatorState::HandleDatagram(const QByteArray &datagram)
{
    if (m_action == Search) {
        if (ListStartsWith("NTM", datagram))
            return GetDeviceData(datagram);
    } else if (m_action == Config) {
        // NAK is tested first; the last matching answer within the wait decides.
        if (ListStartsWith("NAK", datagram) && GetListItem(datagram, 1) == m_expectedMac) {
            m_configSuccess = false;
            m_configAnswered = true;
        } else if (ListStartsWith("ACK", datagram) && GetListItem(datagram, 1) == m_expectedMac) {
            m_configSuccess = true;
            m_configAnswered = true;
        }
    }
    return std::nullopt;
}

TLocatorState::Verdict TLocatorState::Finish()
{
    Verdict verdict = Verdict::None;
    if (m_action == Config)
        verdict = m_configSuccess ? Verdict::Configured : Verdict::Failed;
    Reset();
    return verdict;
}

void TLocatorState::Reset()
{
    m_action = Idle;
    m_expectedMac.clear();
    m_configSuccess = false;
    m_configAnswered = false;
}

QList<QHostAddress> LocatorBindAddresses(const QList<QHostAddress> &localAddresses,
                                         const QHostAddress &broadcast)
{
    QList<QHostAddress> first;
    QList<QHostAddress> rest;
    const bool targetOnLoopback = broadcast.isLoopback();
    for (const QHostAddress &address : localAddresses) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (first.contains(address) || rest.contains(address))
            continue;
        // Linux refuses to send from a loopback source through a network interface.
        (address.isLoopback() == targetOnLoopback ? first : rest).append(address);
    }
    return first + rest;
}

// Lives in the locator's listener thread: owns the sockets, binds them, sends through
// the first, and reads every datagram as soon as it arrives. Besides one binding per
// local address there is one on the wildcard address: a socket bound to one address
// never receives a datagram sent to 255.255.255.255, which is how a gateway on another
// subnet answers. Linux hands a unicast datagram to the one best-matching socket and a
// broadcast to the wildcard one, so no answer arrives twice.
class LocatorListener : public QObject
{
    Q_OBJECT

public:
    explicit LocatorListener(quint16 port) : m_port(port) {}

    // The local addresses to bind, in binding order; bindings of addresses no longer
    // listed are closed.
    void setAddresses(const QList<QHostAddress> &addresses)
    {
        std::vector<QUdpSocket *> sockets(addresses.size(), nullptr);
        for (qsizetype i = 0; i < m_addresses.size(); ++i) {
            const qsizetype keep = addresses.indexOf(m_addresses.at(i));
            if (keep >= 0)
                sockets[keep] = m_sockets[i];
            else
                delete m_sockets[i];
        }
        m_addresses = addresses;
        m_sockets = std::move(sockets);
    }

    // Binds every address not bound yet, and the wildcard address. True when the first
    // binding is bound; otherwise firstFailure() says why.
    bool openAll()
    {
        m_firstFailure = LocatorFailure::None;
        for (qsizetype i = 0; i < m_addresses.size(); ++i) {
            if (m_sockets[i])
                continue;
            m_sockets[i] = open(m_addresses.at(i), i == 0 ? &m_firstFailure : nullptr);
        }
        // The wildcard binding only adds broadcast answers; the search goes on without it.
        if (!m_wildcard)
            m_wildcard = open(QHostAddress(QHostAddress::AnyIPv4), nullptr);
        if (m_sockets.empty() && m_firstFailure == LocatorFailure::None)
            m_firstFailure = LocatorFailure::Other;
        return !m_sockets.empty() && m_sockets.front();
    }

    bool send(const QByteArray &text, const QHostAddress &to, quint16 port)
    {
        if (!openAll())
            return false;
        if (m_sockets.front()->writeDatagram(text, to, port) == text.size())
            return true;
        m_firstFailure = LocatorFailure::Other;
        return false;
    }
    LocatorFailure firstFailure() const { return m_firstFailure; }

    void drainAll()
    {
        for (QUdpSocket *socket : sockets())
            drain(socket);
    }

    void closeAll()
    {
        for (QUdpSocket *&socket : m_sockets) {
            delete socket;
            socket = nullptr;
        }
        delete m_wildcard;
        m_wildcard = nullptr;
    }

    QList<QHostAddress> bound() const
    {
        QList<QHostAddress> result;
        for (qsizetype i = 0; i < m_addresses.size(); ++i) {
            if (m_sockets[i])
                result << m_addresses.at(i);
        }
        if (m_wildcard)
            result << QHostAddress(QHostAddress::AnyIPv4);
        return result;
    }

    int receiveBuffer() const
    {
        int smallest = std::numeric_limits<int>::max();
        bool any = false;
        for (QUdpSocket *socket : sockets()) {
            int size = 0;
            socklen_t length = sizeof size;
            if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &size, &length) == 0) {
                smallest = std::min(smallest, size);
                any = true;
            }
        }
        return any ? smallest : 0;
    }

signals:
    void datagram(const QByteArray &datagram);

private:
    QUdpSocket *open(const QHostAddress &address, LocatorFailure *failure)
    {
        auto *socket = new QUdpSocket(this);
        if (!socket->bind(address, m_port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
            if (failure) {
                switch (socket->error()) {
                case QAbstractSocket::SocketAccessError:
                    *failure = LocatorFailure::NoPermission;
                    break;
                case QAbstractSocket::AddressInUseError:
                    *failure = LocatorFailure::PortInUse;
                    break;
                default:
                    *failure = LocatorFailure::Other;
                    break;
                }
            }
            delete socket;
            return nullptr;
        }
        growReceiveBuffer(socket);
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { drain(socket); });
        return socket;
    }

    QList<QUdpSocket *> sockets() const
    {
        QList<QUdpSocket *> result;
        for (QUdpSocket *socket : m_sockets) {
            if (socket)
                result << socket;
        }
        if (m_wildcard)
            result << m_wildcard;
        return result;
    }

    void drain(QUdpSocket *socket)
    {
        char buffer[TDeviceLocator::DatagramBufferBytes];
        while (socket->hasPendingDatagrams()) {
            // A longer datagram is cut at the buffer's size; one that cannot be read is dropped.
            const qint64 n = socket->readDatagram(buffer, sizeof buffer);
            if (n < 0)
                break;
            emit datagram(QByteArray(buffer, qsizetype(n)));
        }
    }

    static void growReceiveBuffer(QUdpSocket *socket)
    {
        // A local search of many gateways answers in one burst. SO_RCVBUFFORCE passes the
        // system's limit when the program may; otherwise SO_RCVBUF gets what the limit allows.
        const int fd = int(socket->socketDescriptor());
        const int size = TDeviceLocator::ReceiveBufferBytes;
#ifdef SO_RCVBUFFORCE
        if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) == 0)
            return;
#endif
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }

    quint16 m_port;
    QList<QHostAddress> m_addresses;
    std::vector<QUdpSocket *> m_sockets; // index-aligned with m_addresses; null while unbound
    QUdpSocket *m_wildcard = nullptr;
    LocatorFailure m_firstFailure = LocatorFailure::None;
};

TDeviceLocator::TDeviceLocator(quint16 port, const QHostAddress &broadcast, QObject *parent)
    : QObject(parent), m_port(port), m_broadcast(broadcast)
{
    m_thread.setObjectName(QStringLiteral("UDP locator listener"));
}

TDeviceLocator::~TDeviceLocator()
{
    if (m_listener) {
        QMetaObject::invokeMethod(m_listener.get(), [this] { m_listener->closeAll(); },
                                  Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
}

void TDeviceLocator::setLocalAddresses(const QList<QHostAddress> &addresses)
{
    m_localOverride = addresses;
}

void TDeviceLocator::SetUpSockets()
{
    m_addresses = currentAddresses();
    if (m_listener)
        return;
    m_listener = std::make_unique<LocatorListener>(m_port);
    m_listener->moveToThread(&m_thread);
    // Queued across the threads: each datagram reaches the user-interface thread in order.
    connect(m_listener.get(), &LocatorListener::datagram, this, &TDeviceLocator::datagramReceived);
    m_thread.start();
}

QList<QHostAddress> TDeviceLocator::currentAddresses() const
{
    return LocatorBindAddresses(m_localOverride ? *m_localOverride : QNetworkInterface::allAddresses(), m_broadcast);
}

bool TDeviceLocator::SendUDPPacket(const QByteArray &text)
{
    SetUpSockets();
    // The machine's addresses are taken afresh: a network that came up after the program
    // started is searched too.
    const QList<QHostAddress> addresses = m_addresses;
    bool sent = false;
    LocatorFailure failure = LocatorFailure::None;
    QMetaObject::invokeMethod(
        m_listener.get(),
        [&] {
            m_listener->setAddresses(addresses);
            sent = m_listener->send(text, m_broadcast, m_port);
            failure = m_listener->firstFailure();
        },
        Qt::BlockingQueuedConnection);
    m_lastFailure = sent ? LocatorFailure::None : failure;
    return sent;
}

void TDeviceLocator::deliverPending()
{
    if (!m_listener)
        return;
    QMetaObject::invokeMethod(m_listener.get(), [this] { m_listener->drainAll(); },
                              Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QList<QHostAddress> TDeviceLocator::boundAddresses() const
{
    QList<QHostAddress> result;
    if (m_listener) {
        QMetaObject::invokeMethod(m_listener.get(), [&] { result = m_listener->bound(); },
                                  Qt::BlockingQueuedConnection);
    }
    return result;
}

int TDeviceLocator::receiveBufferSize() const
{
    int size = 0;
    if (m_listener) {
        QMetaObject::invokeMethod(m_listener.get(), [&] { size = m_listener->receiveBuffer(); },
                                  Qt::BlockingQueuedConnection);
    }
    return size;
}

ConfigAnswer SendConfigList(TDeviceLocator &locator, const QByteArray &list, const QByteArray &mac, int waitMs)
{
    TLocatorState state;
    state.Start(TLocatorState::Config, mac);
    // Judged as they arrive; the wait ends by time alone, as the window's does.
    QObject context;
    QObject::connect(&locator, &TDeviceLocator::datagramReceived, &context,
                     [&state](const QByteArray &datagram) { state.HandleDatagram(datagram); });
    if (!locator.SendUDPPacket(list))
        return ConfigAnswer::NotSent;
    QEventLoop loop;
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    // Answers that reached the machine within the wait count, as in the window's wait.
    locator.deliverPending();
    const bool answered = state.ConfigAnswered();
    if (state.Finish() == TLocatorState::Verdict::Configured)
        return ConfigAnswer::Accepted;
    return answered ? ConfigAnswer::Refused : ConfigAnswer::Silent;
}

#include "Locator.moc"
