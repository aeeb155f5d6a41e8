#include "TestRegistry.h"

#include "DialogScript.h"
#include "RecordingPrompt.h"
#include "TagDialogDriver.h"
#include "TransferRig.h"

#include "app/ui/Main.h"
#include "config/ConfigTransfer.h"
#include "config/TagRows.h"
#include "config/ui/ConfigDialogs.h"
#include "config/ui/ConfigDocuments.h"
#include "config/ui/ConfigPages.h"
#include "config/ui/EMail.h"
#include "config/ui/InputInteger.h"
#include "config/ui/TransferConfig.h"

#include <QAction>
#include <QHeaderView>
#include <QListWidget>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>


namespace {

std::unique_ptr<TMDIConfig> makeDocument(TagProtocol protocol)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return std::make_unique<TMDIModbusConfig>();
    case TagProtocol::Hostlink:
        return std::make_unique<TMDIHostlinkConfig>();
    case TagProtocol::DF1:
        break;
    }
    return std::make_unique<TMDIDF1Config>();
}

// The cells of a tag list row, hidden value kind included, joined by "|".
QString rowText(const TMDIConfig &document, int row)
{
    QTableWidget *tags = document.Pages().TagList();
    QStringList cells;
    for (int column = 0; column < tags->columnCount(); ++column)
        cells << (tags->item(row, column) ? tags->item(row, column)->text() : QStringLiteral("<none>"));
    return cells.join(QLatin1Char('|'));
}

QStringList recipients(QWidget &document)
{
    QStringList list;
    auto *view = document.findChild<QListWidget *>(QStringLiteral("lstEMailRecipients"));
    for (int i = 0; i < view->count(); ++i)
        list << view->item(i)->text();
    return list;
}

void selectRecipient(QWidget &document, int row)
{
    document.findChild<QListWidget *>(QStringLiteral("lstEMailRecipients"))->setCurrentRow(row);
}

void click(QWidget &window, const char *name)
{
    window.findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
}

// Fails with the expectations that do not hold.
#define VERIFY_SHOWS(window, expected)                                                  \
    do {                                                                                \
        const QStringList wrong = TagDialogDriver::mismatches(window, expected);        \
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));        \
    } while (false)

const QByteArray ModbusFile = "[GENERAL]\nFILETYPE=MB\nFILEVERSION=1.0\n"
                              "[COM]\nCOMTYPE=2\nBAUD=19200\nPARITY=2\nFORMAT=1\nSCANTIME=250\nMSGTOUT=500\nPKTTOUT=6\n"
                              "[SMTP]\nENABLE=1\nSERVER=mail.example.com\nTIMEOUT=30\nRETRIES=3\nRETRYINT=15\n"
                              "FROM=gw@example.com\nAUTH=1\nUSER=gw\nPASS=secret\nTOO_0=ops@example.com\nTOO_1=\n"
                              "TOO_2=night@example.com\n"
                              "[TAG0]\nNAME=LEVEL\nSOURCE=Modbus Serial\nUNITID=3\nADDRESS=40010\nTYPE=Float\nENRON=No\n"
                              "BITPOS=0\nREADONLY=No\nLIMITS=Yes\nWRMIN=0\nWRMAX=100\nALARM=Yes\nALMIN=10\nALMAX=90\n"
                              "EMAIL=Yes\nSCALE=None\nFACTORA=0\nFACTORB=0\nTRAP=Yes\nKIND=2\n";

} // namespace

// The configuration document windows on their own: what the pages show, what marks a
// document, the e-mail page's commands, the checks, saving, the number dialog, a get from
// a simulated gateway, and the tag commands of the main window over real documents.
class TestConfigDocument : public QObject
{
    Q_OBJECT

