#pragma once

#include "base/DeviceData.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class THttpChannel;

// "Search Remote Device": finds one gateway by host name or address and hands its
// record to the device list.
class TfrmSearchRemote : public QDialog
{
    Q_OBJECT

public:
    using AddDevice = std::function<void(const TDeviceData &)>;

    TfrmSearchRemote(THttpChannel &channel, AddDevice addDevice, QWidget *parent = nullptr);

    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void setControlsEnabled(bool enabled);

    THttpChannel &m_channel;
    AddDevice m_addDevice;
    bool m_searching = false;
    QLineEdit *txtRemoteIP;
    QPushButton *btnOk;
    QPushButton *btnCancel;
};
