#include "device/ui/SearchRemote.h"

#include "base/ui/OkCancel.h"

#include "base/Prompt.h"
#include "device/RemoteSearch.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSearchRemote::TfrmSearchRemote(THttpChannel &channel, AddDevice addDevice, QWidget *parent)
    : QDialog(parent), m_channel(channel), m_addDevice(std::move(addDevice))
{
    setObjectName(QStringLiteral("frmSearchRemote"));
    setWindowTitle(QStringLiteral("Search Remote Device"));

    auto *text = new QLabel(
        QStringLiteral("Enter the Host or IP Address of the Remote Device. Kova will search for this Device."), this);
    text->setObjectName(QStringLiteral("lblSearchInfo"));
    text->setWordWrap(true);
    txtRemoteIP = new QLineEdit(this);
    txtRemoteIP->setObjectName(QStringLiteral("txtRemoteIP"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Host or IP Address"), txtRemoteIP);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addLayout(buttons.layout);
    setMinimumWidth(380);

    connect(btnOk, &QPushButton::clicked, this, &TfrmSearchRemote::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSearchRemote::reject);
}

void TfrmSearchRemote::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    txtRemoteIP->clear();
    txtRemoteIP->setFocus();
}

// While the two requests run, Escape and the close button must not end the dialog half-way.
void TfrmSearchRemote::closeEvent(QCloseEvent *event)
{
    if (m_searching)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TfrmSearchRemote::reject()
{
    if (!m_searching)
        QDialog::reject();
}

void TfrmSearchRemote::setControlsEnabled(bool enabled)
{
    txtRemoteIP->setEnabled(enabled);
    btnOk->setEnabled(enabled);
    btnCancel->setEnabled(enabled);
}

void TfrmSearchRemote::btnOkClick()
{
    if (m_searching)
        return;
    // Surrounding blanks are never part of a host name or address.
    const QByteArray host = txtRemoteIP->text().trimmed().toLatin1();
    if (host.isEmpty()) {
        Prompt::instance().error(QStringLiteral("You must provide Host or an IP Address."));
        return;
    }
    setControlsEnabled(false);
    m_searching = true;
    TDeviceData device;
    const RemoteSearchOutcome outcome = SearchRemoteDevice(m_channel, host, device);
    m_searching = false;
    setControlsEnabled(true);
    if (outcome != RemoteSearchOutcome::Found) {
        QDialog::reject();
        return;
    }
    accept();
    if (m_addDevice)
        m_addDevice(device);
}
