#include "device/DeviceRow.h"

namespace DeviceRow {

namespace {
QByteArray flag(bool value)
{
    return value ? QByteArray("1") : QByteArray("0");
}
} // namespace

QList<QByteArray> titles()
{
    return {"Device",  "Host",    "MAC",          "Version",     "DHCP",       "IP Address",
            "Netmask", "Gateway", "Remote IP/Host", "HasHostName", "FullConfig", "ProtocolFamily"};
}

QList<QByteArray> cells(const TDeviceData &d)
{
    return {d.DeviceName,
            d.HostName,
            d.MAC,
            d.Version,
            d.DHCP ? QByteArray("Yes") : QByteArray("No"),
            d.IPAddress,
            d.Netmask,
            d.Gateway,
            d.RemoteHost,
            flag(d.HasHostName),
            flag(d.FullConfig),
            QByteArray::number(d.ProtocolFamily)};
}

TDeviceData device(const QList<QByteArray> &cells)
{
    const auto cell = [&cells](int column) { return cells.value(column); };
    TDeviceData d;
    d.DeviceName = cell(Device);
    d.HostName = cell(Host);
    d.MAC = cell(MAC);
    d.Version = cell(Version);
    d.DHCP = cell(DHCP) == "Yes";
    d.IPAddress = cell(IPAddress);
    d.Netmask = cell(Netmask);
    d.Gateway = cell(Gateway);
    d.RemoteHost = cell(RemoteHost);
    d.HasHostName = cell(HasHostName) == "1";
    d.FullConfig = cell(FullConfig) == "1";
    d.ProtocolFamily = quint8(cell(ProtocolFamily).toUInt());
    return d;
}

Change changeFor(bool listed, const TDeviceData &record)
{
    if (!listed)
        return Change::Add;
    return record.RemoteHost.isEmpty() ? Change::Keep : Change::Overwrite;
}

} // namespace DeviceRow
