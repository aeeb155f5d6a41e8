#include "TestRegistry.h"

#include "device/DeviceRow.h"
#include "device/Locator.h"
#include "device/ui/DeviceList.h"

#include <QAction>
#include <QHeaderView>
#include <QTest>

Q_DECLARE_METATYPE(TDeviceData)

namespace {

TDeviceData record(const QByteArray &name, const QByteArray &mac, const QByteArray &remote = {})
{
    TDeviceData d;
    d.DeviceName = name;
    d.HostName = "host-" + mac.right(2);
    d.MAC = mac;
    d.Version = "2.0-TS";
    d.IPAddress = "10.0.0." + mac.right(2);
    d.Netmask = "255.255.255.0";
    d.Gateway = "10.0.0.254"; // list cell only, never contacted
    d.DHCP = false;
    d.RemoteHost = remote;
    d.HasHostName = true;
    d.FullConfig = true;
    d.ProtocolFamily = 1;
    return d;
}

QStringList column(const TDeviceListView &list, int col)
{
    QStringList texts;
    for (int row = 0; row < list.rowCount(); ++row)
        texts << list.topLevelItem(row)->text(col);
    return texts;
}

} // namespace

// The rules that turn datagrams into records and verdicts, without sockets.
class TestLocatorRules : public QObject
{
    Q_OBJECT

private slots:
    void getDeviceData_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<TDeviceData>("expected");

