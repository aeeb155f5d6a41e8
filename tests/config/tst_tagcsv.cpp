#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "TransferRig.h"

#include "app/ui/Main.h"
#include "base/Csv.h"
#include "config/ConfigTransfer.h"
#include "config/TagCsv.h"
#include "config/TagRows.h"
#include "config/ui/ConfigDocuments.h"
#include "config/ui/ConfigPages.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>


namespace {

// Rows of every source of each protocol as the tag dialogs store them (key order, hidden
// value kind last), with names that need quotes in a CSV file.
QList<QByteArray> sampleRows(TagProtocol protocol)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return {
            "LEVEL|Modbus Serial|1|40001|Unsigned int|No|0|No|Yes|0|1000|Yes|10|900|Yes|None|0|0|Yes|1",
            "RUN|Modbus Serial|2|00012|Single bit|No|0|No|No|0|0|Yes|0|1|No|None|0|0|No|0",
            "TEMP_C|Modbus Serial|4|40100|Signed int|No|0|No|No|0|0|No|0|0|No|Linear (Ax+B)|0.100000001490116|-40|No|2",
            "Q\"1,X|Modbus Serial|1|40002|BCD|No|0|No|No|0|0|No|0|0|No|None|0|0|No|1",
            "DI1|Orvan Input|0|00000|Single bit|No|1|Yes|No|0|0|Yes|1|0|No|None|0|0|No|0",
            "DO2|Orvan Output|0|00000|Single bit|No|2|No|No|0|0|No|0|0|No|None|0|0|No|0",
            "_TEMP|Internal|0|00000|Float|No|0|Yes|No|0|0|Yes|-10|60|No|None|0|0|No|2",
            "AIN0||0|00000|Signed int|No|5|Yes|No|0|0|Yes|-100|100|No|None|0|0|No|1",
        };
    case TagProtocol::Hostlink:
        return {
            "PRESS|Hostlink Serial|0|DM|9999|Signed int|0|No|Yes|-100|100|Yes|-50|50|Yes|None|0|0|1",
            "MOTOR|Hostlink Serial|5|IR|7|Word bit|15|No|No|0|0|Yes|0|1|No|None|0|0|0",
            "COUNT \"A\"|Hostlink Serial|5|TCPV|0|Long|0|No|No|0|0|No|0|0|No|Linear (Ax+B)|2|0.5|2",
            "DI0|Orvan Input|0|IR|00000|Single bit|0|Yes|No|0|0|Yes|1|0|Yes|None|0|0|0",
            "DO7|Orvan Output|0|IR|00000|Single bit|7|Yes|No|0|0|No|0|0|No|None|0|0|0",
            "_COMMERROR|Internal|0|IR|00000|Single bit|0|Yes|No|0|0|Yes|1|0|No|None|0|0|0",
            "AIN3|Orvan Ainput|0|IR|00000|Signed int|3|Yes|No|0|0|Yes|-20|20|No|None|0|0|1",
        };
    case TagProtocol::DF1:
        break;
    }
    return {
        "N7_0|DF1 Serial|Integer (N)|7|0|Unsigned int|0|No|Yes|0|65535|No|0|0|No|None|0|0|1",
        "F8,1|DF1 Serial|Float (F)|8|1|Float|0|No|No|0|0|Yes|-1000000|1000000|Yes|None|0|0|2",
        "B3_4|DF1 Serial|Binary (B)|3|4|Word bit|9|No|No|0|0|Yes|1|0|No|None|0|0|0",
        "DI5|Orvan Input|Input (I)|00000|00000|Single bit|5|Yes|No|0|0|No|0|0|No|None|0|0|0",
        "DO0|Orvan Output|Output (O)|00000|00000|Single bit|0|No|No|0|0|Yes|0|1|Yes|None|0|0|0",
        "_ALARMNAK|Internal|Input (I)|00000|00000|Single bit|0|Yes|No|0|0|No|0|0|No|None|0|0|0",
        "AIN7|Orvan Ainput|Input (I)|00000|00000|Signed int|7|Yes|No|0|0|No|0|0|No|Linear (Ax+B)|1.5|-2|2",
    };
}

