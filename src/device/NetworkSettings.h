#pragma once

#include "base/DscPkt.h"

#include <QByteArray>
#include <QString>

// The network and SNMP settings of one gateway as the properties dialog edits them,
// and the packets that read and write them.
struct TNetworkSettings
{
    QByteArray HostName;
    bool DHCP = false;
    QString IPAddress;
    QString Netmask;
    QString Gateway;
    QString PreferredDNS;
    QString AlternativeDNS;
    bool SNMP = false;
    QString Manager;
    QByteArray ReadCommunity;
    QByteArray WriteCommunity;
    QByteArray TrapCommunity;
};

// Which field a failed check points at, so the dialog can bring it forward.
enum class NetworkField { None, IPAddress, Manager, Gateway, DNS };

struct NetworkCheck
{
    NetworkField field = NetworkField::None;
    QString message; // empty when valid
    bool ok() const { return field == NetworkField::None; }
};

// With DHCP on everything passes; the netmask is never checked; SNMP and DNS only for
// gateways configured over HTTP.
NetworkCheck IsValidNetwork(const TNetworkSettings &settings, bool fullyConfigurable);

// Reads a NETWORK reply into the settings (defaults as the gateway omits keys).
void ReadNetworkReply(const TPacket &reply, TNetworkSettings &settings);

// SETNET with the typed administrator password. With DHCP on every address goes as 0.0.0.0.
TPacket BuildSetNet(const QByteArray &password, const TNetworkSettings &settings);

// The CONFIG list for gateways without the full firmware, broadcast over UDP.
QByteArray BuildConfigList(const QByteArray &password, const QByteArray &mac, const TNetworkSettings &settings,
                           bool hostNameEditable);
