#include "app/ui/NewFile.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TfrmNewFile::TfrmNewFile(QWidget *parent) : QDialog(parent), m_list(new QListWidget)
{
    setObjectName(QStringLiteral("frmNewFile"));
    setWindowTitle(QStringLiteral("New File"));

    m_list->setObjectName(QStringLiteral("lstNewFiles"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(48, 48));
    m_list->setGridSize(QSize(132, 96));
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("pgcNewFile"));
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tbsNewFile"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(m_list);
    tabs->addTab(page, QStringLiteral("New File"));

    auto *buttons = new QDialogButtonBox;
    auto *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    auto *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmNewFile::btnOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &TfrmNewFile::lstNewFilesDblClick);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(600, 260);
}

void TfrmNewFile::SetKinds(const TDocumentKinds &kinds)
{
    m_list->clear();
    for (const TDocumentKind &kind : kinds) {
        auto *item = new QListWidgetItem(kind.icon, kind.caption, m_list);
        if (!kind.available()) {
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            item->setToolTip(QStringLiteral("Not available in this version"));
        }
    }
}

int TfrmNewFile::SelectedKind() const
{
    const auto items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->row(items.constFirst());
}

void TfrmNewFile::btnOkClick()
{
    // Nothing selected keeps the dialog open.
    if (SelectedKind() >= 0)
        accept();
}

void TfrmNewFile::showEvent(QShowEvent *event)
{
    // Open with the first kind selected (the first one that can be chosen).
    m_list->clearSelection();
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->flags() & Qt::ItemIsEnabled) {
            m_list->setCurrentRow(i);
            m_list->item(i)->setSelected(true);
            break;
        }
    }
    m_list->setFocus();
    QDialog::showEvent(event);
}

void TfrmNewFile::lstNewFilesDblClick(QListWidgetItem *item)
{
    if (item && (item->flags() & Qt::ItemIsEnabled)) {
        m_list->setCurrentItem(item);
        item->setSelected(true);
        accept();
    }
}
