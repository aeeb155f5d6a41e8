#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// RFC 4180 comma-separated values, for the files spreadsheets and scripts exchange with us.
//
// Writing: fields joined by commas, a field with a comma, quote or line break in quotes with
// its quotes doubled, lines ended by CRLF, UTF-8 without a byte order mark.
//
// Reading is strict where a guess could shift a value into the wrong column: a quote inside
// a field that does not start with one, text after a closing quote and a quoted field left
// open are faults with the line and field where they stand. Lines may end in CRLF or LF.

QString CsvField(const QString &text);          // the field as written, quoted when needed
QByteArray CsvLine(const QStringList &fields);  // one line, UTF-8, CRLF

// The text of a CSV file: UTF-8 (a byte order mark is skipped). Bytes that are not UTF-8 are
// read as Latin-1, which is what spreadsheets on many desktops save.
QString DecodeCsvText(const QByteArray &bytes);

struct TCsvRecord
{
    QStringList fields;
    int line = 0; // the line the record starts on, from 1
};

class TCsvReader
{
public:
    explicit TCsvReader(QStringView text) : m_text(text) {}

    // The next record; false at the end of the text or at a fault (Failed() tells which).
    bool Next(TCsvRecord &record);

    bool Failed() const { return !m_fault.isEmpty(); }
    QString Fault() const { return m_fault; } // what is wrong, for a message
    int FaultLine() const { return m_faultLine; }
    int FaultField() const { return m_faultField; } // index of the field in its record

private:
    bool fail(int field, const QString &message);

    QStringView m_text;
    qsizetype m_at = 0;
    int m_line = 1;
    QString m_fault;
    int m_faultLine = 0;
    int m_faultField = 0;
};
