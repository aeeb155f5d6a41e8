#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "Simulator.h"
#include "app/ui/InfoMessage.h"
#include "device/ui/DeviceList.h"
#include "device/ui/EditIPAddr.h"
#include "device/ui/LocatorController.h"
#include "device/ui/Properties.h"

#include <QLineEdit>
#include <QTest>

// The properties dialog against the simulated gateways, over the real locator.
class TestPropertiesSim : public QObject
{
    Q_OBJECT

    struct Rig
    {
        Rig()
        {
            sim::Simulator::Options o;
            o.serveFtp = false;
            simulator = std::make_unique<sim::Simulator>(o);
            sim::GatewayState plain;
            plain.model = "1118";
            plain.version = "2.0.4";
            plain.mac = "00:1D:7A:00:00:04";
            plain.ip = "127.0.0.5";
            plain.adminPassword = "secret";
            simulator->addGateway(plain);
            simulator->start();
            controller = std::make_unique<TLocatorController>(&list, &info, simulator->udpPort(),
                                                              QHostAddress(QStringLiteral("127.0.0.2")));
            controller->SetUpSockets();
            TPropertiesServices services;
            services.askPassword = [this] { return password; };
            services.sendConfig = [this](const QByteArray &text, const QByteArray &mac) {
                controller->SendUDPPacket(text);
                controller->SetDeviceLocatorAction(2, mac);
            };
            dialog.setServices(services);
        }

        // The row as a local search lists it.
        TDeviceData searchedRow()
        {
            controller->DevicesSearchLocalExecute();
            return list.deviceAt(0).value();
        }

        std::unique_ptr<sim::Simulator> simulator;
        TDeviceListView list;
        TInfoMessage info;
        std::unique_ptr<TLocatorController> controller;
        TfrmProperties dialog;
        std::optional<QByteArray> password;
    };

private slots:
    void configWritesAPlainGateway_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QByteArray>("ipAfter");
        QTest::newRow("right password") << QByteArray("secret") << "Device Successfully Configured!." << QByteArray("10.20.30.40");
        QTest::newRow("wrong password") << QByteArray("SECRET") << "Error Setting Device Configuration.\r\nCheck the Password."
                                        << QByteArray("127.0.0.5");
    }

    void configWritesAPlainGateway()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, verdict);
        QFETCH(QByteArray, ipAfter);
        RecordingPrompt prompt;
        Rig rig;
        const TDeviceData row = rig.searchedRow();
        QVERIFY(!row.FullConfig);
        rig.dialog.SetDevice(row);
        QVERIFY(rig.dialog.Initialize());
        rig.dialog.findChild<TEditIPAddr *>("txtIPAddress")->SetText("10.20.30.40");
        rig.dialog.findChild<TEditIPAddr *>("txtGateway")->SetText("10.20.30.1");
        rig.password = password;
        rig.dialog.btnOkClick();
        QCOMPARE(prompt.texts(), QStringList{verdict});
        const sim::GatewayState state = rig.simulator->gateway(0).snapshot();
        QCOMPARE(state.ip, ipAfter);
        QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
    }
};

KOVA_TEST(TestPropertiesSim)
#include "tst_properties_sim.moc"