    std::unique_ptr<TransferRig> m_rig;
    std::unique_ptr<QWidget> m_host; // the dialogs' parent
    std::unique_ptr<RecordingPrompt> m_prompt;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString writeFile(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qWarning("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        m_rig = std::make_unique<TransferRig>();
    }
    void cleanupTestCase() { m_rig.reset(); }
    void init()
    {
        m_prompt = std::make_unique<RecordingPrompt>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_host = std::make_unique<QWidget>();
        ConfigDialogs::Create(m_host.get(), m_rig->channel);
    }
    void cleanup()
    {
        m_host.reset();
        m_dir.reset();
        m_prompt.reset();
    }

    void newDocument_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("absent");
        const QStringList common = {
            "cboComType=RS-232", "cboBaudRate=9600", "cboParity=None", "stScanTime=100 ms", "stMessageTout=1000 ms",
            "chkEMailEnable=0", "txtEMailTimeout=20", "txtEMailRetries=5", "txtEMailInterRetries=10", "chkAuth=0",
            "txtEMailServer:disabled", "chkAuth:disabled", "txtEMailTimeout:disabled", "udnEMailRetries:disabled",
            "txtEMailInterRetries:disabled", "txtEMailSender:disabled", "txtUser:disabled", "txtPass1:disabled",
            "txtPass2:disabled", "lstEMailRecipients:enabled", "btnEMailAdd:enabled", "btnDown:enabled"};
        QTest::newRow("modbus") << TagProtocol::Modbus
            << common + QStringList{"cboFormat=RTU", "txtPacketTout=4", "lblEMailRetries=Retries (times)",
                                    "lblInfo=The COM Type parameter only has effect on Orvan-K43. The Modbus Packet "
                                    "Timeout has effect only in RTU Mode."}
            << QStringList{"cboDataBits", "cboErrorMethod", "lblDataBits"};
        QTest::newRow("hostlink") << TagProtocol::Hostlink
            << common + QStringList{"lblEMailRetries=Retries (Times)",
                                    "lblInfo=The COM Type parameter only has effect on Orvan-K43."}
            << QStringList{"cboFormat", "txtPacketTout", "udnPacketTout", "lblPacketTout", "cboDataBits", "cboErrorMethod"};
        QTest::newRow("df1") << TagProtocol::DF1 << common + QStringList{"cboDataBits=8", "cboErrorMethod=CRC"}
                             << QStringList{"cboFormat", "txtPacketTout", "lblFormat"};
    }