        TDeviceData d;
        d = {"Orvan-DF1-C", "plant-7", "00:50:C2:11:22:33", "3.1-TS", "192.168.1.7", "255.255.255.0",
             "192.168.1.1", false, "", true, "", "", true, 2};
        QTest::newRow("8 items, full DF1") << QByteArray("NTM(1117,3.1-TS,00:50:C2:11:22:33,192.168.1.7,255.255.255.0,192.168.1.1,0,plant-7)") << d;
        d = {"Orvan-DF1-C", "-", "AB", "3.1", "1.2.3.4", "255.0.0.0", "0.0.0.0", true, "", false, "", "", false, 0};
        QTest::newRow("7 items, no -TS") << QByteArray("NTM(1117,3.1,AB,1.2.3.4,255.0.0.0,0.0.0.0,1)") << d;
        d = {"Orvan-HL-0", "-", "M", "1.0-TS", "1.1.1.1", "", "", true, "", false, "", "", true, 1};
        QTest::newRow("DHCP other text") << QByteArray("NTM(1109,1.0-TS,M,1.1.1.1,,,yes)") << d;
        d = {"Orvan-MB-C", "h", "M", "x-TSy", "1.1.1.1", "m", "g", false, "", true, "", "", true, 0};
        QTest::newRow("Modbus, -TS inside") << QByteArray("NTM(1119,x-TSy,M,1.1.1.1,m,g,0,h)") << d;
        d = {"Quorsa Device", "-", "M", "1.0-TS", "1.1.1.1", "m", "g", false, "", false, "", "", false, 0};
        QTest::newRow("unknown model") << QByteArray("NTM(9999,1.0-TS,M,1.1.1.1,m,g,0)") << d;
        d = {"Orvan-HL-C", "-", "", "", "", "", "", true, "", false, "", "", false, 0};
        QTest::newRow("malformed: one item") << QByteArray("NTM(1110)") << d;
        d = {"Orvan-MB-0", "", "M", "v-TS", "i", "n", "g", false, "", true, "", "", true, 0};
        QTest::newRow("empty host name item") << QByteArray("NTM(1118,v-TS,M,i,n,g,0,)") << d;
    }
    void getDeviceData()
    {
        QFETCH(QByteArray, answer);
        QFETCH(TDeviceData, expected);
        QCOMPARE(GetDeviceData(answer), expected);
    }

    // Datagrams in arrival order during one wait, and what the wait ends with.
    void waitOutcome_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QByteArrayList>("datagrams");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("verdict");
        const int none = int(TLocatorState::Verdict::None);
        const int ok = int(TLocatorState::Verdict::Configured);
        const int failed = int(TLocatorState::Verdict::Failed);
        QTest::newRow("search lists NTM only")
            << 1 << QByteArrayList{"NTM(1119,v,A,i,n,g,0)", "ACK(MAC1)", "ntm(1119,v,B,i,n,g,0)", "HELLO()", "NTM(1,2,C,4,5,6,7)"} << 2 << none;
        QTest::newRow("ack") << 2 << QByteArrayList{"ACK(MAC1)"} << 0 << ok;
        QTest::newRow("nak") << 2 << QByteArrayList{"NAK(MAC1)"} << 0 << failed;
        QTest::newRow("no answer") << 2 << QByteArrayList{} << 0 << failed;
        QTest::newRow("ack for another MAC") << 2 << QByteArrayList{"ACK(MAC2)"} << 0 << failed;
        QTest::newRow("ack then nak") << 2 << QByteArrayList{"ACK(MAC1)", "NAK(MAC1)"} << 0 << failed;
        QTest::newRow("nak then ack") << 2 << QByteArrayList{"NAK(MAC1)", "ACK(MAC1)"} << 0 << ok;
        QTest::newRow("ack, nak for another") << 2 << QByteArrayList{"ACK(MAC1)", "NAK(MAC2)"} << 0 << ok;
        QTest::newRow("ack with more items") << 2 << QByteArrayList{"ACK(MAC1,extra)"} << 0 << ok;
        QTest::newRow("lower-case ack") << 2 << QByteArrayList{"ack(MAC1)"} << 0 << failed;
        QTest::newRow("empty ack") << 2 << QByteArrayList{"ACK()"} << 0 << failed;
        QTest::newRow("NTM while configuring") << 2 << QByteArrayList{"NTM(1119,v,MAC1,i,n,g,0)"} << 0 << failed;
    }
    void waitOutcome()
    {
        QFETCH(int, action);
        QFETCH(QByteArrayList, datagrams);
        QFETCH(int, listed);
        QFETCH(int, verdict);
        TLocatorState state;
        state.Start(quint8(action), "MAC1");
        int records = 0;
        for (const QByteArray &d : datagrams)
            records += state.HandleDatagram(d).has_value() ? 1 : 0;
        QCOMPARE(records, listed);
        QCOMPARE(int(state.Finish()), verdict);
        // After the wait nothing counts any more.
        QCOMPARE(state.LocatorAction(), quint8(0));
        QVERIFY(state.ExpectedMAC().isEmpty());
        QVERIFY(!state.HandleDatagram("NTM(1119,v,A,i,n,g,0)"));
        QVERIFY(!state.HandleDatagram("ACK(MAC1)"));
        QVERIFY(!state.ConfigSuccess());
    }

    // The permission message ends with a command the user can paste into a shell as it is.
    void permissionCommand_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("command");
        QTest::newRow("plain path") << "/usr/bin/kova" << "sudo setcap cap_net_bind_service=+ep /usr/bin/kova";
        QTest::newRow("blank") << "/home/jo/my apps/kova" << "sudo setcap cap_net_bind_service=+ep '/home/jo/my apps/kova'";
        QTest::newRow("quote") << "/opt/jo's/kova" << "sudo setcap cap_net_bind_service=+ep '/opt/jo'\\''s/kova'";
    }
    void permissionCommand()
    {
        QFETCH(QString, program);
        QFETCH(QString, command);
        const QString text = LocatorText::noPermission(998, program);
        QVERIFY2(text.endsWith(QStringLiteral("\r\n\r\n") + command), qPrintable(text));
    }

    void bindOrder_data()
    {
        QTest::addColumn<QString>("broadcast");
        QTest::addColumn<QStringList>("local");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("LAN broadcast: network address first")
            << "255.255.255.255" << QStringList{"127.0.0.1", "::1", "192.168.1.5", "10.1.1.1", "192.168.1.5"} // address lists only: nothing is sent
            << QStringList{"192.168.1.5", "10.1.1.1", "127.0.0.1"}; // (the order of bindings)
        QTest::newRow("loopback target: loopback first")
            << "127.0.0.2" << QStringList{"192.168.1.5", "127.0.0.1", "fe80::1"} << QStringList{"127.0.0.1", "192.168.1.5"};
        QTest::newRow("loopback only") << "255.255.255.255" << QStringList{"127.0.0.1"} << QStringList{"127.0.0.1"}; // nothing is sent
    }
    void bindOrder()
    {
        QFETCH(QString, broadcast);
        QFETCH(QStringList, local);
        QFETCH(QStringList, expected);
        QList<QHostAddress> addresses;
        for (const QString &a : local)
            addresses << QHostAddress(a);
        QStringList result;
        for (const QHostAddress &a : LocatorBindAddresses(addresses, QHostAddress(broadcast)))
            result << a.toString();
        QCOMPARE(result, expected);
    }
};

