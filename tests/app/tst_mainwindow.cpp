#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "TestDocuments.h"
#include "app/ui/About.h"
#include "app/ui/Main.h"
#include "app/ui/NewFile.h"
#include "site/ui/Site.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

// The main window with test documents in place of the real kinds (offscreen).
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsEmptyAndDisconnected();
    void menusAndToolBar();
    void newFileDialog();
    void counterConsumedByEveryNewDocument();
    void closeQuery_data();
    void closeQuery();
    void exitAsksEveryDocumentFirst();
    void openFile_data();
    void openFile();
    void commandLine_data();
    void commandLine();
    void addTag();
    void addTagLimitAndPage();
    void editTag();
    void removeTag();
    void siteCommandsGoToTheDocument();
    void statusHintFollowsPointer();
    void aboutBox();
    void windowMenuListsDocuments();
    void programTableHasTheWebSite();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    // Runs FileNew choosing row of the New File dialog (-1: Cancel).
    void newFromDialog(int row);

    std::unique_ptr<RecordingPrompt> m_prompt;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindow::init()
{
    m_prompt = std::make_unique<RecordingPrompt>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TMainForm>(TMainForm::Endpoints{}, TestDocumentKinds());
    m_form->CreateDialogs();
}

void TestMainWindow::cleanup()
{
    // Nothing may ask on the way out.
    for (TMDIChild *document : m_form->Documents())
        document->SetSaved(true);
    m_form.reset();
    m_prompt.reset();
}

