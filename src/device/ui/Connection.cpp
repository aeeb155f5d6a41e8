#include "device/ui/Connection.h"

#include "base/ui/InfoMessage.h"
#include "device/HttpChannel.h"
#include "device/ui/Password.h"

#include <QPointer>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmVersionNotice::TfrmVersionNotice(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmVersionNotice"));
    setWindowTitle(QStringLiteral("Non-compatible version"));
    lblExplanation = new QLabel(this);
    lblExplanation->setObjectName(QStringLiteral("lblExplanation"));
    lblExplanation->setAlignment(Qt::AlignCenter);
    lblExplanation->setWordWrap(true);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);
    auto *btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblExplanation);
    layout->addWidget(lblVersion);
    layout->addLayout(buttons);
    setMinimumWidth(400);
}

void TfrmVersionNotice::setDevice(const TDeviceData &device, const FirmwareBounds &bounds)
{
    lblExplanation->setText(
        QStringLiteral("The firmware of this device is not one this version of Kova was made for "
                       "(versions %1 to %2).\nThe device is connected, but some settings may not be read "
                       "or written correctly.")
            .arg(QString::fromLatin1(bounds.lowest), QString::fromLatin1(bounds.highest)));
    lblVersion->setText(QStringLiteral("Device version: %1").arg(QString::fromLatin1(device.Version)));
}

QString TfrmVersionNotice::explanation() const
{
    return lblExplanation->text();
}

QString TfrmVersionNotice::versionLine() const
{
    return lblVersion->text();
}

void AttachConnectionWindows(TDeviceConnection &connection, TfrmPassword &password, TfrmVersionNotice &notice)
{
    connection.askPassword = [&password] { return password.ask(); };
    connection.showIncompatibleFirmware = [&notice](const TDeviceData &device, const FirmwareBounds &bounds) {
        notice.setDevice(device, bounds);
        notice.exec();
    };
}

void AttachInfoMessage(THttpChannel &channel, TInfoMessage *info)
{
    QPointer<TInfoMessage> window(info);
    channel.showInfo = [window](const QString &text) {
        if (window) {
            window->setText(text);
            window->showNow();
        }
    };
    channel.hideInfo = [window] {
        if (window)
            window->hide();
    };
}
