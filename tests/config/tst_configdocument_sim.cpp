#include "TestRegistry.h"

#include "DialogScript.h"
#include "RecordingPrompt.h"
#include "TagDialogDriver.h"
#include "TransferRig.h"

#include "app/ui/Main.h"
#include "config/ConfigCompare.h"
#include "config/ConfigTransfer.h"
#include "config/TagRows.h"
#include "config/ui/CompareConfig.h"
#include "config/ui/ConfigDialogs.h"
#include "config/ui/ConfigDocuments.h"
#include "config/ui/ConfigPages.h"
#include "config/ui/TransferConfig.h"
#include "device/ui/DeviceList.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>


namespace {

using Steps = QStringList;

// Serial and e-mail settings away from the defaults, then tags of every source of the
// protocol, each as the tag dialog's fields are filled in.
struct Build
{
    Steps serial;
    QList<Steps> tags;
};

Build buildOf(TagProtocol protocol)
{
    // Hostlink and DF1 ask for read-only inputs to be ticked; "_TEMP" is Modbus's alone.
    const Steps input = {"cboSource=Orvan Input", "txtTagName=in3", "txtBitPosition=3", "chkReadOnly=1"};
    const Steps output = {"cboSource=Orvan Output", "txtTagName=out7", "txtBitPosition=7", "chkAlarmEnable=1", "rdoNegative",
                          "chkSendEMail=1"};
    const Steps temperature = {"cboSource=Internal", "txtTagName=_temp", "chkAlarmEnable=1", "txtLowestAlarm=-10.5",
                               "txtHighestAlarm=80", "cboScale=Linear (Ax+B)", "txtFactorA=1.8", "txtFactorB=32"};
    const Steps internal = {"cboSource=Internal", "txtTagName=_alarmnak", "chkReadOnly=1", "chkAlarmEnable=1"};
    switch (protocol) {
    case TagProtocol::Modbus:
        return {{"cboComType=RS-485", "cboBaudRate=19200", "cboParity=Even", "cboFormat=ASCII", "txtPacketTout=8"},
                {{"txtTagName=level", "txtUnitID=3", "txtAddress=0010", "cboType=Float", "chkWriteLimits=1",
                  "txtMinWrite=-1.5", "txtMaxWrite=100", "chkAlarmEnable=1", "txtLowestAlarm=10", "txtHighestAlarm=90",
                  "chkSendEMail=1", "chkSendTrap=1"},
                 {"txtTagName=count", "txtUnitID=7", "txtAddress=12345", "cboType=Signed int", "chkAlarmEnable=1",
                  "txtLowestAlarm=-5", "txtHighestAlarm=5"},
                 input, output, temperature,
                 {"cboSource=#4", "txtTagName=ai1", "txtBitPosition=2", "chkAlarmEnable=1", "txtLowestAlarm=-100",
                  "txtHighestAlarm=100"}}};
    case TagProtocol::Hostlink:
        return {{"cboComType=RS-422", "cboBaudRate=115200", "cboParity=Odd"},
                {{"txtTagName=level", "txtUnitID=99", "cboHostlinkFunction=DM", "txtAddress=1234", "chkWriteLimits=1",
                  "txtMinWrite=0", "txtMaxWrite=100", "chkAlarmEnable=1", "chkAlarmValue=1", "txtLowestAlarm=10",
                  "txtHighestAlarm=90", "chkSendEMail=1"},
                 {"txtTagName=b", "txtUnitID=0", "cboHostlinkFunction=HR", "txtAddress=7", "cboType=Word bit",
                  "txtBitPosition=15", "chkAlarmEnable=1", "chkAlarmEdge=1", "rdoNegative"},
                 input, output, internal,
                 {"cboSource=Orvan Ainput", "txtTagName=ai", "txtBitPosition=7", "chkReadOnly=1", "chkAlarmEnable=1",
                  "chkAlarmEdge=1", "txtLowestAlarm=0.5", "txtHighestAlarm=1.5", "cboScale=Linear (Ax+B)",
                  "txtFactorA=0.01", "txtFactorB=0"}}};
    case TagProtocol::DF1:
        break;
    }
    return {{"cboBaudRate=2400", "cboParity=Even", "cboDataBits=7", "cboErrorMethod=BCC"},
            {{"txtTagName=count", "cboFileType=Integer (N)", "txtFileNumber=7", "txtWordNumber=10", "cboType=Long",
              "chkWriteLimits=1", "txtMinWrite=-1", "txtMaxWrite=2147483647"},
             {"txtTagName=f", "cboFileType=Float (F)", "txtFileNumber=200", "txtWordNumber=65535", "cboType=Float",
              "chkAlarmEnable=1", "chkAlarmValue=1", "txtLowestAlarm=-1.25", "txtHighestAlarm=1000000",
              "cboScale=Linear (Ax+B)", "txtFactorA=2", "txtFactorB=1"},
             input, output, internal,
             {"cboSource=Orvan Ainput", "txtTagName=ai", "txtBitPosition=0", "chkReadOnly=1", "chkAlarmEnable=1",
              "chkAlarmValue=1", "txtLowestAlarm=-3", "txtHighestAlarm=30"}}};
}

const Steps Email = {"chkEMailEnable=1", "txtEMailServer=mail.example.com", "txtEMailSender=gw@example.com",
                     "txtEMailTimeout=30", "txtEMailRetries=2", "txtEMailInterRetries=15", "chkAuth=1", "txtUser=u",
                     "txtPass1=pw", "txtPass2=pw"};

// Every cell of the tag list, row by row.
// The compare window's rows below their section, "caption|document|orvan", at any depth.
QStringList differenceRows(QDialog &window)
{
    QStringList rows;
    const std::function<void(QTreeWidgetItem *)> walk = [&](QTreeWidgetItem *item) {
        for (int i = 0; i < item->childCount(); ++i) {
            QTreeWidgetItem *child = item->child(i);
            rows << QStringList{child->text(0), child->text(1), child->text(2)}.join(QLatin1Char('|'));
            walk(child);
        }
    };
    walk(window.findChild<QTreeWidget *>(QStringLiteral("lstDifferences"))->invisibleRootItem());
    return rows;
}

QStringList cells(const TMDIConfig &document)
{
    QTableWidget *tags = document.Pages().TagList();
    QStringList rows;
    for (int row = 0; row < tags->rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < tags->columnCount(); ++column)
            texts << (tags->item(row, column) ? tags->item(row, column)->text() : QStringLiteral("<none>"));
        rows << texts.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

// A configuration built through the windows, as a user builds one: the pages, the tag
// dialogs for tags of every source, Save, Open, Send To Orvan and Get From Orvan against a
// simulated gateway of the protocol. What comes back must be what was built, cell by cell.
class TestConfigDocumentSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void roundTrip_data() { addProtocolRows(); }

    void roundTrip()
    {
        QFETCH(TagProtocol, protocol);
        RecordingPrompt prompt;
        TransferRig rig;
        QTemporaryDir dir;
        TMainForm::Endpoints endpoints;
        endpoints.httpPort = rig.simulator->httpPort();
        endpoints.httpReadTimeoutMs = 5000;
        TMainForm form(endpoints);
        form.CreateDialogs();
        form.show();
        DialogScript script;

        // Build it.
        auto *built = qobject_cast<TMDIConfig *>(form.CreateDocument(int(protocol)));
        QVERIFY(built);
        const Build build = buildOf(protocol);
        QVERIFY(TagDialogDriver::apply(*built, build.serial + Email));
        built->findChild<QSlider *>(QStringLiteral("sldScanTime"))->setValue(250);
        built->findChild<QSlider *>(QStringLiteral("sldMessageTout"))->setValue(500);
        for (const char *address : {"ops@example.com", "night@example.com"}) {
            script.then([address](QDialog &d) {
                TagDialogDriver::apply(d, {QStringLiteral("txtEMail=") + QLatin1String(address)});
                DialogScript::ok(d);
            });
            built->findChild<QAbstractButton *>(QStringLiteral("btnEMailAdd"))->click();
        }
        built->Pages().ShowPage(TConfigPage::Tags);
        QStringList refused;
        for (const Steps &tag : build.tags) {
            script.then([tag, &refused](QDialog &d) {
                TagDialogDriver::apply(d, tag);
                DialogScript::ok(d);
                if (d.isVisible()) {
                    refused << tag.join(QLatin1Char(','));
                    d.reject();
                }
            });
            form.ApplicationUpdate();
            form.action(QStringLiteral("ConfigurationAddTag"))->trigger();
        }
        QVERIFY2(refused.isEmpty(), qPrintable((refused + prompt.texts()).join(QLatin1Char('\n'))));
        QCOMPARE(built->GetTagCount(), build.tags.size());
        QVERIFY2(prompt.texts(QStringLiteral("error")).isEmpty(), qPrintable(prompt.texts().join(QLatin1Char('\n'))));

        // Save it, open it again.
        const QString path = dir.filePath(QStringLiteral("built.ovc"));
        prompt.saveAnswers.enqueue(path);
        form.action(QStringLiteral("FileSave"))->trigger();
        QVERIFY(built->Saved());
        form.OpenFile(path);
        auto *reopened = qobject_cast<TMDIConfig *>(form.ActiveDocument());
        QVERIFY(reopened && reopened != built);
        QCOMPARE(reopened->windowTitle(), TMDIConfig::CaptionPrefix(protocol) + path);
        QVERIFY(reopened->Saved());
        QCOMPARE(cells(*reopened), cells(*built));
        QCOMPARE(reopened->Model().Serial, built->Model().Serial);
        QCOMPARE(reopened->Model().Email, built->Model().Email);

        // Connect to the gateway of the protocol.
        const TDeviceData device = rig.device(protocol);
        form.DeviceList()->AddDeviceToList(device);
        form.DeviceList()->selectRow(form.DeviceList()->DeviceIsListed(device));
        form.ApplicationUpdate();
        script.then([](QDialog &d) {
            d.findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(QStringLiteral("admin"));
            DialogScript::ok(d);
        });
        form.action(QStringLiteral("DevicesConnect"))->trigger();
        QVERIFY(form.Connected());

        // Send the reopened document, then get the gateway's configuration into a new one.
        prompt.clear();
        script.then(&DialogScript::closeWhenDone);
        form.ApplicationUpdate();
        form.action(QStringLiteral("ConfigurationSendToOrvan"))->trigger();
        QCOMPARE(prompt.texts(), QStringList{TMDIConfig::SendWarning});
        QCOMPARE(rig.gateway(protocol).snapshot().tags.size(), build.tags.size());

        script.then(&DialogScript::closeWhenDone);
        form.ApplicationUpdate();
        form.action(QStringLiteral("ConfigurationGetFromOrvan"))->trigger();
        auto *got = qobject_cast<TMDIConfig *>(form.ActiveDocument());
        QVERIFY(got && got != reopened && got != built);
        QCOMPARE(got->windowTitle(), TMDIConfig::CaptionPrefix(protocol) + QStringLiteral("noname2.ovc*"));
        QVERIFY(!got->Saved());
        QCOMPARE(prompt.texts(), QStringList{TMDIConfig::SendWarning});
        QCOMPARE(cells(*got), cells(*reopened));
        QCOMPARE(got->Model().Serial, reopened->Model().Serial);
        QCOMPARE(got->Model().Email, reopened->Model().Email);

        // The document just sent compares identical, and stays as it was.
        QAction *compare = form.action(QStringLiteral("ConfigurationCompareWithOrvan"));
        auto *area = qobject_cast<QMdiSubWindow *>(reopened->parentWidget())->mdiArea();
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(reopened->parentWidget()));
        prompt.clear();
        script.then(&DialogScript::closeWhenDone);
        form.ApplicationUpdate();
        QVERIFY(compare->isEnabled());
        compare->trigger();
        QCOMPARE(prompt.texts(), QStringList{CompareText::Identical});
        QVERIFY(reopened->Saved() && reopened->HasComparison() && reopened->IsEqualToOrvan());

        // The gateway changes: a scan time, the first tag's bit, its last tag goes.
        QByteArray firstTag, lastTag;
        rig.gateway(protocol).update([&](sim::GatewayState &s) {
            sim::GatewayState::setKeyValue(s.com, "SCANTIME", "300");
            sim::GatewayState::setKeyValue(s.tags[0], "BIT", "5");
            firstTag = sim::GatewayState::keyValue(s.tags[0], "NAME");
            lastTag = sim::GatewayState::keyValue(s.tags.last(), "NAME");
            s.tags.removeLast();
        });
        QString summary;
        QStringList rows;
        script.then(&DialogScript::closeWhenDone).then([&](QDialog &d) {
            summary = d.findChild<QLabel *>(QStringLiteral("lblSummary"))->text();
            rows = differenceRows(d);
            d.reject();
        });
        compare->trigger();
        QCOMPARE(summary, QStringLiteral("The configuration differs from the one in the Orvan: 1 serial port setting, "
                                         "1 tag changed, 1 tag only in the document."));
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows.mid(0, 5), (QStringList{"Serial Port||", "Scan Time (ms)|250 ms|300 ms", "Tags||",
                                              QString::fromLatin1(firstTag) + "||", "Bit Pos|0|5"}));
        const QString lastSummary = rows.last();
        QVERIFY2(lastSummary.startsWith(QString::fromLatin1(lastTag) + "|") && lastSummary.endsWith("|(none)"),
                 qPrintable(lastSummary));
        QVERIFY(reopened->Saved() && reopened->HasComparison() && !reopened->IsEqualToOrvan());
        // Any change forgets the comparison.
        reopened->findChild<QSlider *>(QStringLiteral("sldScanTime"))->setValue(300);
        QVERIFY(!reopened->HasComparison() && reopened->IsEqualToOrvan());

