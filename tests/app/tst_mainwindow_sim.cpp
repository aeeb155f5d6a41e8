#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "Simulator.h"
#include "TestDocuments.h"
#include "app/ui/Main.h"
#include "base/ui/InfoMessage.h"
#include "device/ui/DeviceList.h"
#include "device/ui/EditIPAddr.h"
#include "device/ui/Password.h"
#include "device/ui/SearchRemote.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTest>

#include <memory>

// The main window against simulated gateways on loopback: search, select, connect.
class TestMainWindowSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void searchListsGatewaysAndSelectionEnablesCommands();
    void connectAndDisconnect();
    void connectRefused_data();
    void connectRefused();
    void modelCheckOnSend_data();
    void modelCheckOnSend();
    void getFromOrvanMakesANewDocument();
    void remoteSearchAddsARow();
    void propertiesOfTheSelectedRow();
    void secondConnectWhileTheFirstWaits();
    void secondPropertiesWhileTheFirstReads();
    void closingWhileARequestWaits_data();
    void closingWhileARequestWaits();

private:
    // Searches and selects the row of the gateway with this MAC.
    void searchAndSelect(const QByteArray &mac);
    // Triggers Connect, answering the password dialog with password (nullopt: Cancel).
    void connectWith(const std::optional<QString> &password);
    // Answers every password dialog with "secret" while it lives; counts them.
    struct PasswordAnswerer;
    QString statusConnection() const;

    static sim::GatewayState gateway(const QByteArray &model, const QByteArray &mac, const QByteArray &ip);

    std::unique_ptr<RecordingPrompt> m_prompt;
    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<TMainForm> m_form;
};

sim::GatewayState TestMainWindowSim::gateway(const QByteArray &model, const QByteArray &mac, const QByteArray &ip)
{
    sim::GatewayState g;
    g.model = model;
    g.version = "2.1.0-TS";
    g.mac = mac;
    g.ip = ip;
    g.hostName = "unit-" + mac.right(2);
    g.adminPassword = "secret";
    return g;
}

void TestMainWindowSim::init()
{
    m_prompt = std::make_unique<RecordingPrompt>();
    sim::Simulator::Options options;
    options.serveFtp = false;
    m_sim = std::make_unique<sim::Simulator>(options);
    m_sim->addGateway(gateway("1119", "00:1D:7A:00:00:01", "127.0.0.2"));
    m_sim->addGateway(gateway("1110", "00:1D:7A:00:00:02", "127.0.0.3"));
    m_sim->start();

    TMainForm::Endpoints endpoints;
    endpoints.udpPort = m_sim->udpPort();
    endpoints.broadcast = m_sim->options().udpAddress;
    endpoints.httpPort = m_sim->httpPort();
    m_form = std::make_unique<TMainForm>(endpoints, TestDocumentKinds());
    m_form->CreateDialogs();
    m_form->show();
}

void TestMainWindowSim::cleanup()
{
    for (TMDIChild *document : m_form->Documents())
        document->SetSaved(true);
    m_form.reset();
    m_sim.reset();
    m_prompt.reset();
}

void TestMainWindowSim::searchListsGatewaysAndSelectionEnablesCommands()
{
    TDeviceListView *list = m_form->DeviceList();
    m_form->action(QStringLiteral("DevicesSearchLocal"))->trigger();
    QCOMPARE(list->rowCount(), 2);
    QVERIFY(m_prompt->log.isEmpty());
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Orvan-HL-C"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Orvan-MB-C"));

    QAction *properties = m_form->action(QStringLiteral("DevicesProperties"));
    QAction *connect = m_form->action(QStringLiteral("DevicesConnect"));
    QVERIFY(!properties->isEnabled() && !connect->isEnabled());

    // A click on the row, as the user does it.
    const QRect rowRect = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect.center());
    QCOMPARE(list->selectedRow(), 1);
    QTRY_VERIFY(connect->isEnabled()); // the update follows the selection by itself
    QVERIFY(properties->isEnabled());
    QCOMPARE(properties->text(), QStringLiteral("&Properties of Orvan-MB-C/00:1D:7A:00:00:01..."));
    QCOMPARE(properties->statusTip(), QStringLiteral("Edit Properties of Orvan-MB-C/00:1D:7A:00:00:01"));

    // A second search replaces the local rows and keeps nothing selected.
    m_form->action(QStringLiteral("DevicesSearchLocal"))->trigger();
    QCOMPARE(list->rowCount(), 2);
    QTRY_VERIFY(!connect->isEnabled());
    QCOMPARE(properties->text(), QStringLiteral("&Properties..."));
}

