#pragma once

#include "device/HttpChannel.h"
#include "monitor/TagDownload.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// "Getting Tags": downloads the connected gateway's tag list, once per showing, with its own
// pair of HTTP clients. A failed request shows nothing of its own; the download's outcome
// is what the user sees.
class TfrmGetTagConfig : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmGetTagConfig(QWidget *parent = nullptr);

    void SetDevice(const TDeviceData &device) { m_download.SetDevice(device); }
    const QList<TTagEntry> &Entries() const { return m_download.Entries(); }
    THttpChannel &HttpChannel() { return m_channel; }
    bool Downloading() const { return m_downloading; }

    // Applies the HTTP proxy of the settings to the remote client.
    void SinchronizeOptions() { m_channel.SinchronizeOptions(); }

signals:
    // After each tag is stored (number from 1); tests stop the download part-way with it.
    void TagFetched(int number, int count);

public slots:
    void btnStopClick();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;
    void done(int result) override;

private slots:
    void FormActivate();

private:
    void FormShow();

    THttpChannel m_channel;
    TTagDownload m_download{m_channel};
    bool m_downloading = false; // the loop over the tags runs
    bool m_busy = false;        // any request of the download is under way
    bool m_stopRequested = false;
    bool m_started = false; // the download of this showing has begun

    QLabel *lblStatus;
    QProgressBar *Progress;
    QPushButton *btnStop;
};