std::unique_ptr<TConfigModel> modelWith(TagProtocol protocol, const QList<QByteArray> &rows)
{
    using Model = std::unique_ptr<TConfigModel>;
    using Make = Model (*)();
    Model model = ByProtocol<Make>(
        protocol, []() -> Model { return std::make_unique<TModbusConfigModel>(); },
        []() -> Model { return std::make_unique<THostlinkConfigModel>(); },
        []() -> Model { return std::make_unique<TDF1ConfigModel>(); })();
    for (const QByteArray &row : rows)
        model->AppendTagTexts(row.split('|'));
    return model;
}

QList<QList<QByteArray>> rowsOf(const TConfigModel &model)
{
    QList<QList<QByteArray>> rows;
    for (int row = 0; row < model.GetTagCount(); ++row)
        rows << model.TagTexts(row);
    return rows;
}

// The rows sent to the protocol's simulated gateway, fetched back into a new model, as a file.
template<class Model, class Config>
QByteArray afterGateway(TransferRig &rig, TagProtocol protocol, const QList<QList<QByteArray>> &rows)
{
    Model model;
    ReplaceTagRows(model, rows);
    auto record = std::make_unique<Config>();
    model.GetAllConfig(*record);
    if (!TConfigTransfer(rig.channel, rig.device(protocol)).SendConfig(*record))
        return {};
    *record = Config();
    SetNewConfigDefaults(*record);
    if (!TConfigTransfer(rig.channel, rig.device(protocol)).GetConfig(*record))
        return {};
    model.SetAllConfig(*record);
    return WriteTagCsv(model);
}

// A file of the protocol: its header, then the lines given.
QByteArray csvFile(TagProtocol protocol, const QByteArray &lines)
{
    return CsvLine(TagCsvHeader(protocol)) + lines;
}

// One valid Modbus line with some of its fields replaced (by column caption).
QByteArray modbusLine(const QHash<QString, QString> &changes = {}, const QString &name = QStringLiteral("LEVEL"))
{
    QStringList fields = QString::fromLatin1(sampleRows(TagProtocol::Modbus).first()).split(QLatin1Char('|'));
    fields.removeLast(); // the value kind is no column
    fields[0] = name;
    const QStringList header = TagCsvHeader(TagProtocol::Modbus);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        fields[header.indexOf(it.key())] = it.value();
    return CsvLine(fields);
}

} // namespace

