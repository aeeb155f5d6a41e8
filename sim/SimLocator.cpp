#include "SimLocator.h"

#include "Simulator.h"

#include "base/DscPkt.h"

#include <Poco/Net/DatagramSocket.h>
#include <Poco/Net/IPAddress.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketAddress.h>

#include <QList>

#include <chrono>
#include <map>
#include <memory>

namespace sim {

namespace {

// Large enough that a burst of CONFIG or HELLO datagrams from several test clients waits.
constexpr int kReceiveBuffer = 1 << 20;
// How often the serving thread looks at the stop flag while idle.
constexpr auto kIdlePoll = std::chrono::milliseconds(50);

QByteArray listText(const QByteArray &word, const QList<QByteArray> &items)
{
    // Items are written as they are: the list text has no escaping. Built directly rather
    // than with AddListItem, which cannot start a list with an empty item.
    QByteArray text = word + '(';
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ',';
        text += items.at(i);
    }
    return text + ')';
}

} // namespace

QByteArray ntmAnswer(const GatewayState &state)
{
    QList<QByteArray> items{state.model,   state.version, state.mac,
                            state.ip,      state.netmask, state.gateway,
                            state.dhcp ? QByteArray("1") : QByteArray("0")};
    if (!state.hostName.isEmpty())
        items << state.hostName;
    return listText("NTM", items);
}

SimLocator::SimLocator(Simulator &simulator) : m_simulator(simulator) {}

SimLocator::~SimLocator()
{
    stop();
}

void SimLocator::start()
{
    if (m_socket)
        return;
    const Simulator::Options &options = m_simulator.options();
    const Poco::Net::SocketAddress address(std::string(options.udpAddress.constData()),
                                           options.udpPort);
    // SO_REUSEADDR only: Kova on the same host binds the same port on its own addresses.
    auto socket = std::make_unique<Poco::Net::DatagramSocket>(address, true, false);
    try {
        socket->setReceiveBufferSize(kReceiveBuffer);
    } catch (const Poco::Exception &) {
        // The default buffer still serves; only a large burst of requests could suffer.
    }
    m_port = socket->address().port();
    m_socket = std::move(socket);
    m_stop = false;
    m_thread = std::thread([this] { serve(); });
    m_simulator.log(QStringLiteral("locator: UDP %1:%2")
                        .arg(QString::fromLatin1(options.udpAddress))
                        .arg(m_port));
}

void SimLocator::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_socket) {
        m_socket->close();
        m_socket.reset();
    }
}

quint16 SimLocator::port() const
{
    return m_port;
}

void SimLocator::serve()
{
    using Clock = std::chrono::steady_clock;
    struct Outgoing
    {
        Poco::Net::SocketAddress to;
        QByteArray datagram;
        QByteArray from;
    };
    // Delayed answers wait here, by due time, so one slow gateway does not delay the rest.
    std::multimap<Clock::time_point, Outgoing> pending;
    // Broadcast answers leave from the gateway's own address, so on loopback they stay there.
    std::map<QByteArray, std::unique_ptr<Poco::Net::DatagramSocket>> broadcasters;
    const bool broadcast = m_simulator.options().broadcastAnswers;
    const auto send = [&](const Outgoing &out) {
        // A broadcast from a loopback address stays on lo; from any other it would reach a
        // real network, so such a gateway answers its asker directly instead.
        if (!broadcast || !Poco::Net::IPAddress(std::string(out.from.constData())).isLoopback()) {
            m_socket->sendTo(out.datagram.constData(), int(out.datagram.size()), out.to);
            return;
        }
        auto &socket = broadcasters[out.from];
        if (!socket) {
            socket = std::make_unique<Poco::Net::DatagramSocket>(
                Poco::Net::SocketAddress(std::string(out.from.constData()), 0), false, false);
            socket->setBroadcast(true);
        }
        socket->sendTo(out.datagram.constData(), int(out.datagram.size()),
                       Poco::Net::SocketAddress("255.255.255.255", out.to.port()));
    };
    char buffer[8192];

    while (!m_stop) {
        auto wait = std::chrono::duration_cast<std::chrono::microseconds>(kIdlePoll);
        if (!pending.empty()) {
            const auto untilDue = std::chrono::duration_cast<std::chrono::microseconds>(
                pending.begin()->first - Clock::now());
            wait = std::max(std::chrono::microseconds(0), std::min(wait, untilDue));
        }

        try {
            if (m_socket->poll(Poco::Timespan(wait.count()), Poco::Net::Socket::SELECT_READ)) {
                Poco::Net::SocketAddress sender;
                const int n = m_socket->receiveFrom(buffer, int(sizeof buffer), sender);
                if (n >= 0) {
                    const QByteArray datagram(buffer, n);
                    const QList<Answer> answers = answer(datagram);
                    m_simulator.log(QStringLiteral("locator: %1 from %2: %3 answer(s)%4")
                                        .arg(QString::fromLatin1(datagram.left(80)),
                                             QString::fromStdString(sender.toString()))
                                        .arg(answers.size())
                                        .arg(broadcast && !answers.isEmpty() ? QStringLiteral(" by broadcast") : QString()));
                    const auto now = Clock::now();
                    for (const Answer &a : answers) {
                        const Outgoing out{sender, a.datagram, a.from};
                        if (a.delayMs > 0)
                            pending.emplace(now + std::chrono::milliseconds(a.delayMs), out);
                        else
                            send(out);
                    }
                }
            }
            const auto now = Clock::now();
            while (!pending.empty() && pending.begin()->first <= now) {
                const Outgoing out = pending.begin()->second;
                pending.erase(pending.begin());
                send(out);
            }
        } catch (const Poco::Exception &e) {
            // A send to a vanished peer (ICMP unreachable) must not end the server.
            m_simulator.log(QStringLiteral("locator: %1").arg(QString::fromStdString(e.displayText())));
        }
    }
}

