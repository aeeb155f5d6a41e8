#include "config/TagCsv.h"

#include "base/ConvertError.h"
#include "base/Csv.h"
#include "config/TagChecks.h"
#include "config/TagForm.h"
#include "config/TagRows.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace {

// The columns of the file are the row's texts without the hidden value kind.
qsizetype columnCount(TagProtocol protocol)
{
    return TagKeys(protocol).size() - 1;
}

QString quotedList(const QList<QByteArray> &items)
{
    QStringList quoted;
    for (const QByteArray &item : items)
        quoted << QLatin1Char('"') + QString::fromLatin1(item) + QLatin1Char('"');
    return quoted.join(QStringLiteral(", "));
}

// The list a key's text must come from, or null for a key that holds no list text.
const QList<QByteArray> *itemsOf(TagProtocol protocol, const QByteArray &key)
{
    static const QList<QByteArray> flags = {"Yes", "No"};
    if (key == "SOURCE")
        return &SourceItems(protocol);
    if (key == "TYPE")
        return &TypeItems(protocol);
    if (key == "REGTABLE")
        return &HostlinkFunctionItems();
    if (key == "FILETYPE")
        return &DF1FileTypeItems();
    if (key == "SCALE")
        return &ScaleItems();
    if (key == "ENRON" || key == "READONLY" || key == "LIMITS" || key == "ALARM" || key == "EMAIL" || key == "TRAP")
        return &flags;
    return nullptr;
}

// The row the protocol's dialog would store for a form that passed its checks.
QList<QByteArray> builtRow(const TTagForm &form)
{
    switch (form.protocol) {
    case TagProtocol::Modbus: {
        TModbusTagConfig tag;
        GetTagConfiguration(form, tag);
        return TagToTexts(tag);
    }
    case TagProtocol::Hostlink: {
        THostlinkTagConfig tag;
        GetTagConfiguration(form, tag);
        return TagToTexts(tag);
    }
    case TagProtocol::DF1:
        break;
    }
    TDF1TagConfig tag;
    GetTagConfiguration(form, tag);
    return TagToTexts(tag);
}

class TTagCsvParser
{
public:
    TTagCsvParser(TagProtocol protocol, QString text)
        : m_protocol(protocol), m_keys(TagKeys(protocol)), m_captions(TagCsvHeader(protocol)), m_text(std::move(text)),
          m_reader(m_text)
    {
    }

    TTagCsvImport Run();

private:
    bool fail(int line, const QString &column, const QString &message)
    {
        m_fault = TTagCsvFault{line, column, message};
        return false;
    }
    QString caption(int key) const { return m_captions.value(key); }
    bool readHeader(const TCsvRecord &record);
    bool readRow(const TCsvRecord &record);
    bool checkTexts(int line, QList<QByteArray> &texts);
    QString readerFault() const;

    TagProtocol m_protocol;
    const QList<QByteArray> &m_keys;
    const QStringList m_captions;
    const QString m_text; // what the reader reads
    TCsvReader m_reader;
    QList<int> m_keyOfField; // the key index of each of the file's fields
    QList<QList<QByteArray>> m_rows;
    QSet<QByteArray> m_names;
    std::optional<TTagCsvFault> m_fault;
};

TTagCsvImport TTagCsvParser::Run()
{
    TTagCsvImport result;
    TCsvRecord record;
    bool header = false;
    while (m_reader.Next(record)) {
        // Blank lines, and the empty rows spreadsheets leave at the end, carry nothing.
        if (std::all_of(record.fields.cbegin(), record.fields.cend(), [](const QString &f) { return f.isEmpty(); }))
            continue;
        const bool passed = header ? readRow(record) : readHeader(record);
        header = true;
        if (!passed) {
            result.fault = m_fault;
            return result;
        }
    }
    if (m_reader.Failed()) {
        result.fault = TTagCsvFault{m_reader.FaultLine(), QString(), readerFault()};
    } else if (!header) {
        result.fault = TTagCsvFault{1, QString(),
                                    QStringLiteral("The file holds no header row. Its first line names the columns: %1.")
                                        .arg(m_captions.join(QStringLiteral(", ")))};
    } else {
        result.rows = m_rows;
    }
    return result;
}