QString TestMainWindow::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestMainWindow::newFromDialog(int row)
{
    bool driven = false;
    QTimer::singleShot(0, this, [&] {
        TfrmNewFile *dialog = m_form->frmNewFile();
        QTRY_VERIFY(dialog->isVisible());
        if (row < 0) {
            dialog->reject();
        } else {
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstNewFiles"));
            list->clearSelection();
            list->item(row)->setSelected(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        }
        driven = true;
    });
    m_form->action(QStringLiteral("FileNew"))->trigger();
    QVERIFY(driven);
}

void TestMainWindow::startsEmptyAndDisconnected()
{
    m_form->show();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Kova - [] - Not Connected"));
    QCOMPARE(m_form->findChild<QLabel *>(QStringLiteral("StatusConnection"))->text(), QStringLiteral("Not Connected"));
    QCOMPARE(m_form->DocumentCounter(), 1);
    QVERIFY(!m_form->Connected());
    QVERIFY(m_form->InfoMessage());
    for (const char *name : {"FileSave", "FileSaveAs", "FileClose", "ConfigurationAddTag", "ConfigurationEditTag",
                             "ConfigurationRemoveTag", "ConfigurationSendToOrvan", "ConfigurationGetFromOrvan",
                             "ConfigurationCompareWithOrvan", "WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile",
                             "WebSiteSendToOrvan", "WebSiteGetFromOrvan", "ToolsTagMonitor", "DevicesProperties",
                             "DevicesConnect"})
        QVERIFY2(!m_form->action(QString::fromLatin1(name))->isEnabled(), name);
    for (const char *name : {"FileNew", "FileOpen", "FileExit", "DevicesSearchLocal", "DevicesSearchRemote", "ToolsOptions",
                             "ToolsAbout", "WindowCascade", "WindowMinimizeAll"})
        QVERIFY2(m_form->action(QString::fromLatin1(name))->isEnabled(), name);
    QAction *connect = m_form->action(QStringLiteral("DevicesConnect"));
    QVERIFY(connect->isCheckable() && !connect->isChecked());
    QCOMPARE(connect->text(), QStringLiteral("Co&nnect..."));
    QCOMPARE(connect->statusTip(), QStringLiteral("Connect to Orvan"));
}

void TestMainWindow::menusAndToolBar()
{
    const auto names = [](const QList<QAction *> &actions) {
        QStringList list;
        for (QAction *a : actions)
            list << (a->isSeparator() ? QStringLiteral("|") : a->menu() ? a->text() : a->objectName());
        return list;
    };
    QCOMPARE(names(m_form->menuBar()->actions()),
             (QStringList{"&File", "&Devices", "&Configuration", "&Web Site", "&Tools", "&Window"}));
    const QList<QAction *> menus = m_form->menuBar()->actions();
    QCOMPARE(names(menus[0]->menu()->actions()),
             (QStringList{"FileNew", "|", "FileOpen", "FileSave", "FileSaveAs", "FileClose", "|", "FileExit"}));
    QCOMPARE(names(menus[1]->menu()->actions()),
             (QStringList{"DevicesSearchLocal", "DevicesSearchRemote", "|", "DevicesConnect", "|", "DevicesProperties"}));
    QCOMPARE(names(menus[2]->menu()->actions()),
             (QStringList{"ConfigurationAddTag", "ConfigurationEditTag", "ConfigurationRemoveTag", "ConfigurationExportTags",
                          "ConfigurationImportTags", "|", "ConfigurationSendToOrvan", "ConfigurationGetFromOrvan",
                          "ConfigurationCompareWithOrvan"}));
    QCOMPARE(m_form->action(QStringLiteral("ConfigurationCompareWithOrvan"))->text(), QStringLiteral("C&ompare With Orvan..."));
    QCOMPARE(names(menus[4]->menu()->actions()), (QStringList{"ToolsTagMonitor", "ToolsOptions", "|", "ToolsAbout"}));
    QCOMPARE(names(m_form->findChild<QToolBar *>(QStringLiteral("ToolBar"))->actions()),
             (QStringList{"FileNew", "FileOpen", "FileSave", "|", "DevicesSearchLocal", "DevicesProperties",
                          "DevicesConnect", "|", "ConfigurationAddTag", "ConfigurationEditTag", "ConfigurationRemoveTag",
                          "ConfigurationExportTags", "ConfigurationImportTags", "ConfigurationSendToOrvan",
                          "ConfigurationGetFromOrvan", "ConfigurationCompareWithOrvan", "|", "WebSiteAddFile",
                          "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile", "WebSiteSendToOrvan",
                          "WebSiteGetFromOrvan"}));
    auto *devices = m_form->findChild<QWidget *>(QStringLiteral("lstDevices"));
    QCOMPARE(names(devices->actions()),
             (QStringList{"DevicesSearchLocal", "DevicesSearchRemote", "|", "DevicesProperties", "DevicesConnect"}));
    QCOMPARE(m_form->action(QStringLiteral("FileExit"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    QCOMPARE(m_form->action(QStringLiteral("DevicesSearchLocal"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
}

void TestMainWindow::newFileDialog()
{
    m_form->show();
    auto *list = m_form->frmNewFile()->findChild<QListWidget *>(QStringLiteral("lstNewFiles"));
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Orvan Modbus Configuration"));
    QCOMPARE(list->item(3)->text(), QStringLiteral("Orvan Web Site"));
    // Hostlink has no document in the test table: listed, not selectable.
    QVERIFY(!(list->item(1)->flags() & Qt::ItemIsEnabled));
    QVERIFY(list->item(2)->flags() & Qt::ItemIsEnabled);

    // OK with nothing selected keeps the dialog open; Cancel creates nothing.
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        TfrmNewFile *dialog = m_form->frmNewFile();
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->SelectedKind(), 0); // opens on the first kind
        list->clearSelection();
        dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        QVERIFY(dialog->isVisible());
        dialog->reject();
        checked = true;
    });
    m_form->action(QStringLiteral("FileNew"))->trigger();
    QVERIFY(checked);
    QVERIFY(m_form->Documents().isEmpty());
    QCOMPARE(m_form->DocumentCounter(), 1);
}

void TestMainWindow::counterConsumedByEveryNewDocument()
{
    m_form->show();
    newFromDialog(0);
    newFromDialog(3);
    newFromDialog(-1);
    newFromDialog(2);
    QStringList made;
    for (TMDIChild *document : m_form->Documents())
        made << QFileInfo(document->FileName()).fileName();
    QCOMPARE(made, (QStringList{"noname1.ovc", "noname2.qsw", "noname3.ovc"}));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Kova - [%1] - Not Connected").arg(m_form->ActiveDocument()->FileName()));

    // A closed document's number is not given out again.
    m_form->action(QStringLiteral("FileClose"))->trigger();
    QTRY_COMPARE(m_form->Documents().size(), 2);
    newFromDialog(0);
    QCOMPARE(QFileInfo(m_form->ActiveDocument()->FileName()).fileName(), QStringLiteral("noname4.ovc"));
    QCOMPARE(m_form->DocumentCounter(), 5);
}

void TestMainWindow::closeQuery_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("closed");

    const QString bare = QStringLiteral("File \"noname1.ovc\" has Changed. Save this file?");
    QTest::newRow("unchanged closes without a question") << false << false << 0 << true << QStringList() << true;
    QTest::newRow("changed, No") << true << false << int(Prompt::Answer::No) << true << QStringList{bare} << true;
    QTest::newRow("changed, Cancel") << true << false << int(Prompt::Answer::Cancel) << true << QStringList{bare} << false;
    QTest::newRow("changed, Yes, saved") << true << true << int(Prompt::Answer::Yes) << true
                                         << QStringList{"File \"/data/plant.ovc\" has Changed. Save this file?"} << true;
    // A failed write keeps the document open.
    QTest::newRow("changed, Yes, write fails") << true << true << int(Prompt::Answer::Yes) << false
                                               << QStringList{"File \"/data/plant.ovc\" has Changed. Save this file?"}
                                               << false;
}

void TestMainWindow::closeQuery()
{
    QFETCH(bool, edited);
    QFETCH(bool, named);
    QFETCH(int, answer);
    QFETCH(bool, writable);
    m_form->show();
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(KindModbus));
    document->writable = writable;
    if (named) {
        document->SetFileName(QStringLiteral("/data/plant.ovc"));
        document->SetNamed(true);
    }
    if (edited)
        document->SetSaved(false);
    m_form->ApplicationUpdate();
    QCOMPARE(document->windowTitle().endsWith(QLatin1Char('*')), edited);

    m_prompt->answers.enqueue(Prompt::Answer(answer));
    QPointer<TTestConfigDocument> watch(document);
    m_form->action(QStringLiteral("FileClose"))->trigger();
    QTEST(m_prompt->texts(QStringLiteral("confirmYesNoCancel")), "asked");
    QFETCH(bool, closed);
    if (closed) {
        QTRY_VERIFY(watch.isNull()); // freed when closed
        QTRY_COMPARE(m_form->windowTitle(), QStringLiteral("Kova - [] - Not Connected"));
    } else {
        QTest::qWait(20);
        QVERIFY(!watch.isNull());
        QCOMPARE(m_form->Documents().size(), 1);
    }
}

void TestMainWindow::exitAsksEveryDocumentFirst()
{
    m_form->show();
    auto *first = m_form->CreateDocument(KindModbus);
    auto *second = m_form->CreateDocument(KindWebSite);
    first->SetSaved(false);
    second->SetSaved(false);
    // The first may go, the second cancels: nothing closes, the program stays.
    m_prompt->answers << Prompt::Answer::No << Prompt::Answer::Cancel;
    m_form->action(QStringLiteral("FileExit"))->trigger();
    QCOMPARE(m_prompt->texts(QStringLiteral("confirmYesNoCancel")).size(), 2);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->Documents().size(), 2);

    m_prompt->clear();
    m_prompt->answers << Prompt::Answer::No << Prompt::Answer::No;
    m_form->action(QStringLiteral("FileExit"))->trigger();
    QCOMPARE(m_prompt->texts(QStringLiteral("confirmYesNoCancel")).size(), 2);
    QVERIFY(!m_form->isVisible());
}

void TestMainWindow::openFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind"); // -1: refused

    QTest::newRow("modbus") << QByteArray("MODBUS\n") << int(KindModbus);
    QTest::newRow("df1") << QByteArray("DF1\n") << int(KindDF1);
    QTest::newRow("site") << QByteArray("SITE\n") << int(KindWebSite);
    QTest::newRow("nothing known") << QByteArray("HELLO\n") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void TestMainWindow::openFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    // The extension plays no part: recognition is by content.
    const QString path = writeFile(QStringLiteral("file.ovc"), content);
    m_form->show();
    m_form->OpenFile(path);
    if (kind < 0) {
        QVERIFY(m_form->Documents().isEmpty());
        QCOMPARE(m_prompt->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("The File \"%1\" is not recognized as a valid file").arg(path)});
        return;
    }
    QCOMPARE(m_form->Documents().size(), 1);
    QCOMPARE(m_form->KindOf(m_form->ActiveDocument()), kind);
    QCOMPARE(m_form->ActiveDocument()->FileName(), path);
    QCOMPARE(m_form->DocumentCounter(), 1); // opening consumes no number
    // The same file again is a second, independent document.
    m_form->OpenFile(path);
    QCOMPARE(m_form->Documents().size(), 2);
    QVERIFY(m_prompt->log.isEmpty());
}