    void newDocument()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, absent);
        auto document = makeDocument(protocol);
        document->New(QStringLiteral("noname1.ovc"));
        QCOMPARE(document->windowTitle(), TMDIConfig::CaptionPrefix(protocol) + QStringLiteral("noname1.ovc"));
        QCOMPARE(document->windowTitle().section(QLatin1Char(' '), 1, 1), ProtocolWord(protocol));
        QVERIFY(document->Saved() && !document->Named() && document->Loaded());
        QCOMPARE(document->FileName(), QDir(TMDIChild::ProgramFolder()).filePath(QStringLiteral("noname1.ovc")));
        VERIFY_SHOWS(*document, shown);
        for (const QString &name : absent)
            QVERIFY2(!document->findChild<QWidget *>(name), qPrintable(name));
        QCOMPARE(document->Pages().CurrentPage(), TConfigPage::SerialPort);

        // The tag list: the protocol's columns after "Name", then the hidden value kind.
        QTableWidget *tags = document->Pages().TagList();
        QStringList columns;
        for (int c = 1; c < tags->columnCount() - 1; ++c)
            columns << tags->horizontalHeaderItem(c)->text();
        QCOMPARE(columns.join(QLatin1Char(',')).toLatin1(), TagColumns(protocol).join(','));
        QVERIFY(tags->isColumnHidden(tags->columnCount() - 1) && tags->rowCount() == 0);
        QCOMPARE(tags->selectionBehavior(), QAbstractItemView::SelectRows);

        QVERIFY(document->OnCloseQuery()); // unchanged: closes without a question
        QVERIFY(m_prompt->log.isEmpty());
    }

    void openShowsTheFile_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<int>("warnings");
        QTest::newRow("modbus") << TagProtocol::Modbus << ModbusFile
            << QStringList{"cboComType=RS-485", "cboBaudRate=19200", "cboParity=Even", "cboFormat=ASCII",
                           "stScanTime=250 ms", "stMessageTout=500 ms", "txtPacketTout=6", "chkEMailEnable=1",
                           "txtEMailServer=mail.example.com", "txtEMailTimeout=30", "txtEMailRetries=3",
                           "txtEMailInterRetries=15", "txtEMailSender=gw@example.com", "chkAuth=1", "txtUser=gw",
                           "txtUser:enabled", "txtPass1=secret", "txtPass2=secret", "txtEMailServer:enabled"}
            << "LEVEL|Modbus Serial|3|40010|Float|No|0|No|Yes|0|100|Yes|10|90|Yes|None|0|0|Yes|2" << 0;
        QTest::newRow("df1, even parity, no e-mail section")
            << TagProtocol::DF1
            << QByteArray("[GENERAL]\nFILETYPE=DF1\nFILEVERSION=2.0\n[COM]\nCOMTYPE=0\nBAUD=2400\nPARITY=1\n"
                          "SCANTIME=100\nMSGTOUT=1000\nDATABITS=7\nERRORMTHD=1\n")
            << QStringList{"cboBaudRate=2400", "cboParity=Even", "cboDataBits=7", "cboErrorMethod=BCC",
                           "txtEMailTimeout=20", "txtEMailRetries=5"}
            << QString() << 3;
    }

    // Every page shows the file; a value replaced or cut leaves the document unsaved.
    void openShowsTheFile()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, shown);
        QFETCH(QString, firstRow);
        QFETCH(int, warnings);
        const QString path = writeFile(QStringLiteral("doc.ovc"), content);
        auto document = makeDocument(protocol);
        document->Open(path);
        QCOMPARE(document->windowTitle(), TMDIConfig::CaptionPrefix(protocol) + path);
        QCOMPARE(m_prompt->texts(QStringLiteral("warning")).size(), warnings);
        QCOMPARE(document->Saved(), warnings == 0);
        QVERIFY(document->Named() && document->Loaded());
        VERIFY_SHOWS(*document, shown);
        QCOMPARE(document->Pages().TagList()->rowCount(), firstRow.isEmpty() ? 0 : 1);
        if (!firstRow.isEmpty())
            QCOMPARE(rowText(*document, 0), firstRow);
        if (protocol == TagProtocol::Modbus)
            QCOMPARE(recipients(*document), (QStringList{"ops@example.com", "night@example.com"}));
    }

    void changesMarkTheDocument_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("list") << QStringList{"cboBaudRate=57600"} << true << QStringList{};
        QTest::newRow("number field") << QStringList{"txtPacketTout=7"} << true << QStringList{};
        QTest::newRow("check box") << QStringList{"chkEMailEnable=1"} << true
                                   << QStringList{"txtEMailServer:enabled", "txtUser:disabled"};
        QTest::newRow("text") << QStringList{"chkEMailEnable=1", "chkAuth=1", "txtPass2=x"} << true
                              << QStringList{"txtUser:enabled"};
        QTest::newRow("slider") << QStringList{"scan=350"} << true << QStringList{"stScanTime=350 ms"};
        QTest::newRow("up on the second") << QStringList{"recipient=1", "btnUp"} << true << QStringList{};
        QTest::newRow("up on the first") << QStringList{"recipient=0", "btnUp"} << false << QStringList{};
        QTest::newRow("down on the last") << QStringList{"recipient=1", "btnDown"} << false << QStringList{};
        QTest::newRow("a character beyond Latin-1") << QStringList{"chkEMailEnable=1", "chkAuth=1", "txtPass1=p\u20ACw"}
                                                   << true << QStringList{"txtPass1=pw"};
        QTest::newRow("letters in a number field") << QStringList{"txtEMailTimeout=a"} << true
                                                   << QStringList{"txtEMailTimeout="};
    }

    void changesMarkTheDocument()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, modified);
        QFETCH(QStringList, shown);
        auto document = makeDocument(TagProtocol::Modbus);
        document->New(QStringLiteral("noname1.ovc"));
        document->Model().Email.Recipients = {"a@x", "b@x"};
        document->Pages().ShowModel();
        for (const QString &step : steps) {
            if (step.startsWith(QLatin1String("scan=")))
                document->findChild<QSlider *>(QStringLiteral("sldScanTime"))->setValue(step.mid(5).toInt());
            else if (step.startsWith(QLatin1String("recipient=")))
                selectRecipient(*document, step.mid(10).toInt());
            else
                QVERIFY(TagDialogDriver::apply(*document, {step}));
        }
        QCOMPARE(document->Saved(), !modified);
        VERIFY_SHOWS(*document, shown);
        if (steps.contains(QStringLiteral("btnUp")) && modified)
            QCOMPARE(recipients(*document), (QStringList{"b@x", "a@x"}));
        else
            QCOMPARE(recipients(*document).size(), 2);
    }

    void recipientCommands()
    {
        auto document = makeDocument(TagProtocol::Hostlink);
        document->New(QStringLiteral("noname1.ovc"));
        DialogScript script;
        // An address the dialog refuses keeps it open; a good one is added.
        script.then([](QDialog &d) {
            QVERIFY(TagDialogDriver::apply(d, {"txtEMail=not an address"}));
            DialogScript::ok(d);
            QVERIFY(d.isVisible());
            QVERIFY(TagDialogDriver::apply(d, {"txtEMail=a@x"}));
            DialogScript::ok(d);
        });
        click(*document, "btnEMailAdd");
        QCOMPARE(m_prompt->texts(), QStringList{TfrmEmail::InvalidMessage});
        for (const char *address : {"b@x", "c@x", "d@x", "e@x"}) {
            script.then([address](QDialog &d) {
                TagDialogDriver::apply(d, {QStringLiteral("txtEMail=") + QLatin1String(address)});
                DialogScript::ok(d);
            });
            click(*document, "btnEMailAdd");
        }
        QCOMPARE(recipients(*document), (QStringList{"a@x", "b@x", "c@x", "d@x", "e@x"}));
        QVERIFY(!document->Saved());

        // A sixth: the message, and no dialog.
        m_prompt->clear();
        click(*document, "btnEMailAdd");
        QCOMPARE(m_prompt->texts(QStringLiteral("information")), QStringList{TConfigPages::RecipientLimitMessage});
        QCOMPARE(script.shown.size(), 5);

        // Edit starts from the selected address.
        selectRecipient(*document, 2);
        script.then([](QDialog &d) {
            QVERIFY(TagDialogDriver::mismatches(d, {"txtEMail=c@x"}).isEmpty());
            TagDialogDriver::apply(d, {"txtEMail=cc@x"});
            DialogScript::ok(d);
        });
        click(*document, "btnEMailEdit");
        QCOMPARE(recipients(*document).at(2), QStringLiteral("cc@x"));

        // Delete asks first.
        m_prompt->clear();
        m_prompt->answers << Prompt::Answer::No << Prompt::Answer::Yes;
        click(*document, "btnEMailDelete");
        QCOMPARE(recipients(*document).size(), 5);
        click(*document, "btnEMailDelete");
        QCOMPARE(recipients(*document), (QStringList{"a@x", "b@x", "d@x", "e@x"}));
        QCOMPARE(m_prompt->texts(QStringLiteral("confirmYesNo")).constFirst(),
                 QStringLiteral("Are you sure you want to delete the \"cc@x\" E-Mail Address?"));
        QCOMPARE(document->Model().Email.Recipients.size(), 4);
        QCOMPARE(script.unexpected, 0);
    }

    void validation_data()
    {
        QTest::addColumn<TagProtocol>("protocol");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("focus"); // empty: the field is disabled and cannot take it
        QTest::addColumn<int>("recipient");
        const QStringList relay = {"chkEMailEnable=1", "txtEMailServer=mail", "txtEMailSender=a@b", "chkAuth=1"};
        QTest::newRow("packet timeout") << TagProtocol::Modbus << QStringList{"chkEMailEnable=1", "txtPacketTout=21"}
                                        << "Invalid Packet Timeout." << 0 << "txtPacketTout" << -1;
        QTest::newRow("packet timeout empty") << TagProtocol::Modbus << QStringList{"txtPacketTout="}
                                              << "'' is not a valid integer value" << 0 << "txtPacketTout" << -1;
        QTest::newRow("blank in the server, relaying off")
            << TagProtocol::DF1 << QStringList{"chkEMailEnable=1", "txtEMailServer=a b", "chkEMailEnable=0"}
            << "The SMTP Server is not valid." << 1 << "" << -1;
        QTest::newRow("hostlink retries") << TagProtocol::Hostlink << relay + QStringList{"txtEMailRetries="}
                                          << "'' is not a valid integer value" << 1 << "txtEMailRetries" << -1;
        QTest::newRow("modbus: the recipient before the user")
            << TagProtocol::Modbus << relay << "Invalid E-mail Address." << 1 << "lstEMailRecipients" << 1;
        QTest::newRow("df1: the user before the recipient")
            << TagProtocol::DF1 << relay << "Invalid SMTP Username" << 1 << "txtUser" << -1;
        QTest::newRow("passwords, letter case counting")
            << TagProtocol::DF1 << relay + QStringList{"txtUser=u", "txtPass1=a", "txtPass2=A"} << "Passwords do not match"
            << 1 << "txtPass1" << -1;
    }

    // The first failing check: its message, its page forward, its field focused.
    void validation()
    {
        QFETCH(TagProtocol, protocol);
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        QFETCH(int, page);
        QFETCH(QString, focus);
        QFETCH(int, recipient);
        auto document = makeDocument(protocol);
        document->New(QStringLiteral("noname1.ovc"));
        document->Model().Email.Recipients = {"ok@x", "not ok"}; // a file may bring one
        document->Pages().ShowModel();
        document->show();
        QVERIFY(TagDialogDriver::apply(*document, steps));
        document->Pages().ShowPage(TConfigPage::Tags);
        QVERIFY(!document->Validate());
        QCOMPARE(m_prompt->texts(), QStringList{message});
        QCOMPARE(int(document->Pages().CurrentPage()), page);
        QCOMPARE(document->focusWidget() ? document->focusWidget()->objectName() : QString(), focus);
        if (recipient >= 0)
            QCOMPARE(document->findChild<QListWidget *>(QStringLiteral("lstEMailRecipients"))->currentRow(), recipient);
        QVERIFY(!document->UpdateFile());
    }

    void saving()
    {
        auto document = makeDocument(TagProtocol::Modbus);
        document->New(QStringLiteral("noname1.ovc"));
        const QString path = m_dir->filePath(QStringLiteral("first.ovc"));
        m_prompt->saveAnswers.enqueue(path);
        QVERIFY(document->Save());
        QCOMPARE(m_prompt->fileRequests.size(), 1);
        QCOMPARE(m_prompt->fileRequests[0].filter, QStringLiteral("Orvan Configuration File (*.ovc)|*.ovc"));
        QCOMPARE(m_prompt->fileRequests[0].defaultSuffix, QStringLiteral("ovc"));
        QVERIFY(m_prompt->fileRequests[0].confirmOverwrite);
        QVERIFY(document->Saved() && document->Named() && IsModbusConfigFile(path));
        QCOMPARE(document->windowTitle(), QStringLiteral("Orvan Modbus Configuration - ") + path);

        // Named now: Save writes there without asking.
        QVERIFY(TagDialogDriver::apply(*document, {"cboBaudRate=4800"}));
        QVERIFY(document->Save());
        QCOMPARE(m_prompt->fileRequests.size(), 1);
        QVERIFY(readFile(path).contains("BAUD=4800"));

        // Save As onto another file with a failing check leaves that file as it was.
        const QByteArray precious = "[GENERAL]\r\nFILETYPE=DF1\r\n";
        const QString other = writeFile(QStringLiteral("other.ovc"), precious);
        QVERIFY(TagDialogDriver::apply(*document, {"txtPacketTout=25"}));
        m_prompt->saveAnswers.enqueue(other);
        QVERIFY(!document->SaveAs());
        QCOMPARE(m_prompt->texts(QStringLiteral("error")), QStringList{"Invalid Packet Timeout."});
        QCOMPARE(readFile(other), precious);
        QCOMPARE(document->FileName(), other); // renamed before the check, as the save order goes
        QVERIFY(!document->Saved());
    }

    void numberDialog()
    {
        auto document = makeDocument(TagProtocol::DF1);
        document->New(QStringLiteral("noname1.ovc"));
        DialogScript script;
        script.then([](QDialog &d) {
            QVERIFY(TagDialogDriver::mismatches(d, {"txtValue=100", "lblValue=Scan Time (ms)"}).isEmpty());
            QVERIFY(TagDialogDriver::apply(d, {"txtValue=20000"}));
            DialogScript::ok(d);
            QVERIFY(d.isVisible());
            QVERIFY(TagDialogDriver::apply(d, {"txtValue=25x00"})); // only the digits go in
            DialogScript::ok(d);
        });
        click(*document, "btnScanTime");
        QCOMPARE(script.shown, QStringList{"Scan Time (ms)"});
        QCOMPARE(m_prompt->texts(), QStringList{TfrmInputInteger::RangeMessage(0, 10000)});
        QCOMPARE(m_prompt->last(), QStringLiteral("Not a valid value.\r\nPlease enter a value between 0 and 10000."));
        VERIFY_SHOWS(*document, (QStringList{"stScanTime=2500 ms"}));
        QCOMPARE(document->Model().Serial.ScanTime, 2500);
        QVERIFY(!document->Saved());

        script.then([](QDialog &d) { d.reject(); });
        click(*document, "btnMessageTout");
        QCOMPARE(script.shown.last(), QStringLiteral("Message Timeout (ms)"));
        VERIFY_SHOWS(*document, (QStringList{"stMessageTout=1000 ms"}));
    }

    // Send: nothing opens before the checks pass and the user agrees.
    void sendAsksFirst()
    {
        auto document = makeDocument(TagProtocol::Modbus);
        document->New(QStringLiteral("noname1.ovc"));
        DialogScript script;
        QVERIFY(TagDialogDriver::apply(*document, {"txtPacketTout=2"}));
        QVERIFY(document->SendToOrvan(m_rig->device(TagProtocol::Modbus)));
        QCOMPARE(m_prompt->texts(), QStringList{"Invalid Packet Timeout."});
        QVERIFY(TagDialogDriver::apply(*document, {"txtPacketTout=3"}));
        m_prompt->clear();
        m_prompt->answers.enqueue(Prompt::Answer::No);
        document->SendToOrvan(m_rig->device(TagProtocol::Modbus));
        QCOMPARE(m_prompt->texts(QStringLiteral("warningYesNo")), QStringList{TMDIConfig::SendWarning});
        QVERIFY(script.shown.isEmpty());
    }

    // A get shows the gateway's settings; the dialog's record carries over from one get to the
    // next, and a failed get still loads it, unsaved.
    void getFromOrvan()
    {
        sim::Gateway &gateway = m_rig->gateway(TagProtocol::DF1);
        gateway.update([](sim::GatewayState &s) {
            s.com = {{"COMTYPE", "2"}, {"BAUD", "2400"}, {"DATABITS", "1"}, {"PARITY", "1"},
                     {"MSGTOUT", "300"}, {"SCANTIME", "20000"}, {"ERRORMTHD", "1"}};
        });
        DialogScript script;
        auto document = makeDocument(TagProtocol::DF1);
        document->New(QStringLiteral("noname1.ovc"));
        script.then(&DialogScript::closeWhenDone);
        QVERIFY(document->GetFromOrvan(m_rig->device(TagProtocol::DF1)));
        QCOMPARE(script.shown, QStringList{"Get Configuration From Orvan DF1"});
        VERIFY_SHOWS(*document, (QStringList{"cboComType=RS-485", "cboBaudRate=2400", "cboParity=Even", "cboDataBits=7",
                                             "cboErrorMethod=BCC", "stScanTime=10000 ms", "stMessageTout=300 ms"}));
        QVERIFY(!document->Saved());
        auto *df1 = static_cast<TMDIDF1Config *>(document.get());
        auto record = std::make_unique<TDF1OrvanConfig>();
        df1->GetAllConfig(*record);
        QCOMPARE(int(record->Parity), 2);

        // A baud rate that maps to nothing keeps the record's, which the last get filled.
        gateway.update([](sim::GatewayState &s) { sim::GatewayState::setKeyValue(s.com, "BAUD", "1200"); });
        auto second = makeDocument(TagProtocol::DF1);
        second->New(QStringLiteral("noname2.ovc"));
        script.then(&DialogScript::closeWhenDone);
        second->GetFromOrvan(m_rig->device(TagProtocol::DF1));
        VERIFY_SHOWS(*second, (QStringList{"cboBaudRate=2400", "cboComType=RS-485"}));

        gateway.setFault("GETTAGCOUNT", {sim::FaultKind::Nak, 0});
        auto failed = makeDocument(TagProtocol::DF1);
        failed->New(QStringLiteral("noname3.ovc"));
        script.then(&DialogScript::closeWhenDone);
        m_prompt->clear();
        failed->GetFromOrvan(m_rig->device(TagProtocol::DF1));
        gateway.clearFaults();
        QCOMPARE(m_prompt->texts(), QStringList{TfrmTransferConfig::FailureMessage});
        QVERIFY(!failed->Saved());
        VERIFY_SHOWS(*failed, (QStringList{"cboComType=RS-485", "stScanTime=10000 ms"}));
        QCOMPARE(script.unexpected, 0);
    }

    // The main window's tag commands over a real document.
    void tagCommands()
    {
        TMainForm form;
        form.CreateDialogs();
        auto *document = static_cast<TMDIModbusConfig *>(form.CreateDocument(KindModbus));
        QAction *add = form.action(QStringLiteral("ConfigurationAddTag"));
        QAction *edit = form.action(QStringLiteral("ConfigurationEditTag"));
        QVERIFY(!add->isEnabled());
        document->Pages().ShowPage(TConfigPage::Tags);
        form.ApplicationUpdate();
        QVERIFY(add->isEnabled() && !edit->isEnabled());

        TModbusTagConfig fromFile;
        fromFile.TagName = "tank"; // a file may hold lower case; the dialog writes upper case
        document->AddTagToList(fromFile);
        const auto enter = [](const QString &name) {
            return [name](QDialog &d) {
                QVERIFY(TagDialogDriver::apply(d, {QStringLiteral("txtTagName=") + name, "txtUnitID=1", "txtAddress=0001"}));
                DialogScript::ok(d);
            };
        };
        DialogScript script;
        script.then(enter(QStringLiteral("tank")));                          // TANK is not tank
        add->trigger();
        script.then(enter(QStringLiteral("TANK"))).then([](QDialog &d) { d.reject(); });
        add->trigger();
        QCOMPARE(script.shown, (QStringList{"Add Modbus Tag", "Add Modbus Tag", "Edit Modbus Tag"}));
        QCOMPARE(m_prompt->texts(), QStringList{"The Tag TANK already exists."});
        QCOMPARE(document->GetTagCount(), 2);
        QCOMPARE(rowText(*document, 1).section(QLatin1Char('|'), 0, 3), QStringLiteral("TANK|Modbus Serial|1|40001"));
        QVERIFY(!document->Saved());

        // Edit: keeping its own name is fine, another row's name is refused. A double click edits.
        document->Pages().SelectTagRow(1);
        form.ApplicationUpdate();
        QVERIFY(edit->isEnabled());
        script.then(enter(QStringLiteral("TANK")));
        edit->trigger();
        QCOMPARE(m_prompt->texts(), QStringList{"The Tag TANK already exists."}); // from the Add before
        fromFile.TagName = "PUMP";
        document->AddTagToList(fromFile);
        m_prompt->clear();
        script.then(enter(QStringLiteral("TANK"))).then([](QDialog &d) { d.reject(); });
        QTableWidget *tags = document->Pages().TagList();
        const QRect cell = tags->visualRect(tags->model()->index(2, 0));
        QTest::mouseClick(tags->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(tags->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_prompt->texts(), QStringList{"The Tag TANK already exists."});
        QCOMPARE(script.shown.mid(3), (QStringList{"Edit Modbus Tag", "Edit Modbus Tag", "Edit Modbus Tag"}));
        QCOMPARE(document->TagNameAt(2), QStringLiteral("PUMP"));

        // A row whose numbers do not convert cannot be edited, but it can be removed.
        QList<QByteArray> bad = TagToTexts(fromFile);
        bad[0] = "BAD";
        bad[9] = "x1"; // WRMIN
        bad.last() = "1";
        document->Model().AppendTagTexts(bad);
        document->RefreshTags();
        document->Pages().SelectTagRow(3);
        form.ApplicationUpdate();
        m_prompt->clear();
        edit->trigger();
        QCOMPARE(m_prompt->texts(), QStringList{"'x1' is not a valid integer value"});
        QCOMPARE(script.shown.size(), 6);
        form.action(QStringLiteral("ConfigurationRemoveTag"))->trigger();
        QCOMPARE(m_prompt->texts().last(), QStringLiteral("Are you sure to delete the Tag \"BAD\""));
        QCOMPARE(document->GetTagCount(), 3);
        QCOMPARE(document->SelectedTagRow(), -1);

        // The 129th is refused before any dialog opens.
        for (int i = document->GetTagCount(); i < MaxTags; ++i) {
            fromFile.TagName = "T" + QByteArray::number(i);
            QVERIFY(document->AddTagToList(fromFile));
        }
        m_prompt->clear();
        form.ApplicationUpdate();
        add->trigger();
        QCOMPARE(m_prompt->texts(), QStringList{"Cannot add more than 128 Tags."});
        QCOMPARE(script.shown.size(), 6);
        QCOMPARE(script.unexpected, 0);
        document->SetSaved(true);
    }

private:
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

KOVA_TEST(TestConfigDocument)
#include "tst_configdocument.moc"
