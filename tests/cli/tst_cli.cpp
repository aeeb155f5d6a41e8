// kova-cli end to end: the real program, run as a process, against simulated gateways on
// loopback (ephemeral ports, served by this test process).
#include "TestRegistry.h"

#include "../device/TestServers.h"

#include "Simulator.h"
#include "base/IniStore.h"
#include "base/KovaOptions.h"
#include "config/ConfigFile.h"
#include "device/HttpChannel.h"
#include "site/OrvanSite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using sim::FaultKind;
using sim::GatewayState;

namespace {

struct Run
{
    int exit = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    QJsonObject result(int i) const { return json().value(QStringLiteral("results")).toArray().at(i).toObject(); }
    // The table line of a gateway, split at its blanks: DEVICE MODEL MAC RESULT STEP REASON...
    QList<QByteArray> line(const QByteArray &host) const
    {
        for (const QByteArray &l : out.split('\n'))
            if (l.startsWith(host + ' '))
                return l.simplified().split(' ');
        return {};
    }
};

GatewayState fresh(const QByteArray &model, int n)
{
    GatewayState g;
    g.model = model;
    g.mac = "00:1D:7A:CC:00:" + QByteArray::number(n, 16).rightJustified(2, '0').toUpper();
    g.ip = "127.0.0." + QByteArray::number(n);
    g.liveMotion = false;
    return g;
}

// Gateways on 127.0.0.2, .3, ... and kova-cli pointed at them.
class Rig
{
public:
    explicit Rig(const QList<GatewayState> &gateways)
    {
        for (const GatewayState &g : gateways)
            m_sim.addGateway(g);
        m_sim.start();
    }

    sim::Gateway &gateway(int i) { return m_sim.gateway(i); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    quint16 udpPort() const { return m_sim.udpPort(); }

    // Runs kova-cli with the ports of the simulator (and no kova.ini proxy unless asked).
    Run run(QStringList arguments, const QMap<QString, QString> &env = {}, bool ports = true)
    {
        const QString command = arguments.value(0);
        if (ports && command != QLatin1String("search")) {
            // The kova.ini beside the program is the developer's: a test names its own or none.
            if (!arguments.contains(QStringLiteral("--settings")))
                arguments << QStringLiteral("--no-proxy");
            arguments << QStringLiteral("--http-port") << QString::number(m_sim.httpPort());
            arguments << QStringLiteral("--read-timeout") << QStringLiteral("3000");
            if (command == QLatin1String("site"))
                arguments << QStringLiteral("--ftp-port") << QString::number(m_sim.ftpPort());
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"KOVA_PASSWORD", "KOVA_PROXY_PASSWORD", "KOVA_FTP_PROXY_PASSWORD"})
            environment.remove(QLatin1String(name));
        for (auto it = env.begin(); it != env.end(); ++it)
            environment.insert(it.key(), it.value());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(KOVA_CLI), arguments);
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
        }
        run.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    // A configuration file fetched from gateway i (its protocol's).
    QString fetch(int i, const QString &name)
    {
        const QString file = path(name);
        const Run got = run({QStringLiteral("get"), QStringLiteral("-d"), QString::fromLatin1(gateway(i).ip()),
                             QStringLiteral("-p"), QStringLiteral("admin"), QStringLiteral("-o"), file, QStringLiteral("-q")});
        if (got.exit != 0)
            qWarning() << got.out << got.err;
        return got.exit == 0 ? file : QString();
    }

private:
    QTemporaryDir m_dir;
    sim::Simulator m_sim;
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    // One send to five gateways of which the fourth refuses, in each way a gateway can:
    // the others still get the configuration, the exit status says a job failed, and the
    // refusing gateway's line names the step and why.
    void sendToFiveOneRefuses_data()
    {
        QTest::addColumn<std::function<void(GatewayState &)>>("setUp");
        QTest::addColumn<QByteArray>("command"); // a fault on this command, if any
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QString>("reason");
        const auto none = [](GatewayState &) {};
        QTest::newRow("NAK at DELALLTAG") << std::function(none) << QByteArray("DELALLTAG") << int(FaultKind::Nak)
                                         << QByteArray("DELALLTAG") << "DELALLTAG was answered by NAK(";
        QTest::newRow("HTTP error at SETCOM") << std::function(none) << QByteArray("SETCOM") << int(FaultKind::HttpError)
                                             << QByteArray("SETCOM") << THttpChannel::NoResponseMessage;
        QTest::newRow("drop at ADDTAG") << std::function(none) << QByteArray("ADDTAG") << int(FaultKind::Drop)
                                               << QByteArray("ADDTAG") << THttpChannel::NoResponseMessage;
        QTest::newRow("wrong password")
            << std::function([](GatewayState &g) { g.adminPassword = "Admin"; }) << QByteArray() << 0
            << QByteArray("GETADMIN") << "Unable to connect to Device. Wrong Password.";
        QTest::newRow("Hostlink gateway")
            << std::function([](GatewayState &g) { g.model = "1110"; }) << QByteArray() << 0 << QByteArray("model")
            << "The Configuration file you're trying to send do not correspond to the Model of the Connected Orvan.";
    }

