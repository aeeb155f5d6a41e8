#include "TestRegistry.h"
#include "RecordingPrompt.h"

#include "device/ui/EditIPAddr.h"
#include "device/ui/Properties.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

static const QByteArray kNetwork =
    "NETWORK(NAME=line1,DHCP=0,IP=10.1.1.10,NETMASK=255.0.0.0,GATEWAY=10.1.1.1,FSTDNS=10.1.1.2,SNDDNS=0.0.0.0,"
    "SNMP=1,MANAGER=10.1.1.3,READS=public,WRITES=private,TRAPS=traps,);";

// Drives the dialog with a scripted device: each request's command gets the reply text
// queued for it; a missing entry is a request without reply.
class ScriptedDevice
{
public:
    QMap<QByteArray, QByteArray> replies;
    QList<QByteArray> requests;
    QList<QString> infos;
    std::optional<QByteArray> password = QByteArray("admin");
    QList<QPair<QByteArray, QByteArray>> configs;

    TPropertiesServices services()
    {
        TPropertiesServices s;
        s.sendAdmin = [this](const QString &info, const TDeviceData &, TPacket &request, TPacket &reply) {
            requests << request.GetText();
            infos << info;
            const auto it = replies.constFind(request.GetCommand());
            if (it == replies.constEnd())
                return false;
            reply.SetText(*it);
            return true;
        };
        s.askPassword = [this] { return password; };
        s.sendConfig = [this](const QByteArray &list, const QByteArray &mac) { configs << qMakePair(list, mac); };
        return s;
    }

    // A full-firmware gateway's answers to everything the dialog reads.
    void answerReads()
    {
        replies["GETNET"] = kNetwork;
        replies["GETADMIN"] = "ADMIN(PWD=admin,);";
        replies["GETUSER"] = "USER(USERNAME=operator,);";
        replies["GETTIME"] = "TIME(TIME=05032024140709,);";
    }

    QList<QByteArray> commands() const
    {
        QList<QByteArray> result;
        for (const QByteArray &r : requests)
            result << r.left(r.indexOf('('));
        return result;
    }
};

static TDeviceData fullDevice()
{
    TDeviceData d;
    d.DeviceName = "Orvan-MB-C";
    d.MAC = "00:1D:7A:00:00:01";
    d.Version = "2.1.0-TS";
    d.IPAddress = "10.1.1.10";
    d.Netmask = "255.0.0.0";
    d.Gateway = "0.0.0.0";
    d.FullConfig = true;
    d.HasHostName = true;
    d.HostName = "line1";
    return d;
}


class TestPropertiesDialog : public QObject
{
    Q_OBJECT

    // Opens the dialog on a full-firmware gateway played by the scripted device.
    bool open(TfrmProperties &dialog, ScriptedDevice &device)
    {
        dialog.setServices(device.services());
        dialog.SetDevice(fullDevice());
        return dialog.Initialize();
    }