QString TTagCsvParser::readerFault() const
{
    const int field = m_reader.FaultField();
    const int key = m_keyOfField.value(field, -1);
    const QString column = key < 0 ? QStringLiteral("column %1").arg(field + 1) : QStringLiteral("column \"%1\"").arg(caption(key));
    return QStringLiteral("The CSV text is damaged in %1: %2.").arg(column, m_reader.Fault());
}

bool TTagCsvParser::readHeader(const TCsvRecord &record)
{
    const QString expected = QStringLiteral("a %1 tag list has the columns %2")
                                 .arg(ProtocolWord(m_protocol), m_captions.join(QStringLiteral(", ")));
    // A table of another protocol's list says so rather than which columns differ.
    const QSet<QString> found(record.fields.cbegin(), record.fields.cend());
    for (TagProtocol other : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1}) {
        const QStringList captions = TagCsvHeader(other);
        if (other != m_protocol && found == QSet<QString>(captions.cbegin(), captions.cend()))
            return fail(record.line, QString(),
                        QStringLiteral("The columns are those of a %1 tag list; this document is a %2 configuration.")
                            .arg(ProtocolWord(other), ProtocolWord(m_protocol)));
    }
    for (const QString &field : record.fields) {
        const int key = int(m_captions.indexOf(field));
        if (key < 0)
            return fail(record.line, field, QStringLiteral("This is not a column of the tag list: %1.").arg(expected));
        if (m_keyOfField.contains(key))
            return fail(record.line, field, QStringLiteral("The column stands twice in the header."));
        m_keyOfField << key;
    }
    for (int key = 0; key < m_captions.size(); ++key)
        if (!m_keyOfField.contains(key))
            return fail(record.line, caption(key), QStringLiteral("The column is missing: %1.").arg(expected));
    return true;
}

bool TTagCsvParser::readRow(const TCsvRecord &record)
{
    if (m_rows.size() >= MaxTags)
        return fail(record.line, QString(), QStringLiteral("Cannot add more than 128 Tags."));
    if (record.fields.size() != m_keyOfField.size())
        return fail(record.line, QString(),
                    QStringLiteral("The row has %1 fields; the header names %2 columns.")
                        .arg(record.fields.size())
                        .arg(m_keyOfField.size()));

    QList<QByteArray> texts(m_keys.size());
    for (int i = 0; i < record.fields.size(); ++i) {
        const QString &field = record.fields.at(i);
        for (QChar c : field)
            if (c.unicode() > 0xFF)
                return fail(record.line, caption(m_keyOfField.at(i)),
                            QStringLiteral("The character \"%1\" cannot be stored in an Orvan gateway, which holds "
                                           "Latin-1 text only.")
                                .arg(c));
        texts[m_keyOfField.at(i)] = field.toLatin1();
    }
    if (!checkTexts(record.line, texts))
        return false;

    const TTagForm form = TagFormFromTexts(m_protocol, texts);
    const TTagVerdict verdict = ValidateTag(form);
    if (!verdict.passed())
        return fail(record.line, caption(int(m_keys.indexOf(TagFieldKey(m_protocol, verdict.fault->field)))),
                    verdict.fault->message);
    // The form reads an edge from the one limit set to "1"; say so rather than guess.
    if (form.alarmEnable && IsDigital(form)) {
        const QByteArray low = texts.at(m_keys.indexOf("ALMIN"));
        const QByteArray high = texts.at(m_keys.indexOf("ALMAX"));
        if (!((low == "1" && high == "0") || (low == "0" && high == "1")))
            return fail(record.line, caption(int(m_keys.indexOf("ALMIN"))),
                        QStringLiteral("The alarm of a digital tag is an edge: \"1\" in Low (positive edge) or in "
                                       "High (negative edge), and \"0\" in the other."));
    }
    QList<QByteArray> row;
    try {
        row = builtRow(form);
    } catch (const EConvertError &error) {
        return fail(record.line, QString(), error.message());
    }
    if (m_names.contains(row.constFirst()))
        return fail(record.line, caption(0),
                    QStringLiteral("The Tag %1 already exists.").arg(QString::fromLatin1(row.constFirst())));
    m_names.insert(row.constFirst());
    m_rows << row;
    return true;
}