void TestMainWindowSim::searchAndSelect(const QByteArray &mac)
{
    TDeviceListView *list = m_form->DeviceList();
    if (list->rowCount() == 0)
        m_form->action(QStringLiteral("DevicesSearchLocal"))->trigger();
    TDeviceData wanted;
    wanted.MAC = mac;
    const int row = list->DeviceIsListed(wanted);
    QVERIFY(row >= 0);
    list->selectRow(row);
    m_form->ApplicationUpdate();
}

void TestMainWindowSim::connectWith(const std::optional<QString> &password)
{
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        QDialog *dialog = m_form->frmPassword();
        QTRY_VERIFY(dialog->isVisible());
        if (password) {
            dialog->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(*password);
            dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        } else {
            dialog->reject();
        }
        answered = true;
    });
    m_form->action(QStringLiteral("DevicesConnect"))->trigger();
    QVERIFY(answered);
}

QString TestMainWindowSim::statusConnection() const
{
    return m_form->findChild<QLabel *>(QStringLiteral("StatusConnection"))->text();
}

void TestMainWindowSim::connectAndDisconnect()
{
    searchAndSelect("00:1D:7A:00:00:01");
    QAction *connect = m_form->action(QStringLiteral("DevicesConnect"));
    connectWith(QStringLiteral("secret"));

    QVERIFY(m_form->Connected());
    QCOMPARE(m_prompt->texts(), QStringList{"Succesfully Connected to Orvan-MB-C/00:1D:7A:00:00:01."});
    QCOMPARE(m_form->ConnectedDevice().Password, QByteArray("secret"));
    QCOMPARE(m_form->ConnectedDevice().UserName, QByteArray("admin"));
    QVERIFY(connect->isChecked());
    QCOMPARE(connect->text(), QStringLiteral("Disco&nnect from Orvan-MB-C/00:1D:7A:00:00:01"));
    QCOMPARE(connect->statusTip(), QStringLiteral("Disconnect from Orvan-MB-C/00:1D:7A:00:00:01"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Kova - [] - Orvan-MB-C/00:1D:7A:00:00:01"));
    QCOMPARE(statusConnection(), QStringLiteral("Connected To: Orvan-MB-C/00:1D:7A:00:00:01"));
    for (const char *name : {"ConfigurationGetFromOrvan", "WebSiteGetFromOrvan"})
        QVERIFY2(m_form->action(QString::fromLatin1(name))->isEnabled(), name);
    // Tag Monitor follows whether a monitor is plugged in (the program's is, by CreateDialogs),
    // and hands it the connected device.
    QAction *monitor = m_form->action(QStringLiteral("ToolsTagMonitor"));
    QVERIFY(monitor->isEnabled());
    m_form->SetTagMonitor({});
    QTRY_VERIFY(!monitor->isEnabled());
    QByteArray monitored;
    m_form->SetTagMonitor([&](const TDeviceData &device) { monitored = device.MAC; });
    QTRY_VERIFY(monitor->isEnabled());
    monitor->trigger();
    QCOMPARE(monitored, QByteArray("00:1D:7A:00:00:01"));

    // With no row selected the connection can still be ended.
    m_form->DeviceList()->clearSelection();
    m_form->ApplicationUpdate();
    QVERIFY(connect->isEnabled());

    // Disconnecting sends nothing: it works with the gateways gone.
    m_sim->stop();
    m_prompt->clear();
    m_form->action(QStringLiteral("DevicesConnect"))->trigger();
    QVERIFY(!m_form->Connected());
    QVERIFY(m_prompt->log.isEmpty());
    QVERIFY(!connect->isChecked());
    QCOMPARE(connect->text(), QStringLiteral("Co&nnect..."));
    QCOMPARE(connect->statusTip(), QStringLiteral("Connect to Orvan"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Kova - [] - Not Connected"));
    QCOMPARE(statusConnection(), QStringLiteral("Not Connected"));
    QVERIFY(!connect->isEnabled()); // nothing selected, nothing to end
    QCOMPARE(m_form->DeviceList()->rowCount(), 2);
}

void TestMainWindowSim::connectRefused_data()
{
    QTest::addColumn<std::optional<QString>>("password");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancelled") << std::optional<QString>() << QStringList();
    QTest::newRow("wrong password") << std::optional<QString>(QStringLiteral("nope"))
                                    << QStringList{"Unable to connect to Device. Wrong Password."};
    QTest::newRow("letter case") << std::optional<QString>(QStringLiteral("Secret"))
                                 << QStringList{"Unable to connect to Device. Wrong Password."};
}

void TestMainWindowSim::connectRefused()
{
    QFETCH(std::optional<QString>, password);
    searchAndSelect("00:1D:7A:00:00:02");
    connectWith(password);
    QVERIFY(!m_form->Connected());
    QTEST(m_prompt->texts(), "messages");
    QAction *connect = m_form->action(QStringLiteral("DevicesConnect"));
    QVERIFY(!connect->isChecked());
    QCOMPARE(connect->text(), QStringLiteral("Co&nnect..."));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Kova - [] - Not Connected"));
}

void TestMainWindowSim::modelCheckOnSend_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("sent");
    QTest::newRow("Modbus file, Modbus gateway") << QByteArray("00:1D:7A:00:00:01") << int(KindModbus) << true;
    QTest::newRow("Modbus file, Hostlink gateway") << QByteArray("00:1D:7A:00:00:02") << int(KindModbus) << false;
    QTest::newRow("DF1 file, Modbus gateway") << QByteArray("00:1D:7A:00:00:01") << int(KindDF1) << false;
}

void TestMainWindowSim::modelCheckOnSend()
{
    QFETCH(QByteArray, mac);
    QFETCH(int, kind);
    QFETCH(bool, sent);
    auto *document = static_cast<TTestConfigDocument *>(m_form->CreateDocument(kind));
    m_form->ApplicationUpdate();
    QVERIFY(!m_form->action(QStringLiteral("ConfigurationSendToOrvan"))->isEnabled());

    searchAndSelect(mac);
    connectWith(QStringLiteral("secret"));
    QVERIFY(m_form->Connected());
    m_prompt->clear();
    QVERIFY(m_form->action(QStringLiteral("ConfigurationSendToOrvan"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("WebSiteSendToOrvan"))->isEnabled());
    m_form->action(QStringLiteral("ConfigurationSendToOrvan"))->trigger();
    if (sent) {
        QVERIFY(m_prompt->log.isEmpty());
        QCOMPARE(document->calls.last(), QStringLiteral("SendToOrvan ") + QString::fromLatin1(mac));
    } else {
        QCOMPARE(m_prompt->texts(QStringLiteral("error")),
                 QStringList{"The Configuration file you're trying to send do not correspond\r\n"
                             "to the Model of the Connected Orvan."});
        QVERIFY(!document->calls.last().startsWith(QStringLiteral("SendToOrvan")));
    }
}

void TestMainWindowSim::getFromOrvanMakesANewDocument()
{
    m_form->CreateDocument(KindWebSite); // noname1
    searchAndSelect("00:1D:7A:00:00:01");
    connectWith(QStringLiteral("secret"));
    QVERIFY(m_form->Connected());

    m_form->action(QStringLiteral("ConfigurationGetFromOrvan"))->trigger();
    auto *config = qobject_cast<TTestConfigDocument *>(m_form->ActiveDocument());
    QVERIFY(config);
    QCOMPARE(m_form->KindOf(config), int(KindModbus)); // by the gateway's protocol family
    QCOMPARE(config->calls, (QStringList{"New noname2.ovc", "GetFromOrvan 00:1D:7A:00:00:01"}));

    m_form->action(QStringLiteral("WebSiteGetFromOrvan"))->trigger();
    auto *site = qobject_cast<TTestSiteDocument *>(m_form->ActiveDocument());
    QVERIFY(site);
    QCOMPARE(site->calls, (QStringList{"New noname3.qsw", "GetFromOrvan 00:1D:7A:00:00:01"}));
    QVERIFY(m_form->action(QStringLiteral("WebSiteSendToOrvan"))->isEnabled());
    m_form->action(QStringLiteral("WebSiteSendToOrvan"))->trigger();
    QCOMPARE(site->calls.last(), QStringLiteral("SendToOrvan 00:1D:7A:00:00:01"));
    QCOMPARE(m_form->DocumentCounter(), 4);

    // A Hostlink gateway has no document kind in this table: the command is off, and
    // nothing is made.
    m_form->action(QStringLiteral("DevicesConnect"))->trigger();
    searchAndSelect("00:1D:7A:00:00:02");
    connectWith(QStringLiteral("secret"));
    QVERIFY(m_form->Connected());
    QVERIFY(!m_form->action(QStringLiteral("ConfigurationGetFromOrvan"))->isEnabled());
    QVERIFY(m_form->action(QStringLiteral("WebSiteGetFromOrvan"))->isEnabled());
    m_form->ConfigurationGetFromOrvanExecute();
    QCOMPARE(m_form->Documents().size(), 3);
    QCOMPARE(m_form->DocumentCounter(), 4);
}

void TestMainWindowSim::remoteSearchAddsARow()
{
    bool searched = false;
    QTimer::singleShot(0, this, [&] {
        QDialog *dialog = m_form->frmSearchRemote();
        QTRY_VERIFY(dialog->isVisible());
        dialog->findChild<QLineEdit *>(QStringLiteral("txtRemoteIP"))->setText(QStringLiteral("127.0.0.3"));
        dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        searched = true;
    });
    m_form->action(QStringLiteral("DevicesSearchRemote"))->trigger();
    QVERIFY(searched);
    QVERIFY(m_prompt->log.isEmpty());
    TDeviceListView *list = m_form->DeviceList();
    QCOMPARE(list->rowCount(), 1);
    const std::optional<TDeviceData> device = list->deviceAt(0);
    QCOMPARE(device->MAC, QByteArray("00:1D:7A:00:00:02"));
    QCOMPARE(device->RemoteHost, QByteArray("127.0.0.3"));

    // A local search keeps the remote row and lists the other gateway beside it.
    m_form->action(QStringLiteral("DevicesSearchLocal"))->trigger();
    QCOMPARE(list->rowCount(), 2);
}

void TestMainWindowSim::propertiesOfTheSelectedRow()
{
    searchAndSelect("00:1D:7A:00:00:02");
    QVERIFY(m_form->action(QStringLiteral("DevicesProperties"))->isEnabled());
    QString device, host;
    // The dialog reads the gateway before it shows, in nested event loops: poll for it
    // rather than wait inside one of them.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = m_form->findChild<QDialog *>(QStringLiteral("frmProperties"));
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        device = dialog->findChild<QLineEdit *>(QStringLiteral("stDevice"))->text();
        host = dialog->findChild<QLineEdit *>(QStringLiteral("txtHostname"))->text();
        dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
    });
    poll.start(20);
    m_form->action(QStringLiteral("DevicesProperties"))->trigger();
    QCOMPARE(device, QStringLiteral("Orvan-HL-C"));
    QCOMPARE(host, QStringLiteral("unit-02")); // read from the gateway over HTTP
    QVERIFY(m_prompt->log.isEmpty());
}

struct TestMainWindowSim::PasswordAnswerer
{
    explicit PasswordAnswerer(TMainForm &form)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, &form] {
            TfrmPassword *dialog = form.frmPassword();
            if (!dialog || !dialog->isVisible())
                return;
            ++asked;
            dialog->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(QStringLiteral("secret"));
            dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        });
        poll.start(10);
    }
    QTimer poll;
    int asked = 0;
};

