#include "base/Csv.h"

#include <QStringDecoder>

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray CsvLine(const QStringList &fields)
{
    QStringList written;
    written.reserve(fields.size());
    for (const QString &field : fields)
        written << CsvField(field);
    return written.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QString DecodeCsvText(const QByteArray &bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        return QString::fromLatin1(body);
    return text;
}

bool TCsvReader::fail(int field, const QString &message)
{
    m_fault = message;
    m_faultLine = m_line;
    m_faultField = field;
    m_at = m_text.size();
    return false;
}

bool TCsvReader::Next(TCsvRecord &record)
{
    if (Failed() || m_at >= m_text.size())
        return false;
    record.fields.clear();
    record.line = m_line;
    const qsizetype size = m_text.size();
    QString field;
    bool quoted = false;  // the current field began with a quote
    bool closed = false;  // ... and its closing quote has been read
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        quoted = closed = false;
    };
    while (m_at < size) {
        const QChar c = m_text[m_at];
        if (quoted && !closed) {
            ++m_at;
            if (c == QLatin1Char('"')) {
                if (m_at < size && m_text[m_at] == QLatin1Char('"')) {
                    field += c;
                    ++m_at;
                } else {
                    closed = true;
                }
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++m_line;
            field += c;
            continue;
        }
        if (c == QLatin1Char(',')) {
            ++m_at;
            endField();
            continue;
        }
        if (c == QLatin1Char('\r') && m_at + 1 < size && m_text[m_at + 1] == QLatin1Char('\n'))
            ++m_at;
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            ++m_at;
            ++m_line;
            endField();
            return true;
        }
        if (closed)
            return fail(int(record.fields.size()), QStringLiteral("text after the closing quote of a quoted field"));
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty())
                return fail(int(record.fields.size()),
                            QStringLiteral("a quote inside a field; a field that holds quotes is written in quotes, "
                                           "with each quote doubled"));
            quoted = true;
            ++m_at;
            continue;
        }
        field += c;
        ++m_at;
    }
    if (quoted && !closed) {
        m_line = record.line;
        return fail(int(record.fields.size()), QStringLiteral("a quoted field is not closed"));
    }
    endField(); // the last line without a line end
    return true;
}
