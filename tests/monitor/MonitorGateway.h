#pragma once

#include "Simulator.h"
#include "TagKeys.h"

// A Modbus gateway for the monitor tests, on 127.0.0.2; values stay where they are written.
// Tags: 0 LEVEL integer with an alarm band 100..900 and e-mail, 1 PUMP digital, 2 TEMP real
// with an alarm band 10..50, 3 SETPOINT integer read only, 4 COUNT integer without alarm.
namespace monitortest {

inline sim::TagSpec tag(const char *name, int type)
{
    sim::TagSpec t;
    t.name = name;
    t.type = type;
    t.mbFunc = type == 8 ? 0 : 4;
    return t;
}

inline sim::GatewayState gateway(int extraTags = 0)
{
    sim::GatewayState s;
    s.model = "1119";
    s.mac = "00:1D:7A:00:00:09";
    s.ip = "127.0.0.2";
    s.hostName = "line-3";
    s.adminPassword = "secret";
    s.liveMotion = false;
    sim::TagSpec level = tag("LEVEL", 0);
    level.alarm = true;
    level.alLo = 100;
    level.alHi = 900;
    level.email = true;
    sim::TagSpec temp = tag("TEMP", 4);
    temp.alarm = true;
    temp.alLo = 10;
    temp.alHi = 50;
    sim::TagSpec setpoint = tag("SETPOINT", 0);
    setpoint.readOnly = true;
    for (const sim::TagSpec &t : {level, tag("PUMP", 8), temp, setpoint, tag("COUNT", 1)})
        s.tags.append(sim::tagKeys(sim::Modbus, t));
    for (int i = 0; i < extraTags; ++i)
        s.tags.append(sim::tagKeys(sim::Modbus, tag(QByteArray("EXTRA_" + QByteArray::number(i)).constData(), 0)));
    return s;
}

inline std::unique_ptr<sim::Simulator> start(sim::GatewayState state)
{
    sim::Simulator::Options options;
    options.serveFtp = false;
    auto simulator = std::make_unique<sim::Simulator>(options);
    simulator->addGateway(std::move(state));
    simulator->start();
    return simulator;
}

} // namespace monitortest