void TestMainWindow::commandLine_data()
{
    QTest::addColumn<int>("arguments");
    QTest::addColumn<int>("documents");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("two") << 2 << 0;
}

void TestMainWindow::commandLine()
{
    QFETCH(int, arguments);
    const QString path = writeFile(QStringLiteral("a.ovc"), "MODBUS\n");
    m_form->OpenCommandLine(QStringList(arguments, path));
    QTEST(int(m_form->Documents().size()), "documents");
    QVERIFY(m_prompt->log.isEmpty());
}

void TestMainWindow::addTag()
{
    m_form->show();
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(KindModbus));
    document->pages->setCurrentIndex(2);
    document->addTags(2);
    m_form->ApplicationUpdate();
    QVERIFY(m_form->action(QStringLiteral("ConfigurationAddTag"))->isEnabled());

    // Cancel changes nothing.
    document->dialogScript << std::nullopt;
    m_form->action(QStringLiteral("ConfigurationAddTag"))->trigger();
    QCOMPARE(document->GetTagCount(), 2);
    QVERIFY(document->Saved());

    // A taken name brings the dialog back in edit mode until a new name or Cancel.
    document->dialogModes.clear();
    document->dialogScript << QStringLiteral("TAG1") << QStringLiteral("TAG0") << QStringLiteral("PRESSURE");
    m_form->action(QStringLiteral("ConfigurationAddTag"))->trigger();
    QCOMPARE(document->dialogModes, (QList<bool>{false, true, true}));
    QCOMPARE(m_prompt->texts(QStringLiteral("error")),
             (QStringList{"The Tag TAG1 already exists.", "The Tag TAG0 already exists."}));
    QCOMPARE(document->GetTagCount(), 3);
    QCOMPARE(document->TagNameAt(2), QStringLiteral("PRESSURE"));
    QVERIFY(!document->Saved());
    QVERIFY(document->windowTitle().endsWith(QLatin1Char('*')));

    // A duplicate then Cancel leaves the list as it was.
    document->SetSaved(true);
    document->dialogScript << QStringLiteral("PRESSURE") << std::nullopt;
    m_form->action(QStringLiteral("ConfigurationAddTag"))->trigger();
    QCOMPARE(document->GetTagCount(), 3);
    QVERIFY(document->Saved());
}

