#pragma once

#include "base/DeviceData.h"

#include <QTreeWidget>

#include <optional>

class QAction;

// The device list along the main window's bottom edge (lstDevices): one row per known
// gateway, the only store of discovered devices. Rows are kept in order of their
// "Device" text; each row carries three hidden cells so the whole record can be rebuilt.
class TDeviceListView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit TDeviceListView(QWidget *parent = nullptr);

    // Adds a row, or overwrites the listed row with the record's MAC when the record is a
    // remote one; a broadcast answer never overwrites. The list is re-sorted afterwards.
    void AddDeviceToList(const TDeviceData &device);
    // Index of the row whose "MAC" cell equals the record's MAC exactly, or -1.
    int DeviceIsListed(const TDeviceData &device) const;
    // Removes every row without a remote host, from the last row to the first.
    void RemoveLocalRows();

    int rowCount() const { return topLevelItemCount(); }
    std::optional<TDeviceData> deviceAt(int row) const;
    std::optional<TDeviceData> selectedDevice() const;
    int selectedRow() const;
    void selectRow(int row);

    // The right-click menu: the actions in the given order (separators included).
    void setContextActions(const QList<QAction *> &actions);

private:
    void writeRow(QTreeWidgetItem *item, const TDeviceData &device);
    void keepSorted(QTreeWidgetItem *changed);
};