// The device list as a widget: its columns, its rules for adding rows, and records
// rebuilt from rows.
class TestDeviceList : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeAReport()
    {
        TDeviceListView list;
        QCOMPARE(list.objectName(), QStringLiteral("lstDevices"));
        QCOMPARE(list.columnCount(), 12);
        const QStringList visible{"Device", "Host", "MAC", "Version", "DHCP", "IP Address", "Netmask", "Gateway", "Remote IP/Host"};
        for (int c = 0; c < 12; ++c) {
            QCOMPARE(list.isColumnHidden(c), c >= 9);
            if (c < 9)
                QCOMPARE(list.headerItem()->text(c), visible.at(c));
        }
        QCOMPARE(list.columnWidth(0), 140);
        QCOMPARE(list.columnWidth(1), 120);
        QVERIFY(list.columnWidth(2) >= 104);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!list.rootIsDecorated());

        QAction search("Search Local Devices"), remote("Search Remote Device"), sep, props("Properties"), connect("Connect");
        sep.setSeparator(true);
        list.setContextActions({&search, &remote, &sep, &props, &connect});
        list.setContextActions({&search, &remote, &sep, &props, &connect}); // replaces, never doubles
        QCOMPARE(list.contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(list.actions(), (QList<QAction *>{&search, &remote, &sep, &props, &connect}));
    }

    void rowRoundTrip_data()
    {
        QTest::addColumn<TDeviceData>("device");
        QTest::newRow("remote full") << record("Orvan", "00:11", "gw.example.com:8080");
        TDeviceData d = record("Quorsa Device", "77");
        d.HostName = "-";
        d.HasHostName = false;
        d.FullConfig = false;
        d.ProtocolFamily = 0;
        d.DHCP = true;
        QTest::newRow("local, no host") << d;
        d = record("Orvan-DF1-0", "x\xe9y"); // 8-bit text survives the row
        d.ProtocolFamily = 2;
        d.HostName = "h\xf6st";
        QTest::newRow("8-bit texts") << d;
    }
    void rowRoundTrip()
    {
        QFETCH(TDeviceData, device);
        TDeviceListView list;
        list.AddDeviceToList(record("Orvan-MB-C", "99"));
        list.AddDeviceToList(device);
        const int row = list.DeviceIsListed(device);
        QVERIFY(row >= 0);
        QCOMPARE(*list.deviceAt(row), device);
        list.selectRow(row);
        QCOMPARE(*list.selectedDevice(), device);
        QCOMPARE(list.topLevelItem(row)->text(4), device.DHCP ? QStringLiteral("Yes") : QStringLiteral("No"));
        QVERIFY(!list.deviceAt(5));
    }

    // Each step adds (name, mac, remote); the list afterwards as "name/mac/remote" rows.
    void addRules_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("sorted by Device")
            << QStringList{"b/1/", "a/2/", "c/3/", "a/4/"} << QStringList{"a/2/", "a/4/", "b/1/", "c/3/"};
        QTest::newRow("broadcast never overwrites")
            << QStringList{"b/1/", "a/1/"} << QStringList{"b/1/"};
        QTest::newRow("broadcast keeps a remote row")
            << QStringList{"r/1/far", "a/1/"} << QStringList{"r/1/far"};
        QTest::newRow("remote overwrites and re-sorts")
            << QStringList{"a/1/", "b/2/", "c/3/", "z/1/far"} << QStringList{"b/2/", "c/3/", "z/1/far"};
        QTest::newRow("remote overwrites remote") << QStringList{"a/1/one", "a/1/two"} << QStringList{"a/1/two"};
        QTest::newRow("MAC compared exactly") << QStringList{"a/ab/", "a/AB/"} << QStringList{"a/ab/", "a/AB/"};
        QTest::newRow("equal names keep arrival order")
            << QStringList{"m/5/", "m/3/", "b/9/", "m/1/"} << QStringList{"b/9/", "m/5/", "m/3/", "m/1/"};
        QTest::newRow("case-sensitive order") << QStringList{"b/1/", "B/2/", "a/3/"} << QStringList{"B/2/", "a/3/", "b/1/"};
    }
    void addRules()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, rows);
        TDeviceListView list;
        for (const QString &step : steps) {
            const QStringList p = step.split('/');
            list.AddDeviceToList(record(p[0].toLatin1(), p[1].toLatin1(), p[2].toLatin1()));
        }
        QStringList actual;
        for (int row = 0; row < list.rowCount(); ++row) {
            const TDeviceData d = *list.deviceAt(row);
            actual << QString::fromLatin1(d.DeviceName + '/' + d.MAC + '/' + d.RemoteHost);
        }
        QCOMPARE(actual, rows);
    }

    void selectionFollowsRowThroughSort()
    {
        TDeviceListView list;
        list.AddDeviceToList(record("m", "1"));
        list.selectRow(0);
        list.AddDeviceToList(record("a", "2")); // sorts before the selected row
        QCOMPARE(list.selectedDevice()->MAC, QByteArray("1"));
    }

    void removeLocalRows()
    {
        TDeviceListView list;
        for (const char *mac : {"1", "2", "3", "4", "5"})
            list.AddDeviceToList(record("d", mac, QByteArray(mac) == "2" || QByteArray(mac) == "5" ? "far" : ""));
        list.RemoveLocalRows();
        QCOMPARE(column(list, DeviceRow::MAC), (QStringList{"2", "5"}));
    }
};

KOVA_TEST(TestLocatorRules)
KOVA_TEST(TestDeviceList)
#include "tst_locator.moc"
