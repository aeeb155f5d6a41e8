#pragma once

#include <QtGlobal>

namespace sim {

class Simulator;

// HTTP: admpost.cgi and apppost.cgi, one server per gateway address.
class SimHttp
{
public:
    explicit SimHttp(Simulator &simulator);
    ~SimHttp();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

private:
    Simulator &m_simulator;
    quint16 m_port = 0;
};

} // namespace sim
