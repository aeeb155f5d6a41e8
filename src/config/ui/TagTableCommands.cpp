// A configuration document's tag list to and from a CSV file. The reading, the checks and
// the writing are TagCsv.h's; the document asks for the file, confirms and shows.
#include "config/ui/ConfigDocuments.h"

#include "base/Prompt.h"
#include "config/TagCsv.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString CsvFilter = QStringLiteral("CSV File (*.csv)|*.csv|All Files (*.*)|*.*");

QString tagCount(int count)
{
    return count == 1 ? QStringLiteral("1 tag") : QStringLiteral("%1 tags").arg(count);
}

} // namespace

void TMDIConfig::ExportTags()
{
    const QFileInfo document(FileName());
    Prompt::FileRequest request;
    request.title = QStringLiteral("Export Tags");
    request.filter = CsvFilter;
    request.defaultSuffix = QStringLiteral("csv");
    request.proposedName = document.dir().filePath(document.completeBaseName() + QStringLiteral(".csv"));
    request.confirmOverwrite = true;
    const QString path = Prompt::instance().saveFile(request);
    if (path.isEmpty())
        return;
    QString reason;
    if (!ExportTagCsv(*m_model, path, &reason))
        Prompt::instance().error(TagExportFailureMessage(path, reason));
}

void TMDIConfig::ImportTags()
{
    Prompt::FileRequest request;
    request.title = QStringLiteral("Import Tags");
    request.filter = CsvFilter;
    request.proposedName = QFileInfo(FileName()).path();
    const QStringList paths = Prompt::instance().openFiles(request);
    if (paths.isEmpty())
        return;
    const QString &path = paths.constFirst();
    const TTagCsvImport read = ImportTagCsv(Protocol(), path);
    if (!read.passed()) {
        Prompt::instance().error(TagImportFailureMessage(path, *read.fault));
        return;
    }
    // The file's tags take the place of the list's: asked first, unless nothing is lost.
    const int count = GetTagCount();
    if (count > 0
        && !Prompt::instance().confirmYesNo(
            QStringLiteral("Importing \"%1\" replaces the %2 of this configuration with the %3 of the file.\r\n"
                           "Are you sure to import the Tags?")
                .arg(QDir::toNativeSeparators(path), tagCount(count), tagCount(int(read.rows.size())))))
        return;
    QList<QList<QByteArray>> before;
    for (int row = 0; row < count; ++row)
        before << m_model->TagTexts(row);
    ReplaceTagRows(*m_model, read.rows);
    RefreshTags();
    if (read.rows != before)
        SetSaved(false);
    emit documentStateChanged();
    Prompt::instance().information(
        QStringLiteral("%1 imported from \"%2\".").arg(tagCount(int(read.rows.size())), QDir::toNativeSeparators(path)));
}
