#include "TestRegistry.h"

#include "app/CommandRules.h"

#include <QTest>

Q_DECLARE_METATYPE(TMainState)

// The availability rules evaluated without any window.
class TestCommandRules : public QObject
{
    Q_OBJECT

private slots:
    void enabling_data();
    void enabling();
    void caption_data();
    void caption();
    void documentStar_data();
    void documentStar();
    void deviceList_data();
    void deviceList();
};

namespace {

using Role = TMainState::DocumentRole;

// Connected, in a program that has every document kind and the tag monitor.
TMainState connectedTo(TMainState s)
{
    s.connected = true;
    s.connectedName = "Orvan-MB-C";
    s.connectedMac = "00:1D:7A:00:00:01";
    s.configurationKindForConnected = s.webSiteKind = s.tagMonitor = true;
    return s;
}

TMainState without(TMainState s, bool TMainState::*built)
{
    s.*built = false;
    return s;
}

TMainState withDocument(Role role, bool tagsPage = false, bool tagRow = false, bool fileRow = false)
{
    TMainState s;
    s.documentOpen = true;
    s.activeRole = role;
    s.activeFileName = QStringLiteral("/opt/kova/noname1.ovc");
    s.activeCaption = QStringLiteral("Doc");
    s.tagsPageShown = tagsPage;
    s.tagRowSelected = tagRow;
    s.fileRowSelected = fileRow;
    return s;
}

} // namespace

void TestCommandRules::enabling_data()
{
    QTest::addColumn<TMainState>("state");
    QTest::addColumn<QStringList>("enabled");

    const QStringList documentCommands = {"FileSave", "FileSaveAs", "FileClose"};
    const QStringList tagTable = {"ConfigurationExportTags", "ConfigurationImportTags"};
    QTest::newRow("nothing") << TMainState() << QStringList();
    QTest::newRow("connected, no document")
        << connectedTo({}) << QStringList{"ConfigurationGetFromOrvan", "WebSiteGetFromOrvan", "ToolsTagMonitor"};
    QTest::newRow("configuration on serial page") << withDocument(Role::Configuration) << documentCommands;
    QTest::newRow("configuration on tags page, nothing selected")
        << withDocument(Role::Configuration, true) << documentCommands + tagTable + QStringList{"ConfigurationAddTag"};
    QTest::newRow("tags page, row selected")
        << withDocument(Role::Configuration, true, true)
        << documentCommands + tagTable
               + QStringList{"ConfigurationAddTag", "ConfigurationEditTag", "ConfigurationRemoveTag"};
    QTest::newRow("row selected but another page shown") << withDocument(Role::Configuration, false, true) << documentCommands;
    QTest::newRow("configuration while connected")
        << connectedTo(withDocument(Role::Configuration))
        << documentCommands
               + QStringList{"ConfigurationSendToOrvan", "ConfigurationCompareWithOrvan", "ConfigurationGetFromOrvan",
                             "WebSiteGetFromOrvan", "ToolsTagMonitor"};
    QTest::newRow("web site") << withDocument(Role::WebSite) << documentCommands + QStringList{"WebSiteAddFile"};
    QTest::newRow("web site, file selected")
        << withDocument(Role::WebSite, false, false, true)
        << documentCommands + QStringList{"WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile"};
    QTest::newRow("web site while connected")
        << connectedTo(withDocument(Role::WebSite))
        << documentCommands
               + QStringList{"WebSiteAddFile", "WebSiteSendToOrvan", "ConfigurationGetFromOrvan", "WebSiteGetFromOrvan",
                             "ToolsTagMonitor"};
    // Until a kind or the monitor is built, its command stays disabled even while connected.
    QTest::newRow("connected, no document kind for its family")
        << without(connectedTo({}), &TMainState::configurationKindForConnected)
        << QStringList{"WebSiteGetFromOrvan", "ToolsTagMonitor"};
    QTest::newRow("connected, no web site document")
        << without(connectedTo({}), &TMainState::webSiteKind) << QStringList{"ConfigurationGetFromOrvan", "ToolsTagMonitor"};
    QTest::newRow("connected, no tag monitor")
        << without(connectedTo({}), &TMainState::tagMonitor)
        << QStringList{"ConfigurationGetFromOrvan", "WebSiteGetFromOrvan"};
    TMainState built;
    built.configurationKindForConnected = built.webSiteKind = built.tagMonitor = true;
    QTest::newRow("everything built, not connected") << built << QStringList();
    // A document of no known kind gets only the file commands.
    QTest::newRow("other document, tags page claimed")
        << connectedTo(withDocument(Role::Other, true, true, true))
        << documentCommands + QStringList{"ConfigurationGetFromOrvan", "WebSiteGetFromOrvan", "ToolsTagMonitor"};
}

