#include "SimFtp.h"

#include "Simulator.h"

namespace sim {

// Placeholder until this server is built: binds nothing.
SimFtp::SimFtp(Simulator &simulator) : m_simulator(simulator) {}
SimFtp::~SimFtp() { stop(); }
void SimFtp::start() {}
void SimFtp::stop() {}
quint16 SimFtp::port() const { return m_port; }

} // namespace sim
