#pragma once

// The configuration transfer's peers: one simulated gateway per protocol on loopback
// (Modbus 127.0.0.2, Hostlink 127.0.0.3, DF1 127.0.0.4), and a relay on 127.0.0.1 that
// records the exact requests on their way to one of them.

#include "../device/TestServers.h"

#include "Simulator.h"
#include "TagKeys.h"
#include "base/DeviceData.h"
#include "config/KovaTypes.h"
#include "device/HttpChannel.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TagProtocol)

struct TransferRig
{
    TransferRig()
    {
        sim::Simulator::Options options;
        options.serveFtp = false;
        simulator = std::make_unique<sim::Simulator>(options);
        const char *models[] = {"1119", "1110", "1117"};
        for (int family = 0; family < 3; ++family) {
            sim::GatewayState state;
            state.model = models[family];
            state.mac = "00:1D:7A:00:01:0" + QByteArray::number(family);
            state.ip = "127.0.0." + QByteArray::number(family + 2);
            state.liveMotion = false;
            simulator->addGateway(state);
        }
        simulator->start();
        channel.setPort(simulator->httpPort());
        channel.setReadTimeout(3000);
    }

    sim::Gateway &gateway(TagProtocol protocol) { return simulator->gateway(int(protocol)); }

    TDeviceData device(TagProtocol protocol) const
    {
        TDeviceData d;
        d.DeviceName = "Orvan";
        d.HostName = "line";
        d.MAC = "00:1D:7A:00:01:0" + QByteArray::number(int(protocol));
        d.Version = "2.1.0-TS";
        d.IPAddress = "127.0.0." + QByteArray::number(int(protocol) + 2);
        d.ProtocolFamily = quint8(protocol);
        return d;
    }

    // From here on the channel goes through the relay, which records every request.
    TDeviceData relayed(TagProtocol protocol)
    {
        relay = std::make_unique<ScriptedHttpServer>("127.0.0.1");
        relay->forwardTo(device(protocol).IPAddress, simulator->httpPort());
        channel.setPort(relay->port());
        TDeviceData d = device(protocol);
        d.IPAddress = "127.0.0.1";
        return d;
    }

    // The packets the relay saw, without their HTTP headers.
    QList<QByteArray> requests() const
    {
        QList<QByteArray> bodies;
        for (const QByteArray &request : relay->requests())
            bodies << request.mid(request.indexOf("\r\n\r\n") + 4);
        return bodies;
    }

    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<ScriptedHttpServer> relay;
    THttpChannel channel;
};

// A data column "protocol" with one row per protocol: for the tests that run once per gateway.
inline void addProtocolRows()
{
    QTest::addColumn<TagProtocol>("protocol");
    QTest::newRow("modbus") << TagProtocol::Modbus;
    QTest::newRow("hostlink") << TagProtocol::Hostlink;
    QTest::newRow("df1") << TagProtocol::DF1;
}
