#include "TestRegistry.h"

#include "Simulator.h"
#include "base/ui/InfoMessage.h"
#include "base/ui/WidgetPrompt.h"
#include "device/ui/DeviceList.h"
#include "device/ui/LocatorController.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

// Pictures of the device list, the wait window and the locator's messages, for a person
// to look at. Runs only when KOVA_SHOTS_DIR names a folder for the PNG files.
class TestLocatorShots : public QObject
{
    Q_OBJECT

private slots:
    void shots()
    {
        const QString dir = qEnvironmentVariable("KOVA_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set KOVA_SHOTS_DIR to write the screenshots");
        QDir().mkpath(dir);
        WidgetPrompt prompt;
        Prompt::install(&prompt);
        const auto restore = qScopeGuard([] { Prompt::install(nullptr); });

        sim::Simulator::Options options;
        options.serveHttp = false;
        options.serveFtp = false;
        sim::Simulator simulator(options);
        const QList<QList<QByteArray>> rows{{"1119", "2.1.0-TS", "00:50:C2:00:00:01", "192.168.1.20", "1", "pump-station"},
                                           {"1117", "3.0-TS", "00:50:C2:00:00:02", "192.168.1.21", "0", "press-line"},
                                           {"1110", "1.4", "00:50:C2:00:00:03", "192.168.1.22", "0", ""},
                                           {"2001", "1.0", "00:50:C2:00:00:04", "0.0.0.0", "1", ""}};
        for (const auto &r : rows) {
            sim::GatewayState g;
            g.model = r[0];
            g.version = r[1];
            g.mac = r[2];
            g.ip = r[3];
            g.netmask = "255.255.255.0";
            g.gateway = "192.168.1.1";
            g.dhcp = r[4] == "1";
            g.hostName = r[5];
            g.adminPassword = "admin";
            simulator.addGateway(g);
        }
        simulator.start();

        QWidget frame;
        frame.resize(1000, 200);
        TDeviceListView list(&frame);
        list.setGeometry(0, 0, 1000, 200);
        TInfoMessage info(&frame);
        TLocatorController controller(&list, &info, simulator.udpPort(), QHostAddress(QStringLiteral("127.0.0.2")));
        QAction search("Search Local Devices"), remoteSearch("Search Remote Device"), sep, props("Properties"),
            connectAction("Connect");
        sep.setSeparator(true);
        list.setContextActions({&search, &remoteSearch, &sep, &props, &connectAction});

        TDeviceData remote;
        remote.DeviceName = "Orvan";
        remote.HostName = "far-plant";
        remote.MAC = "00:50:C2:00:00:99";
        remote.Version = "3.2-TS";
        remote.IPAddress = "10.20.30.40"; // shown in the list, never contacted
        remote.Netmask = "255.255.0.0";
        remote.Gateway = "10.20.0.1"; // shown only
        remote.RemoteHost = "plant.example.com";
        remote.HasHostName = true;
        remote.FullConfig = true;
        list.AddDeviceToList(remote);
        frame.show();

        QTimer::singleShot(200, [&] { info.grab().save(dir + "/locator_info.png"); });
        controller.DevicesSearchLocalExecute();
        list.selectRow(1);
        QCOMPARE(list.rowCount(), 5);
        QVERIFY(list.grab().save(dir + "/locator_list.png"));

        QMenu menu;
        menu.addActions(list.actions());
        menu.adjustSize();
        QVERIFY(menu.grab().save(dir + "/locator_menu.png"));

        // Each message box is photographed and closed as soon as it is up.
        int shot = 0;
        QTimer boxWatcher;
        QStringList names{"locator_msg_configured.png", "locator_msg_config_error.png", "locator_msg_conflict.png"};
        connect(&boxWatcher, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                box->grab().save(dir + "/" + names.value(shot++, "extra.png"));
                box->accept();
            }
        });
        boxWatcher.start(50);
        controller.SendUDPPacket("CONFIG(admin,00:50:C2:00:00:03,192.168.1.30,255.255.255.0,192.168.1.1)");
        controller.SetDeviceLocatorAction(2, "00:50:C2:00:00:03");
        controller.SendUDPPacket("CONFIG(wrong,00:50:C2:00:00:03,192.168.1.30,255.255.255.0,192.168.1.1)");
        controller.SetDeviceLocatorAction(2, "00:50:C2:00:00:03");

        QUdpSocket blocker;
        QVERIFY(blocker.bind(QHostAddress::LocalHost, 0, QUdpSocket::DontShareAddress));
        TLocatorController conflicted(&list, &info, blocker.localPort(), QHostAddress(QStringLiteral("127.0.0.2")));
        conflicted.locator().setLocalAddresses({QHostAddress::LocalHost});
        conflicted.DevicesSearchLocalExecute();
        QTRY_COMPARE(shot, 3);
    }
};

KOVA_TEST(TestLocatorShots)
#include "tst_locator_shots.moc"
