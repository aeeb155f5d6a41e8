#include "monitor/MonitorText.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "monitor/TagDownload.h"

#include <QLocale>

#include <cmath>

QString GetMonitorStatusString(TMonitorState state, const QByteArray &tagName)
{
    switch (state) {
    case TMonitorState::Running:
        return QStringLiteral("Running - Tag: ") + QString::fromLatin1(tagName);
    case TMonitorState::Paused:
        return QStringLiteral("PAUSED - Tag: ") + QString::fromLatin1(tagName);
    default:
        return QStringLiteral("Stopped");
    }
}

QString StatusWord::StateText(int code)
{
    static const char *const texts[] = {"Unknown",    "Idle",           "Reading",        "Writing",
                                        "Read Error", "Write Error",     "Read Init Fail", "Write Init Fail"};
    return code >= 0 && code < int(std::size(texts)) ? QString::fromLatin1(texts[code]) : QString();
}

QString StatusWord::ResultText(int code)
{
    static const char *const texts[] = {" - OK",           " - No Work",        " - Timeout",
                                        " - Syntax Error", " - Comm Error",     " - Exception",
                                        " - Invalid Com",  " - Busy",           " - Wrong Request",
                                        " - No implemented", " - No such Tag name"};
    return code >= 0 && code < int(std::size(texts)) ? QString::fromLatin1(texts[code]) : QString();
}

QString StatusWord::StatusText(quint16 word)
{
    return StateText(word & 0xF) + ResultText((word >> 4) & 0xF);
}

int StatusWord::AlarmState(quint16 word)
{
    return (word >> 8) & 0xF;
}

QString StatusWord::AlarmText(int alarmState)
{
    switch (alarmState) {
    case AlarmNo:
        return QStringLiteral("No");
    case AlarmActive:
        return QStringLiteral("IN ALARM");
    case AlarmAcknowledged:
        return QStringLiteral("Acknowledged");
    default:
        return QStringLiteral("Unknown");
    }
}

QString MailboxText::Status(int status)
{
    switch (status) {
    case 0:
        return QStringLiteral("Mailbox Disabled");
    case 1:
        return QStringLiteral("Sending mail...");
    case 2:
        return QStringLiteral("Mail sent");
    case 3:
        return QStringLiteral("No Alarms to send");
    default:
        return {};
    }
}

QString MailboxText::Error(int error)
{
    switch (error) {
    case 0:
        return QStringLiteral("Ok");
    case 1:
        return QStringLiteral("Could not Resolve SMTP Server (Check DNS)");
    case 2:
        return QStringLiteral("Timeout while Sending");
    case 3:
        return QStringLiteral("Unknown response from SMTP Server");
    case 4:
        return QStringLiteral("Connection Error");
    default:
        return {};
    }
}

std::optional<TMailboxView> ReadMailbox(const TPacket &reply)
{
    if (!reply.IsCommand("MAILBOX"))
        return std::nullopt;
    try {
        TMailboxView view;
        view.Queued = QString::number(reply.GetInteger("COUNT", 0)) + QStringLiteral("/128");
        const int status = reply.GetInteger("STATUS", 0);
        view.Status = MailboxText::Status(status);
        if (status == 1) {
            view.SendingTo = QString::number(reply.GetInteger("TOO", 1));
            view.CurrentRetry = QString::number(reply.GetInteger("RETRY", 1));
        }
        view.LastError = MailboxText::Error(reply.GetInteger("ERROR", 0));
        return view;
    } catch (const EConvertError &) {
        return std::nullopt; // a malformed reply counts as an unexpected one
    }
}

QString TagValueText::Format(quint8 kind, double value)
{
    return Format(kind, value, QLocale());
}

QString TagValueText::Format(quint8 kind, double value, const QLocale &shownIn)
{
    switch (kind) {
    case KindDigital:
        return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case KindInteger:
        return QString::number(qint64(value));
    default: {
        QLocale locale = shownIn;
        // Grouping would make "1234.5" read as "1,234.5", which the write dialog refuses.
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value, 'g', 15);
    }
    }
}

TWriteValue TagValueText::Parse(quint8 kind, const QString &text)
{
    TWriteValue value;
    switch (kind) {
    case KindDigital:
        value.BoolValue = text == QLatin1String("1");
        break;
    case KindInteger:
        // The packet codec's reader is the one strict decimal reader of the program.
        value.IntValue = ZPack::parseInteger(text.toLatin1());
        break;
    default: {
        QLocale locale;
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double parsed = locale.toDouble(text, &ok);
        if (!ok || !std::isfinite(parsed))
            throw EConvertError::invalidFloat(text.toLatin1());
        value.RealValue = parsed;
        break;
    }
    }
    return value;
}

bool TagValueText::KeyAccepted(quint8 kind, QChar character)
{
    if (character == QLatin1Char('\b') || character == QLatin1Char('-') || character.isDigit())
        return character.unicode() < 128; // only ASCII digits
    if (kind != KindReal)
        return false;
    return character == QLatin1Char(',') || character == QLatin1Char('.') || QString(character) == QLocale().decimalPoint();
}