// What the dialog's controls ensure by themselves: a name a gateway holds, texts chosen
// from lists, flags ticked or not, a Modbus address behind its table's digit.
bool TTagCsvParser::checkTexts(int line, QList<QByteArray> &texts)
{
    const QString name = QString::fromLatin1(texts.at(0));
    if (name.size() > MaxTagNameLength)
        return fail(line, caption(0), QStringLiteral("A tag name has at most %1 characters.").arg(MaxTagNameLength));
    if (!std::all_of(name.cbegin(), name.cend(), IsTagNameCharacter))
        return fail(line, caption(0), QStringLiteral("A tag name holds no control characters."));
    texts[0] = TypedTagName(name).toLatin1();

    for (int key = 1; key < columnCount(m_protocol); ++key) {
        const QList<QByteArray> *items = itemsOf(m_protocol, m_keys.at(key));
        if (items && !items->contains(texts.at(key)))
            return fail(line, caption(key),
                        QStringLiteral("\"%1\" is none of %2.").arg(QString::fromLatin1(texts.at(key)), quotedList(*items)));
    }
    if (m_protocol == TagProtocol::Modbus && IsSerialSource(GetSourceValue(m_protocol, texts.at(1)))) {
        const QByteArray address = texts.at(m_keys.indexOf("ADDRESS"));
        if (!address.isEmpty() && ModbusTableFromDigit(address.at(0)) < 0)
            return fail(line, caption(int(m_keys.indexOf("ADDRESS"))),
                        QStringLiteral("A register address begins with its table's digit: 4 Holding Register, "
                                       "3 Input Register, 1 Input Status, 0 Coil Status."));
    }
    return true;
}

} // namespace

QStringList TagCsvHeader(TagProtocol protocol)
{
    QStringList captions{QStringLiteral("Name")};
    for (const QByteArray &column : TagColumns(protocol))
        captions << QString::fromLatin1(column);
    return captions;
}

QByteArray WriteTagCsv(const TConfigModel &model)
{
    QByteArray bytes = CsvLine(TagCsvHeader(model.Protocol()));
    const qsizetype columns = columnCount(model.Protocol());
    for (int row = 0; row < model.GetTagCount(); ++row) {
        QStringList fields;
        for (const QByteArray &text : model.TagTexts(row).mid(0, columns))
            fields << QString::fromLatin1(text);
        bytes += CsvLine(fields);
    }
    return bytes;
}

QString TTagCsvFault::Text() const
{
    QString where;
    if (line > 0)
        where = column.isEmpty() ? QStringLiteral("Line %1: ").arg(line)
                                 : QStringLiteral("Line %1, column \"%2\": ").arg(line).arg(column);
    return where + message;
}

TTagCsvImport ReadTagCsv(TagProtocol protocol, const QByteArray &bytes)
{
    return TTagCsvParser(protocol, DecodeCsvText(bytes)).Run();
}

bool ExportTagCsv(const TConfigModel &model, const QString &path, QString *error)
{
    const QByteArray bytes = WriteTagCsv(model);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

TTagCsvImport ImportTagCsv(TagProtocol protocol, const QString &path)
{
    TTagCsvImport result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = TTagCsvFault{0, QString(), QStringLiteral("Reason: %1").arg(file.errorString())};
        return result;
    }
    if (file.size() > MaxTagCsvBytes) {
        result.fault = TTagCsvFault{0, QString(),
                                    QStringLiteral("The file has %1 bytes; a table of 128 tags has far less than %2.")
                                        .arg(file.size())
                                        .arg(MaxTagCsvBytes)};
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.fault = TTagCsvFault{0, QString(), QStringLiteral("Reason: %1").arg(file.errorString())};
        return result;
    }
    return ReadTagCsv(protocol, bytes);
}

void ReplaceTagRows(TConfigModel &model, const QList<QList<QByteArray>> &rows)
{
    model.ClearTags();
    for (const QList<QByteArray> &row : rows)
        model.AppendTagTexts(row);
}

QString TagImportFailureMessage(const QString &path, const TTagCsvFault &fault)
{
    return QStringLiteral("Cannot import the tags of \"%1\".\r\n%2\r\nNo tag was changed.")
        .arg(QDir::toNativeSeparators(path), fault.Text());
}

QString TagExportFailureMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot export the tags to \"%1\".\r\nReason: %2").arg(QDir::toNativeSeparators(path), reason);
}
