#include "config/ui/InternalTags.h"

#include "base/ui/OkCancel.h"
#include "config/TagForm.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmInternalTags::TfrmInternalTags(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInternalTags"));
    setWindowTitle(QStringLiteral("Select Internal Tag"));

    auto *caption = new QLabel(QStringLiteral("Available Internal Tags"), this);
    caption->setObjectName(QStringLiteral("lblInternalTags"));
    lstInternalTags = new QTreeWidget(this);
    lstInternalTags->setObjectName(QStringLiteral("lstInternalTags"));
    lstInternalTags->setHeaderLabels({QStringLiteral("Tag Name"), QStringLiteral("Type")});
    lstInternalTags->setRootIsDecorated(false);
    lstInternalTags->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const TInternalTag &tag : InternalTags()) {
        auto *row = new QTreeWidgetItem(lstInternalTags, {QString::fromLatin1(tag.name), QString::fromLatin1(tag.type)});
        row->setData(0, Qt::UserRole, QString::fromLatin1(tag.description));
    }
    lstInternalTags->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    caption->setBuddy(lstInternalTags);

    auto *group = new QGroupBox(QStringLiteral("Description"), this);
    group->setObjectName(QStringLiteral("grpDescription"));
    stDescription = new QLabel(group);
    stDescription->setObjectName(QStringLiteral("stDescription"));
    stDescription->setWordWrap(true);
    stDescription->setMinimumHeight(stDescription->fontMetrics().lineSpacing() * 3);
    stDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    (new QVBoxLayout(group))->addWidget(stDescription);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    btnOk = buttons.ok;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(lstInternalTags);
    layout->addWidget(group);
    layout->addLayout(buttons.layout);
    setMinimumSize(380, 340);

    connect(lstInternalTags, &QTreeWidget::itemSelectionChanged, this, &TfrmInternalTags::lstInternalTagsSelectItem);
    // A double click picks the row, as OK does.
    connect(lstInternalTags, &QTreeWidget::itemDoubleClicked, this, &TfrmInternalTags::btnOkClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmInternalTags::btnOkClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    lstInternalTagsSelectItem();
}

QByteArray TfrmInternalTags::SelectedTagName() const
{
    const QList<QTreeWidgetItem *> rows = lstInternalTags->selectedItems();
    return rows.isEmpty() ? QByteArray() : rows.constFirst()->text(0).toLatin1();
}

void TfrmInternalTags::lstInternalTagsSelectItem()
{
    const QList<QTreeWidgetItem *> rows = lstInternalTags->selectedItems();
    stDescription->setText(rows.isEmpty() ? QString() : rows.constFirst()->data(0, Qt::UserRole).toString());
    btnOk->setEnabled(!rows.isEmpty());
}

void TfrmInternalTags::btnOkClick()
{
    if (!SelectedTagName().isEmpty())
        accept();
}
