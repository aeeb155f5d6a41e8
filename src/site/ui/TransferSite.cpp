#include "site/ui/TransferSite.h"

#include "base/Prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

std::function<FtpProxySettings()> &proxySource()
{
    static std::function<FtpProxySettings()> source = [] { return FtpProxySettings{}; };
    return source;
}

quint16 g_port = 21;
int g_timeoutMs = 10000;

QLabel *field(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(180);
    return label;
}

} // namespace

void TfrmTransferSite::SetProxySettingsSource(std::function<FtpProxySettings()> source)
{
    proxySource() = source ? std::move(source) : [] { return FtpProxySettings{}; };
}

void TfrmTransferSite::SetFtpPort(quint16 port)
{
    g_port = port;
}

void TfrmTransferSite::SetTimeoutMs(int timeoutMs)
{
    g_timeoutMs = timeoutMs;
}

TfrmTransferSite::TfrmTransferSite(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_progress(std::make_shared<std::atomic<qint64>>(0)),
      m_progressPosted(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("frmTransferSite"));
    setModal(true);

    auto *device = new QGroupBox(QStringLiteral("Device Information"), this);
    auto *grid = new QGridLayout(device);
    stDevice = field(device, "stDevice");
    stHostname = field(device, "stHostname");
    stMACAddress = field(device, "stMACAddress");
    stFirmware = field(device, "stFirmware");
    stIPAddress = field(device, "stIPAddress");
    stRemoteIP = field(device, "stRemoteIP");
    const QList<QPair<QString, QLabel *>> rows = {
        {QStringLiteral("Device"), stDevice},       {QStringLiteral("Host name"), stHostname},
        {QStringLiteral("MAC Address"), stMACAddress}, {QStringLiteral("Firmware"), stFirmware},
        {QStringLiteral("IP Address"), stIPAddress}, {QStringLiteral("Remote IP"), stRemoteIP}};
    for (int i = 0; i < rows.size(); ++i) {
        grid->addWidget(new QLabel(rows[i].first, device), i / 2, (i % 2) * 2);
        grid->addWidget(rows[i].second, i / 2, (i % 2) * 2 + 1);
    }

    auto *status = new QGroupBox(QStringLiteral("Transfer Status"), this);
    auto *statusLayout = new QVBoxLayout(status);
    lblDescription = new QLabel(status);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblStatus = new QLabel(status);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    QFont bold = lblStatus->font();
    bold.setBold(true);
    lblStatus->setFont(bold);
    QSizePolicy keepSpace = lblStatus->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true); // blinking must not make the dialog jump
    lblStatus->setSizePolicy(keepSpace);
    Progress = new QProgressBar(status);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    lblProgress = new QLabel(status);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblRate = new QLabel(status);
    lblRate->setObjectName(QStringLiteral("lblRate"));
    statusLayout->addWidget(lblDescription);
    statusLayout->addWidget(lblStatus);
    statusLayout->addWidget(Progress);
    auto *numbers = new QHBoxLayout;
    numbers->addWidget(lblProgress);
    numbers->addStretch();
    numbers->addWidget(lblRate);
    statusLayout->addLayout(numbers);

    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmTransferSite::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(device);
    layout->addWidget(status);
    layout->addLayout(buttons);

    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(500);
    connect(TimerBlink, &QTimer::timeout, this, &TfrmTransferSite::TimerBlinkTimer);
    SetButtonCancel();
}

TfrmTransferSite::~TfrmTransferSite() = default;

void TfrmTransferSite::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    QTimer::singleShot(0, this, &TfrmTransferSite::FormActivate);
}

void TfrmTransferSite::FormShow()
{
    m_running = false;
    m_cancelled = false;
    m_completed = false;
    m_started = false;
    m_closeWhenDone = false;
    m_inWork = false;
    m_expectedTotal = 0;
    SetButtonCancel();
    TimerBlink->stop();
    lblStatus->setVisible(true);
    lblStatus->setText(QStringLiteral("Initializing..."));
    lblRate->setText(QStringLiteral("Transfer Rate: 0.00 KB/s"));
    Progress->setRange(0, 100);
    Progress->setValue(0);
    lblProgress->clear();
    if (m_direction == Direction::Send) {
        setWindowTitle(QStringLiteral("Send Web Site to Orvan"));
        lblDescription->setText(QStringLiteral("Send File To Orvan FTP Server..."));
    } else {
        setWindowTitle(QStringLiteral("Get Web Site from Orvan"));
        lblDescription->setText(QStringLiteral("Get File From Orvan FTP Server..."));
    }
    stDevice->setText(QString::fromLatin1(m_device.DeviceName));
    stHostname->setText(QString::fromLatin1(m_device.HostName));
    stMACAddress->setText(QString::fromLatin1(m_device.MAC));
    stFirmware->setText(QString::fromLatin1(m_device.Version));
    stIPAddress->setText(QString::fromLatin1(m_device.IPAddress));
    stRemoteIP->setText(QString::fromLatin1(m_device.RemoteHost));
}

// Runs once per showing: a later activation (after the error box closes, say) does not
// start a second transfer, since the button states expect one.
void TfrmTransferSite::FormActivate()
{
    if (m_started || !isVisible())
        return;
    m_started = true;
    if (m_direction == Direction::Send)
        DoUpload();
    else
        DoDownload();
}

void TfrmTransferSite::SetStatus(const QString &text)
{
    lblStatus->setText(text);
}