void TestMainWindow::addTagLimitAndPage()
{
    m_form->show();
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(KindDF1));
    document->addTags(127);
    for (int page : {0, 1}) {
        document->pages->setCurrentIndex(page);
        m_form->ApplicationUpdate();
        QVERIFY(!m_form->action(QStringLiteral("ConfigurationAddTag"))->isEnabled());
    }
    document->pages->setCurrentIndex(2);
    m_form->ApplicationUpdate();
    QVERIFY(m_form->action(QStringLiteral("ConfigurationAddTag"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("ConfigurationEditTag"))->isEnabled());

    document->dialogScript << QStringLiteral("LAST");
    m_form->action(QStringLiteral("ConfigurationAddTag"))->trigger();
    QCOMPARE(document->GetTagCount(), 128);
    // The 129th is refused before the dialog shows.
    document->dialogModes.clear();
    document->dialogScript << QStringLiteral("ONE_MORE");
    m_form->action(QStringLiteral("ConfigurationAddTag"))->trigger();
    QCOMPARE(m_prompt->texts(QStringLiteral("error")), QStringList{"Cannot add more than 128 Tags."});
    QVERIFY(document->dialogModes.isEmpty());
    QCOMPARE(document->GetTagCount(), 128);
}

void TestMainWindow::editTag()
{
    m_form->show();
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(KindModbus));
    document->pages->setCurrentIndex(2);
    document->addTags(3);
    document->selectRow(1);
    m_form->ApplicationUpdate();
    QVERIFY(m_form->action(QStringLiteral("ConfigurationEditTag"))->isEnabled());
    QVERIFY(m_form->action(QStringLiteral("ConfigurationRemoveTag"))->isEnabled());

    // Keeping its own name is accepted.
    document->dialogScript << QStringLiteral("TAG1");
    m_form->action(QStringLiteral("ConfigurationEditTag"))->trigger();
    QVERIFY(m_prompt->log.isEmpty());
    QVERIFY(!document->Saved());
    QCOMPARE(document->dialogModes, QList<bool>{true});

    // Another row's name is refused and the dialog comes back.
    document->SetSaved(true);
    document->dialogScript << QStringLiteral("TAG2") << QStringLiteral("FLOW");
    m_form->action(QStringLiteral("ConfigurationEditTag"))->trigger();
    QCOMPARE(m_prompt->texts(QStringLiteral("error")), QStringList{"The Tag TAG2 already exists."});
    QCOMPARE(document->TagNameAt(1), QStringLiteral("FLOW"));
    QCOMPARE(document->TagNameAt(2), QStringLiteral("TAG2"));

    // Refused, then cancelled: unchanged.
    document->SetSaved(true);
    document->dialogScript << QStringLiteral("TAG0") << std::nullopt;
    m_form->action(QStringLiteral("ConfigurationEditTag"))->trigger();
    QCOMPARE(document->TagNameAt(1), QStringLiteral("FLOW"));
    QVERIFY(document->Saved());
}

