#pragma once

#include "base/DeviceData.h"
#include "site/SiteTransfer.h"

#include <QDialog>
#include <QElapsedTimer>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// Sends the web site image to the connected device, or gets it, as "userpage.qsw" by FTP
// (TSiteTransfer). The transfer starts when the dialog comes up and runs once per showing;
// its blocking calls run off the user-interface thread so the window repaints and Cancel works.
class TfrmTransferSite : public QDialog
{
    Q_OBJECT

public:
    enum class Direction { Send, Get };

    explicit TfrmTransferSite(QWidget *parent = nullptr);
    ~TfrmTransferSite() override;

    void SetDirection(Direction direction) { m_direction = direction; }
    void SetDevice(const TDeviceData &device) { m_device = device; }
    void SetBuffer(const QByteArray &bytes) { m_buffer = bytes; }
    QByteArray Buffer() const { return m_buffer; }
    bool Completed() const { return m_completed; }
    bool Cancelled() const { return m_cancelled; }
    bool Running() const { return m_running; }

    // Where the proxy settings come from (kova.ini in the program); tests give their own.
    static void SetProxySettingsSource(std::function<FtpProxySettings()> source);
    // FTP's port 21 and 10 s time-out; tests point them at a simulator.
    static void SetFtpPort(quint16 port);
    static void SetTimeoutMs(int timeoutMs);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
    void done(int result) override;

private slots:
    void FormActivate();
    void btnCancelClick();
    void TimerBlinkTimer();

private:
    void FormShow();
    void FormClose();
    void InitFtpClient();
    void DoUpload();
    void DoDownload();
    void Finish(bool completed);
    void SetButtonCancel();
    void SetButtonClose();
    void SetStatus(const QString &text);
    void IdFTPWorkBegin(qint64 total);
    void IdFTPWork(qint64 count);
    void IdFTPWorkEnd();
    FtpClient::Progress ProgressReporter();

    Direction m_direction = Direction::Send;
    TDeviceData m_device;
    QByteArray m_buffer;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_completed = false;
    bool m_busy = false;          // a step of the transfer is under way
    bool m_started = false;       // the transfer of this showing has begun
    bool m_closeMode = false;
    bool m_closeWhenDone = false; // Cancel was pressed; close once the transfer has unwound
    bool m_inWork = false;
    qint64 m_expectedTotal = 0;
    QElapsedTimer m_start;
    std::unique_ptr<TSiteTransfer> m_transfer;
    std::shared_ptr<std::atomic<qint64>> m_progress;
    std::shared_ptr<std::atomic<bool>> m_progressPosted;

    QLabel *stDevice;
    QLabel *stHostname;
    QLabel *stMACAddress;
    QLabel *stFirmware;
    QLabel *stIPAddress;
    QLabel *stRemoteIP;
    QLabel *lblDescription;
    QLabel *lblStatus;
    QLabel *lblProgress;
    QLabel *lblRate;
    QProgressBar *Progress;
    QPushButton *btnCancel;
    QTimer *TimerBlink;
};
