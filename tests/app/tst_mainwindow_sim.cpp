#include "TestRegistry.h"

#include "RecordingPrompt.h"
#include "Simulator.h"
#include "TestDocuments.h"
#include "app/ui/Main.h"
#include "device/ui/DeviceList.h"

#include <QAction>
#include <QLabel>
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

private:
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

    list->selectRow(1);
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

KOVA_TEST(TestMainWindowSim)
#include "tst_mainwindow_sim.moc"
