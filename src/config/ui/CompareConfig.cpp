#include "config/ui/CompareConfig.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString TfrmCompareConfig::Title = QStringLiteral("Compare With Orvan");

namespace {

enum Column { SettingColumn, DocumentColumn, OrvanColumn };

QTreeWidgetItem *row(QTreeWidgetItem *parent, const QString &setting, const QByteArray &document, const QByteArray &orvan)
{
    auto *item = new QTreeWidgetItem(parent, {setting, QString::fromLatin1(document), QString::fromLatin1(orvan)});
    // A long text (the order of the tags) is cut by the column: the whole of it on hovering.
    item->setToolTip(DocumentColumn, item->text(DocumentColumn));
    item->setToolTip(OrvanColumn, item->text(OrvanColumn));
    return item;
}

} // namespace

TfrmCompareConfig::TfrmCompareConfig(const QString &documentTitle, const TDeviceData &device,
                                     const TConfigDifferences &differences, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompareConfig"));
    setWindowTitle(Title);

    auto *lblCompared = new QLabel(this);
    lblCompared->setObjectName(QStringLiteral("lblCompared"));
    const QString address = QString::fromLatin1(device.RemoteHost.isEmpty() ? device.IPAddress : device.RemoteHost);
    lblCompared->setText(QStringLiteral("Document: %1\nOrvan: %2/%3 at %4")
                             .arg(documentTitle, QString::fromLatin1(device.DeviceName), QString::fromLatin1(device.MAC),
                                  address));
    lblCompared->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    QFont bold = lblSummary->font();
    bold.setBold(true);
    lblSummary->setFont(bold);

    lstDifferences = new QTreeWidget(this);
    lstDifferences->setObjectName(QStringLiteral("lstDifferences"));
    lstDifferences->setHeaderLabels({QStringLiteral("Setting"), QStringLiteral("In the document"),
                                     QStringLiteral("In the Orvan")});
    lstDifferences->setAlternatingRowColors(true);
    lstDifferences->setUniformRowHeights(true);
    lblSummary->setBuddy(lstDifferences);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblCompared);
    layout->addWidget(lblSummary);
    layout->addWidget(lstDifferences, 1);
    layout->addWidget(buttons);

    fill(differences);
    resize(960, 540);
}

void TfrmCompareConfig::fill(const TConfigDifferences &differences)
{
    using Section = TConfigDifference::Section;
    using Kind = TConfigDifference::Kind;
    lblSummary->setText(CompareText::Summary(differences));

    QTreeWidgetItem *sections[3] = {};
    const auto sectionItem = [&](Section section) {
        QTreeWidgetItem *&item = sections[int(section)];
        if (!item) {
            item = new QTreeWidgetItem(lstDifferences, {CompareText::SectionText(section)});
            item->setFirstColumnSpanned(true);
            QFont bold = item->font(SettingColumn);
            bold.setBold(true);
            item->setFont(SettingColumn, bold);
        }
        return item;
    };

    QTreeWidgetItem *changedTag = nullptr;
    QByteArray changedName;
    for (const TConfigDifference &d : differences) {
        QTreeWidgetItem *parent = sectionItem(d.section);
        if (d.section != Section::Tags || d.tagName.isEmpty()) {
            row(parent, QString::fromLatin1(d.caption), d.documentText, d.orvanText);
            continue;
        }
        if (d.kind != Kind::Changed) {
            QTreeWidgetItem *item = row(parent, QString::fromLatin1(d.tagName), d.documentText, d.orvanText);
            const int empty = d.kind == Kind::OnlyInDocument ? OrvanColumn : DocumentColumn;
            item->setText(empty, QStringLiteral("(none)"));
            item->setToolTip(SettingColumn, CompareText::KindText(d.kind));
            item->setForeground(empty, palette().brush(QPalette::Disabled, QPalette::Text));
            changedTag = nullptr;
            continue;
        }
        // A changed tag's fields follow one another: one item for the tag, its fields below.
        if (!changedTag || changedName != d.tagName) {
            changedTag = new QTreeWidgetItem(parent, {QString::fromLatin1(d.tagName)});
            changedTag->setToolTip(SettingColumn, CompareText::KindText(d.kind));
            changedName = d.tagName;
        }
        row(changedTag, QString::fromLatin1(d.caption), d.documentText, d.orvanText);
    }
    lstDifferences->expandAll();
    lstDifferences->header()->resizeSection(SettingColumn, 240);
    lstDifferences->header()->resizeSection(DocumentColumn, 340);
}

void ShowConfigDifferences(QWidget *document, const TDeviceData &device, const TConfigDifferences &differences)
{
    QString title = document->windowTitle();
    if (title.endsWith(QLatin1Char('*')))
        title.chop(1);
    TfrmCompareConfig window(title, device, differences, document->window());
    window.exec();
}
