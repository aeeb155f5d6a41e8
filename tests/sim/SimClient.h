#pragma once

#include "Simulator.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A simulator on ephemeral loopback ports with one gateway per family, and a real HTTP client.
namespace simtest {

struct HttpResult
{
    bool ok = false;      // a reply arrived (any status)
    int status = 0;
    QByteArray body;
    QByteArray version;
    QByteArray contentType;
    QString error;        // what the client met when no reply arrived
};

HttpResult post(const QByteArray &ip, quint16 port, const QByteArray &script, const QByteArray &body,
                int timeoutMs = 3000);

// Gateways: Modbus on 127.0.0.2, Hostlink on 127.0.0.3, DF1 on 127.0.0.4; values do not move.
sim::GatewayState modbusGateway();
sim::GatewayState hostlinkGateway();
sim::GatewayState df1Gateway();
std::unique_ptr<sim::Simulator> startSimulator();

} // namespace simtest
