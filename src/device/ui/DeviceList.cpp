#include "device/ui/DeviceList.h"

#include "device/DeviceRow.h"

#include <QAction>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Report-style grid lines between the cells.
class GridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight).darker(110));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

bool isCentred(int column)
{
    switch (column) {
    case DeviceRow::MAC:
    case DeviceRow::Version:
    case DeviceRow::DHCP:
    case DeviceRow::IPAddress:
    case DeviceRow::Netmask:
    case DeviceRow::Gateway:
        return true;
    default:
        return false;
    }
}

// The order of the list: the "Device" text, compared as the view's own sort compares it.
bool lessByDevice(const QTreeWidgetItem *a, const QTreeWidgetItem *b)
{
    return a->text(DeviceRow::Device) < b->text(DeviceRow::Device);
}

} // namespace

TDeviceListView::TDeviceListView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("lstDevices"));
    setColumnCount(DeviceRow::ColumnCount);
    QStringList titles;
    for (const QByteArray &title : DeviceRow::titles())
        titles << QString::fromLatin1(title);
    setHeaderLabels(titles);
    for (int column = 0; column < DeviceRow::ColumnCount; ++column) {
        if (isCentred(column))
            headerItem()->setTextAlignment(column, Qt::AlignCenter);
    }

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the list keeps its own order; headers do not re-sort it
    setItemDelegate(new GridDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);

    // The classic widths, widened where a full MAC or address would not fit this font.
    const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    const int macWidth = fontMetrics().horizontalAdvance(QStringLiteral("00:00:00:00:00:00")) + margin;
    const int addressWidth = fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255")) + margin;
    setColumnWidth(DeviceRow::Device, 140);
    setColumnWidth(DeviceRow::Host, 120);
    setColumnWidth(DeviceRow::MAC, std::max(104, macWidth));
    setColumnWidth(DeviceRow::Version, 80);
    setColumnWidth(DeviceRow::DHCP, 50);
    setColumnWidth(DeviceRow::IPAddress, std::max(95, addressWidth));
    setColumnWidth(DeviceRow::Netmask, std::max(95, addressWidth));
    setColumnWidth(DeviceRow::Gateway, std::max(95, addressWidth));
    setColumnWidth(DeviceRow::RemoteHost, 95);
    for (int column = DeviceRow::VisibleColumns; column < DeviceRow::ColumnCount; ++column)
        setColumnHidden(column, true);

    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TDeviceListView::writeRow(QTreeWidgetItem *item, const TDeviceData &device)
{
    const QList<QByteArray> cells = DeviceRow::cells(device);
    for (int column = 0; column < cells.size(); ++column) {
        item->setText(column, QString::fromLatin1(cells.at(column)));
        if (isCentred(column))
            item->setTextAlignment(column, Qt::AlignCenter);
    }
}

int TDeviceListView::DeviceIsListed(const TDeviceData &device) const
{
    const QString mac = QString::fromLatin1(device.MAC);
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->text(DeviceRow::MAC) == mac)
            return row;
    }
    return -1;
}

void TDeviceListView::AddDeviceToList(const TDeviceData &device)
{
    const int row = DeviceIsListed(device);
    QTreeWidgetItem *changed = nullptr;
    switch (DeviceRow::changeFor(row >= 0, device)) {
    case DeviceRow::Change::Add:
        changed = new QTreeWidgetItem;
        writeRow(changed, device);
        addTopLevelItem(changed);
        break;
    case DeviceRow::Change::Overwrite:
        changed = topLevelItem(row);
        writeRow(changed, device);
        break;
    case DeviceRow::Change::Keep:
        break;
    }
    if (changed)
        keepSorted(changed);
}

void TDeviceListView::keepSorted(QTreeWidgetItem *changed)
{
    // A stable sort leaves an ordered list as it is; most changes keep the order (a new
    // row of the last model), so the full sort runs only when a neighbour is out of place.
    const int row = indexOfTopLevelItem(changed);
    const QTreeWidgetItem *before = row > 0 ? topLevelItem(row - 1) : nullptr;
    const QTreeWidgetItem *after = row + 1 < topLevelItemCount() ? topLevelItem(row + 1) : nullptr;
    const bool inOrder = (!before || !lessByDevice(changed, before)) && (!after || !lessByDevice(after, changed));
    if (!inOrder)
        sortItems(DeviceRow::Device, Qt::AscendingOrder);
}

void TDeviceListView::RemoveLocalRows()
{
    for (int row = topLevelItemCount() - 1; row >= 0; --row) {
        if (topLevelItem(row)->text(DeviceRow::RemoteHost).isEmpty())
            delete takeTopLevelItem(row);
    }
}

std::optional<TDeviceData> TDeviceListView::deviceAt(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return std::nullopt;
    QList<QByteArray> cells;
    for (int column = 0; column < DeviceRow::ColumnCount; ++column)
        cells << item->text(column).toLatin1();
    return DeviceRow::device(cells);
}

int TDeviceListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.constFirst());
}

std::optional<TDeviceData> TDeviceListView::selectedDevice() const
{
    const int row = selectedRow();
    return row < 0 ? std::nullopt : deviceAt(row);
}

void TDeviceListView::selectRow(int row)
{
    if (QTreeWidgetItem *item = topLevelItem(row))
        setCurrentItem(item);
    else
        clearSelection();
}

void TDeviceListView::setContextActions(const QList<QAction *> &actions)
{
    for (QAction *action : QWidget::actions())
        removeAction(action);
    addActions(actions);
}
