#include "TestRegistry.h"

#include "FileSizeLimit.h"

#include "app/OptionsForm.h"
#include "base/IniStore.h"
#include "base/KovaOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

mode_t fileMode(const QString &path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class TestIniStore : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatOtherToolsWrite_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("CR LF") << QByteArray("[COM]\r\nBAUD=9600\r\nNAME=a b\r\n");
        QTest::newRow("LF") << QByteArray("[COM]\nBAUD=9600\nNAME=a b\n");
        QTest::newRow("CR") << QByteArray("[COM]\rBAUD=9600\rNAME=a b");
        QTest::newRow("blanks, comments, empty lines")
            << QByteArray("junk=1\r\n; comment\r\n\r\n  [ com ]  \r\n\t baud =  9600 \r\n;NAME=x\r\nname= a b\t\r\n");
        QTest::newRow("mixed endings") << QByteArray("[COM]\r\nBAUD=9600\nNAME=a b\r");
    }
    void readsWhatOtherToolsWrite()
    {
        QFETCH(QByteArray, file);
        IniStore store;
        store.parse(file);
        QCOMPARE(store.readString("COM", "BAUD"), QString("9600"));
        QCOMPARE(store.readString("Com", "name"), QString("a b"));
        QCOMPARE(store.keys("COM").size(), 2);
        QCOMPARE(store.sections().size(), 1);
        QVERIFY(!store.hasKey("COM", "junk"));
    }

    // Content outside any section, and a byte-order mark an editor put first.
    void leadingContent_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[COM]\r\nBAUD=9600\r\n")
                                         << QByteArray("[COM]\r\nBAUD=9600\r\n\r\n");
        QTest::newRow("lines before the first section")
            << QByteArray("VERSION=2\nby hand\n; a comment\n[COM]\nBAUD=9600\n")
            << QByteArray("VERSION=2\r\nby hand\r\n\r\n[COM]\r\nBAUD=9600\r\n\r\n");
        QTest::newRow("both") << QByteArray("\xEF\xBB\xBFVERSION=2\r\n[COM]\r\nBAUD=9600\r\n")
                              << QByteArray("VERSION=2\r\n\r\n[COM]\r\nBAUD=9600\r\n\r\n");
    }
    void leadingContent()
    {
        QFETCH(QByteArray, file);
        IniStore store;
        store.parse(file);
        QCOMPARE(store.readInteger("COM", "BAUD"), 9600);
        QTEST(store.serialize(), "written");
    }

    void keepsOrderReplacesInPlaceAppends()
    {
        IniStore store;
        store.parse("[GENERAL]\r\nFILETYPE=MB\r\n[COM]\r\nBAUD=9600\r\nPARITY=0\r\n");
        store.writeString("com", "baud", "19200");   // in place, original spelling kept
        store.writeInteger("COM", "SCANTIME", 100);  // appended
        store.writeBool("SMTP", "ENABLE", true);     // new section at the end
        store.writeString("General", "FILEVERSION", "1.0");
        QCOMPARE(store.serialize(), QByteArray("[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n\r\n"
                                               "[COM]\r\nBAUD=19200\r\nPARITY=0\r\nSCANTIME=100\r\n\r\n"
                                               "[SMTP]\r\nENABLE=1\r\n\r\n"));
        store.eraseSection("com");
        QCOMPARE(store.sections(), (QStringList{"GENERAL", "SMTP"}));
        store.writeString("COM", "BAUD", "2400"); // recreated at the end
        QCOMPARE(store.sections(), (QStringList{"GENERAL", "SMTP", "COM"}));
    }

    void unknownContentSurvivesLoadAndWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ovc");
        writeFile(path, "; made by hand\n[GENERAL]\nFILETYPE=MB\nVENDOR=x\n[EXTRA]\nNOTE=keep me\na line without equals\n"
                        "[GENERAL]\nLATE=1\n");
        IniStore store(path);
        store.writeString("GENERAL", "FILETYPE", "HL");
        QVERIFY(store.write());
        QCOMPARE(readFile(path), QByteArray("[GENERAL]\r\nFILETYPE=HL\r\nVENDOR=x\r\nLATE=1\r\n\r\n"
                                            "[EXTRA]\r\nNOTE=keep me\r\na line without equals\r\n\r\n"));
        QCOMPARE(store.keys("EXTRA"), QStringList{"NOTE"});
    }

    void rebinding()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.ovc");
        const QString second = dir.filePath("second.ovc");
        writeFile(first, "[A]\nK=1\n");
        writeFile(second, "[B]\nJ=2\n");
        IniStore store(first);
        store.bind(second, false); // keeps the content, writes it to the new path
        QVERIFY(store.write());
        QCOMPARE(readFile(second), QByteArray("[A]\r\nK=1\r\n\r\n"));
        writeFile(second, "[B]\nJ=2\n");
        QVERIFY(store.bind(second)); // loads, replacing the content
        QCOMPARE(store.sections(), QStringList{"B"});
        QVERIFY(store.bind(dir.filePath("missing.ovc")));
        QVERIFY(store.sections().isEmpty());
    }

    void duplicateKeyFirstCounts()
    {
        IniStore store;
        store.parse("[A]\nK=1\nk=2\n");
        QCOMPARE(store.readInteger("A", "K"), 1);
        store.writeInteger("A", "K", 5);
        QCOMPARE(store.serialize(), QByteArray("[A]\r\nK=5\r\nk=2\r\n\r\n"));
    }

    void latin1Bytes()
    {
        IniStore store;
        store.parse("[A]\nNAME=Caf\xe9\n");
        QCOMPARE(store.readString("A", "NAME"), QString::fromUtf8("Café"));
        store.writeString("A", "CITY", QString::fromUtf8("Zürich"));
        QVERIFY(store.serialize().contains("CITY=Z\xfcrich\r\n"));
    }

    void integersAndBooleans_data()
    {
        QTest::addColumn<QByteArray>("raw"); // "<none>" for a missing key
        QTest::addColumn<int>("integer");    // read with default -7
        QTest::addColumn<bool>("boolean");   // read with default false
        QTest::newRow("zero") << QByteArray("0") << 0 << false;
        QTest::newRow("one") << QByteArray("1") << 1 << true;
        QTest::newRow("any non-zero") << QByteArray("-3") << -3 << true;
        QTest::newRow("plus sign") << QByteArray("+12") << 12 << true;
        QTest::newRow("missing") << QByteArray("<none>") << -7 << false;
        QTest::newRow("empty") << QByteArray("") << -7 << false;
        QTest::newRow("text") << QByteArray("yes") << -7 << false;
        QTest::newRow("hex is not decimal") << QByteArray("0x10") << -7 << false;
        QTest::newRow("inner blank") << QByteArray("1 2") << -7 << false;
        QTest::newRow("max") << QByteArray("2147483647") << 2147483647 << true;
        QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483648LL) << true;
        QTest::newRow("overflow") << QByteArray("2147483648") << -7 << false;
        QTest::newRow("sign only") << QByteArray("-") << -7 << false;
    }
    void integersAndBooleans()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, integer);
        QFETCH(bool, boolean);
        IniStore store;
        store.parse(raw == "<none>" ? QByteArray("[S]\n") : "[S]\nK=" + raw + "\n");
        QCOMPARE(store.readInteger("S", "K", -7), integer);
        QCOMPARE(store.readBool("S", "K", false), boolean);
    }

    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kova.ini");
        const QByteArray old = "[PROXYHTTP]\r\nSERVER=old\r\n\r\n";
        writeFile(path, old);
        IniStore store(path);
        store.writeString("PROXYHTTP", "SERVER", QString(200, QLatin1Char('x')));
        {
            FileSizeLimit limit(64);
            QVERIFY(!store.write());
        }
        QVERIFY(!store.errorString().isEmpty());
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kova.ini"}); // no leftovers
        QVERIFY(store.write());
        QVERIFY(readFile(path).contains(QByteArray(200, 'x')));
    }
};

class TestKovaOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath("kova.ini");
        QFile::remove(m_path);
        KovaOptions::setIniPath(m_path);
    }
    void cleanupTestCase() { KovaOptions::setIniPath({}); }

    void missingFileReadsDefaults()
    {
        QCOMPARE(GetHTTPProxyEnabled(), false);
        QCOMPARE(GetHTTPProxyServer(), QString());
        QCOMPARE(GetHTTPProxyPort(), 0);
        QCOMPARE(GetHTTPProxyAuth(), false);
        QCOMPARE(GetHTTPProxyUserName(), QString());
        QCOMPARE(GetHTTPProxyPassword(), QString());
        QCOMPARE(GetFTPProxyEnabled(), false);
        QCOMPARE(GetFTPProxyPort(), 0);
        QCOMPARE(GetFTPProxyMethod(), 1);
        QCOMPARE(GetFTPProxyPassword(), QString());
        QVERIFY(!QFile::exists(m_path)); // reading creates nothing
    }

    void invalidValuesReadAsDefaults()
    {
        writeFile(m_path, "[proxyhttp]\nenabled=on\nport=80x\n[PROXYFTP]\nMETHOD=\nAUTHDATA=ZZ\n");
        QCOMPARE(GetHTTPProxyEnabled(), false);
        QCOMPARE(GetHTTPProxyPort(), 0);
        QCOMPARE(GetFTPProxyMethod(), 1);
        QCOMPARE(GetFTPProxyUserName(), QString());
    }

    void authDataIsScrambledPacket_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("escaped value")
            << "joe" << "a=b"
            << QByteArray("BFABACB8BCBFACBFD8ABADBBAEB2BFB3BBC396919BD4B0BFADADA9B1AEBCC39FD19B8F9ED4D7C5");
        QTest::newRow("both empty") << "" << ""
                                    << QByteArray("BFABACB8BCBFACBFD8ABADBBAEB2BFB3BBC3D4B0BFADADA9B1AEBCC3D4D7C5");
        QTest::newRow("8-bit byte")
            << QString::fromUtf8("é") << "x"
            << QByteArray("BFABACB8BCBFACBFD8ABADBBAEB2BFB3BBC317D4B0BFADADA9B1AEBCC388D4D7C5");
    }
    void authDataIsScrambledPacket()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QByteArray, stored);
        QVERIFY(SetHTTPProxyUserName(user));
        QVERIFY(SetHTTPProxyPassword(password));
        QCOMPARE(readFile(m_path), "[PROXYHTTP]\r\nAUTHDATA=" + stored + "\r\n\r\n");
        QCOMPARE(GetHTTPProxyUserName(), user);
        QCOMPARE(GetHTTPProxyPassword(), password);
        QCOMPARE(KovaOptions::UnscrambleAuthData(stored),
                 KovaOptions::AuthDataPacket(user.toLatin1(), password.toLatin1()));
    }

    void changingOneCredentialKeepsTheOther()
    {
        SetFTPProxyUserName("first");
        SetFTPProxyPassword("pw1");
        SetFTPProxyPassword("pw2");
        QCOMPARE(GetFTPProxyUserName(), QString("first"));
        SetFTPProxyUserName("second");
        QCOMPARE(GetFTPProxyPassword(), QString("pw2"));
        QCOMPARE(GetFTPProxyUserName(), QString("second"));
        // The two sections keep separate credentials.
        QCOMPARE(GetHTTPProxyUserName(), QString());
    }

    void settersKeepUnknownKeysAndOrder()
    {
        writeFile(m_path, "[PROXYFTP]\nMETHOD=3\nCOMMENT=by admin\n[LOCAL]\nX=1\n");
        QVERIFY(SetHTTPProxyServer("proxy"));
        QVERIFY(SetFTPProxyMethod(2));
        QVERIFY(SetHTTPProxyEnabled(true));
        QCOMPARE(readFile(m_path), QByteArray("[PROXYFTP]\r\nMETHOD=2\r\nCOMMENT=by admin\r\n\r\n"
                                              "[LOCAL]\r\nX=1\r\n\r\n"
                                              "[PROXYHTTP]\r\nSERVER=proxy\r\nENABLED=1\r\n\r\n"));
    }

    // The file holds credentials: readable by its owner only, whatever it was before. A
    // plain store (a configuration file) keeps the usual mode.
    void fileIsPrivate()
    {
        QVERIFY(SetHTTPProxyServer("proxy"));
        QCOMPARE(fileMode(m_path), mode_t(0600));
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(SetHTTPProxyUserName("joe"));
        QCOMPARE(fileMode(m_path), mode_t(0600));

        const mode_t mask = ::umask(022);
        const QString other = m_dir.filePath("plain.ovc");
        IniStore store;
        store.bind(other, false);
        store.writeString("GENERAL", "FILETYPE", "MB");
        QVERIFY(store.write());
        ::umask(mask);
        QCOMPARE(fileMode(other), mode_t(0644));
    }

    // The Options dialog's changes replace the file once: a failure leaves every old value,
    // never the first few new ones.
    void optionsFormIsOneReplace()
    {
        OptionsForm form;
        form.httpProxyPort = form.ftpProxyPort = QStringLiteral("0");
        form.httpProxy = QStringLiteral("old-proxy");
        QVERIFY(SaveOptionsForm(form));
        const QByteArray before = readFile(m_path);

        form.useHTTPProxy = form.httpAuthentication = true;
        form.httpProxy = QStringLiteral("new-proxy");
        form.httpUserName = QString(40, QLatin1Char('u'));
        form.httpPassword = QString(40, QLatin1Char('p'));
        {
            FileSizeLimit limit(before.size() + 40); // the first changes would fit, not all
            QVERIFY(!SaveOptionsForm(form));
        }
        QVERIFY(!KovaOptions::lastError().isEmpty());
        QCOMPARE(readFile(m_path), before);
        QVERIFY(SaveOptionsForm(form));
        QCOMPARE(GetHTTPProxyServer(), QString("new-proxy"));
        QCOMPARE(GetHTTPProxyPassword(), form.httpPassword);
    }

    void failedSetterKeepsTheOldFile()
    {
        QVERIFY(SetHTTPProxyServer("old"));
        const QByteArray before = readFile(m_path);
        {
            FileSizeLimit limit(16);
            QVERIFY(!SetHTTPProxyServer(QString(100, QLatin1Char('n'))));
        }
        QVERIFY(!KovaOptions::lastError().isEmpty());
        QCOMPARE(readFile(m_path), before);
        QCOMPARE(GetHTTPProxyServer(), QString("old"));
    }

    void pathRule()
    {
        QTemporaryDir program;
        QTemporaryDir user;
        QCOMPARE(KovaOptions::resolveIniPath(program.path(), user.path()), program.filePath("kova.ini"));
        const QString gone = program.filePath("no-such-folder");
        QCOMPARE(KovaOptions::resolveIniPath(gone, user.path()), QDir(user.path()).filePath("kova.ini"));
        if (geteuid() != 0) { // root writes anywhere the file system allows
            QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
            QCOMPARE(KovaOptions::resolveIniPath(program.path(), user.path()), QDir(user.path()).filePath("kova.ini"));
            QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
};

KOVA_TEST(TestIniStore)
KOVA_TEST(TestKovaOptions)
#include "tst_settings.moc"
