#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "Simulator.h"
#include "site/ui/FileViewer.h"
#include "site/ui/Site.h"
#include "site/ui/TransferSite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <sys/stat.h>

namespace {

const QString NameTooLong = QStringLiteral(
    "The Name of the File \"%1\" is to Large for Orvan Web Server.\r\nThe filename must be shorter than 17 characters "
    "including its extension,\r\n\r\nNo files have been Added.");
const QString Exists = QStringLiteral("The File \"%1\" already exists in the Orvan Web Site.\r\n\r\nNo files have been Added.");
const QString NoRoom = QStringLiteral(
    "There is no room enough in Orvan Web Site file for the File(s) you selected.\r\nThe total size of the selected "
    "File(s) must be less than %1 bytes at this moment.\r\n\r\nNo files have been Added.\r\n\r\nNote: Each file needs 30 "
    "bytes plus the file size in Orvan Web Site.");
const QString ConnectError = QStringLiteral(
    "Error while trying to connect to Orvan FTP Server.\r\nVerify connection or wait for Orvan to establish the connection.");

QString text(QWidget *root, const char *name)
{
    if (auto *e = root->findChild<QLineEdit *>(name))
        return e->text();
    if (auto *l = root->findChild<QLabel *>(name))
        return l->text();
    return QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Calls step every 10 ms while a transfer dialog of doc is up, until step returns true
// (bounded: 20 s).
void driveTransfer(QWidget *doc, std::function<bool(TfrmTransferSite *)> step)
{
    auto *timer = new QTimer;
    auto *elapsed = new QElapsedTimer;
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto *dialog = doc->findChild<TfrmTransferSite *>();
        if ((dialog && dialog->isVisible() && step(dialog)) || elapsed->elapsed() > 20000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
        }
    });
    timer->start(10);
}

bool statusIs(TfrmTransferSite *d, const char *status)
{
    return text(d, "lblStatus") == QLatin1String(status);
}

void click(TfrmTransferSite *d)
{
    QTest::mouseClick(d->findChild<QPushButton *>("btnCancel"), Qt::LeftButton);
}

} // namespace

class TestSiteDocument : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<sim::Simulator> m_sim;

    QString writeFile(const QString &name, qint64 size, char fill = 'x')
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(size, fill)) != size)
            qFatal("cannot write test file");
        return path;
    }

    TDeviceData device(const QByteArray &ip = "127.0.0.3") const
    {
        TDeviceData d;
        d.DeviceName = "Orvan-MB-C";
        d.HostName = "plant-gw";
        d.MAC = "00-AA-BB-CC-DD-03";
        d.Version = "2.1.0-TS";
        d.IPAddress = ip;
        d.UserName = "admin";
        d.Password = "adminpw";
        return d;
    }

    sim::Gateway &gateway() { return m_sim->gateway(0); }