void TestMainWindow::removeTag()
{
    m_form->show();
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(KindModbus));
    document->pages->setCurrentIndex(2);
    document->addTags(3);
    document->selectRow(2);
    m_form->ApplicationUpdate();

    m_prompt->answers << Prompt::Answer::No;
    m_form->action(QStringLiteral("ConfigurationRemoveTag"))->trigger();
    QCOMPARE(m_prompt->texts(QStringLiteral("confirmYesNo")), QStringList{"Are you sure to delete the Tag \"TAG2\""});
    QCOMPARE(document->GetTagCount(), 3);
    QVERIFY(document->Saved());

    m_prompt->answers << Prompt::Answer::Yes;
    m_form->action(QStringLiteral("ConfigurationRemoveTag"))->trigger();
    QCOMPARE(document->GetTagCount(), 2);
    QVERIFY(!document->Saved());
}

void TestMainWindow::siteCommandsGoToTheDocument()
{
    m_form->show();
    auto *site = static_cast<TTestSiteDocument *>(m_form->CreateDocument(KindWebSite));
    m_form->ApplicationUpdate();
    QVERIFY(m_form->action(QStringLiteral("WebSiteAddFile"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("WebSiteRemoveFile"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("ConfigurationAddTag"))->isEnabled());
    new QTreeWidgetItem(site->files, {QStringLiteral("index.html"), QStringLiteral("120")});
    site->files->setCurrentItem(site->files->topLevelItem(0));
    m_form->ApplicationUpdate();
    for (const char *name : {"WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile"})
        m_form->action(QString::fromLatin1(name))->trigger();
    QCOMPARE(site->calls, (QStringList{"New noname1.qsw", "AddFile", "ExtractFile", "ViewFile", "RemoveFile"}));
    // Not connected: sending is neither enabled nor carried out.
    m_form->WebSiteSendToOrvanExecute();
    m_form->WebSiteGetFromOrvanExecute();
    QCOMPARE(site->calls.size(), 5);
    QCOMPARE(m_form->Documents().size(), 1);
}

void TestMainWindow::statusHintFollowsPointer()
{
    m_form->show();
    QStatusTipEvent tip(m_form->action(QStringLiteral("FileOpen"))->statusTip());
    QCoreApplication::sendEvent(m_form.get(), &tip);
    auto *hint = m_form->findChild<QLabel *>(QStringLiteral("StatusHint"));
    QCOMPARE(hint->text(), QStringLiteral("Open an existing File"));
    QCOMPARE(hint->width(), 250);
    QVERIFY(m_form->findChild<QLabel *>(QStringLiteral("StatusConnection"))->width() >= 250);
}

void TestMainWindow::aboutBox()
{
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        TfrmAbout *about = m_form->frmAbout();
        QTRY_VERIFY(about->isVisible());
        QStringList texts;
        for (QLabel *label : about->findChildren<QLabel *>())
            texts << label->text();
        for (const QString &expected : {QStringLiteral("Orvan-TS"), QStringLiteral("Configuration"), QStringLiteral("Manager"),
                                        QStringLiteral("Version 3.0.3"), TfrmAbout::OperatingSystemText(),
                                        TfrmAbout::BuildText()})
            QVERIFY2(texts.contains(expected), qPrintable(expected));
        QVERIFY(TfrmAbout::BuildText().startsWith(QStringLiteral("Build ")));
        about->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        seen = true;
    });
    m_form->action(QStringLiteral("ToolsAbout"))->trigger();
    QVERIFY(seen);
}

