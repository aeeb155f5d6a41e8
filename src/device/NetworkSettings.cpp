#include "device/NetworkSettings.h"

#include "device/IPAddress.h"

namespace {

QByteArray address(const QString &text, bool dhcp)
{
    return dhcp ? IPAddress::Any.toLatin1() : text.toLatin1();
}

} // namespace

NetworkCheck IsValidNetwork(const TNetworkSettings &s, bool fullyConfigurable)
{
    if (s.DHCP)
        return {};
    if (!IPAddress::isValid(s.IPAddress))
        return {NetworkField::IPAddress, QStringLiteral("Not valid IP Address.")};
    // SNMP is set over HTTP only; the CONFIG message of the other gateways carries none.
    if (fullyConfigurable && s.SNMP && !IPAddress::isValid(s.Manager))
        return {NetworkField::Manager, QStringLiteral("Not valid Manager IP Address.")};
    if (s.Gateway != IPAddress::Any && !IPAddress::isValid(s.Gateway))
        return {NetworkField::Gateway, QStringLiteral("Not valid Gateway Address.")};
    if (fullyConfigurable) {
        for (const QString &dns : {s.PreferredDNS, s.AlternativeDNS}) {
            if (dns != IPAddress::Any && !IPAddress::isValid(dns))
                return {NetworkField::DNS, QStringLiteral("Not valid DNS Server Address.")};
        }
    }
    return {};
}

void ReadNetworkReply(const TPacket &reply, TNetworkSettings &s)
{
    const QByteArray any = IPAddress::Any.toLatin1();
    s.HostName = reply.GetString("NAME", "");
    s.DHCP = reply.GetBoolean("DHCP", false);
    s.IPAddress = QString::fromLatin1(reply.GetString("IP", any));
    s.Netmask = QString::fromLatin1(reply.GetString("NETMASK", any));
    s.Gateway = QString::fromLatin1(reply.GetString("GATEWAY", any));
    s.PreferredDNS = QString::fromLatin1(reply.GetString("FSTDNS", any));
    s.AlternativeDNS = QString::fromLatin1(reply.GetString("SNDDNS", any));
    s.Manager = QString::fromLatin1(reply.GetString("MANAGER", any));
    s.SNMP = reply.GetBoolean("SNMP", false);
    s.ReadCommunity = reply.GetString("READS", "");
    s.WriteCommunity = reply.GetString("WRITES", "");
    s.TrapCommunity = reply.GetString("TRAPS", "");
}

TPacket BuildSetNet(const QByteArray &password, const TNetworkSettings &s)
{
    TPacket p;
    p.NewCommand("SETNET");
    p.AddString("PWD", password);
    p.AddString("NAME", s.HostName);
    p.AddString("IP", address(s.IPAddress, s.DHCP));
    p.AddString("NETMASK", address(s.Netmask, s.DHCP));
    p.AddString("GATEWAY", address(s.Gateway, s.DHCP));
    p.AddString("FSTDNS", address(s.PreferredDNS, s.DHCP));
    p.AddString("SNDDNS", address(s.AlternativeDNS, s.DHCP));
    p.AddString("SNMP", s.SNMP ? "1" : "0");
    p.AddString("MANAGER", s.Manager.toLatin1());
    p.AddString("READS", s.ReadCommunity);
    p.AddString("WRITES", s.WriteCommunity);
    p.AddString("TRAPS", s.TrapCommunity);
    return p;
}

QByteArray BuildConfigList(const QByteArray &password, const QByteArray &mac, const TNetworkSettings &s,
                           bool hostNameEditable)
{
    QByteArray list = NewList("CONFIG");
    list = AddListItem(password, list);
    // An empty first item leaves the list "CONFIG()": the next item then carries the comma.
    list = AddListItem(password.isEmpty() ? ',' + mac : mac, list);
    list = AddListItem(address(s.IPAddress, s.DHCP), list);
    list = AddListItem(address(s.Netmask, s.DHCP), list);
    list = AddListItem(address(s.Gateway, s.DHCP), list);
    if (hostNameEditable)
        list = AddListItem(s.HostName, list);
    return list;
}
