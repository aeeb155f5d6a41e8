#pragma once

#include "config/ConfigModel.h"

#include <QString>
#include <QStringList>

#include <optional>

// A document's tag list as a CSV file (base/Csv.h), for spreadsheets and scripts: a header
// row of the list's own column captions ("Name", then TagColumns of the protocol), then one
// row per tag with the texts the list shows ("Holding Register", "40001", "Yes"). The hidden
// value kind is not written: it follows from the other columns.
//
// Reading checks every row as the protocol's tag dialog checks its fields on OK: the texts
// become a dialog form (TagFormFromTexts), pass ValidateTag, and the row is rebuilt from the
// record the dialog would build (GetTagConfiguration, TagToTexts). So an imported row is
// always one the dialog could have stored. Before that come the checks that a dialog's
// controls make by their nature: list texts that are items of their list, flags that are
// "Yes" or "No", names of at most 15 gateway characters (letters raised, as typed), an
// edge alarm with its one edge. Then the names must differ, and 128 tags at most.
//
// The columns are found by their captions, in any order; a missing, unknown or repeated
// caption is refused. Empty lines, and lines of empty fields only, are skipped.

QStringList TagCsvHeader(TagProtocol protocol);

// The header, then each row of the model.
QByteArray WriteTagCsv(const TConfigModel &model);

struct TTagCsvFault
{
    int line = 0;   // line of the file, from 1; 0 for the file as a whole
    QString column; // the column's caption; empty when the fault is the row's or the file's
    QString message;

    // "Line 7, column "Address": <message>" (without the parts that are not known).
    QString Text() const;
};

struct TTagCsvImport
{
    QList<QList<QByteArray>> rows; // tag rows in key order (TagRows.h); empty after a fault
    std::optional<TTagCsvFault> fault;

    bool passed() const { return !fault.has_value(); }
};

// All or nothing: the rows of a file whose every row passed, or the first fault.
TTagCsvImport ReadTagCsv(TagProtocol protocol, const QByteArray &bytes);

// Files. A tag table is small; a file above this is refused unread.
inline constexpr qint64 MaxTagCsvBytes = 1024 * 1024;
// Writes the file through a temporary one, so a failure leaves an old file whole. False,
// with the reason in *error, when it cannot be written.
bool ExportTagCsv(const TConfigModel &model, const QString &path, QString *error);
TTagCsvImport ImportTagCsv(TagProtocol protocol, const QString &path);

// The model's tag list becomes rows that ReadTagCsv passed.
void ReplaceTagRows(TConfigModel &model, const QList<QList<QByteArray>> &rows);

// Messages for the user around a fault or a failed write.
QString TagImportFailureMessage(const QString &path, const TTagCsvFault &fault);
QString TagExportFailureMessage(const QString &path, const QString &reason);
