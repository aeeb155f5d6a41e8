#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>

#include <array>

namespace sim {

// Ordered KEY=value pairs, as they travel in a packet.
using Keys = QList<QPair<QByteArray, QByteArray>>;

// Live state of one configured tag.
struct TagLive
{
    double value = 0;
    quint16 status = 0x0001; // acquisition state bits 0-3, result 4-7, alarm 8-11
    int alarm = 0;           // 0 no, 1 in alarm, 2 acknowledged
    bool held = false;       // a WRITE set the value; it no longer follows the waveform
};

// Everything one simulated gateway knows. Requests change it for the life of the process.
struct GatewayState
{
    QByteArray model = "1119";          // model code of the NTM answer and GETDEVICE ID
    QByteArray version = "2.1.0-TS";    // "-TS" marks the full firmware
    QByteArray mac;
    QByteArray ip;                      // reported address; HTTP and FTP are served on it
    QByteArray netmask = "255.0.0.0";
    QByteArray gateway = "0.0.0.0";
    bool dhcp = false;
    QByteArray hostName;                // empty: the gateway reports no host name
    QByteArray dns1 = "0.0.0.0";
    QByteArray dns2 = "0.0.0.0";
    bool snmp = false;
    QByteArray manager = "0.0.0.0";
    QByteArray readCommunity = "public";
    QByteArray writeCommunity = "private";
    QByteArray trapCommunity = "public";
    QByteArray webUser = "user";
    QByteArray webPassword = "user";
    QByteArray adminPassword = "admin";
    qint64 clockOffsetSecs = 0;         // gateway clock = host clock + offset

    Keys com;                           // serial keys as GETCOM answers them
    Keys smtp;                          // the nine SMTP keys
    std::array<QByteArray, 5> recipients;
    QList<Keys> tags;                   // ADDTAG keys of the gateway's protocol, in order
    QList<TagLive> live;                // one per tag

    QByteArray siteImage;               // userpage.qsw

    bool running = true;                // false between STOP and RUN/RESET
    bool tagAdmin = false;              // between ENABLETAGADMIN and DISABLETAGADMIN
    int resets = 0;                     // RESET requests accepted

    // SETNET keys accepted but not yet in effect: the gateway applies them when it restarts (RESET).
    Keys pendingNetwork;
    bool networkPending = false;

    // Live values follow a waveform of the time since liveEpochMs (0: set by the first request).
    bool liveMotion = true;             // false: values stay put unless written (exact test readings)
    qint64 liveEpochMs = 0;
    qint64 mailboxSinceMs = 0;          // when the mailbox last changed STATUS

    // Mailbox of alarm e-mails.
    int mailboxCount = 0;
    int mailboxStatus = 3;
    int mailboxTo = 1;
    int mailboxRetry = 1;
    int mailboxError = 0;

    // 0 Modbus, 1 Hostlink, 2 DF1 by the model code (Modbus for codes outside the table).
    int protocolFamily() const;

    // Reads a key of a Keys list; empty when absent.
    static QByteArray keyValue(const Keys &keys, const QByteArray &key);
    static void setKeyValue(Keys &keys, const QByteArray &key, const QByteArray &value);
};

// Misbehaviour on demand, per gateway and per command ("GETNET", "HELLO", "CONFIG", "RETR" ...).
enum class FaultKind {
    None,
    Nak,        // reply NAK(REASON=...,);
    WrongReply, // reply another command than the expected one
    HttpError,  // answer HTTP 500
    Drop,       // close the connection without a reply
    Delay,      // answer normally after delayMs
    IgnoreUdp,  // do not answer a locator datagram
};

struct Fault
{
    FaultKind kind = FaultKind::None;
    int delayMs = 0;
};

} // namespace sim