        QCOMPARE(script.shown.filter(QStringLiteral("Configuration")),
                 (QStringList{QStringLiteral("Send Configuration To Orvan ") + ProtocolWord(protocol),
                              QStringLiteral("Get Configuration From Orvan ") + ProtocolWord(protocol),
                              QStringLiteral("Get Configuration From Orvan ") + ProtocolWord(protocol),
                              QStringLiteral("Get Configuration From Orvan ") + ProtocolWord(protocol)}));
        QCOMPARE(script.shown.last(), TfrmCompareConfig::Title);
        QCOMPARE(script.unexpected, 0);
        for (TMDIChild *document : form.Documents())
            document->SetSaved(true);
    }

    // A comparison never touches the document nor the transfer dialog's record, which a later
    // get builds on; a get that fails compares nothing; a gateway value that maps to no
    // entry is not taken for the document's.
    void compareLeavesEverythingElse()
    {
        RecordingPrompt prompt;
        TransferRig rig;
        QWidget host;
        ConfigDialogs::Create(&host, rig.channel);
        TMDIModbusConfig document;
        document.New(QStringLiteral("noname1.ovc"));
        TModbusOrvanConfig &dialogRecord = ConfigDialogs::TransferModbus().OrvanConfig();
        dialogRecord.ScanTime = 1234;
        const TDeviceData device = rig.device(TagProtocol::Modbus);
        sim::Gateway &gateway = rig.gateway(TagProtocol::Modbus);
        DialogScript script;

        gateway.setFault("GETSMTP", {sim::FaultKind::Nak, 0});
        script.then(&DialogScript::closeWhenDone);
        document.CompareWithOrvan(device);
        gateway.clearFaults();
        QCOMPARE(prompt.texts(), QStringList{TfrmTransferConfig::FailureMessage});
        QCOMPARE(script.shown, QStringList{"Get Configuration From Orvan Modbus"});
        QVERIFY(!document.HasComparison());

        gateway.update([](sim::GatewayState &s) { sim::GatewayState::setKeyValue(s.com, "BAUD", "1200"); });
        QStringList rows;
        script.then(&DialogScript::closeWhenDone).then([&](QDialog &d) {
            rows = differenceRows(d);
            d.reject();
        });
        document.CompareWithOrvan(device);
        QCOMPARE(rows, (QStringList{"Serial Port||", "Baud Rate (bps)|9600|(not a known value)"}));
        QVERIFY(document.Saved() && !document.IsEqualToOrvan());
        QCOMPARE(dialogRecord.ScanTime, 1234);
        QCOMPARE(document.Model().Serial, TSerialFields());

        // A tag row that does not make a record stops it before the gateway is asked.
        QList<QByteArray> row = TagToTexts(TModbusTagConfig());
        row[2] = "x"; // UNITID
        document.Model().AppendTagTexts(row);
        prompt.clear();
        document.CompareWithOrvan(device);
        QCOMPARE(prompt.texts(), QStringList{"'x' is not a valid integer value"});
        QCOMPARE(script.shown.size(), 3);
        QCOMPARE(script.unexpected, 0);
    }
};

KOVA_TEST(TestConfigDocumentSim)
#include "tst_configdocument_sim.moc"
