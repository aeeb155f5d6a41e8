#pragma once

#include "GatewayState.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <thread>

namespace Poco::Net {
class DatagramSocket;
class SocketAddress;
}

namespace sim {

class Simulator;

// UDP locator: HELLO and CONFIG datagrams for every gateway.
// One socket on the simulator's UDP address, served by one thread. Answers go back to
// the sender's address and port, or (broadcastAnswers) to 255.255.255.255 at the sender's
// port from the gateway's own address, as a gateway on another subnet answers. A delayed
// answer (Delay fault) never holds up the others.
class SimLocator
{
public:
    explicit SimLocator(Simulator &simulator);
    ~SimLocator();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

    // What the locator answers to one datagram, as (delay in ms, datagram) pairs; empty
    // for datagrams it does not understand. Applies CONFIG changes to the gateway.
    struct Answer
    {
        int delayMs = 0;
        QByteArray datagram;
        QByteArray from; // the answering gateway's address
    };
    QList<Answer> answer(const QByteArray &datagram);

private:
    void serve();
    QList<Answer> answerHello();
    QList<Answer> answerConfig(const QByteArray &datagram);

    Simulator &m_simulator;
    quint16 m_port = 0;
    std::unique_ptr<Poco::Net::DatagramSocket> m_socket;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// The discovery answer of one gateway: NTM(model,version,mac,ip,netmask,gateway,dhcp[,host]).
QByteArray ntmAnswer(const GatewayState &state);

} // namespace sim