    void sendToFiveOneRefuses()
    {
        QFETCH(std::function<void(GatewayState &)>, setUp);
        QFETCH(QByteArray, command);
        QFETCH(int, fault);
        QFETCH(QByteArray, step);
        QFETCH(QString, reason);

        QList<GatewayState> gateways = {sim::Simulator::demoSet().at(0)}; // the source, 13 Modbus tags
        for (int n = 3; n <= 7; ++n)
            gateways << fresh("1119", n);
        setUp(gateways[4]);
        Rig rig(gateways);
        const QString file = rig.fetch(0, QStringLiteral("line.ovc"));
        QVERIFY(!file.isEmpty());
        if (fault)
            rig.gateway(4).setFault(command, {FaultKind(fault), 0});

        const Run sent = rig.run({QStringLiteral("send"), file, QStringLiteral("-d"), QStringLiteral("127.0.0.3"),
                                  QStringLiteral("-d"), QStringLiteral("127.0.0.4"), QStringLiteral("-d"),
                                  QStringLiteral("127.0.0.5"), QStringLiteral("-d"), QStringLiteral("127.0.0.6"),
                                  QStringLiteral("-d"), QStringLiteral("127.0.0.7"), QStringLiteral("--jobs"),
                                  QStringLiteral("3")},
                                 {{QStringLiteral("KOVA_PASSWORD"), QStringLiteral("admin")}});
        QCOMPARE(sent.exit, 1);
        const QList<QByteArray> refused = sent.line("127.0.0.6");
        QVERIFY2(refused.size() > 5, sent.out);
        QCOMPARE(refused.at(3), QByteArray("failed"));
        QCOMPARE(refused.at(4), step);
        QVERIFY2(refused.mid(5).join(' ').contains(reason.toLatin1()), sent.out);
        const auto tags = rig.gateway(0).snapshot().tags;
        for (int i : {1, 2, 3, 5}) {
            const QByteArray host = rig.gateway(i).ip();
            QCOMPARE(sent.line(host).value(3), QByteArray("done"));
            QCOMPARE(sent.line(host).value(1), QByteArray("Orvan-MB-C"));
            QCOMPARE(rig.gateway(i).snapshot().tags.size(), tags.size());
            QCOMPARE(rig.gateway(i).snapshot().resets, 1);
        }
        // Progress went to stderr, one finished line per gateway.
        QCOMPARE(sent.err.count("finished)"), 5);
    }

    // What a get writes, sent to another gateway of the protocol and fetched back, is the
    // same file: every setting and tag Kova reads survived the trip.
    void getThenSendRoundTrip_data()
    {
        QTest::addColumn<int>("source"); // in the demo set
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<TagProtocol>("protocol");
        QTest::newRow("Modbus") << 0 << QByteArray("1119") << TagProtocol::Modbus;
        QTest::newRow("Hostlink") << 1 << QByteArray("1110") << TagProtocol::Hostlink;
        QTest::newRow("DF1") << 2 << QByteArray("1117") << TagProtocol::DF1;
    }

