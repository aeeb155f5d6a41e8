#pragma once

#include "GatewayState.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace sim {

class SimLocator;
class SimHttp;
class SimFtp;

// One simulated gateway: its state behind a lock (the servers run on their own threads).
class Gateway
{
public:
    explicit Gateway(GatewayState state) : m_serveAddress(state.ip), m_state(std::move(state)) {}

    GatewayState snapshot() const;
    void update(const std::function<void(GatewayState &)> &change);
    QByteArray ip() const;
    QByteArray mac() const;
    // The address the servers answer on: the gateway's address when it was added. A SETNET
    // that changes the reported address does not move the servers.
    QByteArray serveAddress() const { return m_serveAddress; }

    // Faults by command name; the name "*" stands for every command without a fault of its own.
    void setFault(const QByteArray &command, Fault fault);
    void clearFaults();
    std::optional<Fault> fault(const QByteArray &command) const;

private:
    const QByteArray m_serveAddress;
    mutable std::mutex m_mutex;
    GatewayState m_state;
    QMap<QByteArray, Fault> m_faults;
};

// A set of gateways and the servers that answer for them:
// - the locator (UDP) on udpAddress:udpPort answers for every gateway;
// - HTTP and FTP are served per gateway on the gateway's own address (127.0.0.x),
//   all on the same port numbers.
class Simulator
{
public:
    struct Options
    {
        QByteArray udpAddress = "127.0.0.2"; // "0.0.0.0" to receive real broadcasts
        quint16 udpPort = 0;                 // 0: an ephemeral port
        quint16 httpPort = 0;                // 0: an ephemeral port, the same for every gateway
        quint16 ftpPort = 0;
        bool serveHttp = true;
        bool serveFtp = true;
        bool verbose = false;                // one line per exchange on stdout
        // The locator answers by broadcast (to 255.255.255.255, from the gateway's address),
        // as a gateway on another subnet must. For a network namespace of one's own.
        bool broadcastAnswers = false;
    };

    Simulator();
    explicit Simulator(Options options);
    ~Simulator();

    Gateway &addGateway(GatewayState state); // before start()
    void start();
    void stop();

    int count() const { return int(m_gateways.size()); }
    Gateway &gateway(int index) { return *m_gateways.at(size_t(index)); }
    Gateway *findByMac(const QByteArray &mac);
    Gateway *findByIp(const QByteArray &ip); // the reported address or the one served on

    quint16 udpPort() const;
    quint16 httpPort() const;
    quint16 ftpPort() const;
    const Options &options() const { return m_options; }

    void log(const QString &line) const;

    // The demo set: gateways on firstAddress, firstAddress + 1, ... (DemoSet.cpp)
    static QList<GatewayState> demoSet(const QByteArray &firstAddress = "127.0.0.2");
    // The address n places after a dotted IPv4 address ("127.0.0.2" + 1 = "127.0.0.3").
    static QByteArray nextAddress(const QByteArray &address, int n = 1);

private:
    Options m_options;
    std::vector<std::unique_ptr<Gateway>> m_gateways;
    std::unique_ptr<SimLocator> m_locator;
    std::unique_ptr<SimHttp> m_http;
    std::unique_ptr<SimFtp> m_ftp;
};

} // namespace sim
