#pragma once

#include "config/KovaTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The values a configuration document edits, as plain data: what its "Serial Port" and
// "E-Mails" pages show. Lists hold positions in the drop-down lists below; number fields
// the user types into hold their text, so an empty or malformed entry survives until a
// check reports it. Texts are 8-bit (Latin-1), like the file and the wire.

// Item lists of the serial drop-downs, in position order. The window fills its lists from these.
const QList<QByteArray> &ComTypeItems();             // "RS-232", "RS-485", "RS-422"
const QList<QByteArray> &BaudRateItems();            // "2400" ... "115200"
const QList<QByteArray> &ParityItems(TagProtocol protocol); // DF1: "None", "Even"
const QList<QByteArray> &FormatItems();              // Modbus: "RTU", "ASCII"
const QList<QByteArray> &DataBitsItems();            // DF1: "7", "8"
const QList<QByteArray> &ErrorMethodItems();         // DF1: "CRC", "BCC"

// Column captions of the tag list after "Name" (Modbus ends with "Trap"). Each row has one
// more, hidden cell: the value kind.
const QList<QByteArray> &TagColumns(TagProtocol protocol);

// Ranges of the sliders and number fields.
namespace ConfigRange {
inline constexpr int ScanTimeMin = 0, ScanTimeMax = 10000, ScanTimePageStep = 50;
inline constexpr int MessageToutMin = 10, MessageToutMax = 2000;
inline constexpr int PacketToutMin = 3, PacketToutMax = 20;
inline constexpr int EMailTimeoutMin = 1, EMailTimeoutMax = 100;
inline constexpr int EMailRetriesMin = 0, EMailRetriesMax = 99;
inline constexpr int EMailInterRetriesMin = 1, EMailInterRetriesMax = 100;
}

// Text limits of the e-mail fields (the file reader cuts longer texts to these).
namespace EmailLimit {
inline constexpr int Server = 49;
inline constexpr int User = 49;
inline constexpr int Address = 50; // sender and each recipient
int Password(TagProtocol protocol); // 20 for Modbus, 49 for Hostlink and DF1
}

// "Serial Port" page. Fields a protocol does not have keep their defaults and are ignored.
struct TSerialFields
{
    int ComType = 0;        // cboComType position: RS-232, RS-485, RS-422
    int BaudRate = 2;       // cboBaudRate position: 9600
    int Parity = 0;         // cboParity position (DF1: 0 None, 1 Even)
    int Format = 0;         // Modbus cboFormat position: RTU
    int ScanTime = 100;     // sldScanTime position, ms
    int MessageTimeout = 1000; // sldMessageTout position, ms
    QByteArray PacketTimeout = "4"; // Modbus txtPacketTout text, bytes
    int DataBits = 1;       // DF1 cboDataBits position: "8"
    int ErrorMethod = 0;    // DF1 cboErrorMethod position: CRC

    bool operator==(const TSerialFields &) const = default;
};

// "E-Mails" page.
struct TEmailFields
{
    bool Enabled = false;          // chkEMailEnable
    QByteArray Server;             // txtEMailServer
    QByteArray Timeout = "20";     // txtEMailTimeout, seconds
    QByteArray Retries = "5";      // txtEMailRetries
    QByteArray RetryInterval = "10"; // txtEMailInterRetries, seconds
    QByteArray Sender;             // txtEMailSender
    bool AuthEnabled = false;      // chkAuth
    QByteArray User;               // txtUser
    QByteArray Password;           // txtPass1
    QByteArray Confirmation;       // txtPass2
    QList<QByteArray> Recipients;  // lstEMailRecipients, at most MaxRecipients

    bool operator==(const TEmailFields &) const = default;
};

// The fields a check can reject. FieldControlName gives the window's control, FieldPage its page.
enum class TConfigField {
    None,
    PacketTimeout,     // txtPacketTout, "Serial Port"
    EMailServer,       // txtEMailServer, "E-Mails"
    EMailTimeout,      // txtEMailTimeout
    EMailRetries,      // txtEMailRetries
    EMailInterRetries, // txtEMailInterRetries
    EMailSender,       // txtEMailSender
    EMailRecipients,   // lstEMailRecipients (TFieldCheck::Recipient says which entry)
    User,              // txtUser
    Password           // txtPass1
};

enum class TConfigPage { SerialPort = 0, EMails = 1, Tags = 2 };

const char *FieldControlName(TConfigField field); // "" for None
TConfigPage FieldPage(TConfigField field);

// Outcome of a check. On failure Message is the error box's text; the window brings
// FieldPage(Field) forward and focuses the control (for a recipient, after selecting entry
// Recipient). Conversion is true when the message is the conversion error of a number
// field that does not read as an integer ("'%s' is not a valid integer value").
struct TFieldCheck
{
    bool Ok = true;
    TConfigField Field = TConfigField::None;
    QString Message;
    int Recipient = -1;
    bool Conversion = false;

    static TFieldCheck pass() { return {}; }
    static TFieldCheck fail(TConfigField field, const QString &message, int recipient = -1)
    {
        return {false, field, message, recipient, false};
    }
    explicit operator bool() const { return Ok; }
};

// Reads a number field as an integer and checks its range. Not an integer: a conversion
// failure; outside lowest..highest: `message`.
TFieldCheck CheckNumberField(TConfigField field, const QByteArray &text, int lowest, int highest, const QString &message);