// Tag tables as CSV files: the bytes written, the round trip through a file and a gateway,
// every kind of refused file, and the document's commands behind the main window's actions.
class TestTagCsv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void exportedBytes()
    {
        const auto model = modelWith(TagProtocol::Modbus, {sampleRows(TagProtocol::Modbus).at(3)});
        TModbusTagConfig flow;
        TagFromTexts(QByteArray("FLOW|Modbus Serial|17|310000|Float|Yes|0|Yes|No|0|0|Yes|-1.5|250.25|No|None|0|0|No|2").split('|'), flow);
        QLocale::setDefault(QLocale(QLocale::German)); // the list shows "-1,5": quoted, not split
        model->AppendTagTexts(TagToTexts(flow));
        QCOMPARE(WriteTagCsv(*model),
                 QByteArray("Name,Source,Unit ID,Address,Type,32 Bit,Bit Pos,Read Only,Limits,Min,Max,Alarm,Low,High,"
                            "Email,Scale,A,B,Trap\r\n"
                            "\"Q\"\"1,X\",Modbus Serial,1,40002,BCD,No,0,No,No,0,0,No,0,0,No,None,0,0,No\r\n"
                            "FLOW,Modbus Serial,17,310000,Float,Yes,0,Yes,No,0,0,Yes,\"-1,5\",\"250,25\",No,None,0,0,No\r\n"));
    }

    // Rows of every source come back from a file as they were, and from a gateway too.
    void roundTrip_data() { addProtocolRows(); }

    void roundTrip()
    {
        QFETCH(TagProtocol, protocol);
        const auto model = modelWith(protocol, sampleRows(protocol));
        const QByteArray file = WriteTagCsv(*model);
        const TTagCsvImport read = ReadTagCsv(protocol, file);
        QVERIFY2(read.passed(), qPrintable(read.fault->Text()));
        QCOMPARE(read.rows, rowsOf(*model));

        TransferRig rig;
        const QByteArray got = ByProtocol(protocol, &afterGateway<TModbusConfigModel, TModbusOrvanConfig>,
                                          &afterGateway<THostlinkConfigModel, THostlinkOrvanConfig>,
                                          &afterGateway<TDF1ConfigModel, TDF1OrvanConfig>)(rig, protocol, read.rows);
        QCOMPARE(got, file);
    }

    // A full table reads at once; the limit counts rows, not lines.
    void fullTable()
    {
        QByteArray lines;
        for (int i = 0; i < MaxTags; ++i)
            lines += modbusLine({}, QStringLiteral("T%1").arg(i)) + (i % 10 ? "" : "\n");
        QElapsedTimer clock;
        clock.start();
        const TTagCsvImport read = ReadTagCsv(TagProtocol::Modbus, csvFile(TagProtocol::Modbus, lines));
        QVERIFY2(read.passed(), qPrintable(read.fault->Text()));
        QCOMPARE(read.rows.size(), MaxTags);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));

        const TTagCsvImport over = ReadTagCsv(TagProtocol::Modbus, csvFile(TagProtocol::Modbus, lines + modbusLine({}, "T128")));
        QVERIFY(!over.passed() && over.rows.isEmpty());
        QCOMPARE(over.fault->Text(), QStringLiteral("Line 143: Cannot add more than 128 Tags."));
    }

    // What is refused, where, and why; and what is read despite looking unusual.
    void reading_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("fault"); // the start of the fault's text; empty: the file reads
        QTest::addColumn<QByteArray>("firstName");
        const auto modbus = [](const char *name, const QByteArray &lines, const QString &fault, const QByteArray &first = {}) {
            QTest::newRow(name) << TagProtocol::Modbus << csvFile(TagProtocol::Modbus, lines) << fault << first;
        };
        modbus("unknown type text", modbusLine({{"Type", "Unsigned integer"}}),
               "Line 2, column \"Type\": \"Unsigned integer\" is none of \"Unsigned int\", \"Signed int\", ");
        modbus("flag in lower case", modbusLine({{"Read Only", "yes"}}),
               "Line 2, column \"Read Only\": \"yes\" is none of \"Yes\", \"No\".");
        modbus("address out of range", modbusLine({{"Address", "470000"}}),
               "Line 2, column \"Address\": In 6 digit format, Address must be between 00001 and 65536.");
        modbus("address without its table", modbusLine({{"Address", "90001"}}),
               "Line 2, column \"Address\": A register address begins with its table's digit");
        modbus("the dialog's own check", modbusLine({{"Address", "30001"}}), "Line 2, column \"Read Only\": Tag must be Read Only.");
        modbus("edge alarm without an edge",
               modbusLine({{"Address", "00001"}, {"Type", "Single bit"}, {"Limits", "No"}, {"Low", "0"}, {"High", "0"}}),
               "Line 2, column \"Low\": The alarm of a digital tag is an edge");
        modbus("duplicate once raised", modbusLine({}, "level") + "\r\n" + modbusLine(),
               "Line 4, column \"Name\": The Tag LEVEL already exists.");
        modbus("name too long", modbusLine({}, "ABCDEFGHIJKLMNOP"), "Line 2, column \"Name\": A tag name has at most 15 characters.");
        modbus("name beyond Latin-1", modbusLine({}, QStringLiteral("TANK\u20AC")),
               "Line 2, column \"Name\": The character \"\u20AC\" cannot be stored");
        modbus("field missing", modbusLine().replace(",Yes\r\n", "\r\n"), "Line 2: The row has 18 fields; the header names 19 columns.");
        modbus("quote inside a field", "LE\"VEL" + modbusLine().mid(5),
               "Line 2: The CSV text is damaged in column \"Name\": a quote inside a field");
        modbus("text after a closing quote", "\"LEVEL\"X" + modbusLine().mid(5),
               "Line 2: The CSV text is damaged in column \"Name\": text after the closing quote");
        modbus("quoted field left open", modbusLine() + "\"T2,Modbus Serial\r\n", "Line 3: The CSV text is damaged in column \"Name\": a quoted field is not closed");
        modbus("first bad row wins", modbusLine({{"Type", "x"}}) + "\"open", "Line 2, column \"Type\"");
        modbus("blank lines, LF and a line break in a quoted field",
               "\n\n\"A\nB\"" + modbusLine().mid(5).replace("\r\n", "\n"), "Line 4, column \"Name\": A tag name holds no control characters.");
        modbus("trailing empty rows and no last line end", modbusLine({{"Name", "tank"}}).chopped(2) + "\r\n,,,,\r\n,,,", "", "TANK");
        modbus("name quoted with a quote and a comma", modbusLine({}, "A\",b"), "", "A\",B");

        const auto file = [](const char *name, TagProtocol protocol, const QByteArray &bytes, const QString &fault,
                             const QByteArray &first = {}) { QTest::newRow(name) << protocol << bytes << fault << first; };
        file("empty file", TagProtocol::DF1, "\r\n", "Line 1: The file holds no header row. Its first line names the columns: Name, Source, File Type, ");
        file("another protocol's table", TagProtocol::Modbus, csvFile(TagProtocol::Hostlink, {}),
             "Line 1: The columns are those of a Hostlink tag list; this document is a Modbus configuration.");
        file("missing column", TagProtocol::Modbus, CsvLine(TagCsvHeader(TagProtocol::Modbus).mid(0, 18)),
             "Line 1, column \"Trap\": The column is missing: a Modbus tag list has the columns Name, Source, ");
        file("unknown column", TagProtocol::DF1, CsvLine(TagCsvHeader(TagProtocol::DF1) << "Comment"),
             "Line 1, column \"Comment\": This is not a column of the tag list");
        QStringList reordered = TagCsvHeader(TagProtocol::Hostlink);
        reordered.move(0, reordered.size() - 1);
        file("columns in another order", TagProtocol::Hostlink,
             CsvLine(reordered) + "Hostlink Serial,0,DM,1,Unsigned int,0,No,No,0,0,No,0,0,No,None,0,0,LAST\r\n", "", "LAST");
        const QByteArray cafe = "Hostlink Serial,0,DM,1,Unsigned int,0,No,No,0,0,No,0,0,No,None,0,0,CAF\xC9\r\n";
        file("UTF-8 with a byte order mark", TagProtocol::Hostlink, "\xEF\xBB\xBF" + CsvLine(reordered) + QString::fromLatin1(cafe).toUtf8(), "",
             "CAF\xC9");
        file("Latin-1 bytes", TagProtocol::Hostlink, CsvLine(reordered) + cafe, "", "CAF\xC9");
        file("df1 file number of another type", TagProtocol::DF1,
             csvFile(TagProtocol::DF1, "N8,DF1 Serial,Integer (N),8,0,Unsigned int,0,No,No,0,0,No,0,0,No,None,0,0\r\n"),
             "Line 2, column \"File No.\": File Number for Tags of File Type \"Integer (N)\" must be 7 or greater than 8.");
    }

    void reading()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QByteArray, file);
        QFETCH(QString, fault);
        QFETCH(QByteArray, firstName);
        const TTagCsvImport read = ReadTagCsv(protocol, file);
        if (fault.isEmpty()) {
            QVERIFY2(read.passed(), qPrintable(read.fault->Text()));
            QCOMPARE(read.rows.value(0).value(0), firstName);
            return;
        }
        QVERIFY2(!read.passed(), "the file was read");
        QVERIFY(read.rows.isEmpty());
        QVERIFY2(read.fault->Text().startsWith(fault), qPrintable(read.fault->Text()));
    }

    // The samples the README and the screenshot use: the good one reads, the bad one is
    // refused at its fourth tag.
    void samples()
    {
        const auto read = [](const char *name) {
            QFile file(QStringLiteral(KOVA_SAMPLES "/") + QLatin1String(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const TTagCsvImport good = ReadTagCsv(TagProtocol::Modbus, read("modbus-tags.csv"));
        QVERIFY2(good.passed(), qPrintable(good.fault->Text()));
        QCOMPARE(good.rows.size(), 9);
        const TTagCsvImport bad = ReadTagCsv(TagProtocol::Modbus, read("modbus-tags-bad.csv"));
        QCOMPARE(bad.fault ? bad.fault->Text() : QString(),
                 QStringLiteral("Line 5, column \"Address\": In 6 digit format, Address must be between 00001 and 65536."));
    }

    // The commands on a real document: enabled with the tag list, a refused file changes
    // nothing, a good one replaces the tags after the question, export writes the list.
    void documentCommands()
    {
        QTemporaryDir dir;
        RecordingPrompt prompt;
        TMainForm form;
        form.CreateDialogs();
        auto *document = static_cast<TMDIConfig *>(form.CreateDocument(KindHostlink));
        QAction *exportTags = form.action(QStringLiteral("ConfigurationExportTags"));
        QAction *importTags = form.action(QStringLiteral("ConfigurationImportTags"));
        QVERIFY(!exportTags->isEnabled() && !importTags->isEnabled());
        document->Pages().ShowPage(TConfigPage::Tags);
        form.ApplicationUpdate();
        QVERIFY(exportTags->isEnabled() && importTags->isEnabled());

        QList<QByteArray> rows = sampleRows(TagProtocol::Hostlink);
        document->Model().AppendTagTexts(rows.first().split('|'));
        document->RefreshTags();
        document->SetSaved(true);
        const auto good = modelWith(TagProtocol::Hostlink, rows);
        const QString goodPath = dir.filePath(QStringLiteral("good.csv")), badPath = dir.filePath(QStringLiteral("bad.csv"));
        rows[0].replace("|9999|", "|10000|");
        QVERIFY(ExportTagCsv(*good, goodPath, nullptr) && ExportTagCsv(*modelWith(TagProtocol::Hostlink, rows), badPath, nullptr));
        prompt.openAnswers.enqueue({badPath});
        importTags->trigger();
        QCOMPARE(prompt.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Cannot import the tags of \"%1\".\r\nLine 2, column \"Address\": Register "
                                            "Address must be between 0 and 9999.\r\nNo tag was changed.").arg(badPath)});
        QCOMPARE(document->GetTagCount(), 1);
        QVERIFY(document->Saved());

        for (Prompt::Answer answer : {Prompt::Answer::No, Prompt::Answer::Yes}) {
            prompt.clear();
            prompt.answers.enqueue(answer);
            prompt.openAnswers.enqueue({goodPath});
            importTags->trigger();
            QCOMPARE(prompt.texts(QStringLiteral("confirmYesNo")),
                     QStringList{QStringLiteral("Importing \"%1\" replaces the 1 tag of this configuration with the 7 "
                                                "tags of the file.\r\nAre you sure to import the Tags?").arg(goodPath)});
            QCOMPARE(document->GetTagCount(), answer == Prompt::Answer::Yes ? 7 : 1);
        }
        QCOMPARE(prompt.texts(QStringLiteral("information")), QStringList{QStringLiteral("7 tags imported from \"%1\".").arg(goodPath)});
        QCOMPARE(rowsOf(document->Model()), rowsOf(*good));
        QCOMPARE(document->Pages().TagList()->item(2, 0)->text(), QStringLiteral("COUNT \"A\""));
        QVERIFY(!document->Saved());

        const QString exported = dir.filePath(QStringLiteral("out.csv"));
        prompt.saveAnswers << exported << dir.filePath(QStringLiteral("no/such/folder.csv"));
        exportTags->trigger();
        QFile out(exported);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), WriteTagCsv(*good));
        exportTags->trigger();
        QVERIFY2(prompt.last().startsWith(QStringLiteral("Cannot export the tags to")), qPrintable(prompt.last()));
        document->SetSaved(true);
    }
};

KOVA_TEST(TestTagCsv)
#include "tst_tagcsv.moc"
