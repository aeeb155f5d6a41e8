#include "Simulator.h"

#include "SimFtp.h"
#include "SimHttp.h"
#include "SimLocator.h"
#include "LiveValues.h"

#include <QTextStream>

namespace sim {

int GatewayState::protocolFamily() const
{
    if (model == "1117" || model == "1116")
        return 2;
    if (model == "1110" || model == "1109")
        return 1;
    return 0;
}

GatewayState Gateway::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

void Gateway::update(const std::function<void(GatewayState &)> &change)
{
    std::lock_guard lock(m_mutex);
    change(m_state);
}

QByteArray Gateway::ip() const
{
    std::lock_guard lock(m_mutex);
    return m_state.ip;
}

QByteArray Gateway::mac() const
{
    std::lock_guard lock(m_mutex);
    return m_state.mac;
}

void Gateway::setFault(const QByteArray &command, Fault fault)
{
    std::lock_guard lock(m_mutex);
    m_faults.insert(command, fault);
}

void Gateway::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::optional<Fault> Gateway::fault(const QByteArray &command) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_faults.constFind(command);
    if (it == m_faults.constEnd())
        it = m_faults.constFind("*");
    if (it == m_faults.constEnd() || it->kind == FaultKind::None)
        return std::nullopt;
    return *it;
}

Simulator::Simulator() : Simulator(Options()) {}

Simulator::Simulator(Options options) : m_options(std::move(options)) {}

Simulator::~Simulator()
{
    stop();
}

Gateway &Simulator::addGateway(GatewayState state)
{
    syncLive(state);
    m_gateways.push_back(std::make_unique<Gateway>(std::move(state)));
    return *m_gateways.back();
}

void Simulator::start()
{
    m_locator = std::make_unique<SimLocator>(*this);
    m_locator->start();
    if (m_options.serveHttp) {
        m_http = std::make_unique<SimHttp>(*this);
        m_http->start();
    }
    if (m_options.serveFtp) {
        m_ftp = std::make_unique<SimFtp>(*this);
        m_ftp->start();
    }
}

void Simulator::stop()
{
    if (m_ftp)
        m_ftp->stop();
    if (m_http)
        m_http->stop();
    if (m_locator)
        m_locator->stop();
    m_ftp.reset();
    m_http.reset();
    m_locator.reset();
}

Gateway *Simulator::findByMac(const QByteArray &mac)
{
    for (auto &g : m_gateways) {
        if (g->mac() == mac)
            return g.get();
    }
    return nullptr;
}

Gateway *Simulator::findByIp(const QByteArray &ip)
{
    for (auto &g : m_gateways) {
        if (g->ip() == ip || g->serveAddress() == ip)
            return g.get();
    }
    return nullptr;
}

quint16 Simulator::udpPort() const { return m_locator ? m_locator->port() : 0; }
quint16 Simulator::httpPort() const { return m_http ? m_http->port() : 0; }
quint16 Simulator::ftpPort() const { return m_ftp ? m_ftp->port() : 0; }

void Simulator::log(const QString &line) const
{
    // Servers log from their own threads; one line at a time.
    static std::mutex logMutex;
    if (m_options.verbose) {
        std::lock_guard lock(logMutex);
        QTextStream(stdout) << line << Qt::endl;
    }
}

QByteArray Simulator::nextAddress(const QByteArray &address, int n)
{
    const QList<QByteArray> parts = address.split('.');
    if (parts.size() != 4)
        return address;
    quint32 value = 0;
    for (const QByteArray &p : parts)
        value = value << 8 | (p.toUInt() & 0xFF);
    value += quint32(n);
    return QByteArray::number(value >> 24) + '.' + QByteArray::number(value >> 16 & 0xFF) + '.'
        + QByteArray::number(value >> 8 & 0xFF) + '.' + QByteArray::number(value & 0xFF);
}

} // namespace sim