    void getThenSendRoundTrip()
    {
        QFETCH(int, source);
        QFETCH(QByteArray, model);
        QFETCH(TagProtocol, protocol);
        GatewayState original = sim::Simulator::demoSet().at(source);
        original.ip = "127.0.0.2";
        Rig rig({original, fresh(model, 3)});
        const QString got = rig.fetch(0, QStringLiteral("got.ovc"));
        QVERIFY(!got.isEmpty());
        QCOMPARE(ConfigFileProtocol(got), std::optional(protocol));

        const Run sent = rig.run({QStringLiteral("send"), got, QStringLiteral("-d"), QStringLiteral("127.0.0.3"),
                                  QStringLiteral("-p"), QStringLiteral("admin"), QStringLiteral("--json")});
        QCOMPARE(sent.exit, 0);
        QCOMPARE(sent.json().value(QStringLiteral("ok")), QJsonValue(true));
        QCOMPARE(sent.result(0).value(QStringLiteral("result")).toString(), QStringLiteral("done"));
        QCOMPARE(rig.gateway(1).snapshot().tags.size(), rig.gateway(0).snapshot().tags.size());

        const QString back = rig.fetch(1, QStringLiteral("back.ovc"));
        QVERIFY(!back.isEmpty());
        QCOMPARE(readFile(back), readFile(got));
    }

    // A get that fails half-way leaves the file as it was.
    void failedGetKeepsTheFile()
    {
        Rig rig({sim::Simulator::demoSet().at(0)});
        const QString file = rig.path(QStringLiteral("keep.ovc"));
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old file\r\n");
        old.close();
        rig.gateway(0).setFault("GETTAG", {FaultKind::WrongReply, 0});
        const Run got = rig.run({QStringLiteral("get"), QStringLiteral("-d"), QStringLiteral("127.0.0.2"),
                                 QStringLiteral("-p"), QStringLiteral("admin"), QStringLiteral("-o"), file,
                                 QStringLiteral("--json")});
        QCOMPARE(got.exit, 1);
        QCOMPARE(got.result(0).value(QStringLiteral("step")).toString(), QStringLiteral("GETTAG"));
        QCOMPARE(readFile(file), QByteArray("the old file\r\n"));
    }

