#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

struct TScanTick;

// A recording of the values the monitor reads, as CSV for spreadsheets and scripts:
// RFC 4180 (commas, CRLF line ends, a field with a comma, quote or line break in quotes,
// quotes doubled), UTF-8 without a byte order mark, a header row
//   Time,Tag,Value,Status,Alarm
// then one row per READ of the value (every third tick; the ticks between read nothing new).
// Time is ISO 8601 with the UTC offset, so rows stay in order across a change of summer time;
// the value is in the C locale ("." as decimal point) whatever the user's locale, so the file
// reads the same everywhere; a READ without a VALUES reply leaves the value empty and says so
// in Status. The tag name is in every row, so one file can follow Stop and Play on other tags.
// Every row reaches the operating system before Write returns: a crash loses nothing written.
class TMonitorLog
{
public:
    TMonitorLog() = default;
    TMonitorLog(const TMonitorLog &) = delete;
    TMonitorLog &operator=(const TMonitorLog &) = delete;

    // Creates the file, or replaces the one at path (the caller has asked), and writes the
    // header. False, with ErrorString, when either fails; the log is closed then.
    bool Open(const QString &path);
    // Writes the row of a tick that read the value; other ticks write nothing and succeed.
    // False, with ErrorString, when the row could not be written whole (a full disk): the log
    // is closed then, and the file keeps every row before that one.
    bool Write(const TScanTick &tick);
    void Close();

    bool IsOpen() const { return m_file.isOpen(); }
    QString FileName() const { return m_file.fileName(); } // the last file opened
    QString ErrorString() const { return m_error; }       // a message for the user

    static QByteArray Header();
    // The row of a tick, or empty for a tick that did not read the value.
    static QByteArray Row(const TScanTick &tick);

    static const QString NoValidReply; // Status of a READ that got no VALUES reply

private:
    bool WriteLine(const QByteArray &line);

    QFile m_file;
    QString m_error;
};
