#pragma once

#include <QtGlobal>

namespace sim {

class Simulator;

// FTP: userpage.qsw, one server per gateway address.
class SimFtp
{
public:
    explicit SimFtp(Simulator &simulator);
    ~SimFtp();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

private:
    Simulator &m_simulator;
    quint16 m_port = 0;
};

} // namespace sim
