#include "TestRegistry.h"
#include "RecordingPrompt.h"
#include "TestServers.h"

#include "Simulator.h"

#include "base/ui/InfoMessage.h"
#include "device/Connection.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"
#include "device/ui/Connection.h"
#include "device/ui/DeviceList.h"
#include "device/ui/Password.h"
#include "device/ui/SearchRemote.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QByteArray kMac = "00-50-C2-1A-2B-3C";
const QString kNoResponse = QStringLiteral("No Response from Device. Check the connection and try again.");

// One simulated gateway on 127.0.0.2 and a channel pointed at its HTTP port.
struct Bench
{
    std::unique_ptr<sim::Simulator> simulator;
    THttpChannel channel;
    QStringList infoShown;

    bool start(const std::function<void(sim::GatewayState &)> &adjust = {})
    {
        sim::Simulator::Options options;
        options.udpAddress = "127.0.0.2";
        options.serveFtp = false;
        simulator = std::make_unique<sim::Simulator>(options);
        sim::GatewayState gateway;
        gateway.ip = "127.0.0.2";
        gateway.mac = kMac;
        gateway.model = "1119";
        gateway.version = "2.1.0-TS";
        gateway.hostName = "plant-gw";
        gateway.adminPassword = "Admin1";
        if (adjust)
            adjust(gateway);
        simulator->addGateway(gateway);
        simulator->start();
        channel.setPort(simulator->httpPort());
        channel.setReadTimeout(2000);
        channel.showInfo = [this](const QString &text) { infoShown << text; };
        channel.hideInfo = [] {};
        return simulator->httpPort() != 0;
    }
    sim::Gateway &gateway() { return simulator->gateway(0); }
};

#define START_SIMULATOR(bench, ...)                                                                        \
    if (!(bench).start(__VA_ARGS__))                                                                       \
        QSKIP("the simulated gateway's HTTP server is not part of this build");

