#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

class QLocale;
class TPacket;

// What the monitor's fields say: the status word, the mailbox, the monitor's own state, and
// the values read and written, in the user's locale where a person reads them.

enum class TMonitorState { Stopped = 0, Running = 1, Paused = 2 };

// "Stopped", "Running - Tag: " + name, "PAUSED - Tag: " + name.
QString GetMonitorStatusString(TMonitorState state, const QByteArray &tagName);

// Status word ST1: bits 0-3 acquisition state, 4-7 last result, 8-11 alarm state.
namespace StatusWord {
constexpr int AlarmNo = 0;
constexpr int AlarmActive = 1;
constexpr int AlarmAcknowledged = 2;

QString StateText(int code);   // "Idle", "Reading", ...; empty for codes without text
QString ResultText(int code);  // " - OK", " - Timeout", ...; empty for codes without text
QString StatusText(quint16 word); // state text followed by result text
int AlarmState(quint16 word);
QString AlarmText(int alarmState); // "No", "IN ALARM", "Acknowledged", "Unknown"
}

// The four mailbox fields as the monitor shows them.
struct TMailboxView
{
    QString Queued;                           // COUNT + "/128"
    QString Status;                           // "Mailbox Disabled", "Sending mail...", ...
    QString SendingTo = QStringLiteral("-");  // TOO while sending, else "-"
    QString CurrentRetry = QStringLiteral("-");
    QString LastError;                        // "Ok", "Connection Error", ...

    bool operator==(const TMailboxView &) const = default;
};

namespace MailboxText {
QString Status(int status);
QString Error(int error);
}
// The fields from a MAILBOX reply; nullopt when the reply is another command or malformed.
std::optional<TMailboxView> ReadMailbox(const TPacket &reply);

// The value to write; the tag's kind says which member counts.
struct TWriteValue
{
    bool BoolValue = false;
    qint32 IntValue = 0;
    double RealValue = 0;

    bool operator==(const TWriteValue &) const = default;
};

namespace TagValueText {
// A value as shown: digital "1"/"0", integer in decimal, real in general form with up to 15
// significant digits and the locale's decimal separator.
QString Format(quint8 kind, double value);
// The same in a given locale (a file meant for programs uses the C locale).
QString Format(quint8 kind, double value, const QLocale &locale);
// The text typed in the write dialog, by the tag's kind. Throws EConvertError.
TWriteValue Parse(quint8 kind, const QString &text);
// The write dialog's key filter: the characters that may be typed for a kind.
bool KeyAccepted(quint8 kind, QChar character);
}
