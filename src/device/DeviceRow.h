#pragma once

#include "base/DeviceData.h"

#include <QList>

// How a TDeviceData lives in one row of the device list: the caption, eight visible
// cells and three hidden ones. The list is the only store of discovered gateways, so a
// record rebuilt from its row must equal the record that filled it.
namespace DeviceRow {

enum Column : int {
    Device = 0,
    Host,
    MAC,
    Version,
    DHCP,
    IPAddress,
    Netmask,
    Gateway,
    RemoteHost,
    HasHostName, // hidden, "1"/"0"
    FullConfig,  // hidden, "1"/"0"
    ProtocolFamily, // hidden, decimal
    ColumnCount
};
constexpr int VisibleColumns = HasHostName;

// Column titles in order, hidden ones included.
QList<QByteArray> titles();

// The twelve texts of a row (caption first).
QList<QByteArray> cells(const TDeviceData &device);

// A record from a row's texts: every listed field; UserName and Password stay empty.
TDeviceData device(const QList<QByteArray> &cells);

} // namespace DeviceRow