private slots:
    void initTestCase()
    {
        m_sim = std::make_unique<sim::Simulator>();
        sim::GatewayState state;
        state.ip = "127.0.0.3";
        state.mac = "00-AA-BB-CC-DD-03";
        state.adminPassword = "adminpw";
        m_sim->addGateway(state);
        m_sim->start();
        TfrmTransferSite::SetFtpPort(m_sim->ftpPort());
        TfrmTransferSite::SetTimeoutMs(3000);
    }

    void cleanupTestCase()
    {
        TfrmTransferSite::SetFtpPort(21);
        TfrmTransferSite::SetTimeoutMs(10000);
    }

    void cleanup() { gateway().clearFaults(); }

    void newDocument()
    {
        TMDISite doc;
        doc.New(QStringLiteral("noname1.qsw"));
        QCOMPARE(doc.windowTitle(), QStringLiteral("Orvan Web Site - noname1.qsw"));
        QCOMPARE(doc.FileName(), QDir(TMDIChild::ProgramFolder()).filePath("noname1.qsw"));
        QVERIFY(doc.Saved());
        QVERIFY(!doc.Named());
        QCOMPARE(text(&doc, "stMaximumSize"), QStringLiteral("1572864 bytes"));
        QCOMPARE(text(&doc, "stRequiredSize"), QStringLiteral("8 bytes (0.00%)"));
        QCOMPARE(text(&doc, "stBytesLeft"), QStringLiteral("1572856 bytes"));
        QCOMPARE(text(&doc, "stTotalFiles"), QStringLiteral("0 file(s)"));
        QCOMPARE(doc.findChild<QProgressBar *>("prgTotalUsed")->value(), 0);
        for (const char *name : {"btnRemoveFile", "btnExtractFile", "btnViewFile"})
            QVERIFY(!doc.findChild<QPushButton *>(name)->isEnabled());
        QVERIFY(doc.findChild<QPushButton *>("btnAddFile")->isEnabled());
    }

    void addChecks_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("message"); // empty: all added
        const QString sixteen = QStringLiteral("abcdefghijkl.htm");
        const QString seventeen = QStringLiteral("abcdefghijklm.htm");
        QTest::newRow("16 characters") << QStringList{sixteen} << QString();
        QTest::newRow("17 characters") << QStringList{"a.htm", seventeen} << NameTooLong.arg(seventeen);
        QTest::newRow("second already in the site")
            << QStringList{"new1.htm", "index.htm", "new2.htm"} << Exists.arg("index.htm");
        QTest::newRow("same name twice in a selection")
            << QStringList{"one/logo.gif", "two/logo.gif"} << Exists.arg("logo.gif");
        QTest::newRow("names differ by case") << QStringList{"INDEX.HTM"} << QString();
    }

    void addChecks()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname2.qsw"));
        prompt.openAnswers.enqueue({writeFile("index.htm", 10)});
        doc.AddFile();
        QCOMPARE(doc.Site().FileCount(), 1);
        doc.SetSaved(true);
        prompt.clear();

        QStringList paths;
        for (const QString &f : files)
            paths << writeFile(f, 20);
        prompt.openAnswers.enqueue(paths);
        doc.AddFile();
        QCOMPARE(prompt.fileRequests.first().title, QStringLiteral("Select Files to Add"));
        QVERIFY(prompt.fileRequests.first().multiple);
        if (message.isEmpty()) {
            QCOMPARE(prompt.texts("warning"), QStringList());
            QCOMPARE(doc.Site().FileCount(), 1 + files.size());
            QVERIFY(!doc.Saved());
            QCOMPARE(doc.findChild<QTreeWidget *>("lstFiles")->topLevelItemCount(), 1 + files.size());
        } else {
            QCOMPARE(prompt.texts("warning"), QStringList{message});
            QCOMPARE(doc.Site().FileCount(), 1);
            QVERIFY(doc.Saved());
        }
    }

    void spaceCheck_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exactly the free space") << 970 << true;
        QTest::newRow("one byte more") << 971 << false;
    }

    void spaceCheck()
    {
        QFETCH(int, size);
        QFETCH(bool, accepted);
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname3.qsw"));
        prompt.openAnswers.enqueue({writeFile("filler.bin", TOrvanSite::MaxSiteSize - 8 - 30 - 1000)});
        doc.AddFile();
        QCOMPARE(doc.Site().FreeSpace(), 1000);
        prompt.openAnswers.enqueue({writeFile("last.htm", size)});
        doc.AddFile();
        QCOMPARE(doc.Site().FileCount(), accepted ? 2 : 1);
        if (accepted) {
            QCOMPARE(text(&doc, "stBytesLeft"), QStringLiteral("0 bytes"));
            QCOMPARE(text(&doc, "stRequiredSize"), QStringLiteral("1572864 bytes (100.00%)"));
            QCOMPARE(doc.findChild<QProgressBar *>("prgTotalUsed")->value(), 100);
        } else {
            QCOMPARE(prompt.texts("warning"), QStringList{NoRoom.arg(1000)});
        }
    }

    // Anything but a readable regular file is refused with a message, and nothing is added.
    // A FIFO or a device passes the size check (size 0); reading one would block or never end.
    void unreadableFileAddsNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("vanished") << m_dir.filePath("vanished.htm") << "Cannot read";
        const QString fifo = m_dir.filePath("pipe");
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("FIFO") << fifo << "is not a regular file";
        QTest::newRow("character device") << "/dev/null" << "is not a regular file";
        QVERIFY(QDir().mkpath(m_dir.filePath("folder")));
        QTest::newRow("folder") << m_dir.filePath("folder") << "is not a regular file";
    }

    void unreadableFileAddsNothing()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname4.qsw"));
        prompt.openAnswers.enqueue({writeFile("fine.htm", 5), path});
        doc.AddFile();
        QCOMPARE(doc.Site().FileCount(), 0);
        QCOMPARE(prompt.texts("error").size(), 1);
        QVERIFY2(prompt.texts("error").first().contains(message), qPrintable(prompt.texts("error").first()));
        QVERIFY(doc.Saved());
    }

    void selectionRemoveExtractView()
    {
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname5.qsw"));
        QFile page(writeFile("page.htm", 0));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html>hello</html>");
        page.close();
        prompt.openAnswers.enqueue({page.fileName(), writeFile("pad.bin", 82)});
        doc.AddFile();
        auto *list = doc.findChild<QTreeWidget *>("lstFiles");
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("page.htm"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("18"));

        list->setCurrentItem(list->topLevelItem(0));
        QVERIFY(doc.findChild<QPushButton *>("btnViewFile")->isEnabled());
        // 18 bytes of a 8 + 48 + 112 = 168-byte image.
        QCOMPARE(text(&doc, "stFileused"), QStringLiteral("10.71%"));

        // Extract with the file's name proposed.
        const QString out = m_dir.filePath("extracted.htm");
        prompt.saveAnswers.enqueue(out);
        doc.ExtractFile();
        QCOMPARE(prompt.fileRequests.last().proposedName, QStringLiteral("page.htm"));
        QFile extracted(out);
        QVERIFY(extracted.open(QIODevice::ReadOnly));
        QCOMPARE(extracted.readAll(), QByteArray("<html>hello</html>"));

        // View: the viewer shows the text; no file is left behind, none in the current folder.
        const QStringList tempsBefore = QDir::temp().entryList({"kova-view-*"});
        QString shown, caption;
        QTimer::singleShot(0, [&] {
            auto *viewer = doc.findChild<TfrmFileViewer *>();
            QTRY_VERIFY(viewer && viewer->isVisible());
            shown = viewer->Text();
            caption = viewer->windowTitle();
            QTest::mouseClick(viewer->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
        });
        doc.ViewFile();
        QCOMPARE(shown, QStringLiteral("<html>hello</html>"));
        QCOMPARE(caption, QStringLiteral("File Viewer - page.htm"));
        QCOMPARE(QDir::temp().entryList({"kova-view-*"}), tempsBefore);
        QVERIFY(!QFile::exists("view.tmp"));

        // Remove: No keeps the file, Yes removes it.
        doc.SetSaved(true);
        prompt.answers.enqueue(Prompt::Answer::No);
        doc.RemoveFile();
        QCOMPARE(doc.Site().FileCount(), 2);
        QVERIFY(doc.Saved());
        prompt.answers.enqueue(Prompt::Answer::Yes);
        doc.RemoveFile();
        QCOMPARE(prompt.texts("confirmYesNo").last(),
                 QStringLiteral("Are you sure to Remove the File \"page.htm\" from Orvan Web Site?"));
        QCOMPARE(doc.Site().FileCount(), 1);
        QVERIFY(!doc.Saved());
        QVERIFY(!doc.findChild<QPushButton *>("btnRemoveFile")->isEnabled());
        QCOMPARE(text(&doc, "stFileused"), QString());
    }

    void saveAsAndReopen()
    {
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname6.qsw"));
        prompt.openAnswers.enqueue({writeFile("a.htm", 100), writeFile("b.gif", 50)});
        doc.AddFile();
        QVERIFY(!doc.SaveAs()); // cancelled
        QVERIFY(!doc.Named());

        const QString path = m_dir.filePath("mysite.qsw");
        prompt.saveAnswers.enqueue(path);
        QVERIFY(doc.Save()); // not named yet: save as
        QCOMPARE(prompt.fileRequests.last().filter, QStringLiteral("Orvan Web Site (*.qsw)|*.qsw"));
        QCOMPARE(prompt.fileRequests.last().defaultSuffix, QStringLiteral("qsw"));
        QVERIFY(doc.Saved());
        QVERIFY(doc.Named());
        QCOMPARE(doc.windowTitle(), QStringLiteral("Orvan Web Site - ") + path);
        QVERIFY(TMDISite::IsOrvanSiteFile(path));

        TMDISite again;
        again.Open(path);
        QVERIFY(!again.LoadFailed());
        QCOMPARE(again.Site().Image(), doc.Site().Image());
        QCOMPARE(again.findChild<QTreeWidget *>("lstFiles")->topLevelItemCount(), 2);
        QCOMPARE(text(&again, "stTotalFiles"), QStringLiteral("2 file(s)"));
        QVERIFY(again.Saved() && again.Named());
    }

    void failedSaveKeepsOldFileAndState()
    {
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname7.qsw"));
        prompt.openAnswers.enqueue({writeFile("c.htm", 10)});
        doc.AddFile();
        prompt.saveAnswers.enqueue(m_dir.filePath("missing-folder/site.qsw"));
        QVERIFY(!doc.SaveAs());
        QVERIFY(!doc.Saved());
        QCOMPARE(prompt.texts("error").size(), 1);
    }

    void damagedFileIsRefused()
    {
        RecordingPrompt prompt;
        const QString path = m_dir.filePath("damaged.qsw");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Version 1, one file, a TotalSize equal to the length, and a table that runs past the end.
        f.write(QByteArray::fromHex("010001000c000000ffffffff"));
        f.close();
        QVERIFY(TMDISite::IsOrvanSiteFile(path)); // passes the quick recognition...
        TMDISite doc;
        doc.Open(path);
        QVERIFY(doc.LoadFailed()); // ...but is not opened
        QCOMPARE(prompt.texts("error").size(), 1);
        QVERIFY(prompt.texts("error").first().contains("damaged.qsw"));
        QCOMPARE(doc.Site().FileCount(), 0);
    }

    // Build a site from files, send it to the simulated gateway, get it back byte for byte.
    void sendAndGetBack()
    {
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname8.qsw"));
        prompt.openAnswers.enqueue({writeFile("index.htm", 700000, 'i'), writeFile("big.jpg", 872000, 'j')});
        doc.AddFile();
        QCOMPARE(doc.Site().FileCount(), 2);

        QStringList seen;
        driveTransfer(&doc, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "TRANSFER COMPLETED!"))
                return false;
            seen << d->windowTitle() << text(d, "lblDescription") << text(d, "lblProgress") << text(d, "stDevice")
                 << text(d, "stIPAddress") << d->findChild<QPushButton *>("btnCancel")->text();
            click(d);
            return true;
        });
        QVERIFY(doc.SendToOrvan(device()));
        QCOMPARE(prompt.texts("warningYesNo"),
                 QStringList{"Sending this Web Site to Orvan will overwrite current Device Web Site.\r\n"
                             "Are you sure to Send this Web Site to Connected Orvan?"});
        const QString total = QString::number(doc.Site().Size());
        QCOMPARE(seen, (QStringList{"Send Web Site to Orvan", "Send File To Orvan FTP Server...",
                                    "Progress: " + total + " of " + total + " bytes", "Orvan-MB-C", "127.0.0.3", "&Close"}));
        QCOMPARE(gateway().snapshot().siteImage, doc.Site().Image());

        TMDISite fetched;
        fetched.New(QStringLiteral("noname9.qsw"));
        seen.clear();
        driveTransfer(&fetched, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "TRANSFER COMPLETED!"))
                return false;
            seen << d->windowTitle() << text(d, "lblDescription") << text(d, "lblProgress");
            click(d);
            return true;
        });
        QVERIFY(fetched.GetFromOrvan(device()));
        QCOMPARE(seen, (QStringList{"Get Web Site from Orvan", "Get File From Orvan FTP Server...",
                                    "Progress: " + total + " of " + total + " bytes"}));
        QCOMPARE(fetched.Site().Image(), doc.Site().Image());
        QVERIFY(!fetched.Saved());
        QCOMPARE(fetched.findChild<QTreeWidget *>("lstFiles")->topLevelItemCount(), 2);
    }

    void declinedSendSendsNothing()
    {
        RecordingPrompt prompt;
        gateway().update([](sim::GatewayState &s) { s.siteImage = "kept"; });
        TMDISite doc;
        doc.New(QStringLiteral("noname10.qsw"));
        prompt.answers.enqueue(Prompt::Answer::No);
        QVERIFY(doc.SendToOrvan(device()));
        QVERIFY(doc.findChild<TfrmTransferSite *>() == nullptr);
        QCOMPARE(gateway().snapshot().siteImage, QByteArray("kept"));
    }

    void cancelDuringUpload()
    {
        RecordingPrompt prompt;
        gateway().update([](sim::GatewayState &s) { s.siteImage = "kept"; });
        gateway().setFault("STOR", {sim::FaultKind::Delay, 10});
        TMDISite doc;
        doc.New(QStringLiteral("noname11.qsw"));
        prompt.openAnswers.enqueue({writeFile("large.bin", 1500000, 'L')});
        doc.AddFile();

        QString finalStatus, progressDuring;
        bool cancelled = false;
        driveTransfer(&doc, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "Sending File...") || !text(d, "lblProgress").startsWith("Progress: "))
                return false;
            progressDuring = text(d, "lblProgress");
            connect(d, &QDialog::finished, [&, d] {
                finalStatus = text(d, "lblStatus");
                cancelled = d->Cancelled();
            });
            click(d);
            return true;
        });
        doc.SendToOrvan(device());
        QVERIFY(!progressDuring.isEmpty());
        QCOMPARE(finalStatus, QStringLiteral("TRANSFER CANCELED!"));
        QVERIFY(cancelled);
        QCOMPARE(gateway().snapshot().siteImage, QByteArray("kept"));
    }

    void unreachableGet()
    {
        RecordingPrompt prompt;
        TMDISite doc;
        doc.New(QStringLiteral("noname12.qsw"));
        QString status, button;
        driveTransfer(&doc, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "TRANSFER ERROR!"))
                return false;
            button = d->findChild<QPushButton *>("btnCancel")->text();
            status = text(d, "lblStatus");
            click(d);
            return true;
        });
        QVERIFY(doc.GetFromOrvan(device("127.0.0.99"))); // nothing listens there
        QCOMPARE(prompt.texts("error"), QStringList{ConnectError});
        QCOMPARE(status, QStringLiteral("TRANSFER ERROR!"));
        QCOMPARE(button, QStringLiteral("&Close"));
        QCOMPARE(doc.Site().FileCount(), 0);
        QVERIFY(doc.Saved());
    }

    void unreadableListingFailsGet()
    {
        RecordingPrompt prompt;
        gateway().setFault("LIST", {sim::FaultKind::WrongReply, 0});
        gateway().setFault("SIZE", {sim::FaultKind::Nak, 0});
        TMDISite doc;
        doc.New(QStringLiteral("noname13.qsw"));
        bool errorShown = false;
        driveTransfer(&doc, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "TRANSFER ERROR!"))
                return false;
            errorShown = true;
            click(d);
            return true;
        });
        doc.GetFromOrvan(device());
        QVERIFY(errorShown);
        QCOMPARE(prompt.texts("error"), QStringList()); // a failed transfer has no box of its own
        QCOMPARE(doc.Site().FileCount(), 0);
    }

    void damagedImageFromGatewayIsRefused()
    {
        RecordingPrompt prompt;
        gateway().update([](sim::GatewayState &s) { s.siteImage = QByteArray::fromHex("0100050012000000ffff"); });
        TMDISite doc;
        doc.New(QStringLiteral("noname14.qsw"));
        driveTransfer(&doc, [&](TfrmTransferSite *d) {
            if (!statusIs(d, "TRANSFER COMPLETED!"))
                return false;
            click(d);
            return true;
        });
        doc.GetFromOrvan(device());
        QCOMPARE(prompt.texts("error").size(), 1);
        QVERIFY(prompt.texts("error").first().contains("damaged"));
        QCOMPARE(doc.Site().Image(), QByteArray::fromHex("0100000022000000"));
        QVERIFY(doc.Saved());
    }
};

KOVA_TEST(TestSiteDocument)
#include "tst_sitedocument.moc"