    // A file that fails the document's checks is refused with the check's message, and no
    // gateway is touched.
    void fileFailsItsCheck_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("SMTP server") << "SMTP" << "SERVER" << "mail server!" << "Invalid SMTP Server.";
        QTest::newRow("recipient") << "SMTP" << "TOO_1" << "nobody" << "Invalid E-mail Address.";
        QTest::newRow("SMTP user") << "SMTP" << "AUTH" << "1" << "Invalid SMTP Username";
        QTest::newRow("tag number") << "TAG2" << "UNITID" << "1x"
                                    << "Tag 3 \"PUMP_RUN\": '1x' is not a valid integer value";
        QTest::newRow("not a configuration") << "GENERAL" << "FILETYPE" << "XX"
                                             << "not a Modbus, Hostlink or DF1 configuration file";
    }

    void fileFailsItsCheck()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        Rig rig({sim::Simulator::demoSet().at(0), fresh("1119", 3)});
        const QString file = rig.fetch(0, QStringLiteral("bad.ovc"));
        QVERIFY(!file.isEmpty());
        IniStore store;
        QVERIFY(store.bind(file, true));
        store.writeString(section, key, value);
        QVERIFY(store.write());

        const Run sent = rig.run({QStringLiteral("send"), file, QStringLiteral("-d"), QStringLiteral("127.0.0.3"),
                                  QStringLiteral("-p"), QStringLiteral("admin")});
        QCOMPARE(sent.exit, 3);
        QVERIFY2(sent.err.contains(message.toLatin1()), sent.err);
        QVERIFY(sent.out.isEmpty());
        const GatewayState target = rig.gateway(1).snapshot();
        QVERIFY(target.running);
        QCOMPARE(target.resets, 0);
    }

    // The password from each of its three sources; the option wins over the file, the file
    // over the environment.
    void passwordSources_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<int>("exit");
        QTest::newRow("option") << QStringList{"--password", "s3cret"} << QString() << 0;
        QTest::newRow("file") << QStringList{"--password-file", "pw.txt"} << QString() << 0;
        QTest::newRow("environment") << QStringList() << "s3cret" << 0;
        QTest::newRow("option over environment") << QStringList{"--password", "wrong"} << "s3cret" << 1;
        QTest::newRow("file over environment") << QStringList{"--password-file", "pw.txt"} << "wrong" << 0;
        QTest::newRow("none") << QStringList() << QString() << 2;
    }

    void passwordSources()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, environment);
        QFETCH(int, exit);
        GatewayState g = sim::Simulator::demoSet().at(1);
        g.ip = "127.0.0.2";
        g.adminPassword = "s3cret";
        Rig rig({g});
        QFile pw(rig.path(QStringLiteral("pw.txt")));
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write("s3cret\n");
        pw.close();
        QMap<QString, QString> env;
        if (!environment.isEmpty())
            env.insert(QStringLiteral("KOVA_PASSWORD"), environment);
        const Run got = rig.run(QStringList{QStringLiteral("get"), QStringLiteral("-d"), QStringLiteral("127.0.0.2"),
                                            QStringLiteral("-o"), QStringLiteral("hl.ovc")} + options, env);
        QCOMPARE(got.exit, exit);
        QCOMPARE(QFile::exists(rig.path(QStringLiteral("hl.ovc"))), exit == 0);
        if (exit == 1)
            QCOMPARE(got.line("127.0.0.2").value(4), QByteArray("GETADMIN"));
    }

    // A web site image sent to two gateways and fetched back from one is the same image; a
    // gateway's damaged image is not written.
    void siteSendAndGet()
    {
        Rig rig({fresh("1119", 2), fresh("1110", 3)});
        QFile page(rig.path(QStringLiteral("index.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(QByteArray("<html>line 4</html>\n").repeated(300));
        page.close();
        TOrvanSite site;
        QVERIFY(site.Create(rig.path(QStringLiteral("site.qsw"))));
        QVERIFY(site.AddFile(page.fileName()));
        QVERIFY(site.Save());

        const QString got = rig.path(QStringLiteral("got.qsw"));
        const Run empty = rig.run({QStringLiteral("site"), QStringLiteral("get"), QStringLiteral("-d"),
                                   QStringLiteral("127.0.0.2"), QStringLiteral("-p"), QStringLiteral("admin"),
                                   QStringLiteral("-o"), got});
        QCOMPARE(empty.exit, 1);
        QCOMPARE(empty.line("127.0.0.2").value(4), QByteArray("RETR"));
        QVERIFY(!QFile::exists(got));

        const Run sent = rig.run({QStringLiteral("site"), QStringLiteral("send"), site.FileName(), QStringLiteral("-d"),
                                  QStringLiteral("127.0.0.2"), QStringLiteral("-d"), QStringLiteral("127.0.0.3"),
                                  QStringLiteral("-p"), QStringLiteral("admin"), QStringLiteral("--json")});
        QCOMPARE(sent.exit, 0);
        QCOMPARE(rig.gateway(1).snapshot().siteImage, site.Image());
        const Run fetched = rig.run({QStringLiteral("site"), QStringLiteral("get"), QStringLiteral("-d"),
                                     QStringLiteral("127.0.0.2"), QStringLiteral("-p"), QStringLiteral("admin"),
                                     QStringLiteral("-o"), got});
        QCOMPARE(fetched.exit, 0);
        QCOMPARE(readFile(got), site.Image());
    }

    // Requests go through the HTTP proxy of the kova.ini named, with its credentials (the
    // proxy refuses others), and the options override them; --no-proxy goes direct.
    void proxy_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("proxyPassword"); // KOVA_PROXY_PASSWORD
        QTest::addColumn<int>("exit");
        QTest::newRow("kova.ini") << QStringList{"--settings", "kova.ini"} << QString() << 0;
        QTest::newRow("kova.ini, another password")
            << QStringList{"--settings", "kova.ini", "--proxy-user", "kova"} << "wrong" << 1;
        QTest::newRow("no proxy, same password")
            << QStringList{"--settings", "kova.ini", "--proxy-user", "kova", "--no-proxy"} << "wrong" << 2;
        QTest::newRow("no proxy") << QStringList{"--settings", "kova.ini", "--no-proxy"} << QString() << 0;
    }

    void proxy()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, proxyPassword);
        QFETCH(int, exit);
        if (!TinyProxy::available())
            QSKIP("tinyproxy is not installed (scripts/setup installs it)");
        TinyProxy tinyproxy;
        QVERIFY2(tinyproxy.start("kova", "s3cret"), tinyproxy.output().constData());
        Rig rig({sim::Simulator::demoSet().at(0)});
        KovaOptions::setIniPath(rig.path(QStringLiteral("kova.ini")));
        const auto restore = qScopeGuard([] { KovaOptions::setIniPath({}); });
        QVERIFY(SetHTTPProxyEnabled(true) && SetHTTPProxyServer(QStringLiteral("127.0.0.1"))
                && SetHTTPProxyPort(tinyproxy.port()) && SetHTTPProxyAuth(true)
                && SetHTTPProxyUserName(QStringLiteral("kova")) && SetHTTPProxyPassword(QStringLiteral("s3cret")));

        QMap<QString, QString> env = {{QStringLiteral("KOVA_PASSWORD"), QStringLiteral("admin")}};
        if (!proxyPassword.isEmpty())
            env.insert(QStringLiteral("KOVA_PROXY_PASSWORD"), proxyPassword);
        const Run got = rig.run(QStringList{QStringLiteral("get"), QStringLiteral("-d"), QStringLiteral("127.0.0.2"),
                                            QStringLiteral("-o"), QStringLiteral("mb.ovc")} + options, env);
        QCOMPARE(got.exit, exit);
        if (exit == 1)
            QCOMPARE(got.line("127.0.0.2").value(4), QByteArray("GETDEVICE"));
        QCOMPARE(QFile::exists(rig.path(QStringLiteral("mb.ovc"))), exit == 0);
    }

    // The local search, aimed at the simulator's locator on loopback.
    void search()
    {
        QList<GatewayState> gateways = sim::Simulator::demoSet();
        GatewayState twin = gateways.at(0); // answers second with the first one's MAC: not listed
        twin.ip = "127.0.0.9";
        twin.version = "9.9-TS";
        Rig rig(gateways + QList<GatewayState>{twin});
        const Run found = rig.run({QStringLiteral("search"), QStringLiteral("--udp-port"), QString::number(rig.udpPort()),
                                   QStringLiteral("--broadcast"), QStringLiteral("127.0.0.2"), QStringLiteral("--json"),
                                   QStringLiteral("--timeout"), QStringLiteral("300")});
        QCOMPARE(found.exit, 0);
        const QJsonArray devices = found.json().value(QStringLiteral("devices")).toArray();
        QCOMPARE(devices.size(), gateways.size());
        QStringList names;
        for (const QJsonValue &d : devices)
            names << d.toObject().value(QStringLiteral("device")).toString();
        QCOMPARE(names, (QStringList{"Orvan-DF1-C", "Orvan-HL-C", "Orvan-MB-0", "Orvan-MB-C", "Quorsa Device"}));
        QCOMPARE(devices.at(3).toObject().value(QStringLiteral("version")).toString(), QStringLiteral("2.1.0-TS"));
        const QJsonObject df1 = devices.at(0).toObject();
        QCOMPARE(df1.value(QStringLiteral("mac")).toString(), QString::fromLatin1(gateways.at(2).mac));
        QCOMPARE(df1.value(QStringLiteral("protocolFamily")).toInt(), 2);
    }
};

KOVA_TEST(TestCli)
#include "tst_cli.moc"
