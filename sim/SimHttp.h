#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace sim {

class Simulator;

// HTTP: admpost.cgi and apppost.cgi, one server per gateway address, all on one port number.
class SimHttp
{
public:
    explicit SimHttp(Simulator &simulator);
    ~SimHttp();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

    // Waits for a delay fault; returns early (false) when the server stops meanwhile.
    bool pause(int ms);

private:
    struct Server;
    void bindAll(quint16 port);

    Simulator &m_simulator;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<Server>> m_servers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};

} // namespace sim
