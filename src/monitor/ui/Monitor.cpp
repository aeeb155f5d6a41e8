#include "monitor/ui/Monitor.h"

#include "ui_Monitor.h"

#include "base/Prompt.h"
#include "monitor/ui/GetTagConfig.h"
#include "monitor/ui/HistoryChart.h"
#include "monitor/ui/WriteValue.h"

#include <QCloseEvent>
#include <QDir>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

TfrmMonitor::TfrmMonitor(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmMonitor>())
{
    ui->setupUi(this);
    setModal(true);
    // Created with the monitor, in the program's order of dialogs: the write dialog, then the download.
    m_frmWriteValue = new TfrmWriteValue(this);
    m_frmGetTagConfig = new TfrmGetTagConfig(this);
    m_channel.setReportFailures(false);

    ui->btnPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->btnPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    ui->btnStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    ui->lstTags->header()->setStretchLastSection(false);
    ui->lstTags->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui->lstTags->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    m_timerScan = new QTimer(this);
    m_timerScan->setObjectName(QStringLiteral("TimerScan"));
    m_timerScan->setInterval(1000);
    connect(m_timerScan, &QTimer::timeout, this, &TfrmMonitor::TimerScanTimer);

    connect(ui->lstTags, &QTreeWidget::itemSelectionChanged, this, &TfrmMonitor::lstTagsSelectItem);
    connect(ui->btnPlay, &QPushButton::clicked, this, &TfrmMonitor::btnPlayClick);
    connect(ui->btnPause, &QPushButton::clicked, this, &TfrmMonitor::btnPauseClick);
    connect(ui->btnStop, &QPushButton::clicked, this, &TfrmMonitor::btnStopClick);
    connect(ui->btnWrite, &QPushButton::clicked, this, &TfrmMonitor::btnWriteClick);
    connect(ui->btnAck, &QPushButton::clicked, this, &TfrmMonitor::btnAckClick);
    connect(ui->chkRecord, &QCheckBox::clicked, this, &TfrmMonitor::chkRecordClick);
    connect(this, &TfrmMonitor::Ticked, this, &TfrmMonitor::RecordTick);
}

TfrmMonitor::~TfrmMonitor() = default;

void TfrmMonitor::SetHttpEndpoint(quint16 port, int readTimeoutMs)
{
    m_channel.setPort(port);
    m_channel.setReadTimeout(readTimeoutMs);
    m_frmGetTagConfig->HttpChannel().setPort(port);
    m_frmGetTagConfig->HttpChannel().setReadTimeout(readTimeoutMs);
}

QString TfrmMonitor::GetMonitorStatusString() const
{
    return ::GetMonitorStatusString(m_state, m_scan.TagName());
}

void TfrmMonitor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    QTimer::singleShot(0, this, &TfrmMonitor::FormActivate);
}

void TfrmMonitor::FormShow()
{
    SinchronizeOptions();
    m_timerScan->stop();
    m_scan.Reset();
    m_state = TMonitorState::Stopped;
    m_activated = false;
    m_closeWhenIdle = false;
    ui->btnPlay->setEnabled(false);
    ui->btnPause->setEnabled(false);
    ui->btnStop->setEnabled(true);
    ui->btnStop->setText(QStringLiteral("Close"));
    ui->btnWrite->setEnabled(false);
    ui->btnAck->setEnabled(false);
    ui->lstTags->clear();
    ui->lstTags->setEnabled(true);
    ShowMonitorStatus();
    ShowReading(m_scan.Reading());
    RestartGraphic();
    ShowRecording();
}

// The tag list is fetched once per showing: activations after the download dialog or a
// message box closes fetch nothing more.
void TfrmMonitor::FormActivate()
{
    if (m_activated || !isVisible())
        return;
    m_activated = true;
    ui->stDevice->setText(QString::fromLatin1(m_device.DeviceName));
    ui->stHostname->setText(QString::fromLatin1(m_device.HostName));
    ui->stMAC->setText(QString::fromLatin1(m_device.MAC));
    ui->stVersion->setText(QString::fromLatin1(m_device.Version));
    m_scan.SetDevice(m_device);

    m_frmGetTagConfig->SetDevice(m_device);
    m_frmGetTagConfig->exec();
    for (const TTagEntry &entry : m_frmGetTagConfig->Entries()) {
        auto *item = new QTreeWidgetItem(ui->lstTags);
        item->setText(0, QString::fromLatin1(entry.Name));
        item->setText(1, TagKindText(entry.ValueKind));
    }
    lstTagsSelectItem();
}

void TfrmMonitor::lstTagsSelectItem()
{
    if (m_state == TMonitorState::Stopped)
        ui->btnPlay->setEnabled(!ui->lstTags->selectedItems().isEmpty());
}

void TfrmMonitor::btnPlayClick()
{
    const QList<QTreeWidgetItem *> selected = ui->lstTags->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem *row = selected.constFirst();
    const bool resuming = m_state == TMonitorState::Paused;
    m_scan.SetTag(ui->lstTags->indexOfTopLevelItem(row), row->text(0).toLatin1(), TagKindFromText(row->text(1)));
    // A tick still waiting for its reply restarts the timer itself when it ends.
    if (!m_inTick)
        m_timerScan->start();
    ui->btnPlay->setEnabled(false);
    ui->btnPause->setEnabled(true);
    ui->btnStop->setEnabled(true);
    ui->btnStop->setText(QStringLiteral("Stop"));
    if (!resuming)
        RestartGraphic();
    m_state = TMonitorState::Running;
    ShowMonitorStatus();
    ui->lstTags->setEnabled(false);
    ui->btnWrite->setEnabled(true);
    ui->btnAck->setEnabled(true);
}

