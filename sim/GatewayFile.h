#pragma once

#include "GatewayState.h"

#include <QString>

#include <optional>
#include <stdexcept>

// The gateways file of orvan-sim: INI text, one section per gateway (see README, "Simulated gateways").
namespace sim {

class GatewayFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct CommandFault
{
    QByteArray command; // "GETNET", "HELLO", ... or "*" for every command
    Fault fault;
};

struct GatewaySetup
{
    GatewayState state;
    QList<CommandFault> faults;
};

// Reads every section; a gateway without "ip" takes the address after the previous one
// (the first one takes firstAddress). Throws GatewayFileError naming the file and line.
QList<GatewaySetup> loadGatewayFile(const QString &path, const QByteArray &firstAddress);
QList<GatewaySetup> parseGatewayFile(const QByteArray &text, const QByteArray &firstAddress,
                                     const QString &baseDir = QString(), const QString &fileName = QString());

// "COMMAND:KIND[:MS]" with KIND one of nak, wrong, http500, drop, delay, ignore-udp;
// MS is required by delay. nullopt when malformed.
std::optional<CommandFault> parseFault(const QByteArray &text);

} // namespace sim
