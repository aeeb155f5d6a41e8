#include "SimHttp.h"

#include "Simulator.h"

namespace sim {

// Placeholder until this server is built: binds nothing.
SimHttp::SimHttp(Simulator &simulator) : m_simulator(simulator) {}
SimHttp::~SimHttp() { stop(); }
void SimHttp::start() {}
void SimHttp::stop() {}
quint16 SimHttp::port() const { return m_port; }

} // namespace sim
