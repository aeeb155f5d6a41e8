#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "Simulator.h"
#include "base/ui/InfoMessage.h"
#include "device/Connection.h"
#include "device/HttpChannel.h"
#include "device/ui/DeviceList.h"
#include "device/ui/EditIPAddr.h"
#include "device/ui/LocatorController.h"
#include "device/ui/Properties.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTest>

using sim::FaultKind;

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
            sim::GatewayState full;
            full.model = "1110";
            full.version = "2.1.0-TS";
            full.mac = "00:1D:7A:00:00:02";
            full.ip = "127.0.0.6";
            full.hostName = "line2";
            full.adminPassword = "secret";
            simulator->addGateway(full);
            full.model = "1119";
            full.mac = "00:1D:7A:00:00:03";
            full.ip = "127.0.0.7";
            full.hostName = "line3";
            simulator->addGateway(full);
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
            channel.setPort(simulator->httpPort());
            channel.setReadTimeout(3000);
            services.sendAdmin = [this](const QString &info, const TDeviceData &device, TPacket &request, TPacket &reply) {
                return channel.SendHTTPAdminServer(info, device.IPAddress, device.RemoteHost, request, reply);
            };
            dialog.setServices(services);
        }

        TDeviceData row(const QByteArray &mac)
        {
            controller->DevicesSearchLocalExecute();
            for (int r = 0; r < list.rowCount(); ++r) {
                if (list.deviceAt(r)->MAC == mac)
                    return *list.deviceAt(r);
            }
            return {};
        }

        template<typename T> T *child(const char *name) { return dialog.findChild<T *>(name); }

        std::unique_ptr<sim::Simulator> simulator;
        TDeviceListView list;
        TInfoMessage info;
        std::unique_ptr<TLocatorController> controller;
        TfrmProperties dialog;
        std::optional<QByteArray> password;
        THttpChannel channel;
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
        const TDeviceData row = rig.row("00:1D:7A:00:00:04");
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

    // One dialog serves every opening. Each starts from its own device: a ticked SNMP box
    // of the last one (whose page this device does not even have) is not checked and sent,
    // and a failed read shows this device's row, not the last device's network.
    void eachOpeningStartsFromItsOwnDevice_data()
    {
        QTest::addColumn<QByteArray>("mac");
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("host");
        QTest::newRow("without full firmware") << QByteArray("00:1D:7A:00:00:04") << false << 1 << "127.0.0.5" << "";
        QTest::newRow("network read fails") << QByteArray("00:1D:7A:00:00:03") << true << 4 << "127.0.0.7" << "line3";
    }

    void eachOpeningStartsFromItsOwnDevice()
    {
        QFETCH(QByteArray, mac);
        QFETCH(bool, readFails);
        QFETCH(int, pages);
        QFETCH(QString, ip);
        QFETCH(QString, host);
        RecordingPrompt prompt;
        Rig rig;
        const TDeviceData first = rig.row("00:1D:7A:00:00:02");
        const TDeviceData second = rig.row(mac);
        rig.dialog.SetDevice(first);
        rig.dialog.Initialize();
        rig.child<QCheckBox>("chkEnableSNMP")->click(); // ticked, no address, then Cancel
        rig.dialog.reject();

        sim::Gateway *gateway = rig.simulator->findByMac(mac);
        if (readFails)
            gateway->setFault("GETNET", {FaultKind::Nak});
        rig.dialog.SetDevice(second);
        rig.dialog.Initialize();
        gateway->clearFaults();
        QCOMPARE(prompt.texts(), readFails ? QStringList{"Not Valid Response from Device."} : QStringList());
        QCOMPARE(rig.child<QTabWidget>("pgcProperties")->count(), pages);
        QCOMPARE(rig.child<TEditIPAddr>("txtIPAddress")->Text(), ip);
        QCOMPARE(rig.child<QLineEdit>("txtHostname")->text(), host);
        QVERIFY(!rig.child<QCheckBox>("chkEnableSNMP")->isChecked());

        // Only the address is changed (a loopback address is not one a gateway may take).
        prompt.clear();
        rig.child<TEditIPAddr>("txtIPAddress")->SetText("10.9.9.9");
        rig.password = QByteArray("secret");
        rig.dialog.btnOkClick();
        QCOMPARE(prompt.texts(), QStringList{"Device Successfully Configured!."});
        const sim::GatewayState state = gateway->snapshot();
        QCOMPARE(state.ip, QByteArray("10.9.9.9"));
        QCOMPARE(state.hostName, host.toLatin1());
        QVERIFY(!state.snmp);
    }

    void networkOfAFullGatewayChangesAfterReset()
    {
        RecordingPrompt prompt;
        Rig rig;
        const TDeviceData row = rig.row("00:1D:7A:00:00:02");
        QVERIFY(row.FullConfig);
        rig.dialog.SetDevice(row);
        QVERIFY(rig.dialog.Initialize());
        QCOMPARE(rig.child<QLineEdit>("txtHostname")->text(), QString("line2"));
        rig.child<QLineEdit>("txtHostname")->setText("press-7");
        rig.child<TEditIPAddr>("txtIPAddress")->SetText("10.7.7.7");
        rig.child<TEditIPAddr>("txtNetmask")->SetText("255.255.0.0");
        rig.child<TEditIPAddr>("txtFstDns")->SetText("10.7.0.53");
        rig.child<QCheckBox>("chkEnableSNMP")->click();
        rig.child<TEditIPAddr>("txtSNMPAddress")->SetText("10.7.0.9");
        rig.child<QLineEdit>("txtRead")->setText("plant");

        rig.password = QByteArray("Secret"); // the gateway checks the password, case included
        rig.dialog.btnOkClick();
        QCOMPARE(prompt.texts(), QStringList{"Error Setting Device Configuration.\r\nCheck the Password."});
        QCOMPARE(rig.simulator->gateway(1).snapshot().ip, QByteArray("127.0.0.6"));

        prompt.clear();
        rig.dialog.Initialize();
        rig.child<QLineEdit>("txtHostname")->setText("press-7");
        rig.child<TEditIPAddr>("txtIPAddress")->SetText("10.7.7.7");
        rig.child<TEditIPAddr>("txtNetmask")->SetText("255.255.0.0");
        rig.child<TEditIPAddr>("txtFstDns")->SetText("10.7.0.53");
        rig.child<QCheckBox>("chkEnableSNMP")->click();
        rig.child<TEditIPAddr>("txtSNMPAddress")->SetText("10.7.0.9");
        rig.child<QLineEdit>("txtRead")->setText("plant");
        rig.password = QByteArray("secret");
        rig.dialog.btnOkClick();
        QCOMPARE(prompt.texts(), QStringList{"Device Successfully Configured!."});
        const sim::GatewayState state = rig.simulator->gateway(1).snapshot();
        QCOMPARE(state.ip, QByteArray("10.7.7.7"));
        QCOMPARE(state.netmask, QByteArray("255.255.0.0"));
        QCOMPARE(state.hostName, QByteArray("press-7"));
        QCOMPARE(state.dns1, QByteArray("10.7.0.53"));
        QVERIFY(state.snmp);
        QCOMPARE(state.manager, QByteArray("10.7.0.9"));
        QCOMPARE(state.readCommunity, QByteArray("plant"));
        QCOMPARE(state.resets, 1);
    }

    void userAdministratorAndClock()
    {
        RecordingPrompt prompt;
        Rig rig;
        const TDeviceData row = rig.row("00:1D:7A:00:00:02");
        rig.dialog.SetDevice(row);
        rig.dialog.Initialize();
        rig.child<QTabWidget>("pgcProperties")->setCurrentIndex(1);
        QCOMPARE(rig.child<QLineEdit>("txtUsername")->text(), QString("user"));

        rig.password = QByteArray("secret");
        rig.child<QLineEdit>("txtUsername")->setText("operator");
        rig.child<QLineEdit>("txtUserPassword")->setText("op-pass");
        rig.child<QLineEdit>("txtUserRetypePassword")->setText("op-pass");
        rig.child<QPushButton>("btnSetUser")->click();
        QCOMPARE(prompt.last(), QString("User Data successfully configured."));
        QCOMPARE(rig.simulator->gateway(1).snapshot().webUser, QByteArray("operator"));
        QCOMPARE(rig.simulator->gateway(1).snapshot().webPassword, QByteArray("op-pass"));

        rig.child<QLineEdit>("txtAdminPassword")->setText("n3w");
        rig.child<QLineEdit>("txtAdminRetypePassword")->setText("n3w");
        rig.child<QPushButton>("btnSetAdmin")->click();
        QCOMPARE(prompt.last(), QString("Administrator Data successfully configured."));

        // The new password is the one a connection now needs.
        TDeviceConnection connection(rig.channel);
        connection.askPassword = [] { return std::optional<QByteArray>("secret"); };
        QVERIFY(!connection.ConnectToDevice(row));
        connection.askPassword = [] { return std::optional<QByteArray>("n3w"); };
        QVERIFY(connection.ConnectToDevice(row));

        // The clock: a day ahead of the host's.
        const QDateTime target = QDateTime::currentDateTime().addDays(1);
        rig.child<QTabWidget>("pgcProperties")->setCurrentIndex(2);
        rig.child<QDateEdit>("dteDate")->setDate(target.date());
        rig.child<QTimeEdit>("dteTime")->setTime(target.time());
        rig.child<QPushButton>("btnSetDateTime")->click();
        QCOMPARE(prompt.last(), QString("Date and Time successfully configured."));
        const qint64 offset = rig.simulator->gateway(1).snapshot().clockOffsetSecs;
        QVERIFY2(qAbs(offset - 86400) <= 2, qPrintable(QString::number(offset)));
    }
};

KOVA_TEST(TestPropertiesSim)
#include "tst_properties_sim.moc"