// While A's log-in waits for its answer, the window takes no other device command: the
// Information window is modal to the whole program, and a command that gets through
// anyway (a shortcut, a script) is refused. So A's answer never connects B.
void TestMainWindowSim::secondConnectWhileTheFirstWaits()
{
    m_sim->gateway(0).setFault("GETADMIN", {sim::FaultKind::Delay, 600});
    searchAndSelect("00:1D:7A:00:00:01");
    PasswordAnswerer answerer(*m_form);
    QWidget *modalDuringWait = nullptr;
    QTimer::singleShot(250, this, [&] {
        modalDuringWait = QApplication::activeModalWidget();
        searchAndSelect("00:1D:7A:00:00:02");
        m_form->action(QStringLiteral("DevicesConnect"))->trigger();
    });
    m_form->action(QStringLiteral("DevicesConnect"))->trigger();
    QCOMPARE(modalDuringWait, static_cast<QWidget *>(m_form->InfoMessage()));
    QCOMPARE(answerer.asked, 1);
    QVERIFY(m_form->Connected());
    QCOMPARE(m_form->ConnectedDevice().MAC, QByteArray("00:1D:7A:00:00:01"));
    QCOMPARE(m_prompt->texts(), QStringList{"Succesfully Connected to Orvan-MB-C/00:1D:7A:00:00:01."});
    QVERIFY(m_form->action(QStringLiteral("DevicesConnect"))->isChecked());
}

