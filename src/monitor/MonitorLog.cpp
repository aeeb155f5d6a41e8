#include "monitor/MonitorLog.h"

#include "base/Csv.h"
#include "monitor/MonitorScan.h"

#include <QDir>
#include <QLocale>
#include <QStringList>

const QString TMonitorLog::NoValidReply = QStringLiteral("No valid reply");

namespace {

QString Timestamp(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    // Local time alone would repeat an hour when summer time ends; the offset keeps it unique.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QByteArray TMonitorLog::Header()
{
    return CsvLine({QStringLiteral("Time"), QStringLiteral("Tag"), QStringLiteral("Value"), QStringLiteral("Status"),
                 QStringLiteral("Alarm")});
}

QByteArray TMonitorLog::Row(const TScanTick &tick)
{
    // A stale reply belongs to the tag watched before; the fields already show the new one.
    if (tick.Phase != 0 || tick.Stale)
        return {};
    QStringList fields{Timestamp(tick.Time), QString::fromLatin1(tick.TagName)};
    if (!tick.Answered) {
        fields << QString() << NoValidReply << QString();
    } else {
        const TMonitorReading &reading = tick.Reading;
        fields << (reading.HasValue() ? TagValueText::Format(tick.ValueKind, reading.Number, QLocale::c()) : QString())
               << reading.Status << reading.Alarm;
    }
    return CsvLine(fields);
}

bool TMonitorLog::Open(const QString &path)
{
    Close();
    m_error.clear();
    m_file.setFileName(path);
    // Unbuffered: each row is handed to the system as it is written, none waits in a buffer.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = QStringLiteral("Cannot record to file \"%1\".\r\nReason: %2").arg(Shown(path), m_file.errorString());
        return false;
    }
    if (!WriteLine(Header())) {
        m_error = QStringLiteral("Cannot record to file \"%1\".\r\nReason: %2").arg(Shown(path), m_error);
        return false;
    }
    return true;
}

bool TMonitorLog::Write(const TScanTick &tick)
{
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("Not recording.");
        return false;
    }
    const QByteArray row = Row(tick);
    if (row.isEmpty())
        return true;
    if (!WriteLine(row)) {
        m_error = QStringLiteral("Recording to file \"%1\" stopped.\r\nReason: %2").arg(Shown(m_file.fileName()), m_error);
        return false;
    }
    return true;
}

void TMonitorLog::Close()
{
    if (m_file.isOpen())
        m_file.close();
}

// On failure m_error holds the system's reason and the file is closed.
bool TMonitorLog::WriteLine(const QByteArray &line)
{
    const qint64 before = m_file.pos();
    qint64 done = 0;
    // A nearly full disk takes part of a row without an error; the next write names the reason.
    while (done < line.size()) {
        const qint64 written = m_file.write(line.constData() + done, line.size() - done);
        if (written <= 0)
            break;
        done += written;
    }
    if (done == line.size() && m_file.flush())
        return true;
    m_error = m_file.errorString();
    // A row cut short would read as a damaged one; the rows before it stay.
    m_file.resize(before);
    m_file.close();
    return false;
}
