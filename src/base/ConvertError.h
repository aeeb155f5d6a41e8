#pragma once

#include <QString>
#include <stdexcept>

// The one error type for malformed numbers ("'%s' is not a valid integer value" and
// friends). It ends the operation that met it; the operation's edge shows the message.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    QString message() const { return m_message; }

    static EConvertError invalidInteger(const QByteArray &text)
    {
        return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    }
    static EConvertError invalidFloat(const QByteArray &text)
    {
        return EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromLatin1(text)));
    }

private:
    QString m_message;
};
