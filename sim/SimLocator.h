#pragma once

#include <QtGlobal>

namespace sim {

class Simulator;

// UDP locator: HELLO and CONFIG datagrams for every gateway.
class SimLocator
{
public:
    explicit SimLocator(Simulator &simulator);
    ~SimLocator();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

private:
    Simulator &m_simulator;
    quint16 m_port = 0;
};

} // namespace sim
