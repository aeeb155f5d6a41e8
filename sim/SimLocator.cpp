#include "SimLocator.h"

#include "Simulator.h"

namespace sim {

// Placeholder until this server is built: binds nothing.
SimLocator::SimLocator(Simulator &simulator) : m_simulator(simulator) {}
SimLocator::~SimLocator() { stop(); }
void SimLocator::start() {}
void SimLocator::stop() {}
quint16 SimLocator::port() const { return m_port; }

} // namespace sim