void TfrmMonitor::btnPauseClick()
{
    m_timerScan->stop();
    if (m_state != TMonitorState::Running)
        return;
    m_state = TMonitorState::Paused;
    ShowMonitorStatus();
    ui->btnPlay->setEnabled(true);
    ui->btnPause->setEnabled(false);
    ui->btnWrite->setEnabled(false);
    ui->btnAck->setEnabled(false);
}

void TfrmMonitor::btnStopClick()
{
    m_timerScan->stop();
    if (m_state == TMonitorState::Stopped) {
        reject();
        return;
    }
    // The phase and any pending write or acknowledge stay for the next Play.
    m_state = TMonitorState::Stopped;
    ShowMonitorStatus();
    ui->btnPlay->setEnabled(true);
    ui->btnPause->setEnabled(false);
    ui->lstTags->setEnabled(true);
    ui->btnWrite->setEnabled(false);
    ui->btnAck->setEnabled(false);
    ui->btnStop->setText(QStringLiteral("Close"));
}

void TfrmMonitor::btnWriteClick()
{
    if (m_scan.WritePending())
        return;
    m_frmWriteValue->Prepare(QString::fromLatin1(m_scan.TagName()), m_scan.ValueKind(), ui->stValue->text());
    // The scan goes on while the dialog is open; what it asks is sent at a later phase 2.
    if (m_frmWriteValue->exec() == QDialog::Accepted)
        m_scan.RequestWrite(m_frmWriteValue->Value());
}

void TfrmMonitor::btnAckClick()
{
    m_scan.RequestAcknowledge();
}

void TfrmMonitor::chkRecordClick()
{
    if (!ui->chkRecord->isChecked()) {
        m_log.Close();
        ShowRecording();
        return;
    }
    ui->chkRecord->setChecked(false); // until a file is open
    Prompt::FileRequest request;
    request.title = QStringLiteral("Record to File");
    request.filter = QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    request.proposedName = m_log.FileName();
    request.confirmOverwrite = true; // a file confirmed there is replaced, not appended to
    const QString path = Prompt::instance().saveFile(request);
    if (path.isEmpty())
        return;
    if (!m_log.Open(path))
        Prompt::instance().error(m_log.ErrorString());
    ShowRecording();
}

// A failed row ends the recording, never the monitoring.
void TfrmMonitor::RecordTick(const TScanTick &tick)
{
    if (!m_log.IsOpen() || m_log.Write(tick))
        return;
    ShowRecording();
    Prompt::instance().error(m_log.ErrorString());
}

void TfrmMonitor::ShowRecording()
{
    ui->chkRecord->setChecked(m_log.IsOpen());
    ui->stRecordFile->setText(m_log.IsOpen() ? QDir::toNativeSeparators(m_log.FileName()) : QString());
    ui->stRecordFile->setToolTip(ui->stRecordFile->text());
}

void TfrmMonitor::TimerScanTimer()
{
    if (m_inTick)
        return;
    m_timerScan->stop();
    m_inTick = true;
    const TScanTick tick = m_scan.Tick();
    ShowReading(tick.Reading);
    if (!tick.Error.isEmpty())
        Prompt::instance().error(tick.Error);
    if (tick.HasPoint)
        AddPoint2Graph(tick.PointAlarm, tick.PointValue);
    emit Ticked(tick);
    m_inTick = false;
    if (m_closeWhenIdle) {
        m_closeWhenIdle = false;
        reject();
        return;
    }
    if (m_state == TMonitorState::Running)
        m_timerScan->start();
}

void TfrmMonitor::ShowReading(const TMonitorReading &reading)
{
    ui->stValue->setText(reading.Value);
    ui->stStatus->setText(reading.Status);
    ui->stAlarm->setText(reading.Alarm);
    QPalette palette = ui->grpTagValue->palette();
    const QColor colour = AlarmTextColour(reading.AlarmState);
    if (colour.isValid() && !reading.Alarm.isEmpty())
        palette.setColor(QPalette::WindowText, colour);
    ui->stAlarm->setPalette(palette);
    ui->stQueuedAlarms->setText(reading.Mailbox.Queued);
    ui->stMailboxStatus->setText(reading.Mailbox.Status);
    ui->stSendingTo->setText(reading.Mailbox.SendingTo);
    ui->stCurrentRetry->setText(reading.Mailbox.CurrentRetry);
    ui->stLastError->setText(reading.Mailbox.LastError);
}

void TfrmMonitor::ShowMonitorStatus()
{
    ui->stMonitorStatus->setText(GetMonitorStatusString());
}

void TfrmMonitor::RestartGraphic()
{
    m_history.RestartGraphic(m_scan.ValueKind());
    ui->HistoryChart->ShowHistory(m_history);
}

void TfrmMonitor::AddPoint2Graph(int alarmState, double y)
{
    m_history.AddPoint2Graph(alarmState, y);
    ui->HistoryChart->ShowHistory(m_history);
}

bool TfrmMonitor::FormCloseQuery()
{
    if (m_state != TMonitorState::Stopped) {
        Prompt::instance().information(QStringLiteral("Stop Monitoring before closing this window."));
        return false;
    }
    if (m_inTick) { // the request under way unwinds first; the tick then closes the window
        m_closeWhenIdle = true;
        return false;
    }
    return true;
}

void TfrmMonitor::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmMonitor::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

void TfrmMonitor::done(int result)
{
    if (m_inTick) {
        m_closeWhenIdle = true;
        return;
    }
    m_timerScan->stop();
    m_log.Close(); // a recording belongs to one showing of the window
    ShowRecording();
    QDialog::done(result);
}
