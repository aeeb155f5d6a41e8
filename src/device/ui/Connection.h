#pragma once

#include "device/Connection.h"

#include <QDialog>

class QLabel;
class TInfoMessage;
class THttpChannel;
class TfrmPassword;

// "Non-compatible version": the connected gateway's firmware lies outside the versions
// this Kova was built against. A notice only; the connection stays.
class TfrmVersionNotice : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmVersionNotice(QWidget *parent = nullptr);

    void setDevice(const TDeviceData &device, const FirmwareBounds &bounds);
    QString explanation() const;
    QString versionLine() const;

private:
    QLabel *lblExplanation;
    QLabel *lblVersion;
};

// Connects the connection's questions to its windows: the password dialog and the notice.
// Both are the program's single instances and must outlive the connection's use.
void AttachConnectionWindows(TDeviceConnection &connection, TfrmPassword &password, TfrmVersionNotice &notice);

// Shows the shared "Information" window around each administrative request of the channel.
// The window may be created later or destroyed first; the channel then shows nothing.
void AttachInfoMessage(THttpChannel &channel, TInfoMessage *info);
