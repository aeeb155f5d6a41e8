#include "TestRegistry.h"

#include "site/OrvanSite.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray pattern(int size, char seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 7);
    return b;
}

// An image built by hand from the layout, independent of the class.
QByteArray handImage(const QList<QPair<QByteArray, QByteArray>> &files)
{
    QByteArray table, data;
    for (const auto &f : files) {
        QByteArray name = f.first;
        name.resize(20, '\0');
        table += name + le32(quint32(f.second.size())) + le16(0);
        data += le32(quint32(f.second.size())) + f.second;
    }
    QByteArray image = le16(1) + le16(quint16(files.size()));
    const quint32 total = files.isEmpty() ? 34 : quint32(8 + table.size() + data.size());
    return image + le32(total) + table + data;
}

} // namespace

class TestOrvanSite : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            qFatal("cannot write test file");
        return path;
    }

private slots:
    void newImageBytes()
    {
        TOrvanSite site;
        QVERIFY(site.Create(m_dir.filePath("absent.qsw")));
        QCOMPARE(site.Image(), QByteArray::fromHex("0100000022000000"));
        QCOMPARE(site.FreeSpace(), 1572856);
        QCOMPARE(site.FileCount(), 0);
    }

    void addFilesLayout()
    {
        TOrvanSite site;
        const QByteArray first = pattern(100, 'a');
        const QByteArray second = pattern(50, 'Z');
        QVERIFY(site.AddFile(writeFile("index.htm", first)));
        QCOMPARE(site.Size(), 138);
        QCOMPARE(site.Image(), handImage({{"index.htm", first}}));
        QCOMPARE(site.Image().mid(34, 4), le32(100));
        QCOMPARE(site.Image().mid(38), first);

        QVERIFY(site.AddFile(writeFile("logo.gif", second)));
        QCOMPARE(site.Size(), 218);
        QCOMPARE(site.Image(), handImage({{"index.htm", first}, {"logo.gif", second}}));
        QCOMPARE(site.Image().mid(34, 8), QByteArray("logo.gif"));
        QCOMPARE(site.Image().mid(60, 4), le32(100));
        QCOMPARE(site.FreeSpace(), 1572864 - 218);

        const TSiteSubHeader h = site.GetSubHeader(1);
        QCOMPARE(h.Name, QByteArray("logo.gif"));
        QCOMPARE(h.Size, 50u);
        QVERIFY(site.Contains("index.htm"));
        QVERIFY(!site.Contains("INDEX.HTM"));
        QCOMPARE(site.FileContent("logo.gif"), second);
    }

    void remove_data()
    {
        QTest::addColumn<int>("removeIndex");
        QTest::newRow("first of three") << 0;
        QTest::newRow("middle of three") << 1;
        QTest::newRow("last of three") << 2;
    }

    void remove()
    {
        QFETCH(int, removeIndex);
        const QList<QPair<QByteArray, QByteArray>> files = {
            {"a.htm", pattern(10, 'a')}, {"b.gif", pattern(0, 'b')}, {"c.txt", pattern(333, 'c')}};
        TOrvanSite site;
        for (const auto &f : files)
            QVERIFY(site.AddFile(writeFile(QString::fromLatin1(f.first), f.second)));
        site.RemoveFile(files[removeIndex].first);
        auto rest = files;
        rest.removeAt(removeIndex);
        QCOMPARE(site.Image(), handImage(rest));
        QCOMPARE(TOrvanSite::CheckImage(site.Image()), QString());
    }

    void removeLastLeavesEmptyHeader()
    {
        TOrvanSite site;
        QVERIFY(site.AddFile(writeFile("only.htm", pattern(77, 'o'))));
        site.RemoveFile("only.htm");
        QCOMPARE(site.Image(), QByteArray::fromHex("0100000022000000"));
        QVERIFY(site.AddFile(writeFile("again.htm", pattern(5, 'x'))));
        QCOMPARE(site.Image(), handImage({{"again.htm", pattern(5, 'x')}}));
    }

    void absentNameDoesNothing()
    {
        TOrvanSite site;
        QVERIFY(site.AddFile(writeFile("index.htm", pattern(20, 'i'))));
        const QByteArray before = site.Image();
        site.RemoveFile("other.htm");
        QCOMPARE(site.Image(), before);
        const QString dest = m_dir.filePath("never.out");
        QVERIFY(!site.ExtractFile("other.htm", dest));
        QVERIFY(!QFile::exists(dest));
    }

    void duplicatesActOnTheFirst()
    {
        // The format allows two files of one name; remove and extract take the first.
        TOrvanSite site;
        QVERIFY(site.LoadFromStream(handImage({{"x.htm", "one"}, {"x.htm", "two"}})));
        QCOMPARE(site.FileContent("x.htm"), QByteArray("one"));
        site.RemoveFile("x.htm");
        QCOMPARE(site.Image(), handImage({{"x.htm", "two"}}));
    }

    void extractReplacesDestination()
    {
        TOrvanSite site;
        const QByteArray content = pattern(1000, 'e');
        QVERIFY(site.AddFile(writeFile("page.shtml", content)));
        const QString dest = writeFile("out.bin", QByteArray(5000, 'z'));
        QVERIFY(site.ExtractFile("page.shtml", dest));
        QFile f(dest);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
    }

    void saveAndReopen()
    {
        const QString path = m_dir.filePath("site.qsw");
        TOrvanSite site;
        QVERIFY(site.Create(path));
        QVERIFY(site.AddFile(writeFile("a.htm", pattern(64, 'q'))));
        QVERIFY(site.Save());
        QVERIFY(TOrvanSite::IsSiteFile(path));
        TOrvanSite again;
        QVERIFY(again.Create(path));
        QCOMPARE(again.Image(), site.Image());
    }

    void failedSaveKeepsOldFile()
    {
        const QString path = m_dir.filePath("keep.qsw");
        const QByteArray old = handImage({{"old.htm", "old"}});
        writeFile("keep.qsw", old);
        TOrvanSite site;
        QVERIFY(site.Create(path));
        QVERIFY(site.AddFile(writeFile("b.htm", "new")));
        site.SetFileName(m_dir.filePath("no/such/dir/keep.qsw"));
        QVERIFY(!site.Save());
        QVERIFY(!site.ErrorString().isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
    }

    void recognition_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isSite");
        QTest::newRow("one file") << handImage({{"a", "abc"}}) << true;
        QTest::newRow("saved empty (34 in an 8-byte file)") << handImage({}) << false;
        QTest::newRow("version 2") << QByteArray(le16(2) + handImage({{"a", "abc"}}).mid(2)) << false;
        QTest::newRow("total one short") << QByteArray(handImage({{"a", "abc"}}) + "x") << false;
        QTest::newRow("shorter than a header") << QByteArray::fromHex("010000") << false;
        QTest::newRow("ini text") << QByteArray("[GENERAL]\r\nMODEL=1\r\n") << false;
    }

    void recognition()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isSite);
        QCOMPARE(TOrvanSite::IsSiteFile(writeFile("recog.qsw", bytes)), isSite);
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = handImage({{"a.htm", pattern(40, 'a')}, {"b.htm", pattern(9, 'b')}});
        auto with = [&](qint64 at, const QByteArray &patch) {
            QByteArray b = good;
            b.replace(at, patch.size(), patch);
            return b;
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("half a header") << good.left(5);
        QTest::newRow("version 0") << with(0, le16(0));
        QTest::newRow("count past the end") << with(2, le16(60000));
        QTest::newRow("count one more") << with(2, le16(3));
        QTest::newRow("count one less") << with(2, le16(1));
        QTest::newRow("table cut") << good.left(40);
        QTest::newRow("data cut") << good.left(good.size() - 1);
        QTest::newRow("size huge") << with(8 + 20, le32(0xFFFFFFF0u));
        QTest::newRow("size one more") << with(8 + 20, le32(41));
        QTest::newRow("size copy differs") << with(60, le32(39));
        QTest::newRow("total too large") << with(4, le32(quint32(good.size() + 1)));
        QTest::newRow("total zero") << with(4, le32(0));
        QTest::newRow("trailing bytes") << QByteArray(good + "junk");
        QTest::newRow("no name") << with(8, QByteArray(20, '\0'));
        QTest::newRow("empty count with data") << QByteArray(handImage({}) + "x");
    }

    void damaged()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!TOrvanSite::CheckImage(bytes).isEmpty());

        TOrvanSite site;
        QVERIFY(site.AddFile(writeFile("mine.htm", "mine")));
        const QByteArray before = site.Image();
        QVERIFY(!site.LoadFromStream(bytes));
        QVERIFY(site.ErrorString().contains("damaged"));
        QCOMPARE(site.Image(), before);

        const QString path = writeFile("damaged.qsw", bytes);
        TOrvanSite fromDisk;
        QVERIFY(!fromDisk.Create(path));
        QVERIFY(fromDisk.ErrorString().contains("damaged.qsw"));
        QCOMPARE(fromDisk.FileCount(), 0);
    }

    // Random and truncated images: the check must never read outside the block (run under
    // the sanitizer build), and whatever it accepts must survive every operation.
    void fuzz()
    {
        QRandomGenerator rng(20240517);
        QList<QByteArray> seeds = {
            handImage({{"a.htm", pattern(40, 'a')}, {"b.htm", pattern(9, 'b')}}),
            handImage({{"index.htm", pattern(300, 'i')}}),
            handImage({})};
        int accepted = 0;
        for (int round = 0; round < 6000; ++round) {
            QByteArray b = seeds[rng.bounded(int(seeds.size()))];
            switch (rng.bounded(3)) {
            case 0: // truncate
                b.truncate(rng.bounded(int(b.size()) + 1));
                break;
            case 1: // flip bytes, mostly in the header and table
                for (int n = rng.bounded(1, 4); n > 0 && !b.isEmpty(); --n)
                    b[rng.bounded(int(qMin<qsizetype>(b.size(), rng.bounded(2) ? 70 : b.size())))] = char(rng.bounded(256));
                break;
            default: { // pure noise with a valid version
                b = QByteArray(rng.bounded(0, 120), '\0');
                for (char &c : b)
                    c = char(rng.bounded(256));
                if (b.size() >= 2)
                    b.replace(0, 2, le16(1));
            }
            }
            TOrvanSite site;
            if (!site.LoadFromStream(b))
                continue;
            ++accepted;
            for (int i = 0; i < site.FileCount(); ++i) {
                const TSiteSubHeader h = site.GetSubHeader(i);
                QCOMPARE(qint64(site.FileContent(h.Name).size()), qint64(h.Size));
            }
            if (site.FileCount() > 0)
                site.RemoveFile(site.GetSubHeader(site.FileCount() - 1).Name);
            QCOMPARE(TOrvanSite::CheckImage(site.Image()), QString());
        }
        QVERIFY(accepted > 0);
    }

    void unreadableSourceLeavesImage()
    {
        TOrvanSite site;
        QVERIFY(site.AddFile(writeFile("a.htm", "a")));
        const QByteArray before = site.Image();
        QVERIFY(!site.AddFile(m_dir.filePath("missing.htm")));
        QVERIFY(!site.ErrorString().isEmpty());
        QCOMPARE(site.Image(), before);
        // A directory opens but cannot be read as a file.
        QVERIFY(QDir(m_dir.path()).mkpath("dir.htm"));
        QVERIFY(!site.AddFile(m_dir.filePath("dir.htm")));
        QCOMPARE(site.Image(), before);
    }

    void nameLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("19 bytes") << QString("abcdefghijklmno.htm") << true;
        QTest::newRow("20 bytes") << QString("abcdefghijklmnop.htm") << false;
    }

    void nameLimit()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        TOrvanSite site;
        QCOMPARE(site.AddFile(writeFile(name, "x")), accepted);
        QCOMPARE(site.FileCount(), accepted ? 1 : 0);
    }
};

KOVA_TEST(TestOrvanSite)
#include "tst_orvansite.moc"
