#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "config/ConfigFile.h"
#include "config/TagRows.h"

#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TagProtocol)

namespace {

// One configuration per protocol with the serial and e-mail fields away from their defaults,
// and tags (as their texts, "|" between the keys' values) including numbers beyond the Modbus
// limit of 8 characters. The head is the file's GENERAL, COM and SMTP, to the byte.
struct Sample
{
    TSerialFields serial;
    TEmailFields email;
    QList<QByteArray> tags;
    const char *head;
};

const Sample &sampleOf(TagProtocol protocol)
{
    static const Sample modbus = {
        {1, 4, 2, 1, 250, 500, "7", 1, 0},
        {true, "smtp.example.com", "30", "3", "15", "gw@example.com", true, "gwuser", "secret", "secret",
         {"a@example.com", "b@example.com"}},
        {"LEVEL|Modbus Serial|1|40040|Float|No|0|No|Yes|-1.5|100|Yes|0.100000001490116|90|Yes|None|0|0|Yes|2",
         "COUNTER|Modbus Serial|2|310040|Long|No|0|Yes|No|0|0|Yes|-2147483648|2147483647|No|None|0|0|No|1",
         "_TEMP|Internal|0|00000|Float|No|0|Yes|No|0|0|No|0|0|No|Linear (Ax+B)|123456.78125|-0.5|No|2"},
        R"([GENERAL]
FILETYPE=MB
FILEVERSION=1.0

[COM]
COMTYPE=2
BAUD=19200
PARITY=2
FORMAT=1
SCANTIME=250
MSGTOUT=500
PKTTOUT=7

[SMTP]
ENABLE=1
SERVER=smtp.example.com
TIMEOUT=30
RETRIES=3
RETRYINT=15
FROM=gw@example.com
AUTH=1
USER=gwuser
PASS=secret
TOO_0=a@example.com
TOO_1=b@example.com
TOO_2=
TOO_3=
TOO_4=
TOO_5=

)"};
    static const Sample hostlink = {
        {2, 8, 1, 0, 0, 2000, "4", 1, 0},
        {},
        {"COUNT|Hostlink Serial|5|DM|100|Signed int|0|No|Yes|-100|100|No|0|0|No|None|0|0|1",
         "DOOR|Orvan Input|0|IR|00000|Single bit|3|Yes|No|0|0|Yes|1|0|Yes|None|0|0|0"},
        R"([GENERAL]
FILETYPE=HL
FILEVERSION=1.0

[COM]
COMTYPE=3
BAUD=115200
PARITY=1
SCANTIME=0
MSGTOUT=2000

[SMTP]
ENABLE=0
SERVER=
TIMEOUT=20
RETRIES=5
RETRYINT=10
FROM=
AUTH=0
USER=
PASS=
TOO_0=
TOO_1=
TOO_2=
TOO_3=
TOO_4=
TOO_5=

)"};
    static const Sample df1 = {
        {0, 0, 1, 0, 10000, 10, "4", 0, 1},
        {true, "mail", "20", "5", "10", "x@y", false, "", "pw", "pw", {"r1@x", "r2@x", "r3@x", "r4@x", "r5@x"}},
        {"N7_0|DF1 Serial|Integer (N)|7|0|Unsigned int|0|No|No|0|0|No|0|0|No|Linear (Ax+B)|0.5|10|2"},
        R"([GENERAL]
FILETYPE=DF1
FILEVERSION=2.0

[COM]
COMTYPE=0
BAUD=2400
PARITY=1
SCANTIME=10000
MSGTOUT=10
DATABITS=7
ERRORMTHD=1

[SMTP]
ENABLE=1
SERVER=mail
TIMEOUT=20
RETRIES=5
RETRYINT=10
FROM=x@y
AUTH=0
USER=
PASS=pw
TOO_0=r1@x
TOO_1=r2@x
TOO_2=r3@x
TOO_3=r4@x
TOO_4=r5@x
TOO_5=

)"};
    return protocol == TagProtocol::Modbus ? modbus : protocol == TagProtocol::Hostlink ? hostlink : df1;
}

TConfigModel sampleModel(TagProtocol protocol)
{
    const Sample &sample = sampleOf(protocol);
    TConfigModel model(protocol);
    model.Serial = sample.serial;
    model.Email = sample.email;
    for (const QByteArray &tag : sample.tags)
        model.AppendTagTexts(tag.split('|'));
    return model;
}

QByteArray sampleFile(TagProtocol protocol)
{
    const Sample &sample = sampleOf(protocol);
    QByteArray text = QByteArray(sample.head).replace("\n", "\r\n");
    for (int i = 0; i < sample.tags.size(); ++i) {
        text += "[TAG" + QByteArray::number(i) + "]\r\n";
        const QList<QByteArray> values = sample.tags.at(i).split('|');
        for (int k = 0; k < values.size(); ++k)
            text += TagKeys(protocol).at(k) + '=' + values.at(k) + "\r\n";
        text += "\r\n";
    }
    return text;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void compareModels(const TConfigModel &actual, const TConfigModel &expected)
{
    QCOMPARE(actual.Serial, expected.Serial);
    QCOMPARE(actual.Email, expected.Email);
    QCOMPARE(actual.GetTagCount(), expected.GetTagCount());
    for (int row = 0; row < expected.GetTagCount(); ++row)
        QCOMPARE(actual.TagTexts(row), expected.TagTexts(row));
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT

    QLocale m_savedLocale;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Writes `file` with one key replaced (a null value removes it) and opens it.
    TConfigFile::OpenResult openEdited(TagProtocol protocol, const QString &section, const QString &key,
                                       const QString &value, TConfigModel &model)
    {
        IniStore store;
        store.parse(sampleFile(protocol));
        if (value.isNull())
            store.eraseKey(section, key);
        else
            store.writeString(section, key, value);
        const QString file = path(QStringLiteral("edited.ovc"));
        writeAll(file, store.serialize());
        return TConfigFile().Open(file, model);
    }

private slots:
    void init()
    {
        m_savedLocale = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void cleanup() { QLocale::setDefault(m_savedLocale); }

    void protocols_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::newRow("Modbus") << TagProtocol::Modbus;
        QTest::newRow("Hostlink") << TagProtocol::Hostlink;
        QTest::newRow("DF1") << TagProtocol::DF1;
    }

    // Written from scratch, the file is exactly the format; read back it gives the same
    // model without a word, and saved over it gives the same bytes.
    void writeAndReadBack_data() { protocols_data(); }
    void writeAndReadBack()
    {
        QFETCH(TagProtocol, protocol);
        RecordingPrompt prompt;
        const TConfigModel model = sampleModel(protocol);
        const QString file = path(QStringLiteral("sample.ovc"));
        TConfigFile written;
        written.BindFresh(file);
        QVERIFY(written.Write(model));
        QCOMPARE(readAll(file), sampleFile(protocol));
        QCOMPARE(ConfigFileProtocol(file), std::optional(protocol));

        TConfigModel read(protocol);
        TConfigFile opened;
        const TConfigFile::OpenResult result = opened.Open(file, read);
        QVERIFY(result.Opened);
        QVERIFY(!result.Modified);
        compareModels(read, model);
        QVERIFY(opened.Write(read));
        QCOMPARE(readAll(file), sampleFile(protocol));
        QCOMPARE(prompt.texts(), QStringList());
    }

    void headerChecks_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("protocol"); // -1: none
        QTest::newRow("Modbus") << QByteArray("[GENERAL]\nFILETYPE=MB\nFILEVERSION=1.0\n") << 0;
        QTest::newRow("Hostlink, keys in any case") << QByteArray("[general]\r\nfiletype = HL\rFileVersion=1.0") << 1;
        QTest::newRow("DF1") << QByteArray("[GENERAL]\nFILEVERSION=2.0\nFILETYPE=DF1\n") << 2;
        QTest::newRow("Modbus version 2.0") << QByteArray("[GENERAL]\nFILETYPE=MB\nFILEVERSION=2.0\n") << -1;
        QTest::newRow("type in lower case") << QByteArray("[GENERAL]\nFILETYPE=mb\nFILEVERSION=1.0\n") << -1;
        QTest::newRow("DF1 version 1.0") << QByteArray("[GENERAL]\nFILETYPE=DF1\nFILEVERSION=1.0\n") << -1;
        QTest::newRow("binary") << QByteArray("QSW\x01\x00\x00[\xff]\n=\n", 12) << -1;
    }
    void headerChecks()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, protocol);
        const QString file = path(QStringLiteral("header.ovc"));
        QVERIFY(writeAll(file, text));
        QCOMPARE(IsModbusConfigFile(file), protocol == 0);
        QCOMPARE(IsHostlinkConfigFile(file), protocol == 1);
        QCOMPARE(IsDF1ConfigFile(file), protocol == 2);
        QVERIFY(!IsModbusConfigFile(path(QStringLiteral("missing.ovc"))));
        QVERIFY(!IsModbusConfigFile(m_dir.path()));
    }

    // A Modbus file carries its numbers across a change of the decimal separator, whole.
    void modbusFileAcrossLocales()
    {
        RecordingPrompt prompt;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TConfigFile file;
        file.BindFresh(path(QStringLiteral("german.ovc")));
        QVERIFY(file.Write(sampleModel(TagProtocol::Modbus)));
        QVERIFY(readAll(file.Path()).contains("\r\nALMIN=0,100000001490116\r\n"));

        QLocale::setDefault(QLocale::c());
        TModbusConfigModel read;
        QVERIFY(TConfigFile().Open(file.Path(), read).Opened);
        compareModels(read, sampleModel(TagProtocol::Modbus));
        TModbusTagConfig level, counter;
        QVERIFY(read.GetTagFromList(0, level) && read.GetTagFromList(1, counter));
        QCOMPARE(level.LowestAlarm.RealValue, 0.1f);
        QCOMPARE(counter.LowestAlarm.IntValue, std::numeric_limits<qint32>::min());
        QCOMPARE(prompt.texts(), QStringList());
    }

    // Each row edits one key of a sample file; the warnings and the modified mark must be
    // exactly these.
    void readWarnings_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // null: the key is removed
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<bool>("modified");
        const auto invalid = [](const char *label, const QString &value, const char *def) {
            return QStringLiteral("The paramenter \"%1\" has not a valid value (%2).\r\n Value \"%3\" is taken as Default.")
                .arg(QLatin1String(label), value, QLatin1String(def));
        };
        const auto tooLarge = [](const QString &full, int limit) {
            return QStringLiteral("The paramenter \"%1\" is too large.\r\n Value \"%2\" is taken as Default.").arg(full, full.left(limit));
        };
        const QString sixty = QString(60, QLatin1Char('s'));
        const auto M = TagProtocol::Modbus, H = TagProtocol::Hostlink, D = TagProtocol::DF1;
        const QString com = QStringLiteral("COM"), smtp = QStringLiteral("SMTP");

        QTest::newRow("COMTYPE 1 is RS-232") << M << com << "COMTYPE" << "1" << QStringList() << false;
        QTest::newRow("COMTYPE 4") << H << com << "COMTYPE" << "4" << QStringList{invalid("Serial COM Type", "4", "RS-232")} << true;
        QTest::newRow("BAUD 12000") << M << com << "BAUD" << "12000" << QStringList{invalid("Baud Rate", "12000", "9600 bps")} << true;
        QTest::newRow("BAUD 300") << D << com << "BAUD" << "300" << QStringList{invalid("Baud Rate", "300", "9600 bps")} << true;
        QTest::newRow("missing PKTTOUT") << M << com << "PKTTOUT" << QString() << QStringList{invalid("Packet Timeout", "", "4 bytes")} << true;
        QTest::newRow("DF1 PARITY 2") << D << com << "PARITY" << "2" << QStringList{invalid("Parity", "2", "None")} << true;
        QTest::newRow("Modbus PARITY 2") << M << com << "PARITY" << "2" << QStringList() << false;
        QTest::newRow("DATABITS 9") << D << com << "DATABITS" << "9" << QStringList{invalid("Data Bits", "9", "8")} << true;
        QTest::newRow("SCANTIME text") << H << com << "SCANTIME" << "fast" << QStringList{invalid("Scan Time", "fast", "100 ms")} << true;
        QTest::newRow("Modbus TIMEOUT") << M << smtp << "TIMEOUT" << "0" << QStringList{invalid("E-mail delivery Timeout", "0", "20 sec")} << true;
        QTest::newRow("Hostlink RETRYINT") << H << smtp << "RETRYINT" << "" << QStringList{invalid("Time between E-Mail sending retries", "", "10 sec")} << true;
        QTest::newRow("DF1 RETRIES") << D << smtp << "RETRIES" << "100" << QStringList{invalid("E-mail delivery retries", "100", "5 times")} << true;
        QTest::newRow("Hostlink long SERVER") << H << smtp << "SERVER" << sixty << QStringList{tooLarge(sixty, 49)} << true;
        QTest::newRow("DF1 long SERVER") << D << smtp << "SERVER" << sixty << QStringList{tooLarge(sixty, 49)} << true;
        QTest::newRow("Modbus long SERVER") << M << smtp << "SERVER" << sixty << QStringList() << true;
        QTest::newRow("DF1 long PASS, read twice") << D << smtp << "PASS" << sixty << QStringList{tooLarge(sixty, 49), tooLarge(sixty, 49)} << true;
        QTest::newRow("Modbus PASS of 21") << M << smtp << "PASS" << sixty.left(21) << QStringList() << true;
        QTest::newRow("sixth recipient") << D << smtp << "TOO_5" << "r6@x"
                                         << QStringList{QStringLiteral("The E-Mail Address \"r6@x\" is ignored.\r\nA configuration holds up to 5 E-Mail Addresses.")}
                                         << true;
        QTest::newRow("Modbus tag number cut") << M << "TAG1" << "ALMIN" << "99999999999" << QStringList() << false;
    }
    void readWarnings()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QStringList, warnings);
        QFETCH(bool, modified);
        RecordingPrompt prompt;
        TConfigModel model(protocol);
        const TConfigFile::OpenResult result = openEdited(protocol, section, key, value, model);
        QVERIFY(result.Opened);
        QCOMPARE(prompt.texts(QStringLiteral("warning")), warnings);
        QCOMPARE(prompt.log.size(), warnings.size());
        QCOMPARE(result.Modified, modified);
        // Whatever was replaced reads as the default, so the model passes its checks.
        QVERIFY(model.Validate().Ok);
        QVERIFY(model.Email.Recipients.size() <= MaxRecipients);
    }

    void missingSections_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<int>("warnings");
        QTest::newRow("Modbus") << TagProtocol::Modbus << 7 + 3;
        QTest::newRow("Hostlink") << TagProtocol::Hostlink << 5 + 3;
        QTest::newRow("DF1") << TagProtocol::DF1 << 7 + 3;
    }
    void missingSections()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(int, warnings);
        RecordingPrompt prompt;
        const QString file = path(QStringLiteral("bare.ovc"));
        writeAll(file, "[GENERAL]\r\nFILETYPE=MB\r\n");
        TConfigModel model(protocol);
        QVERIFY(TConfigFile().Open(file, model).Modified);
        QCOMPARE(prompt.texts(QStringLiteral("warning")).size(), warnings);
        // Every default is a new document's.
        const TConfigModel fresh(protocol);
        compareModels(model, fresh);
    }

    // The six Modbus number keys: separator localised, cut to 8 unless the text converts as
    // the tag's kind says; Hostlink keeps every text as it stands.
    void modbusNumbers_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        const auto M = TagProtocol::Modbus;
        QTest::newRow("1,5 under C") << M << "C" << "WRMIN" << "2" << "1,5" << QByteArray("1.5");
        QTest::newRow("1.5 under de") << M << "de_DE" << "WRMIN" << "2" << " 1.5" << QByteArray("1,5");
        QTest::newRow("text left alone") << M << "de_DE" << "WRMAX" << "2" << "x.5" << QByteArray("x.5");
        QTest::newRow("smallest integer") << M << "C" << "ALMIN" << "1" << "-2147483648" << QByteArray("-2147483648");
        QTest::newRow("integer too big") << M << "C" << "ALMIN" << "1" << "99999999999" << QByteArray("99999999");
        QTest::newRow("real on integer tag") << M << "C" << "ALMAX" << "1" << "0.100000001490116" << QByteArray("0.100000");
        QTest::newRow("real") << M << "C" << "ALMAX" << "2" << "123456.78125" << QByteArray("123456.78125");
        QTest::newRow("real under de") << M << "de_DE" << "WRMAX" << "2" << "0.100000001490116" << QByteArray("0,100000001490116");
        QTest::newRow("factor of integer tag") << M << "C" << "FACTORA" << "1" << "0.100000001490116" << QByteArray("0.100000001490116");
        QTest::newRow("digital") << M << "C" << "ALMIN" << "0" << "123456789012" << QByteArray("12345678");
        QTest::newRow("no kind") << M << "C" << "FACTORB" << "" << "1234567.25" << QByteArray("1234567.25");
        QTest::newRow("malformed real") << M << "C" << "WRMIN" << "2" << "1.5.5.5.5.5" << QByteArray("1.5.5.5.");
        QTest::newRow("Hostlink as it stands") << TagProtocol::Hostlink << "de_DE" << "WRMIN" << "2" << "1234567.890123" << QByteArray("1234567.890123");
    }
    void modbusNumbers()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QString, locale);
        QFETCH(QString, key);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QLocale::setDefault(QLocale(locale));
        RecordingPrompt prompt;
        IniStore store;
        store.writeString(QStringLiteral("TAG0"), QStringLiteral("NAME"), QStringLiteral("T"));
        store.writeString(QStringLiteral("TAG0"), key, text);
        store.writeString(QStringLiteral("TAG0"), QStringLiteral("KIND"), kind);
        // An address only as the text of a setting: nothing is contacted.
        store.writeString(QStringLiteral("SMTP"), QStringLiteral("SERVER"), QStringLiteral("10.0.0.1"));
        TConfigModel model(protocol);
        QVERIFY(!SetTAGSFromFile(store, model));
        SetEMAILFromFile(store, model);
        const int at = int(TagKeys(protocol).indexOf(key.toLatin1()));
        QCOMPARE(model.TagTexts(0).at(at), expected);
        QCOMPARE(model.Email.Server, QByteArray("10.0.0.1"));
        if (protocol == TagProtocol::Modbus)
            QCOMPARE(model.TagTexts(0).at(TagKeys(protocol).indexOf("TRAP")), QByteArray("No"));
    }

    // Tag sections up to the first gap are the list; Save keeps the store's order and unknown
    // sections, Save As starts afresh.
    void tagSectionsAndUnknownSections()
    {
        RecordingPrompt prompt;
        QByteArray text = sampleFile(TagProtocol::Hostlink);
        text.replace("[SMTP]", "[EXTRA]\r\nX=1\r\n\r\n[SMTP]");
        text.replace("[TAG1]", "[TAG3]"); // TAG0, then a gap
        text += "[TAG4]\r\nNAME=FAR\r\n\r\n[TAIL]\r\nY=2\r\n\r\n";
        const QString file = path(QStringLiteral("gaps.ovc"));
        writeAll(file, text);

        THostlinkConfigModel model;
        TConfigFile document;
        QVERIFY(document.Open(file, model).Opened);
        QCOMPARE(model.GetTagCount(), 1);
        QVERIFY(document.Write(model));
        QCOMPARE(IniStore(file).sections(),
                 QStringList({"GENERAL", "COM", "EXTRA", "SMTP", "TAG3", "TAG4", "TAIL", "TAG0"}));

        // Two more rows reach the stale TAG3 and TAG4: they must not read back as tags.
        model.AppendTagTexts({"B"});
        model.AppendTagTexts({"C"});
        QVERIFY(document.Write(model));
        QCOMPARE(IniStore(file).sections(), QStringList({"GENERAL", "COM", "EXTRA", "SMTP", "TAIL", "TAG0", "TAG1", "TAG2"}));
        THostlinkConfigModel reread;
        TConfigFile().Open(file, reread);
        QCOMPARE(reread.GetTagCount(), 3);

        model.ClearTags();
        QVERIFY(document.Write(model));
        QCOMPARE(IniStore(file).sections(), QStringList({"GENERAL", "COM", "EXTRA", "SMTP", "TAIL"}));

        const QString other = path(QStringLiteral("saved-as.ovc"));
        writeAll(other, "[OLD]\r\nZ=3\r\n");
        document.BindFresh(other);
        QVERIFY(document.Write(model));
        QCOMPARE(IniStore(other).sections(), QStringList({"GENERAL", "COM", "SMTP"}));
        QCOMPARE(prompt.texts(), QStringList());
    }

    void writeFailures()
    {
        RecordingPrompt prompt;
        TConfigModel model = sampleModel(TagProtocol::Modbus);
        QVERIFY(!TConfigFile().Open(path(QStringLiteral("missing.ovc")), model).Opened);
        QCOMPARE(model.GetTagCount(), 3);
        const QString file = path(QStringLiteral("kept.ovc"));
        writeAll(file, "old");
        TConfigFile document;
        document.BindFresh(file);
        model.Serial.PacketTimeout = "";
        QVERIFY(!document.Write(model));
        QCOMPARE(prompt.texts(QStringLiteral("error")), QStringList{QStringLiteral("'' is not a valid integer value")});
        QCOMPARE(readAll(file), QByteArray("old"));

        prompt.clear();
        model.Serial.PacketTimeout = "4";
        document.BindFresh(path(QStringLiteral("no-such-folder/x.ovc")));
        QVERIFY(!document.Write(model));
        QCOMPARE(prompt.log.size(), 1);
        QVERIFY(prompt.last().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(document.Path())));

        // A line end inside a text must not reach the file as one.
        model.AppendTagTexts({"EVIL\r\n[GENERAL]\r\nFILETYPE=HL"});
        document.BindFresh(file);
        QVERIFY(document.Write(model));
        QVERIFY(IsModbusConfigFile(file));
        QCOMPARE(IniStore(file).readString(QStringLiteral("TAG3"), QStringLiteral("NAME")),
                 QStringLiteral("EVIL  [GENERAL]  FILETYPE=HL"));
    }

    // Damaged files never crash the reader, and what it read can always be written.
    void fuzzReader()
    {
        RecordingPrompt prompt;
        QRandomGenerator random(1234);
        const QString file = path(QStringLiteral("fuzz.ovc"));
        const QByteArray samples[] = {sampleFile(TagProtocol::Modbus), sampleFile(TagProtocol::Hostlink),
                                      sampleFile(TagProtocol::DF1)};
        for (int round = 0; round < 300; ++round) {
            QByteArray text = samples[round % 3];
            switch (round % 3) {
            case 0:
                text.truncate(random.bounded(int(text.size())));
                break;
            case 1:
                for (int i = 0; i < 20; ++i)
                    text[random.bounded(int(text.size()))] = char(random.bounded(256));
                break;
            default:
                // Mostly the characters that give the file its structure.
                static const QByteArray alphabet = "[]=\r\n;ATG0K1,.- ";
                text = QByteArray(random.bounded(2000), Qt::Uninitialized);
                for (char &c : text)
                    c = random.bounded(8) == 0 ? char(random.bounded(256)) : alphabet.at(random.bounded(int(alphabet.size())));
            }
            writeAll(file, text);
            for (const TagProtocol protocol : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1}) {
                IsConfigFile(protocol, file);
                TConfigModel model(protocol);
                TConfigFile document;
                QVERIFY(document.Open(file, model).Opened);
                QVERIFY(model.GetTagCount() <= MaxTags);
                QVERIFY(model.Email.Recipients.size() <= MaxRecipients);
                // Numbers always read in range; only the texts can fail their checks.
                const TFieldCheck check = model.Validate();
                QVERIFY(check.Ok || (!check.Conversion && FieldPage(check.Field) == TConfigPage::EMails
                                     && check.Field != TConfigField::EMailTimeout && check.Field != TConfigField::EMailRetries
                                     && check.Field != TConfigField::EMailInterRetries));
                // A write syncs to disk: one protocol per round keeps the test quick.
                if (int(protocol) == (round / 3) % 3)
                    QVERIFY(document.Write(model));
            }
        }
    }
};

KOVA_TEST(TestConfigFile)
#include "tst_configfile.moc"