void TestMainWindow::windowMenuListsDocuments()
{
    m_form->show();
    m_form->CreateDocument(KindModbus);
    m_form->CreateDocument(KindWebSite);
    QMenu *menu = m_form->menuBar()->actions().last()->menu();
    QMetaObject::invokeMethod(menu, "aboutToShow");
    QStringList items;
    for (QAction *a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("|") : a->text());
    QCOMPARE(items, (QStringList{"&Cascade", "&Minimize All", "|", "&1 Test Configuration - noname1.ovc",
                                 "&2 Test Site - noname2.qsw"}));
    // Choosing an entry activates that document.
    menu->actions().at(3)->trigger();
    QCOMPARE(m_form->KindOf(m_form->ActiveDocument()), int(KindModbus));

    m_form->action(QStringLiteral("WindowMinimizeAll"))->trigger();
    for (QMdiSubWindow *window : m_form->mdiArea()->subWindowList())
        QVERIFY(window->isMinimized());
}

void TestMainWindow::programTableHasTheWebSite()
{
    TMainForm form; // the program's own table
    form.CreateDialogs();
    form.show();
    auto *list = form.frmNewFile()->findChild<QListWidget *>(QStringLiteral("lstNewFiles"));
    QCOMPARE(list->count(), 4);
    QVERIFY(list->item(KindWebSite)->flags() & Qt::ItemIsEnabled);

    auto *site = qobject_cast<TMDISite *>(form.CreateDocument(KindWebSite));
    QVERIFY(site);
    QCOMPARE(site->windowTitle(), QStringLiteral("Orvan Web Site - noname1.qsw"));
    QVERIFY(form.action(QStringLiteral("WebSiteAddFile"))->isEnabled());
    QVERIFY(!form.action(QStringLiteral("WebSiteRemoveFile"))->isEnabled());
    QVERIFY(!form.action(QStringLiteral("ConfigurationAddTag"))->isEnabled());
    site->SetSaved(false);
    form.ApplicationUpdate();
    QCOMPARE(site->windowTitle(), QStringLiteral("Orvan Web Site - noname1.qsw*"));
    site->SetSaved(true);
    form.ApplicationUpdate();
    QCOMPARE(site->windowTitle(), QStringLiteral("Orvan Web Site - noname1.qsw"));

    // A web site file opens as a web site document; anything else is refused.
    const QString path = m_dir->filePath(QStringLiteral("site.qsw"));
    TOrvanSite image;
    QVERIFY(image.Create(path));
    QVERIFY(image.AddFile(writeFile(QStringLiteral("index.html"), "<html></html>")));
    QVERIFY(image.Save());
    form.OpenFile(path);
    QCOMPARE(form.Documents().size(), 2);
    QCOMPARE(form.ActiveDocument()->windowTitle(), QStringLiteral("Orvan Web Site - ") + path);
    form.OpenFile(writeFile(QStringLiteral("plain.txt"), "MODBUS\n"));
    QCOMPARE(form.Documents().size(), 2);
    QCOMPARE(m_prompt->texts(QStringLiteral("error")).size(), 1);
}

KOVA_TEST(TestMainWindow)
#include "tst_mainwindow.moc"
