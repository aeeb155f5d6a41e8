#include "LiveValues.h"
#include "Simulator.h"
#include "TagKeys.h"

// The gateways the demo plays when no gateways file is given: one fully configurable gateway per
// protocol family with a dozen varied tags, one gateway without the full firmware, and one
// device of a model Kova does not know.
namespace sim {

namespace {

TagSpec serial(const char *name, int type, int unit)
{
    TagSpec t;
    t.name = name;
    t.type = type;
    t.unit = unit;
    return t;
}

TagSpec &alarm(TagSpec &t, double low, double high, bool email, bool trap = false)
{
    t.alarm = true;
    t.alLo = low;
    t.alHi = high;
    t.email = email;
    t.trap = trap;
    return t;
}

TagSpec &limits(TagSpec &t, double low, double high)
{
    t.limits = true;
    t.wrLo = low;
    t.wrHi = high;
    return t;
}

TagSpec &linear(TagSpec &t, double a, double b)
{
    t.scale = 2;
    t.factA = a;
    t.factB = b;
    return t;
}

// A non-serial tag as the tag dialogs store it (wire codes).
TagSpec local(int family, const char *name, int source, int point)
{
    TagSpec t;
    t.name = name;
    t.source = source;
    t.unit = 0;
    t.bit = point;
    t.readOnly = source != 2;
    const bool analog = source == 4;
    if (family == Modbus) {
        t.type = analog ? 1 : 8;
        t.mbFunc = analog ? 3 : (source == 2 ? 0 : 1);
    } else {
        t.type = analog ? 1 : 6;
        t.hlFunc = 0;
        t.fileType = source == 2 ? 130 : 131;
    }
    return t;
}

Keys smtpSettings()
{
    return {{"ENABLE", "1"}, {"SERVER", "smtp.example.com"}, {"TIMEOUT", "20"}, {"RETRIES", "3"},
            {"RETRYINT", "10"}, {"FROM", "orvan@example.com"}, {"AUTH", "0"}, {"USER", ""}, {"PASS", ""}};
}

QList<Keys> modbusTags()
{
    QList<TagSpec> t;
    TagSpec temp = serial("TANK_TEMP", 1, 1); // 40001, tenths of a degree
    temp.mbFunc = 4;
    temp.address = 0;
    temp.readOnly = true;
    t << alarm(linear(temp, 0.1, 0), 5, 85, true, true);
    TagSpec level = serial("TANK_LEVEL", 0, 1); // 30010
    level.mbFunc = 3;
    level.address = 9;
    level.readOnly = true;
    t << alarm(level, 100, 900, true);
    TagSpec pump = serial("PUMP_RUN", 8, 1); // coil 00001
    pump.mbFunc = 0;
    t << pump;
    TagSpec setpoint = serial("TEMP_SETPOINT", 4, 1); // 40100
    setpoint.address = 99;
    t << limits(setpoint, 20, 90);
    TagSpec flow = serial("FLOW_TOTAL", 2, 2); // 40200, Enron register
    flow.address = 199;
    flow.reg32 = true;
    flow.readOnly = true;
    t << linear(flow, 0.01, 0);
    TagSpec valve = serial("VALVE_OPEN", 7, 2); // 40300 bit 3
    valve.address = 299;
    valve.bit = 3;
    t << valve;
    TagSpec door = local(Modbus, "DOOR_OPEN", 1, 0);
    t << alarm(door, 1, 0, true, true);
    t << local(Modbus, "HORN", 2, 1);
    TagSpec cpu = local(Modbus, "_TEMP", 3, 0);
    cpu.type = 4;
    t << alarm(cpu, 0, 45, false, true);
    TagSpec pressure = local(Modbus, "PRESSURE", 4, 2);
    t << alarm(linear(pressure, 0.0025, 0), 0.5, 2.0, true);
    TagSpec batch = serial("BATCH_COUNT", 0, 1); // 40400
    batch.address = 399;
    t << limits(batch, 0, 9999);
    TagSpec rpm = serial("MOTOR_RPM", 6, 3); // 40500, BCD
    rpm.address = 499;
    t << alarm(limits(rpm, 0, 3000), 100, 2800, false);
    t << local(Modbus, "_ALARM", 3, 0);
    QList<Keys> keys;
    for (const TagSpec &tag : t)
        keys << tagKeys(Modbus, tag);
    return keys;
}

QList<Keys> hostlinkTags()
{
    QList<TagSpec> t;
    TagSpec oil = serial("OIL_TEMP", 1, 0); // DM0100
    oil.hlFunc = 6;
    oil.address = 100;
    oil.readOnly = true;
    t << alarm(linear(oil, 0.1, 0), 10, 70, true);
    TagSpec force = serial("PRESS_FORCE", 0, 0); // DM0102
    force.hlFunc = 6;
    force.address = 102;
    force.readOnly = true;
    t << alarm(force, 200, 800, true);
    TagSpec cycles = serial("CYCLE_COUNT", 2, 0); // HR0010
    cycles.hlFunc = 3;
    cycles.address = 10;
    cycles.readOnly = true;
    t << cycles;
    TagSpec speed = serial("SPEED_SET", 4, 0); // DM0200, BCD
    speed.hlFunc = 6;
    speed.address = 200;
    t << limits(speed, 0, 9999);
    TagSpec ram = serial("RAM_POS", 3, 0); // DM0210, float
    ram.hlFunc = 6;
    ram.address = 210;
    ram.readOnly = true;
    t << ram;
    TagSpec guard = serial("GUARD_CLOSED", 5, 0); // IR0001 bit 4, alarm when it opens
    guard.hlFunc = 0;
    guard.address = 1;
    guard.bit = 4;
    guard.readOnly = true;
    t << alarm(guard, 0, 1, true);
    TagSpec lube = serial("LUBE_PUMP", 5, 0); // LR0005 bit 0
    lube.hlFunc = 2;
    lube.address = 5;
    t << lube;
    TagSpec timer = serial("TIMER_PV", 0, 1); // TC 3
    timer.hlFunc = 4;
    timer.address = 3;
    timer.readOnly = true;
    t << timer;
    TagSpec estop = local(Hostlink, "E_STOP", 1, 2);
    t << alarm(estop, 1, 0, true);
    t << local(Hostlink, "BEACON", 2, 0);
    TagSpec hyd = local(Hostlink, "HYD_PRESS", 4, 0);
    t << alarm(linear(hyd, 0.05, 0), 5, 45, false);
    t << local(Hostlink, "_COMMERROR", 3, 0);
    QList<Keys> keys;
    for (const TagSpec &tag : t)
        keys << tagKeys(Hostlink, tag);
    return keys;
}

TagSpec df1(const char *name, int type, int fileType, int fileNumber, int element)
{
    TagSpec t;
    t.name = name;
    t.type = type;
    t.fileType = fileType;
    t.fileNumber = fileNumber;
    t.element = element;
    return t;
}

QList<Keys> df1Tags()
{
    QList<TagSpec> t;
    TagSpec z1 = df1("ZONE1_TEMP", 1, 137, 7, 0);
    z1.readOnly = true;
    t << alarm(linear(z1, 0.1, 0), 15, 60, true);
    TagSpec z2 = df1("ZONE2_TEMP", 1, 137, 7, 1);
    z2.readOnly = true;
    t << alarm(linear(z2, 0.1, 0), 15, 60, true);
    TagSpec conveyor = df1("CONVEYOR_SPD", 0, 137, 7, 10);
    t << limits(conveyor, 0, 1500);
    TagSpec parts = df1("PART_COUNT", 2, 137, 7, 20);
    parts.readOnly = true;
    t << parts;
    TagSpec heater = df1("HEATER_PCT", 3, 138, 8, 0);
    t << limits(heater, 0, 100);
    TagSpec fan = df1("FAN_ON", 5, 133, 3, 0);
    fan.bit = 2;
    t << fan;
    TagSpec jam = df1("JAM_DETECT", 5, 133, 3, 1);
    jam.bit = 7;
    jam.readOnly = true;
    t << alarm(jam, 1, 0, true);
    TagSpec recipe = df1("RECIPE_NO", 4, 137, 7, 30);
    t << limits(recipe, 0, 99);
    t << local(DF1, "LIMIT_SW", 1, 3);
    t << local(DF1, "STACK_LIGHT", 2, 1);
    TagSpec psi = local(DF1, "TANK_PSI", 4, 1);
    t << alarm(linear(psi, 0.1, 0), 10, 90, false);
    t << local(DF1, "_ALARMNAK", 3, 0);
    QList<Keys> keys;
    for (const TagSpec &tag : t)
        keys << tagKeys(DF1, tag);
    return keys;
}

} // namespace

QList<GatewayState> Simulator::demoSet(const QByteArray &firstAddress)
{
    QList<GatewayState> set;

    GatewayState mb;
    mb.model = "1119";
    mb.version = "2.1.0-TS";
    mb.mac = "00:1D:7A:00:00:01";
    mb.hostName = "boiler-room";
    mb.snmp = true;
    mb.manager = "127.0.0.1";
    mb.com = {{"COMTYPE", "2"}, {"FORMAT", "0"}, {"BAUD", "19200"}, {"PARITY", "2"}, {"PKTTOUT", "4"},
              {"MSGTOUT", "500"}, {"RETRIES", "1"}, {"SCANTIME", "250"}};
    mb.smtp = smtpSettings();
    mb.recipients = {"operator@example.com", "maintenance@example.com", "", "", ""};
    mb.tags = modbusTags();
    set << mb;

    GatewayState hl;
    hl.model = "1110";
    hl.version = "2.1.0-TS";
    hl.mac = "00:1D:7A:00:00:02";
    hl.hostName = "press-line";
    hl.com = {{"COMTYPE", "0"}, {"BAUD", "9600"}, {"PARITY", "2"}, {"MSGTOUT", "1000"}, {"RETRIES", "1"},
              {"SCANTIME", "100"}};
    hl.smtp = smtpSettings();
    hl.recipients = {"press@example.com", "", "", "", ""};
    hl.tags = hostlinkTags();
    set << hl;

    GatewayState ab;
    ab.model = "1117";
    ab.version = "2.1.2-TS";
    ab.mac = "00:1D:7A:00:00:03";
    ab.com = {{"COMTYPE", "0"}, {"BAUD", "19200"}, {"DATABITS", "0"}, {"PARITY", "0"}, {"MSGTOUT", "1000"},
              {"SCANTIME", "200"}, {"ERRORMTHD", "0"}};
    ab.tags = df1Tags(); // e-mail stays disabled here: the mailbox shows "Mailbox Disabled"
    set << ab;

    GatewayState plain;
    plain.model = "1118";
    plain.version = "2.0.4"; // no full firmware: only the locator's CONFIG changes it
    plain.mac = "00:1D:7A:00:00:04";
    plain.hostName = "old-unit";
    set << plain;

    GatewayState other;
    other.model = "2041";
    other.version = "1.3.7";
    other.mac = "00:50:C2:1A:2B:3C";
    set << other;

    for (int i = 0; i < set.size(); ++i)
        set[i].ip = nextAddress(firstAddress, i);
    for (GatewayState &g : set)
        syncLive(g);
    return set;
}

} // namespace sim