void TestCommandRules::enabling()
{
    QFETCH(TMainState, state);
    QFETCH(QStringList, enabled);
    const TCommandStates out = ApplicationUpdate(state);
    const QStringList governed = {"FileSave", "FileSaveAs", "FileClose", "ConfigurationAddTag", "ConfigurationEditTag",
                                  "ConfigurationRemoveTag", "ConfigurationExportTags", "ConfigurationImportTags",
                                  "ConfigurationSendToOrvan", "ConfigurationGetFromOrvan", "ConfigurationCompareWithOrvan",
                                  "WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile",
                                  "WebSiteSendToOrvan", "WebSiteGetFromOrvan", "ToolsTagMonitor"};
    for (const QString &name : governed) {
        QVERIFY2(out.enabled.contains(name), qPrintable(name));
        QCOMPARE(out.enabled.value(name), enabled.contains(name));
    }
}

void TestCommandRules::caption_data()
{
    QTest::addColumn<TMainState>("state");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("status");

    QTest::newRow("nothing") << TMainState() << "Kova - [] - Not Connected" << "Not Connected";
    QTest::newRow("document") << withDocument(Role::Configuration) << "Kova - [/opt/kova/noname1.ovc] - Not Connected"
                              << "Not Connected";
    QTest::newRow("connected") << connectedTo({}) << "Kova - [] - Orvan-MB-C/00:1D:7A:00:00:01"
                               << "Connected To: Orvan-MB-C/00:1D:7A:00:00:01";
    QTest::newRow("both") << connectedTo(withDocument(Role::WebSite))
                          << "Kova - [/opt/kova/noname1.ovc] - Orvan-MB-C/00:1D:7A:00:00:01"
                          << "Connected To: Orvan-MB-C/00:1D:7A:00:00:01";
}

void TestCommandRules::caption()
{
    QFETCH(TMainState, state);
    QFETCH(QString, caption);
    QFETCH(QString, status);
    const TCommandStates out = ApplicationUpdate(state);
    QCOMPARE(out.caption, caption);
    QCOMPARE(out.statusConnection, status);
}

void TestCommandRules::documentStar_data()
{
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("change");
    QTest::addColumn<QString>("result");

    QTest::newRow("saved, plain") << true << "Site - a.qsw" << false << "";
    QTest::newRow("changed, plain") << false << "Site - a.qsw" << true << "Site - a.qsw*";
    QTest::newRow("changed, starred") << false << "Site - a.qsw*" << false << "";
    QTest::newRow("saved, starred") << true << "Site - a.qsw*" << true << "Site - a.qsw";
    // Only the last character is the mark.
    QTest::newRow("saved, two stars") << true << "x**" << true << "x*";
}

void TestCommandRules::documentStar()
{
    QFETCH(bool, saved);
    QFETCH(QString, caption);
    QFETCH(bool, change);
    QFETCH(QString, result);
    TMainState s = withDocument(Role::WebSite);
    s.activeSaved = saved;
    s.activeCaption = caption;
    const TCommandStates out = ApplicationUpdate(s);
    QCOMPARE(out.changeDocumentCaption, change);
    if (change)
        QCOMPARE(out.documentCaption, result);
}

void TestCommandRules::deviceList_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("properties");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");

    QTest::newRow("row selected") << true << false << true << true << "&Properties of Orvan-DF1-C/00:1D:7A:00:00:09..."
                                  << "Edit Properties of Orvan-DF1-C/00:1D:7A:00:00:09";
    QTest::newRow("nothing selected") << false << false << false << false << "&Properties..." << "Edit Device Properties";
    // A connection can be ended with no row selected.
    QTest::newRow("nothing selected, connected") << false << true << false << true << "&Properties..."
                                                 << "Edit Device Properties";
}

void TestCommandRules::deviceList()
{
    QFETCH(bool, selected);
    QFETCH(bool, checked);
    TMainState s;
    s.deviceSelected = selected;
    s.selectedName = "Orvan-DF1-C";
    s.selectedMac = "00:1D:7A:00:00:09";
    s.connectChecked = checked;
    TCommandStates out;
    ActionListUpdate(s, out);
    QTEST(out.enabled.value(QStringLiteral("DevicesProperties")), "properties");
    QTEST(out.enabled.value(QStringLiteral("DevicesConnect")), "connect");
    QTEST(out.propertiesCaption, "caption");
    QTEST(out.propertiesHint, "hint");
}

KOVA_TEST(TestCommandRules)
#include "tst_commandrules.moc"