// The same for Properties: B's opening would get A's network, and OK would write it into B.
void TestMainWindowSim::secondPropertiesWhileTheFirstReads()
{
    m_sim->gateway(0).setFault("GETNET", {sim::FaultKind::Delay, 600});
    searchAndSelect("00:1D:7A:00:00:01");
    QStringList shown; // MAC and address of each opening
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = m_form->findChild<QDialog *>(QStringLiteral("frmProperties"));
        if (!dialog || !dialog->isVisible() || QApplication::activeModalWidget() != dialog)
            return;
        shown << dialog->findChild<QLineEdit *>(QStringLiteral("stMAC"))->text() + QLatin1Char(' ')
                     + dialog->findChild<TEditIPAddr *>(QStringLiteral("txtIPAddress"))->Text();
        dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
    });
    poll.start(10);
    QTimer::singleShot(250, this, [&] {
        searchAndSelect("00:1D:7A:00:00:02");
        m_form->action(QStringLiteral("DevicesProperties"))->trigger();
    });
    m_form->action(QStringLiteral("DevicesProperties"))->trigger();
    QCOMPARE(shown, QStringList{"00:1D:7A:00:00:01 127.0.0.2"});
    QVERIFY(m_prompt->log.isEmpty());
}

void TestMainWindowSim::closingWhileARequestWaits_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<bool>("closes");
    QTest::newRow("the window is closed") << 0 << true;
    QTest::newRow("the program is asked to quit") << 1 << true;
    QTest::newRow("the program exits at once") << 2 << false;
}

