#include "config/EmailConfig.h"

#include "base/Bytes.h"
#include "config/TagText.h"

#include <string_view>

namespace {

bool isAsciiAlnum(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool onlyOf(const QByteArray &text, std::string_view extra)
{
    for (char c : text)
        if (!isAsciiAlnum(c) && extra.find(c) == std::string_view::npos)
            return false;
    return true;
}

// Texts of the checks; the three protocols word them differently.
struct EmailMessages
{
    const char *server, *timeout, *retries, *interval, *address;
};

const EmailMessages &messagesOf(TagProtocol protocol)
{
    static const EmailMessages modbus = {"Invalid SMTP Server.", "Invalid E-Mail Delivery Timeout.",
                                         "Invalid E-Mail Delivery Retries.", "Invalid time between retries.",
                                         "Invalid E-mail Address."};
    static const EmailMessages hostlink = {"Invalid SMTP Server.", "Invalid Delivery Timeout.", "Invalid Delivery Retries.",
                                           "Invalid time between retries.", "Invalid E-mail address."};
    static const EmailMessages df1 = {"The SMTP Server is not valid.", "The E-Mail Sending Timeout is not valid.",
                                      "The E-Mail Sending Retries is not valid.", "The time between retries is not valid.",
                                      "The E-mail Address is not valid."};
    return ByProtocol(protocol, modbus, hostlink, df1);
}

TFieldCheck checkRecipients(const TEmailFields &fields, const QString &message)
{
    for (int i = 0; i < fields.Recipients.size(); ++i)
        if (!IsValidEmailAddress(fields.Recipients.at(i)))
            return TFieldCheck::fail(TConfigField::EMailRecipients, message, i);
    return TFieldCheck::pass();
}

TFieldCheck checkAuthentication(const TEmailFields &fields)
{
    if (!EmailAuthFieldsEnabled(fields))
        return TFieldCheck::pass();
    if (fields.User.isEmpty())
        return TFieldCheck::fail(TConfigField::User, QStringLiteral("Invalid SMTP Username"));
    if (fields.Password != fields.Confirmation)
        return TFieldCheck::fail(TConfigField::Password, QStringLiteral("Passwords do not match"));
    return TFieldCheck::pass();
}

} // namespace

bool IsValidHostName(const QByteArray &text)
{
    const QByteArray trimmed = TrimBlanks(text);
    return !trimmed.isEmpty() && onlyOf(trimmed, "-._");
}

bool IsValidEmailAddress(const QByteArray &text)
{
    const QByteArray trimmed = TrimBlanks(text);
    return !trimmed.isEmpty() && onlyOf(trimmed, "-._@") && trimmed.contains('@');
}

TFieldCheck CheckEmailFields(TagProtocol protocol, const TEmailFields &fields)
{
    const EmailMessages &text = messagesOf(protocol);
    const auto message = [](const char *m) { return QString::fromLatin1(m); };

    // A server or sender typed in is checked even while relaying is off.
    const bool serverBad = fields.Server.isEmpty() ? fields.Enabled : !IsValidHostName(fields.Server);
    if (serverBad)
        return TFieldCheck::fail(TConfigField::EMailServer, message(text.server));
    if (auto c = CheckNumberField(TConfigField::EMailTimeout, fields.Timeout, ConfigRange::EMailTimeoutMin,
                                  ConfigRange::EMailTimeoutMax, message(text.timeout)); !c)
        return c;
    if (auto c = CheckNumberField(TConfigField::EMailRetries, fields.Retries, ConfigRange::EMailRetriesMin,
                                  ConfigRange::EMailRetriesMax, message(text.retries)); !c)
        return c;
    if (auto c = CheckNumberField(TConfigField::EMailInterRetries, fields.RetryInterval, ConfigRange::EMailInterRetriesMin,
                                  ConfigRange::EMailInterRetriesMax, message(text.interval)); !c)
        return c;
    const bool senderBad = fields.Sender.isEmpty() ? fields.Enabled : !IsValidEmailAddress(fields.Sender);
    if (senderBad)
        return TFieldCheck::fail(TConfigField::EMailSender, message(text.address));

    if (protocol == TagProtocol::DF1) {
        if (auto c = checkAuthentication(fields); !c)
            return c;
        return checkRecipients(fields, message(text.address));
    }
    if (auto c = checkRecipients(fields, message(text.address)); !c)
        return c;
    return checkAuthentication(fields);
}

bool CanAddRecipient(const TEmailFields &fields)
{
    return fields.Recipients.size() < MaxRecipients;
}

int MoveRecipient(TEmailFields &fields, int index, int direction)
{
    const int target = index + (direction < 0 ? -1 : 1);
    if (index < 0 || index >= fields.Recipients.size() || target < 0 || target >= fields.Recipients.size())
        return -1;
    fields.Recipients.swapItemsAt(index, target);
    return target;
}

TEmailConfig EmailConfigFromFields(const TEmailFields &fields)
{
    TEmailConfig config;
    config.Enabled = fields.Enabled;
    config.SmtpServer = fields.Server;
    config.Timeout = ParseIntegerText(fields.Timeout);
    config.Retries = ParseIntegerText(fields.Retries);
    config.RetryInterval = ParseIntegerText(fields.RetryInterval);
    config.Sender = fields.Sender;
    config.RecipientCount = qMin(int(fields.Recipients.size()), MaxRecipients);
    for (int i = 0; i < config.RecipientCount; ++i)
        config.Recipients[size_t(i)] = fields.Recipients.at(i);
    config.AuthEnabled = fields.AuthEnabled;
    config.SmtpUser = fields.User;
    config.SmtpPassword = fields.Password;
    return config;
}

TEmailFields EmailFieldsFromConfig(const TEmailConfig &config)
{
    TEmailFields fields;
    fields.Enabled = config.Enabled;
    fields.Server = config.SmtpServer;
    fields.Timeout = FormatIntegerText(config.Timeout);
    fields.Retries = FormatIntegerText(config.Retries);
    fields.RetryInterval = FormatIntegerText(config.RetryInterval);
    fields.Sender = config.Sender;
    const int count = qBound(0, int(config.RecipientCount), MaxRecipients);
    for (int i = 0; i < count; ++i)
        fields.Recipients.append(config.Recipients[size_t(i)]);
    fields.AuthEnabled = config.AuthEnabled;
    fields.User = config.SmtpUser;
    fields.Password = config.SmtpPassword;
    fields.Confirmation = config.SmtpPassword;
    return fields;
}