void TfrmTransferSite::InitFtpClient()
{
    FtpClient::Options options;
    options.timeoutMs = g_timeoutMs;
    TSiteTransferObserver observer;
    observer.status = [this](const QString &text) { SetStatus(text); };
    observer.workBegin = [this](qint64 total) {
        m_running = true;
        IdFTPWorkBegin(total);
    };
    observer.work = ProgressReporter();
    observer.workEnd = [this] { IdFTPWorkEnd(); };
    m_transfer = std::make_unique<TSiteTransfer>(FtpTargetFor(m_device, proxySource()(), g_port), options, observer);
}

FtpClient::Progress TfrmTransferSite::ProgressReporter()
{
    // Called on the worker for every block: keep the latest count and post at most one
    // update at a time, so a fast transfer cannot flood the event queue.
    auto count = m_progress;
    auto posted = m_progressPosted;
    count->store(0);
    posted->store(false);
    return [this, count, posted](qint64 done) {
        count->store(done);
        if (!posted->exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this, count, posted] {
                    posted->store(false);
                    IdFTPWork(count->load());
                },
                Qt::QueuedConnection);
        }
    };
}

void TfrmTransferSite::DoUpload()
{
    m_busy = true;
    InitFtpClient();
    Finish(m_transfer->Send(m_buffer));
}

void TfrmTransferSite::DoDownload()
{
    m_busy = true;
    InitFtpClient();
    QByteArray received;
    const bool completed = m_transfer->Get(received);
    if (completed)
        m_buffer = received;
    Finish(completed);
}

void TfrmTransferSite::Finish(bool completed)
{
    if (completed) {
        SetButtonClose();
        m_completed = true;
    } else {
        if (m_inWork)
            IdFTPWorkEnd();
        if (m_transfer->Failure().kind == TSiteFailure::Kind::Connect && !m_cancelled)
            Prompt::instance().error(QString::fromLatin1(SiteTransferText::ConnectFailed));
        SetStatus(m_cancelled ? QStringLiteral("TRANSFER CANCELED!") : QStringLiteral("TRANSFER ERROR!"));
        SetButtonClose();
    }
    m_running = false;
    TimerBlink->start();
    m_busy = false;
    if (m_closeWhenDone)
        QDialog::reject();
}

void TfrmTransferSite::IdFTPWorkBegin(qint64 total)
{
    if (total >= 0) // an upload announces its size; a download keeps the listing's
        m_expectedTotal = total;
    Progress->setRange(0, int(qMin<qint64>(m_expectedTotal, INT_MAX)));
    Progress->setValue(0);
    m_start.start();
    m_inWork = true;
}

void TfrmTransferSite::IdFTPWork(qint64 count)
{
    if (!m_inWork)
        return;
    const double seconds = m_start.elapsed() / 1000.0;
    if (seconds > 0)
        lblRate->setText(QString::asprintf("Transfer Rate: %.2f KB/s", count / 1024.0 / seconds));
    lblProgress->setText(QString::asprintf("Progress: %lld of %lld bytes", count, m_expectedTotal));
    if (count <= Progress->maximum())
        Progress->setValue(int(count));
}

void TfrmTransferSite::IdFTPWorkEnd()
{
    m_inWork = false;
    lblProgress->setText(QString::asprintf("Progress: %lld of %lld bytes", m_expectedTotal, m_expectedTotal));
    m_expectedTotal = 0;
}

void TfrmTransferSite::btnCancelClick()
{
    if (m_closeMode) {
        accept();
        return;
    }
    if (m_running) {
        // Cleared first, so a second click does not abort again.
        m_running = false;
        m_cancelled = true;
        if (m_transfer)
            m_transfer->Cancel();
        m_closeWhenDone = true;
        return;
    }
    if (m_busy) {
        // Connecting or listing: that step cannot be cut short, so the transfer is told to
        // stop before it moves any data, and the dialog closes once it has.
        m_cancelled = true;
        if (m_transfer)
            m_transfer->Cancel();
        m_closeWhenDone = true;
        return;
    }
    QDialog::reject();
}

void TfrmTransferSite::reject()
{
    // Esc and the window's close box: never close half-way through a transfer.
    if (m_busy) {
        if (!m_closeMode)
            btnCancelClick();
        return;
    }
    if (m_closeMode)
        accept();
    else
        QDialog::reject();
}

void TfrmTransferSite::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (m_closeMode && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        accept();
        return;
    }
    if (!m_closeMode && key == Qt::Key_Escape)
        return; // in cancel mode the button is not bound to Esc
    QDialog::keyPressEvent(event);
}

void TfrmTransferSite::SetButtonCancel()
{
    m_closeMode = false;
    btnCancel->setText(QStringLiteral("&Cancel"));
    btnCancel->setDefault(false);
}

void TfrmTransferSite::SetButtonClose()
{
    m_closeMode = true;
    btnCancel->setText(QStringLiteral("&Close"));
    btnCancel->setDefault(true);
    btnCancel->setFocus();
}

void TfrmTransferSite::TimerBlinkTimer()
{
    lblStatus->setVisible(!lblStatus->isVisible());
}

void TfrmTransferSite::done(int result)
{
    if (m_busy) // the running step unwinds first; Finish closes the dialog
        return;
    FormClose();
    QDialog::done(result);
}

void TfrmTransferSite::FormClose()
{
    TimerBlink->stop();
    m_transfer.reset();
}