// Every event loop ends when the program quits, the request's wait included; the request
// still writes into its caller's locals. The close waits for the request (its answer is
// applied), then happens; an exit that cannot be refused still lets the request end first.
void TestMainWindowSim::closingWhileARequestWaits()
{
    QFETCH(int, how);
    QFETCH(bool, closes);
    m_sim->gateway(0).setFault("GETADMIN", {sim::FaultKind::Delay, 500});
    searchAndSelect("00:1D:7A:00:00:01");
    PasswordAnswerer answerer(*m_form);
    bool visibleDuringWait = false;
    bool connected = false;
    bool visibleAtEnd = true;
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(200, this, [&] {
            if (how == 0)
                m_form->close();
            else if (how == 1)
                QCoreApplication::quit();
            else
                QCoreApplication::exit(0);
            visibleDuringWait = m_form->isVisible();
        });
        m_form->action(QStringLiteral("DevicesConnect"))->trigger();
        connected = m_form->Connected();
        QTest::qWait(100); // the close comes once the command is over
        visibleAtEnd = m_form->isVisible();
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    QVERIFY(visibleDuringWait);
    QVERIFY(connected);
    QCOMPARE(m_form->ConnectedDevice().MAC, QByteArray("00:1D:7A:00:00:01"));
    QCOMPARE(visibleAtEnd, !closes);
}

KOVA_TEST(TestMainWindowSim)
#include "tst_mainwindow_sim.moc"