TDeviceData listedRow()
{
    TDeviceData d;
    d.DeviceName = "Orvan-MB-C";
    d.HostName = "plant-gw";
    d.MAC = kMac;
    d.Version = "2.1.0-TS";
    d.IPAddress = "127.0.0.2";
    d.UserName = "admin";
    return d;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    // The exact request reaches the simulated gateway and is answered.
    void requestBytesAtTheGateway()
    {
        Bench bench;
        START_SIMULATOR(bench);
        ScriptedHttpServer relay;
        relay.forwardTo("127.0.0.2", bench.simulator->httpPort());
        bench.channel.setPort(relay.port());
        TPacket request;
        request.NewCommand("GETADMIN");
        TPacket reply;
        QVERIFY(bench.channel.SendHTTPAdminNoInfo("127.0.0.1", "", request, reply));
        const QByteArray host = "127.0.0.1:" + QByteArray::number(relay.port());
        QCOMPARE(relay.requests().value(0), "POST /admpost.cgi HTTP/1.0\r\nHost: " + host
                                                + "\r\nContent-Type: text/x-zpack\r\nAccept: text/html, */*\r\n"
                                                  "Content-Length: 11\r\nConnection: Close\r\n\r\nGETADMIN();");
        QVERIFY(relay.replies().value(0).startsWith("HTTP/1.0 200"));
        QCOMPARE(reply.GetText(), QByteArray("ADMIN(PWD=Admin1,);"));
    }

    void connect_data()
    {
        QTest::addColumn<QByteArray>("typed"); // "<cancel>" cancels the password dialog
        QTest::addColumn<int>("fault");        // on GETADMIN
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("connected");
        const QString ok = QStringLiteral("information: Succesfully Connected to Orvan-MB-C/") + kMac + ".";
        const QString wrong = QStringLiteral("error: Unable to connect to Device. Wrong Password.");
        const QString unable = QStringLiteral("error: Unable to connect to Device.");
        const int none = int(sim::FaultKind::None);
        QTest::newRow("right password") << QByteArray("Admin1") << none << QStringList{ok} << true;
        QTest::newRow("wrong password") << QByteArray("nope") << none << QStringList{wrong} << false;
        QTest::newRow("differs in case") << QByteArray("admin1") << none << QStringList{wrong} << false;
        QTest::newRow("empty password") << QByteArray("") << none << QStringList{wrong} << false;
        QTest::newRow("cancelled") << QByteArray("<cancel>") << none << QStringList{} << false;
        QTest::newRow("HTTP error") << QByteArray("Admin1") << int(sim::FaultKind::HttpError)
                                    << QStringList{"error: " + kNoResponse, unable} << false;
        QTest::newRow("dropped") << QByteArray("Admin1") << int(sim::FaultKind::Drop)
                                 << QStringList{"error: " + kNoResponse, unable} << false;
        // The reply's command is not checked; a reply without PWD never matches a password.
        QTest::newRow("refused reply") << QByteArray("Admin1") << int(sim::FaultKind::Nak) << QStringList{wrong}
                                       << false;
    }
    void connect()
    {
        QFETCH(QByteArray, typed);
        QFETCH(int, fault);
        QFETCH(QStringList, messages);
        QFETCH(bool, connected);
        Bench bench;
        START_SIMULATOR(bench);
        if (fault != int(sim::FaultKind::None))
            bench.gateway().setFault("GETADMIN", {sim::FaultKind(fault), 0});
        TDeviceConnection connection(bench.channel);
        connection.askPassword = [&]() -> std::optional<QByteArray> {
            if (typed == "<cancel>")
                return std::nullopt;
            return typed;
        };
        int notices = 0;
        connection.showIncompatibleFirmware = [&](const TDeviceData &, const FirmwareBounds &) { ++notices; };
        RecordingPrompt prompt;
        QCOMPARE(connection.ConnectToDevice(listedRow()), connected);
        QStringList logged;
        for (const auto &entry : prompt.log)
            logged << entry.kind + ": " + entry.text;
        QCOMPARE(logged, messages);
        QCOMPARE(connection.Connected(), connected);
        QCOMPARE(notices, 0);
        QCOMPARE(bench.infoShown, typed == "<cancel>" ? QStringList{} : QStringList{"Connecting..."});
        if (connected) {
            TDeviceData expected = listedRow();
            expected.Password = "Admin1";
            expected.FullConfig = true;
            QCOMPARE(connection.ConnectedDevice(), expected);
            connection.Disconnect();
            QVERIFY(!connection.Connected());
        }
    }

    // Through the real windows: the password dialog, then the notice for old firmware.
    void connectThroughWindowsWarnsOfOldFirmware()
    {
        Bench bench;
        START_SIMULATOR(bench, [](sim::GatewayState &g) {
            g.model = "1117";
            g.version = "2.0.3-TS"; // below the DF1 family's 2.0.5
        });
        bench.gateway().setFault("GETADMIN", {sim::FaultKind::Delay, 300});
        TfrmPassword password;
        TfrmVersionNotice notice;
        TInfoMessage info;
        TDeviceConnection connection(bench.channel);
        AttachConnectionWindows(connection, password, notice);
        AttachInfoMessage(bench.channel, &info);
        QStringList seen;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (info.isVisible() && !seen.contains("info:" + info.text()))
                seen << "info:" + info.text(); // up, and the windows alive, during the request
            if (modal == &password && password.isVisible()) {
                auto *field = password.findChild<QLineEdit *>("txtPassword");
                seen << "password:" + field->text() + ":" + QString::number(field->maxLength());
                field->setText("Admin1");
                password.findChild<QPushButton *>("btnOk")->click();
            } else if (modal == &notice && notice.isVisible()) {
                seen << "notice:" + notice.versionLine();
                QVERIFY(notice.explanation().contains("2.0.5"));
                notice.findChild<QPushButton *>("btnClose")->click();
            }
        });
        driver.start(10);
        RecordingPrompt prompt;
        TDeviceData row = listedRow();
        row.DeviceName = "Orvan-DF1-C";
        row.Version = "2.0.3-TS";
        row.ProtocolFamily = 2;
        QVERIFY(connection.ConnectToDevice(row));
        QCOMPARE(seen, (QStringList{"password::20", "info:Connecting...", "notice:Device version: 2.0.3-TS"}));
        QVERIFY(!info.isVisible());
        QVERIFY(connection.Connected()); // a notice, not a refusal
        QCOMPARE(prompt.texts("information"), QStringList{"Succesfully Connected to Orvan-DF1-C/" + kMac + "."});
    }

    void remoteSearch_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("deviceName");
        QTest::addColumn<int>("family");
        QTest::newRow("modbus") << QByteArray("1119") << QByteArray("Orvan-MB-C") << 0;
        QTest::newRow("df1") << QByteArray("1117") << QByteArray("Orvan-DF1-C") << 2;
        QTest::newRow("hostlink") << QByteArray("1110") << QByteArray("Orvan-HL-C") << 1;
        QTest::newRow("missing ID") << QByteArray("") << QByteArray("Orvan") << 0;
        QTest::newRow("ID Orvan") << QByteArray("Orvan") << QByteArray("Orvan") << 0;
        QTest::newRow("other model") << QByteArray("9999") << QByteArray("Quorsa Device") << 0;
    }
    void remoteSearch()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, deviceName);
        QFETCH(int, family);
        Bench bench;
        START_SIMULATOR(bench, [&](sim::GatewayState &g) {
            g.model = model;
            g.dhcp = true;
            g.netmask = "255.255.0.0";
            g.gateway = "127.0.0.1";
        });
        QList<TDeviceData> added;
        TfrmSearchRemote dialog(bench.channel, [&](const TDeviceData &d) { added << d; });
        dialog.show();
        RecordingPrompt prompt;
        dialog.findChild<QLineEdit *>("txtRemoteIP")->setText("127.0.0.2");
        dialog.findChild<QPushButton *>("btnOk")->click();
        QVERIFY(prompt.log.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(bench.infoShown, (QStringList{"Searching Remote Device...", "Searching Remote Device..."}));
        QCOMPARE(added.size(), 1);
        TDeviceData expected;
        expected.DeviceName = deviceName;
        expected.HostName = "plant-gw";
        expected.MAC = kMac;
        expected.Version = "2.1.0-TS";
        expected.IPAddress = "127.0.0.2";
        expected.Netmask = "255.255.0.0";
        expected.Gateway = "127.0.0.1";
        expected.DHCP = true;
        expected.RemoteHost = "127.0.0.2";
        expected.HasHostName = true;
        expected.FullConfig = true;
        expected.ProtocolFamily = quint8(family);
        QCOMPARE(added.first(), expected);
    }

    void remoteSearchFailures_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<int>("result"); // -1: the dialog stays open
        const int rejected = int(QDialog::Rejected);
        QTest::newRow("empty field") << "" << QByteArray() << 0
                                     << QStringList{"You must provide Host or an IP Address."} << -1;
        QTest::newRow("blank field") << "   " << QByteArray() << 0
                                     << QStringList{"You must provide Host or an IP Address."} << -1;
        QTest::newRow("GETDEVICE unanswered") << "127.0.0.2" << QByteArray("GETDEVICE")
                                              << int(sim::FaultKind::HttpError) << QStringList{kNoResponse}
                                              << rejected;
        QTest::newRow("GETNET dropped") << "127.0.0.2" << QByteArray("GETNET") << int(sim::FaultKind::Drop)
                                        << QStringList{kNoResponse} << rejected;
        QTest::newRow("GETDEVICE wrong reply") << "127.0.0.2" << QByteArray("GETDEVICE")
                                               << int(sim::FaultKind::WrongReply)
                                               << QStringList{"Not Valid Response from Device."} << rejected;
        QTest::newRow("GETNET refused") << "127.0.0.2" << QByteArray("GETNET") << int(sim::FaultKind::Nak)
                                        << QStringList{"Not Valid Response from Device."} << rejected;
        QTest::newRow("nobody there") << "127.0.0.9" << QByteArray() << 0 << QStringList{kNoResponse} << rejected;
    }
    void remoteSearchFailures()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, command);
        QFETCH(int, fault);
        QFETCH(QStringList, errors);
        QFETCH(int, result);
        Bench bench;
        START_SIMULATOR(bench);
        if (!command.isEmpty())
            bench.gateway().setFault(command, {sim::FaultKind(fault), 0});
        QList<TDeviceData> added;
        TfrmSearchRemote dialog(bench.channel, [&](const TDeviceData &d) { added << d; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        RecordingPrompt prompt;
        dialog.findChild<QLineEdit *>("txtRemoteIP")->setText(typed);
        dialog.findChild<QPushButton *>("btnOk")->click();
        QCOMPARE(prompt.texts("error"), errors);
        QCOMPARE(prompt.log.size(), errors.size());
        QVERIFY(added.isEmpty());
        if (result < 0) {
            QVERIFY(dialog.isVisible());
        } else {
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), result);
        }
        // The controls are usable again for the next search.
        QVERIFY(dialog.findChild<QLineEdit *>("txtRemoteIP")->isEnabled());
        QVERIFY(dialog.findChild<QPushButton *>("btnOk")->isEnabled());
    }

    // A remote search for a gateway already listed (same MAC) overwrites its row, remote
    // host included; searching again after a change overwrites it once more.
    void searchOverwritesTheRowWithTheSameMac()
    {
        Bench bench;
        START_SIMULATOR(bench);
        TDeviceListView list;
        TDeviceData local = listedRow();
        local.HostName = "old-name";
        local.Version = "1.0";
        list.AddDeviceToList(local);
        TDeviceData other = listedRow();
        other.MAC = "00-50-C2-FF-FF-FF";
        list.AddDeviceToList(other);
        TfrmSearchRemote dialog(bench.channel, [&](const TDeviceData &d) { list.AddDeviceToList(d); });
        for (const char *expectedHost : {"plant-gw", "renamed"}) {
            dialog.show();
            QCOMPARE(dialog.findChild<QLineEdit *>("txtRemoteIP")->text(), QString()); // cleared on opening
            dialog.findChild<QLineEdit *>("txtRemoteIP")->setText("127.0.0.2");
            dialog.findChild<QPushButton *>("btnOk")->click();
            QCOMPARE(list.rowCount(), 2);
            const int row = list.DeviceIsListed(local);
            QVERIFY(row >= 0);
            const TDeviceData listed = *list.deviceAt(row);
            QCOMPARE(listed.HostName, QByteArray(expectedHost));
            QCOMPARE(listed.RemoteHost, QByteArray("127.0.0.2"));
            QCOMPARE(listed.Version, QByteArray("2.1.0-TS"));
            bench.gateway().update([](sim::GatewayState &g) { g.hostName = "renamed"; });
        }
    }
};

KOVA_TEST(TestConnection)
#include "tst_connection.moc"
