#pragma once

#include <QByteArray>
#include <QtGlobal>

// What Kova knows of one gateway. Copied by value: the device list, the connection and
// every transfer hold their own copy. Texts are 8-bit as the gateway writes them.
struct TDeviceData
{
    QByteArray DeviceName;  // model display name
    QByteArray HostName;    // "-" when the gateway reported none
    QByteArray MAC;         // identifies the row
    QByteArray Version;
    QByteArray IPAddress;
    QByteArray Netmask;
    QByteArray Gateway;
    bool DHCP = false;
    QByteArray RemoteHost;  // typed host or address of a remote gateway; empty when found by broadcast
    bool HasHostName = false;
    QByteArray UserName;    // "admin" in the connected copy
    QByteArray Password;    // accepted at connection (connected copy only)
    bool FullConfig = false;
    quint8 ProtocolFamily = 0; // 0 Modbus, 1 Hostlink, 2 DF1

    bool operator==(const TDeviceData &) const = default;
};

enum ProtocolFamily : quint8 { FamilyModbus = 0, FamilyHostlink = 1, FamilyDF1 = 2 };

struct ModelInfo
{
    QByteArray name;
    quint8 family = FamilyModbus;
    bool orvan = false; // one of the six Orvan models
};

// Model code -> display name and protocol family (exact text comparison).
// Unknown codes give "Quorsa Device", family 0.
ModelInfo GetModelInfo(const QByteArray &code);
QByteArray GetModelName(const QByteArray &code);
