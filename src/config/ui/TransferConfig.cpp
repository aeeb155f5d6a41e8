#include "config/ui/TransferConfig.h"

#include "ui_TransferConfig.h"

#include "base/Prompt.h"

#include <QShowEvent>
#include <QTimer>

const QString TfrmTransferConfig::FailureMessage = QStringLiteral("Configuration Transfer was unable to complete.");

TfrmTransferConfig::TfrmTransferConfig(TagProtocol protocol, THttpChannel &channel, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TransferConfigForm>()),
      m_channel(channel),
      m_protocol(protocol)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmTransfer%1Config").arg(ProtocolWord(protocol)));
    QSizePolicy keepSpace = ui->lblStatus->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true); // blinking must not make the dialog jump
    ui->lblStatus->setSizePolicy(keepSpace);

    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(500);
    connect(TimerBlink, &QTimer::timeout, this, &TfrmTransferConfig::TimerBlinkTimer);
    connect(ui->btnRetry, &QPushButton::clicked, this, &TfrmTransferConfig::btnRetryClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TfrmTransferConfig::btnCancelClick);
}

TfrmTransferConfig::~TfrmTransferConfig() = default;

bool TfrmTransferConfig::Execute(Direction direction, const TDeviceData &device)
{
    SetDirection(direction);
    SetDevice(device);
    exec();
    return m_completed;
}

void TfrmTransferConfig::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    QTimer::singleShot(0, this, &TfrmTransferConfig::FormActivate);
}

void TfrmTransferConfig::FormShow()
{
    m_started = false;
    m_completed = false;
    TimerBlink->stop();
    ui->lblStatus->setVisible(true);
    ui->lblStatus->setText(QStringLiteral("Initializing..."));
    const QString orvan = QStringLiteral("Orvan ") + ProtocolWord(m_protocol);
    if (m_direction == Direction::Send) {
        setWindowTitle(QStringLiteral("Send Configuration To ") + orvan);
        ui->lblDescription->setText(QStringLiteral("Sending Configuration To %1...").arg(orvan));
    } else {
        setWindowTitle(QStringLiteral("Get Configuration From ") + orvan);
        ui->lblDescription->setText(QStringLiteral("Getting Configuration From %1...").arg(orvan));
    }
    ui->stDevice->setText(QString::fromLatin1(m_device.DeviceName));
    ui->stHostname->setText(QString::fromLatin1(m_device.HostName));
    ui->stMACAddress->setText(QString::fromLatin1(m_device.MAC));
    ui->stFirmware->setText(QString::fromLatin1(m_device.Version));
    ui->stIPAddress->setText(QString::fromLatin1(m_device.IPAddress));
    ui->stRemoteIP->setText(QString::fromLatin1(m_device.RemoteHost));
    ui->Progress->setValue(0);
    ui->btnRetry->setEnabled(false);
    ui->btnCancel->setEnabled(false);
}

// One run per showing: a later activation (when an error box over the dialog closes, say)
// does not start another; Retry does.
void TfrmTransferConfig::FormActivate()
{
    if (m_started || !isVisible())
        return;
    m_started = true;
    DoTransfer();
}

void TfrmTransferConfig::DoTransfer()
{
    if (m_running)
        return;
    m_running = true;
    m_completed = false;
    TimerBlink->stop();
    ui->lblStatus->setVisible(true);
    ui->btnRetry->setEnabled(false);
    ui->btnCancel->setEnabled(false);

    TTransferObserver observer;
    observer.status = [this](const QString &text) { ui->lblStatus->setText(text); };
    observer.maximum = [this](int maximum) { ui->Progress->setMaximum(maximum); };
    observer.position = [this](int position) { ui->Progress->setValue(position); };
    TConfigTransfer transfer(m_channel, m_device, std::move(observer));
    const bool completed = RunSequence(transfer, m_direction);
    m_running = false;

    if (completed) {
        m_completed = true;
        TimerBlink->start();
        ui->btnCancel->setEnabled(true);
        ui->btnCancel->setFocus();
        return;
    }
    ReportFailure(transfer.Failure());
    ui->btnRetry->setEnabled(true);
    ui->btnCancel->setEnabled(true);
}

void TfrmTransferConfig::ReportFailure(const TTransferFailure &failure)
{
    using Kind = TTransferFailure::Kind;
    switch (failure.kind) {
    case Kind::BadValue:
        // A malformed number ends the operation with its own message first.
        Prompt::instance().error(failure.detail);
        break;
    case Kind::TooManyTags:
        ui->lblStatus->setText(failure.detail); // the reason stays in view under the error box
        break;
    default:
        // No response: the channel has already said so. A wrong reply has no message of its own.
        break;
    }
    Prompt::instance().error(FailureMessage);
}

void TfrmTransferConfig::btnRetryClick()
{
    DoTransfer();
}

void TfrmTransferConfig::btnCancelClick()
{
    if (m_running)
        return;
    if (m_completed)
        accept();
    else
        reject();
}

void TfrmTransferConfig::TimerBlinkTimer()
{
    ui->lblStatus->setVisible(!ui->lblStatus->isVisible());
}

void TfrmTransferConfig::reject()
{
    // Esc and the close box: never half-way through a sequence.
    if (m_running)
        return;
    QDialog::reject();
}

void TfrmTransferConfig::done(int result)
{
    if (m_running)
        return;
    FormClose();
    QDialog::done(result);
}

void TfrmTransferConfig::FormClose()
{
    TimerBlink->stop();
}

TfrmTransferModbusConfig::TfrmTransferModbusConfig(THttpChannel &channel, QWidget *parent)
    : TfrmTransferConfigOf(channel, parent)
{
}

TfrmTransferHostlinkConfig::TfrmTransferHostlinkConfig(THttpChannel &channel, QWidget *parent)
    : TfrmTransferConfigOf(channel, parent)
{
}

TfrmTransferDF1Config::TfrmTransferDF1Config(THttpChannel &channel, QWidget *parent)
    : TfrmTransferConfigOf(channel, parent)
{
}