    QTabWidget *tabs(TfrmProperties &dialog) { return dialog.findChild<QTabWidget *>("pgcProperties"); }
    QString address(TfrmProperties &dialog, const char *name) { return dialog.findChild<TEditIPAddr *>(name)->Text(); }
    void click(TfrmProperties &dialog, const char *name) { dialog.findChild<QPushButton *>(name)->click(); }

private slots:
    void plainDeviceOpensWithoutRequests()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        TfrmProperties dialog;
        dialog.setServices(device.services());
        TDeviceData d = fullDevice();
        d.IPAddress = "0.0.0.0"; // full firmware, but no address yet
        d.HasHostName = false;
        dialog.SetDevice(d);
        QVERIFY(dialog.Initialize());
        QVERIFY(device.requests.isEmpty());
        QVERIFY(!dialog.IsFullConfigurable());
        QVERIFY(tabs(dialog)->isTabVisible(0));
        for (int i = 1; i < 4; ++i)
            QVERIFY(!tabs(dialog)->isTabVisible(i));
        QVERIFY(dialog.findChild<QCheckBox *>("chkEnableDHCP")->isChecked()); // 0.0.0.0 counts as DHCP
        QVERIFY(!dialog.findChild<QLineEdit *>("txtHostname")->isEnabled());
        QVERIFY(!dialog.findChild<TEditIPAddr *>("txtFstDns")->isEnabled());
        QCOMPARE(dialog.findChild<QLineEdit *>("stMAC")->text(), QString("00:1D:7A:00:00:01"));
    }

    void fullDeviceReadsNetwork()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.replies["GETNET"] = kNetwork;
        TfrmProperties dialog;
        QVERIFY(open(dialog, device));
        QCOMPARE(device.requests, QList<QByteArray>{"GETNET();"});
        QCOMPARE(device.infos.value(0), QString("Getting Orvan Network Parameters..."));
        QCOMPARE(address(dialog, "txtGateway"), QString("10.1.1.1"));
        QCOMPARE(address(dialog, "txtSNMPAddress"), QString("10.1.1.3"));
        QCOMPARE(dialog.findChild<QLineEdit *>("txtTrap")->text(), QString("traps"));
        QVERIFY(dialog.findChild<TEditIPAddr *>("txtFstDns")->isEnabled());
        for (int i = 0; i < 4; ++i)
            QVERIFY(tabs(dialog)->isTabVisible(i));
        QVERIFY(prompt.log.isEmpty());
    }

    void failedNetworkReadStillOpens_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("no reply") << QByteArray();
        QTest::newRow("wrong reply") << QByteArray("NAK(REASON=x,);");
    }

    void failedNetworkReadStillOpens()
    {
        QFETCH(QByteArray, reply);
        RecordingPrompt prompt;
        ScriptedDevice device;
        if (!reply.isEmpty())
            device.replies["GETNET"] = reply;
        TfrmProperties dialog;
        QVERIFY(open(dialog, device));
        QCOMPARE(prompt.texts("error"), QStringList{"Not Valid Response from Device."});
    }

    void snmpRule()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.replies["GETNET"] = kNetwork;
        device.replies["SETNET"] = "ACK();";
        device.replies["RESET"] = "ACK();";
        TfrmProperties dialog;
        open(dialog, device);
        auto *snmp = dialog.findChild<QCheckBox *>("chkEnableSNMP");
        snmp->click(); // off
        QVERIFY(!dialog.findChild<QLineEdit *>("txtRead")->isEnabled());
        QCOMPARE(address(dialog, "txtSNMPAddress"), QString("0.0.0.0"));
        dialog.btnOkClick();
        const TPacket setnet = [&] { TPacket p; p.SetText(device.requests.value(1)); return p; }();
        QCOMPARE(setnet.GetCommand(), QByteArray("SETNET"));
        QCOMPARE(setnet.GetValue("SNMP"), QByteArray("0"));
        QCOMPARE(setnet.GetValue("MANAGER"), QByteArray("0.0.0.0"));
        QCOMPARE(setnet.GetValue("READS"), QByteArray());
        QCOMPARE(setnet.GetValue("PWD"), QByteArray("admin"));
        QCOMPARE(device.commands(), (QList<QByteArray>{"GETNET", "SETNET", "RESET"}));
        QCOMPARE(prompt.texts("information"), QStringList{"Device Successfully Configured!."});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void networkWriteOutcomes_data()
    {
        QTest::addColumn<QByteArray>("setnet");
        QTest::addColumn<QByteArray>("reset");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("verdict");
        const QString error = "Error Setting Device Configuration.\r\nCheck the Password.";
        QTest::newRow("accepted") << QByteArray("ACK();") << QByteArray("ACK();") << QStringList{"SETNET", "RESET"}
                                  << "Device Successfully Configured!.";
        QTest::newRow("wrong password") << QByteArray("NAK(REASON=PWD,);") << QByteArray("ACK();") << QStringList{"SETNET"}
                                        << error;
        QTest::newRow("reset refused") << QByteArray("ACK();") << QByteArray("NAK();") << QStringList{"SETNET", "RESET"}
                                       << error;
        QTest::newRow("no reply") << QByteArray() << QByteArray() << QStringList{"SETNET"} << error;
    }

    void networkWriteOutcomes()
    {
        QFETCH(QByteArray, setnet);
        QFETCH(QByteArray, reset);
        QFETCH(QStringList, commands);
        QFETCH(QString, verdict);
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.replies["GETNET"] = kNetwork;
        if (!setnet.isEmpty())
            device.replies["SETNET"] = setnet;
        device.replies["RESET"] = reset;
        TfrmProperties dialog;
        open(dialog, device);
        device.requests.clear();
        tabs(dialog)->setCurrentIndex(3); // OK on the SNMP page writes the network too
        dialog.btnOkClick();
        QStringList sent;
        for (const QByteArray &c : device.commands())
            sent << QString::fromLatin1(c);
        QCOMPARE(sent, commands);
        QCOMPARE(prompt.last(), verdict);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void validationStopsBeforeAnything()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.replies["GETNET"] = kNetwork;
        TfrmProperties dialog;
        open(dialog, device);
        device.requests.clear();
        dialog.findChild<TEditIPAddr *>("txtIPAddress")->SetText("127.0.0.1");
        dialog.btnOkClick();
        QCOMPARE(prompt.texts("error"), QStringList{"Not valid IP Address."});
        QVERIFY(device.requests.isEmpty());

        // A bad manager address brings the SNMP page forward.
        prompt.clear();
        dialog.findChild<TEditIPAddr *>("txtIPAddress")->SetText("10.1.1.10");
        dialog.findChild<TEditIPAddr *>("txtSNMPAddress")->SetText("10.1.1.0");
        dialog.btnOkClick();
        QCOMPARE(prompt.texts("error"), QStringList{"Not valid Manager IP Address."});
        QCOMPARE(tabs(dialog)->currentWidget()->objectName(), QString("tbsSNMP"));

        // With DHCP checked nothing is validated and every address goes as 0.0.0.0.
        prompt.clear();
        dialog.findChild<QCheckBox *>("chkEnableDHCP")->click();
        device.replies["SETNET"] = "ACK();";
        device.replies["RESET"] = "ACK();";
        device.password.reset(); // cancelled prompt: nothing sent, dialog stays
        dialog.btnOkClick();
        QVERIFY(device.requests.isEmpty());
        QVERIFY(prompt.log.isEmpty());
    }

    void usersPageOkOnlyCloses()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.answerReads();
        TfrmProperties dialog;
        open(dialog, device);
        tabs(dialog)->setCurrentIndex(1);
        QCOMPARE(device.commands(), (QList<QByteArray>{"GETNET", "GETADMIN", "GETUSER", "GETTIME"}));
        QCOMPARE(dialog.findChild<QLineEdit *>("txtUsername")->text(), QString("operator"));
        tabs(dialog)->setCurrentIndex(2); // read once per opening
        tabs(dialog)->setCurrentIndex(1);
        QCOMPARE(device.requests.size(), 4);
        dialog.btnOkClick();
        QCOMPARE(device.requests.size(), 4);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // The next opening, of a gateway without the full firmware, takes that page away
        // without reading anything.
        TDeviceData plain = fullDevice();
        plain.FullConfig = false;
        dialog.SetDevice(plain);
        QVERIFY(dialog.Initialize());
        QCOMPARE(device.requests.size(), 4);
    }

    void failedGeneralReadStopsAndIsNotRepeated()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.replies["GETNET"] = kNetwork;
        device.replies["GETADMIN"] = "ADMIN(PWD=admin,);";
        TfrmProperties dialog;
        open(dialog, device);
        tabs(dialog)->setCurrentIndex(2);
        QCOMPARE(device.commands(), (QList<QByteArray>{"GETNET", "GETADMIN", "GETUSER"}));
        tabs(dialog)->setCurrentIndex(1);
        QCOMPARE(device.requests.size(), 3);
    }

    void setUserChecks_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("retyped");
        QTest::addColumn<QByteArray>("typedAdmin");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("sent");
        QTest::newRow("mismatch") << "u" << "a" << "b" << QByteArray("admin") << QStringList{"Passwords do not match."} << false;
        QTest::newRow("wrong admin") << "u" << "a" << "a" << QByteArray("ADMIN") << QStringList{"Not valid Password."} << false;
        QTest::newRow("empty user warns") << "" << "a" << "a" << QByteArray("admin")
                                          << QStringList{"An empty Username will disable Authentication.",
                                                         "User Data successfully configured."}
                                          << true;
        QTest::newRow("accepted") << "u" << "a" << "a" << QByteArray("admin")
                                  << QStringList{"User Data successfully configured."} << true;
    }

    void setUserChecks()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, retyped);
        QFETCH(QByteArray, typedAdmin);
        QFETCH(QStringList, messages);
        QFETCH(bool, sent);
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.answerReads();
        device.replies["SETUSER"] = "ACK();";
        TfrmProperties dialog;
        open(dialog, device);
        tabs(dialog)->setCurrentIndex(1);
        device.requests.clear();
        device.password = typedAdmin;
        dialog.findChild<QLineEdit *>("txtUsername")->setText(user);
        dialog.findChild<QLineEdit *>("txtUserPassword")->setText(password);
        dialog.findChild<QLineEdit *>("txtUserRetypePassword")->setText(retyped);
        click(dialog, "btnSetUser");
        QCOMPARE(prompt.texts(), messages);
        if (sent)
            QCOMPARE(device.requests, QList<QByteArray>{"SETUSER(USERNAME=" + user.toLatin1() + ",PWD=a,);"});
        else
            QVERIFY(device.requests.isEmpty());
    }

    void setAdminThenNewPasswordCounts()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.answerReads();
        device.replies["SETADMIN"] = "ACK();";
        TfrmProperties dialog;
        open(dialog, device);
        tabs(dialog)->setCurrentIndex(1);
        dialog.findChild<QLineEdit *>("txtAdminPassword")->setText("secret");
        dialog.findChild<QLineEdit *>("txtAdminRetypePassword")->setText("secret");
        click(dialog, "btnSetAdmin");
        QCOMPARE(device.requests.last(), QByteArray("SETADMIN(PWD=secret,);"));
        QCOMPARE(prompt.last(), QString("Administrator Data successfully configured."));
        // The next check compares with the new password.
        device.password = QByteArray("secret");
        dialog.findChild<QLineEdit *>("txtAdminPassword")->setText("third");
        dialog.findChild<QLineEdit *>("txtAdminRetypePassword")->setText("third");
        click(dialog, "btnSetAdmin");
        QCOMPARE(device.requests.last(), QByteArray("SETADMIN(PWD=third,);"));
    }

    void setDateTime()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.answerReads();
        device.replies["SETTIME"] = "ACK();";
        TfrmProperties dialog;
        open(dialog, device);
        tabs(dialog)->setCurrentIndex(2);
        click(dialog, "btnSetDateTime");
        QCOMPARE(device.requests.last(), QByteArray("SETTIME(TIME=05032024140709,);"));
        QCOMPARE(device.infos.last(), QString("Setting Date and Time..."));
        QCOMPARE(prompt.last(), QString("Date and Time successfully configured."));
    }

    void plainDeviceWritesByConfig()
    {
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.password = QByteArray();
        TfrmProperties dialog;
        dialog.setServices(device.services());
        TDeviceData d = fullDevice();
        d.FullConfig = false;
        d.HasHostName = false;
        dialog.SetDevice(d);
        dialog.Initialize();
        dialog.btnOkClick();
        QVERIFY(device.requests.isEmpty());
        QCOMPARE(device.configs.size(), 1);
        QCOMPARE(device.configs[0].first, QByteArray("CONFIG(,00:1D:7A:00:00:01,10.1.1.10,255.0.0.0,0.0.0.0)"));
        QCOMPARE(device.configs[0].second, QByteArray("00:1D:7A:00:00:01"));
    }

    // Assistive technology (and any test driven by it) finds each address field, and each
    // of its four boxes, by its label's caption.
    void addressFieldsNamedByTheirLabels_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("IP") << "txtIPAddress" << "IP";
        QTest::newRow("netmask") << "txtNetmask" << "Netmask";
        QTest::newRow("gateway") << "txtGateway" << "Gateway";
        QTest::newRow("preferred DNS") << "txtFstDns" << "Preferred DNS Server";
        QTest::newRow("alternative DNS") << "txtSndDns" << "Alternative DNS Server";
        QTest::newRow("SNMP manager") << "txtSNMPAddress" << "Send traps to this IP Address";
    }

    void addressFieldsNamedByTheirLabels()
    {
        QFETCH(QString, field);
        QFETCH(QString, name);
        RecordingPrompt prompt;
        ScriptedDevice device;
        device.answerReads();
        TfrmProperties dialog;
        QVERIFY(open(dialog, device));
        auto *edit = dialog.findChild<TEditIPAddr *>(field);
        QCOMPARE(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), name);
        for (int box = 1; box <= 4; ++box) {
            QObject *part = edit->findChild<QLineEdit *>(QStringLiteral("box%1").arg(box));
            QCOMPARE(QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name), name);
        }
    }
};

KOVA_TEST(TestPropertiesDialog)
#include "tst_properties_dialog.moc"
