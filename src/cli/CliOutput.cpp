#include "cli/CliOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cstdio>

namespace {

thread_local QString t_lastError;
std::mutex g_stderr;

void writeErr(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    std::lock_guard lock(g_stderr);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// The core's texts are made for message boxes: one line each here.
QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.simplified();
}

// "Sending Tag Configuration... (12)" -> "Sending Tag Configuration...".
QString stem(const QString &text)
{
    static const QRegularExpression number(QStringLiteral(" \\(\\d+\\)$"));
    return QString(text).remove(number);
}

} // namespace

void CliPrompt::error(const QString &text)
{
    t_lastError = oneLine(text);
}

void CliPrompt::warning(const QString &text)
{
    writeErr(QStringLiteral("kova-cli: warning: ") + oneLine(text));
}

void CliPrompt::information(const QString &text)
{
    writeErr(QStringLiteral("kova-cli: ") + oneLine(text));
}

bool CliPrompt::warningYesNo(const QString &text)
{
    warning(text);
    return false;
}

bool CliPrompt::confirmYesNo(const QString &text)
{
    warning(text);
    return false;
}

Prompt::Answer CliPrompt::confirmYesNoCancel(const QString &text)
{
    warning(text);
    return Answer::Cancel;
}

QString CliPrompt::takeError()
{
    QString text;
    std::swap(text, t_lastError);
    return text;
}

void Progress::print(const QString &line)
{
    writeErr(QStringLiteral("kova-cli: ") + line);
}

void Progress::status(const QByteArray &host, const QString &text)
{
    if (m_quiet)
        return;
    const QString s = stem(text);
    {
        std::lock_guard lock(m_mutex);
        QString &last = m_lastStem[host];
        if (last == s)
            return;
        last = s;
    }
    print(QString::fromLatin1(host) + QStringLiteral(": ") + text);
}

void Progress::finished(const GatewayResult &result)
{
    int done = 0;
    {
        std::lock_guard lock(m_mutex);
        done = ++m_finished;
        m_lastStem.remove(result.host);
    }
    if (m_quiet)
        return;
    const QString verdict = result.ok ? QStringLiteral("done")
                                      : QStringLiteral("failed at %1: %2").arg(QString::fromLatin1(result.step), oneLine(result.reason));
    print(QStringLiteral("%1: %2 (%3 of %4 finished)").arg(QString::fromLatin1(result.host), verdict).arg(done).arg(m_total));
}

void Progress::note(const QString &text)
{
    if (!m_quiet)
        print(text);
}

void PrintError(const QString &text)
{
    writeErr(QStringLiteral("kova-cli: ") + oneLine(text));
}

void PrintTable(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows)
        for (int c = 0; c < row.size(); ++c) {
            if (widths.size() <= c)
                widths << 0;
            widths[c] = qMax(widths[c], int(row[c].size()));
        }
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[c] + 2) : row[c];
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    }
    const QByteArray bytes = out.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void PrintJson(const QJsonObject &document)
{
    const QByteArray bytes = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

QJsonObject ResultJson(const GatewayResult &r)
{
    QJsonObject o;
    o[QStringLiteral("device")] = QString::fromLatin1(r.host);
    o[QStringLiteral("ok")] = r.ok;
    o[QStringLiteral("result")] = r.ok ? QStringLiteral("done") : QStringLiteral("failed");
    if (!r.ok) {
        o[QStringLiteral("step")] = QString::fromLatin1(r.step);
        o[QStringLiteral("reason")] = oneLine(r.reason);
    }
    o[QStringLiteral("model")] = QString::fromLatin1(r.device.DeviceName);
    o[QStringLiteral("mac")] = QString::fromLatin1(r.device.MAC);
    o[QStringLiteral("version")] = QString::fromLatin1(r.device.Version);
    o[QStringLiteral("ipAddress")] = QString::fromLatin1(r.device.IPAddress);
    o[QStringLiteral("milliseconds")] = r.milliseconds;
    for (auto it = r.extra.begin(); it != r.extra.end(); ++it)
        o[it.key()] = it.value();
    return o;
}

void PrintResults(const QString &command, const std::vector<GatewayResult> &results, bool json, const QJsonObject &head)
{
    bool allOk = true;
    for (const GatewayResult &r : results)
        allOk = allOk && r.ok;
    if (json) {
        QJsonObject document = head;
        document[QStringLiteral("command")] = command;
        document[QStringLiteral("ok")] = allOk;
        QJsonArray lines;
        for (const GatewayResult &r : results)
            lines.append(ResultJson(r));
        document[QStringLiteral("results")] = lines;
        PrintJson(document);
        return;
    }
    QList<QStringList> rows = {{QStringLiteral("DEVICE"), QStringLiteral("MODEL"), QStringLiteral("MAC"),
                                QStringLiteral("RESULT"), QStringLiteral("STEP"), QStringLiteral("REASON")}};
    // A dash stands for an empty cell, so every line splits into the same columns.
    const auto cell = [](const QString &text) { return text.isEmpty() ? QStringLiteral("-") : text; };
    for (const GatewayResult &r : results)
        rows << QStringList{cell(QString::fromLatin1(r.host)),
                            cell(QString::fromLatin1(r.device.DeviceName)),
                            cell(QString::fromLatin1(r.device.MAC)),
                            r.ok ? QStringLiteral("done") : QStringLiteral("failed"),
                            cell(r.ok ? QString() : QString::fromLatin1(r.step)),
                            cell(r.ok ? QString() : oneLine(r.reason))};
    PrintTable(rows);
}
