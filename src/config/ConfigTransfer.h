#pragma once

#include "base/DeviceData.h"
#include "config/KovaTypes.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

class THttpChannel;
class TPacket;

// What a transfer tells whoever shows it. Every member may be left empty. Calls come on
// the thread that runs the transfer, between exchanges.
struct TTransferObserver
{
    std::function<void(const QString &text)> status;  // the step about to run
    std::function<void(int maximum)> maximum;         // of the progress, once it is known
    std::function<void(int position)> position;       // 0 at the start, +1 per exchange done
};

// Why a sequence stopped.
struct TTransferFailure
{
    enum class Kind {
        None,
        NoResponse,   // the request got no reply (the channel has said so when it reports failures)
        WrongReply,   // the reply was not the expected command (a NAK, say)
        BadValue,     // a reply value did not convert; `detail` is the conversion message
        TooManyTags,  // the gateway reports more tags than a configuration holds
        Cancelled,    // Cancel() was called
    };
    Kind kind = Kind::None;
    QByteArray command; // the request that failed ("SETCOM", "GETTAG" ...)
    QString detail;     // for a log or a command line: what went wrong, in words
};

// Moves a whole configuration between a record and one gateway over a channel: the send
// (STOP, SETCOM, SETSMTP, 5 x SETTOO, ENABLETAGADMIN, DELALLTAG, ADDTAG per tag,
// DISABLETAGADMIN, RESET) and the get (GETTAGCOUNT, STOP, GETCOM, GETSMTP, 5 x GETTOO,
// GETTAG per tag, RUN). Each exchange is one SendHTTPAdminNoInfo request; the first that
// fails ends the sequence and nothing is undone on the gateway.
//
// One object per transfer and per gateway. It keeps no state outside itself and touches no
// window or prompt (the channel reports a lost reply only when told to), so transfers to
// several gateways can run side by side, each on its own thread with its own channel. A
// window shows progress through the observer; a command line reads the result and Failure().
class TConfigTransfer
{
public:
    TConfigTransfer(THttpChannel &channel, const TDeviceData &device, TTransferObserver observer = {});

    // True when the whole sequence completed.
    bool SendConfig(const TModbusOrvanConfig &config);
    bool SendConfig(const THostlinkOrvanConfig &config);
    bool SendConfig(const TDF1OrvanConfig &config);

    // Fills the record in place. The serial, e-mail and tag fields take what the gateway
    // answers; values that map to nothing leave the record's own. TagCount counts the
    // tags read so far, so a get that fails half-way holds only tags it really read.
    // A gateway reporting more than MaxTags tags is refused before anything else is asked
    // of it: a configuration cut at MaxTags, sent back later, would delete the rest.
    bool GetConfig(TModbusOrvanConfig &config);
    bool GetConfig(THostlinkOrvanConfig &config);
    bool GetConfig(TDF1OrvanConfig &config);

    // Ends the running sequence before its next exchange. Safe from any thread.
    void Cancel() { m_cancel.store(true); }
    bool CancelRequested() const { return m_cancel.load(); }

    const TTransferFailure &Failure() const { return m_failure; }
    int Position() const { return m_position; }
    int Maximum() const { return m_maximum; }

    static const QString CompletedText;  // "TRANSFER COMPLETED!"

    // The single exchanges the sequences are made of, by the names the windows know them by.
    // Each returns true when the reply arrived and was the expected command.
    template<class Config> bool SendCOMConfig(const Config &config);
    template<class Config> bool GetCOMConfig(Config &config);
    bool SendEMAILConfig(const TEmailConfig &email);
    bool GetEMAILConfig(TEmailConfig &email);
    bool SendRECIPIENTSList(const TEmailConfig &email);
    bool GetRECIPIENTSList(TEmailConfig &email);
    bool GetTagCount(int &count);
    template<class Config> bool SendTAGS(const Config &config);
    template<class Config> bool GetTAGS(Config &config, int count);
    // A command without keys, after showing status; succeeds on "ACK".
    bool SendCommand(const QString &status, const QByteArray &command);

private:
    template<class Config> bool sendConfig(const Config &config);
    template<class Config> bool getConfig(Config &config);

    // One request and its reply: true when the reply is `expected` (and `read`, when
    // given, took its values without a conversion failure). Advances the progress when
    // `counts` is set.
    bool exchange(const TPacket &request, const QByteArray &expected, const std::function<void(const TPacket &)> &read,
                  bool counts = true);
    void setStatus(const QString &text);
    void setMaximum(int maximum);
    void setPosition(int position);
    void begin();
    bool fail(TTransferFailure::Kind kind, const QByteArray &command, const QString &detail);
    QString machineName() const;

    THttpChannel &m_channel;
    TDeviceData m_device;
    TTransferObserver m_observer;
    TagProtocol m_protocol = TagProtocol::Modbus;
    std::atomic_bool m_cancel = false;
    TTransferFailure m_failure;
    int m_position = 0;
    int m_maximum = 0;
};

// The record a transfer dialog starts with: a new document's (ConfigModel.h) serial and
// e-mail settings (RS-232, 9600, no parity, RTU, 8 data bits, CRC, 100 ms scan, 1000 ms
// message timeout, packet timeout 4; relaying off, timeout 20, 5 retries every 10 s) and
// all-zero tags.
void SetNewConfigDefaults(TModbusOrvanConfig &config);
void SetNewConfigDefaults(THostlinkOrvanConfig &config);
void SetNewConfigDefaults(TDF1OrvanConfig &config);

// The protocol family (TDeviceData::ProtocolFamily) of the gateways that take a
// configuration of this protocol. A send goes only to a gateway of that family.
quint8 FamilyOfProtocol(TagProtocol protocol);
bool ProtocolMatchesDevice(TagProtocol protocol, const TDeviceData &device);

namespace TransferText {
// Refusal of a send to a gateway of another protocol family.
inline constexpr char WrongModel[] = "The Configuration file you're trying to send do not correspond\r\n"
                                     "to the Model of the Connected Orvan.";
// Refusal of a comparison with a gateway of another protocol family.
inline constexpr char WrongModelCompare[] = "The Configuration you're trying to compare does not correspond\r\n"
                                            "to the Model of the Connected Orvan.";
}
