#pragma once

#include "base/DeviceData.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWire.h"
#include "config/KovaTypes.h"

#include <QDialog>

#include <memory>

class QTimer;
class THttpChannel;
namespace Ui {
class TransferConfigForm;
}

// The configuration transfer dialogs: TfrmTransferModbusConfig, TfrmTransferHostlinkConfig
// and TfrmTransferDF1Config. One implementation; the protocol only picks the record type
// and the protocol word of the texts. The sequences themselves are TConfigTransfer's
// (kova_core): the dialog shows their status and progress and reports their failure.
//
// How a configuration document uses one (each dialog is made once and reused):
//
//   Send:  dialog.OrvanConfig() = <GetAllConfig>;          // or GetAllConfig(dialog.OrvanConfig())
//          dialog.Execute(TfrmTransferConfig::Direction::Send, device);
//   Get:   dialog.Execute(TfrmTransferConfig::Direction::Get, device);
//          <SetAllConfig>(dialog.OrvanConfig());           // whatever the outcome; Completed() tells it
//
// Execute() is SetDirection + SetDevice + exec(). The transfer starts once the dialog is
// up (once per showing); Retry starts it again from the first step. While it runs both
// buttons are disabled and the dialog refuses to close (Esc, the close box), so the
// record is never left half-way by a closed window.
//
// The dialog's record is created once with a new document's defaults (SetNewConfigDefaults)
// and never reset: a get fills it in place, and a value the gateway answers that maps to
// nothing keeps what the record held before.
class TfrmTransferConfig : public QDialog
{
    Q_OBJECT

public:
    enum class Direction { Send, Get };

    ~TfrmTransferConfig() override;

    void SetDirection(Direction direction) { m_direction = direction; }
    Direction GetDirection() const { return m_direction; }
    // The connected device: shown in "Device Information"; its IPAddress and RemoteHost
    // address every request.
    void SetDevice(const TDeviceData &device) { m_device = device; }
    const TDeviceData &Device() const { return m_device; }
    TagProtocol Protocol() const { return m_protocol; }

    // Sets both and shows the dialog modally; true when the transfer completed.
    bool Execute(Direction direction, const TDeviceData &device);
    // Whether the last run of this showing completed; Running() while one is under way.
    bool Completed() const { return m_completed; }
    bool Running() const { return m_running; }

    static const QString FailureMessage; // "Configuration Transfer was unable to complete."

    // Refused while a sequence runs.
    void reject() override;
    void done(int result) override;

protected:
    TfrmTransferConfig(TagProtocol protocol, THttpChannel &channel, QWidget *parent);

    // Runs the sequence of the direction on the dialog's record.
    virtual bool RunSequence(TConfigTransfer &transfer, Direction direction) = 0;

    void showEvent(QShowEvent *event) override;

private slots:
    void FormActivate();
    void btnRetryClick();
    void btnCancelClick();
    void TimerBlinkTimer();

private:
    void FormShow();
    void FormClose();
    void DoTransfer();
    void ReportFailure(const TTransferFailure &failure);

    std::unique_ptr<Ui::TransferConfigForm> ui;
    QTimer *TimerBlink = nullptr;
    THttpChannel &m_channel;
    const TagProtocol m_protocol;
    Direction m_direction = Direction::Send;
    TDeviceData m_device;
    bool m_started = false; // the run of this showing has begun
    bool m_running = false;
    bool m_completed = false;
};

// The dialog with its protocol's record.
template<class Config>
class TfrmTransferConfigOf : public TfrmTransferConfig
{
public:
    // The dialog's own record: filled by the document before a send, read after a get.
    Config &OrvanConfig() { return *m_config; }
    const Config &OrvanConfig() const { return *m_config; }

protected:
    TfrmTransferConfigOf(THttpChannel &channel, QWidget *parent)
        : TfrmTransferConfig(ProtocolOf<Config>, channel, parent), m_config(std::make_unique<Config>())
    {
        SetNewConfigDefaults(*m_config);
    }

    bool RunSequence(TConfigTransfer &transfer, Direction direction) override
    {
        return direction == Direction::Send ? transfer.SendConfig(*m_config) : transfer.GetConfig(*m_config);
    }

private:
    std::unique_ptr<Config> m_config; // over 10 KB: kept off the stack of whoever makes the dialog
};

class TfrmTransferModbusConfig : public TfrmTransferConfigOf<TModbusOrvanConfig>
{
    Q_OBJECT
public:
    explicit TfrmTransferModbusConfig(THttpChannel &channel, QWidget *parent = nullptr);
};

class TfrmTransferHostlinkConfig : public TfrmTransferConfigOf<THostlinkOrvanConfig>
{
    Q_OBJECT
public:
    explicit TfrmTransferHostlinkConfig(THttpChannel &channel, QWidget *parent = nullptr);
};

class TfrmTransferDF1Config : public TfrmTransferConfigOf<TDF1OrvanConfig>
{
    Q_OBJECT
public:
    explicit TfrmTransferDF1Config(THttpChannel &channel, QWidget *parent = nullptr);
};
