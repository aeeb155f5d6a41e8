#include "app/ui/About.h"

#include "app/ui/KovaIcons.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

QLabel *label(const char *name, const QString &text, int pixelSize = 0, bool bold = false)
{
    auto *l = new QLabel(text);
    l->setObjectName(QString::fromLatin1(name));
    if (pixelSize > 0 || bold) {
        QFont font = l->font();
        if (pixelSize > 0)
            font.setPixelSize(pixelSize);
        font.setBold(bold);
        l->setFont(font);
    }
    return l;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));

    auto *picture = new QLabel;
    picture->setObjectName(QStringLiteral("imgProduct"));
    picture->setPixmap(KovaIcons::logo(64));

    auto *panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(panel);
    grid->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(label("lblProductName", QStringLiteral("Orvan-TS"), 24, true), 0, 1);
    grid->addWidget(label("lblProductLine1", QStringLiteral("Configuration"), 15), 1, 1);
    grid->addWidget(label("lblProductLine2", QStringLiteral("Manager"), 15), 2, 1);
    grid->addWidget(label("lblVersion", QStringLiteral("Version 3.0.3")), 3, 1);
    grid->addWidget(label("lblOSName", OperatingSystemText()), 4, 1);
    grid->addWidget(label("lblOSBuild", BuildText()), 5, 1);

    auto *buttons = new QDialogButtonBox;
    auto *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TfrmAbout::OperatingSystemText()
{
    return QSysInfo::prettyProductName();
}

QString TfrmAbout::BuildText()
{
    return QStringLiteral("Build ") + QSysInfo::kernelVersion() + QLatin1Char(' ') + QSysInfo::currentCpuArchitecture();
}
