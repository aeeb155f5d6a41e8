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

// What a record does to the list, whose rows are told apart by MAC: one not listed yet is
// added; a listed one is overwritten only by a remote device's record, so the first
// broadcast answer of a MAC stays (and a remote row is not replaced by one).
enum class Change { Add, Overwrite, Keep };
Change changeFor(bool listed, const TDeviceData &record);

} // namespace DeviceRow