QList<SimLocator::Answer> SimLocator::answer(const QByteArray &datagram)
{
    if (datagram.startsWith("HELLO("))
        return answerHello();
    if (datagram.startsWith("CONFIG("))
        return answerConfig(datagram);
    return {};
}

QList<SimLocator::Answer> SimLocator::answerHello()
{
    QList<Answer> answers;
    for (int i = 0; i < m_simulator.count(); ++i) {
        Gateway &gateway = m_simulator.gateway(i);
        const std::optional<Fault> fault = gateway.fault("HELLO");
        if (fault && fault->kind == FaultKind::IgnoreUdp)
            continue;
        const int delay = fault && fault->kind == FaultKind::Delay ? fault->delayMs : 0;
        answers.append({delay, ntmAnswer(gateway.snapshot()), gateway.serveAddress()});
    }
    return answers;
}

QList<SimLocator::Answer> SimLocator::answerConfig(const QByteArray &datagram)
{
    // CONFIG(password,mac,ip,netmask,gateway[,host name]); the password may be empty.
    if (!datagram.endsWith(')') || !ListHasItems(datagram, 5))
        return {};
    const QByteArray password = GetListItem(datagram, 1);
    const QByteArray mac = GetListItem(datagram, 2);
    Gateway *gateway = m_simulator.findByMac(mac);
    if (!gateway)
        return {};
    const std::optional<Fault> fault = gateway->fault("CONFIG");
    if (fault && fault->kind == FaultKind::IgnoreUdp)
        return {};
    const int delay = fault && fault->kind == FaultKind::Delay ? fault->delayMs : 0;

    bool accepted = false;
    if (!(fault && fault->kind == FaultKind::Nak)) {
        const QByteArray ip = GetListItem(datagram, 3);
        const QByteArray netmask = GetListItem(datagram, 4);
        const QByteArray gatewayAddress = GetListItem(datagram, 5);
        const bool hasHostName = ListHasItems(datagram, 6);
        const QByteArray hostName = GetListItem(datagram, 6);
        gateway->update([&](GatewayState &state) {
            if (state.adminPassword != password)
                return;
            accepted = true;
            // All three "0.0.0.0" asks for DHCP; the gateway keeps the address it holds.
            if (ip == "0.0.0.0" && netmask == "0.0.0.0" && gatewayAddress == "0.0.0.0") {
                state.dhcp = true;
            } else {
                state.dhcp = false;
                state.ip = ip;
                state.netmask = netmask;
                state.gateway = gatewayAddress;
            }
            if (hasHostName)
                state.hostName = hostName;
        });
    }
    return {{delay, listText(accepted ? "ACK" : "NAK", {mac}), gateway->serveAddress()}};
}

} // namespace sim
