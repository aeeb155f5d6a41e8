#pragma once

#include "base/DeviceData.h"
#include "device/HttpChannel.h"
#include "monitor/MonitorLog.h"
#include "monitor/MonitorScan.h"

#include <QDialog>

#include <memory>

class QTimer;
class TfrmGetTagConfig;
class TfrmWriteValue;
namespace Ui {
class TfrmMonitor;
}

// "Tag Monitor": watches one tag of the connected gateway. The tag list comes from the
// download dialog at every showing; a one-second scan then reads the value, the mailbox and
// sends what the user asked, one request per tick, and the graph gains a point per tick.
class TfrmMonitor : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmMonitor(QWidget *parent = nullptr);
    ~TfrmMonitor() override;

    // The main window copies the connected device in before showing the monitor.
    void SetDevice(const TDeviceData &device) { m_device = device; }
    // Port 80 and the 20000 ms read time-out in the program; tests point them at a simulator.
    void SetHttpEndpoint(quint16 port, int readTimeoutMs);
    // Applies the HTTP proxy of the settings to the remote client.
    void SinchronizeOptions() { m_channel.SinchronizeOptions(); }

    TfrmGetTagConfig *frmGetTagConfig() const { return m_frmGetTagConfig; }
    TfrmWriteValue *frmWriteValue() const { return m_frmWriteValue; }
    THttpChannel &HttpChannel() { return m_channel; }
    TMonitorState State() const { return m_state; }
    const TMonitorScan &Scan() const { return m_scan; }
    const TValueHistory &History() const { return m_history; }
    QTimer *TimerScan() const { return m_timerScan; }
    const TMonitorLog &Log() const { return m_log; }
    bool TickRunning() const { return m_inTick; }
    QString GetMonitorStatusString() const;

public slots:
    // One tick of the scan; the timer is off while it runs, so it is never re-entered.
    void TimerScanTimer();
    void lstTagsSelectItem();
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void btnWriteClick();
    void btnAckClick();
    // Checked: asks for a file and records every value read to it; unchecked: stops recording.
    void chkRecordClick();

signals:
    // After every tick, with what it read: a log of the monitor can take it from here.
    void Ticked(const TScanTick &tick);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void done(int result) override;

private slots:
    void FormActivate();

private:
    void FormShow();
    bool FormCloseQuery();
    void RestartGraphic();
    void AddPoint2Graph(int alarmState, double y);
    void ShowReading(const TMonitorReading &reading);
    void ShowMonitorStatus();
    void RecordTick(const TScanTick &tick);
    void ShowRecording();

    std::unique_ptr<Ui::TfrmMonitor> ui;
    TfrmGetTagConfig *m_frmGetTagConfig;
    TfrmWriteValue *m_frmWriteValue;
    QTimer *m_timerScan;

    TDeviceData m_device;
    THttpChannel m_channel;
    TMonitorScan m_scan{m_channel};
    TValueHistory m_history;
    TMonitorLog m_log;
    TMonitorState m_state = TMonitorState::Stopped;
    bool m_activated = false;     // the tag list of this showing was fetched
    bool m_inTick = false;
    bool m_closeWhenIdle = false; // a close arrived during a tick; done once it ends
};
