#include "TestRegistry.h"
#include "RecordingPrompt.h"
#include "TestServers.h"

#include "base/BlockingCall.h"
#include "base/KovaOptions.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

TPacket command(const QByteArray &name)
{
    TPacket p;
    p.NewCommand(name);
    return p;
}

const QString kNoResponse = QStringLiteral("No Response from Device. Check the connection and try again.");

} // namespace

class TestHttpChannel : public QObject
{
    Q_OBJECT

private slots:
    void requestBytesOnTheWire_data()
    {
        QTest::addColumn<QByteArray>("packetText");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("plain") << QByteArray("GETADMIN();") << QByteArray("GETADMIN();");
        QTest::newRow("surrounding blanks and controls")
            << QByteArray(" \t\r\nGETADMIN();\r\n\x01 ") << QByteArray("GETADMIN();");
        QTest::newRow("inner spaces kept") << QByteArray("SET(A=b c,);") << QByteArray("SET(A=b c,);");
    }
    void requestBytesOnTheWire()
    {
        QFETCH(QByteArray, packetText);
        QFETCH(QByteArray, body);
        ScriptedHttpServer server;
        THttpChannel channel;
        channel.setPort(server.port());
        TPacket request;
        request.SetText(packetText);
        TPacket reply;
        QVERIFY(channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", request, reply));
        QCOMPARE(server.requests().size(), 1);
        const QByteArray expected = "POST /admpost.cgi HTTP/1.0\r\n"
                                    "Host: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n"
                                    "Content-Type: text/x-zpack\r\n"
                                    "Accept: text/html, */*\r\n"
                                    "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                                    "Connection: Close\r\n"
                                    "\r\n" + body;
        QCOMPARE(server.requests().first(), expected);
        QCOMPARE(reply.GetText(), QByteArray("ACK();"));
    }

    void replyBodyKeptUnchanged_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("isAck");
        QTest::newRow("with length") << ScriptedHttpServer::ok("ACK();") << QByteArray("ACK();") << true;
        QTest::newRow("leading line break")
            << ScriptedHttpServer::ok("\r\nACK();") << QByteArray("\r\nACK();") << false;
        QTest::newRow("no length, read to close")
            << QByteArray("HTTP/1.0 200 OK\r\n\r\nADMIN(PWD=x,);\n") << QByteArray("ADMIN(PWD=x,);\n") << false;
        QTest::newRow("empty body") << ScriptedHttpServer::ok("") << QByteArray() << false;
    }
    void replyBodyKeptUnchanged()
    {
        QFETCH(QByteArray, response);
        QFETCH(QByteArray, body);
        QFETCH(bool, isAck);
        ScriptedHttpServer server;
        server.reply(response);
        THttpChannel channel;
        channel.setPort(server.port());
        RecordingPrompt prompt;
        TPacket reply;
        reply.SetText("OLD();");
        QVERIFY(channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", command("GETADMIN"), reply));
        QCOMPARE(reply.GetText(), body);
        QCOMPARE(reply.IsCommand("ACK"), isAck);
        QVERIFY(prompt.log.isEmpty());
    }

    void failuresCountAsNoResponse_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QByteArray>("response");
        using A = ScriptedHttpServer::Action;
        QTest::newRow("HTTP 500") << int(A::Reply)
                                  << QByteArray("HTTP/1.0 500 Internal Server Error\r\nContent-Length: 6\r\n\r\nACK();");
        QTest::newRow("HTTP 404") << int(A::Reply) << QByteArray("HTTP/1.0 404 Not Found\r\n\r\nACK();");
        QTest::newRow("dropped before reply") << int(A::Drop) << QByteArray();
        QTest::newRow("dropped mid-body")
            << int(A::Reply) << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\nACK(");
        QTest::newRow("not HTTP") << int(A::Reply) << QByteArray("ACK();");
        QTest::newRow("read time-out") << int(A::Hang) << QByteArray();
    }
    void failuresCountAsNoResponse()
    {
        QFETCH(int, action);
        QFETCH(QByteArray, response);
        ScriptedHttpServer server;
        server.push({ScriptedHttpServer::Action(action), response});
        THttpChannel channel;
        channel.setPort(server.port());
        channel.setReadTimeout(300);
        RecordingPrompt prompt;
        TPacket reply;
        reply.SetText("OLD();");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", command("GETADMIN"), reply));
        QVERIFY(clock.elapsed() < 3000);
        QCOMPARE(reply.GetText(), QByteArray("OLD();"));
        QCOMPARE(prompt.texts("error"), QStringList{kNoResponse});
        QCOMPARE(prompt.log.size(), 1);
        QVERIFY(!channel.lastError().isEmpty());
    }

    void refusedConnection()
    {
        quint16 unused = 0;
        {
            ScriptedHttpServer closed; // bound and released: nothing listens there afterwards
            unused = closed.port();
        }
        THttpChannel channel;
        channel.setPort(unused);
        RecordingPrompt prompt;
        TPacket reply;
        QVERIFY(!channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", command("GETADMIN"), reply));
        QCOMPARE(prompt.texts(), QStringList{kNoResponse});
        QVERIFY(reply.GetText().isEmpty());
    }

    void silentChannelShowsNothing()
    {
        ScriptedHttpServer server;
        server.push({ScriptedHttpServer::Action::Drop, {}});
        THttpChannel channel;
        channel.setPort(server.port());
        channel.setReportFailures(false);
        RecordingPrompt prompt;
        TPacket reply;
        QVERIFY(!channel.SendHTTPServer("127.0.0.1", "", "apppost.cgi", command("READ"), reply));
        QVERIFY(prompt.log.isEmpty());
        QVERIFY(server.requests().first().startsWith("POST /apppost.cgi HTTP/1.0\r\n"));
    }

    // The information window is up during the request, and out of the way of the error box.
    void adminInfoAroundTheRequest()
    {
        ScriptedHttpServer server;
        server.reply(ScriptedHttpServer::ok("ADMIN(PWD=a,);"));
        server.push({ScriptedHttpServer::Action::Drop, {}});
        THttpChannel channel;
        channel.setPort(server.port());
        RecordingPrompt prompt;
        QStringList events;
        channel.showInfo = [&](const QString &text) { events << "show " + text; };
        channel.hideInfo = [&] { events << QStringLiteral("hide"); };
        TPacket reply;
        QVERIFY(channel.SendHTTPAdminServer("Connecting...", "127.0.0.1", "", command("GETADMIN"), reply));
        QCOMPARE(events, (QStringList{"show Connecting...", "hide"}));
        events.clear();
        QVERIFY(!channel.SendHTTPAdminServer("Connecting...", "127.0.0.1", "", command("GETADMIN"), reply));
        QCOMPARE(events, (QStringList{"show Connecting...", "hide"}));
        QCOMPARE(prompt.texts(), QStringList{kNoResponse});
        events.clear();
        QVERIFY(channel.SendHTTPAdminNoInfo("127.0.0.1", "", command("GETADMIN"), reply));
        QVERIFY(events.isEmpty());
        for (const QByteArray &request : server.requests())
            QVERIFY(request.startsWith("POST /admpost.cgi HTTP/1.0\r\n"));
    }

    // Timers keep firing while a request waits, and a request made from one is refused.
    void waitsWithoutFreezingAndRefusesReentry()
    {
        ScriptedHttpServer server;
        server.push({ScriptedHttpServer::Action::Hang, {}});
        THttpChannel channel;
        channel.setPort(server.port());
        channel.setReadTimeout(400);
        RecordingPrompt prompt;
        bool ticked = false;
        bool nestedResult = true;
        bool busyDuring = false;
        QTimer::singleShot(50, [&] {
            ticked = true;
            busyDuring = channel.busy() && blockingCallInProgress();
            TPacket nestedReply;
            nestedResult = channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", command("GETNET"), nestedReply)
                           || channel.SendHTTPAdminServer("Other...", "127.0.0.1", "", command("GETNET"), nestedReply);
        });
        QStringList events;
        channel.showInfo = [&](const QString &text) { events << "show " + text; };
        channel.hideInfo = [&] { events << QStringLiteral("hide"); };
        TPacket reply;
        QVERIFY(!channel.SendHTTPAdminServer("Connecting...", "127.0.0.1", "", command("GETADMIN"), reply));
        QCOMPARE(events, (QStringList{"show Connecting...", "hide"})); // the refused one left the window alone
        QVERIFY(ticked);
        QVERIFY(busyDuring);
        QVERIFY(!nestedResult);
        QVERIFY(!channel.busy());
        QCOMPARE(server.requests().size(), 1); // the nested request never left
        QCOMPARE(prompt.texts(), QStringList{kNoResponse});
    }

    // A typed remote host may name its own port.
    void remoteHostWithPort()
    {
        ScriptedHttpServer server;
        THttpChannel channel;
        channel.setPort(1); // would be refused
        TPacket reply;
        const QByteArray host = "127.0.0.1:" + QByteArray::number(server.port());
        QVERIFY(channel.SendHTTPServer("127.0.0.99", host, "admpost.cgi", command("GETDEVICE"), reply));
        QCOMPARE(server.requests().size(), 1);
    }

    void proxyForRemoteRowsOnly()
    {
        if (!TinyProxy::available())
            QSKIP("tinyproxy is not installed (scripts/setup installs it)");
        TinyProxy proxy;
        QVERIFY2(proxy.start("kova", "s3cret"), proxy.output().constData());
        ScriptedHttpServer server;
        QTemporaryDir dir;
        KovaOptions::setIniPath(dir.filePath("kova.ini"));
        auto restore = qScopeGuard([] { KovaOptions::setIniPath({}); });
        SetHTTPProxyEnabled(true);
        SetHTTPProxyServer("127.0.0.1");
        SetHTTPProxyPort(proxy.port());
        SetHTTPProxyAuth(true);
        SetHTTPProxyUserName("kova");
        SetHTTPProxyPassword("s3cret");

        THttpChannel channel;
        channel.setPort(server.port());
        channel.SinchronizeOptions();
        QCOMPARE(channel.IdHTTPRemote.proxy().host, QByteArray("127.0.0.1"));
        QVERIFY(channel.IdHTTPLocal.proxy().host.isEmpty());
        RecordingPrompt prompt;
        TPacket reply;

        // Remote row: through the proxy, which adds its Via line.
        QVERIFY2(channel.SendHTTPServer("127.0.0.99", "127.0.0.1", "admpost.cgi", command("GETDEVICE"), reply),
                 qPrintable(channel.lastError()));
        QCOMPARE(reply.GetText(), QByteArray("ACK();"));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().last().contains("tinyproxy"));
        QVERIFY(server.requests().last().endsWith("\r\n\r\nGETDEVICE();"));

        // Local row: straight to the device.
        QVERIFY(channel.SendHTTPServer("127.0.0.1", "", "admpost.cgi", command("GETADMIN"), reply));
        QCOMPARE(server.requests().size(), 2);
        QVERIFY(!server.requests().last().contains("tinyproxy"));
        QVERIFY(server.requests().last().startsWith("POST /admpost.cgi HTTP/1.0\r\n"));

        // A wrong proxy password is refused by the proxy: no response.
        SetHTTPProxyPassword("wrong");
        channel.SinchronizeOptions();
        QVERIFY(!channel.SendHTTPServer("127.0.0.99", "127.0.0.1", "admpost.cgi", command("GETDEVICE"), reply));
        QCOMPARE(prompt.texts(), QStringList{kNoResponse});
        QCOMPARE(server.requests().size(), 2);

        // Proxy off: the remote row goes direct.
        SetHTTPProxyEnabled(false);
        channel.SinchronizeOptions();
        QCOMPARE(channel.IdHTTPRemote.proxy(), HttpProxy{});
        QVERIFY(channel.SendHTTPServer("127.0.0.99", "127.0.0.1", "admpost.cgi", command("GETDEVICE"), reply));
        QCOMPARE(server.requests().size(), 3);
        QVERIFY(!server.requests().last().contains("tinyproxy"));
    }

    // What the proxy receives: the absolute URL and, when asked, basic credentials.
    void requestToTheProxy_data()
    {
        QTest::addColumn<bool>("authentication");
        QTest::addColumn<QByteArray>("credentialsLine");
        QTest::newRow("basic") << true << QByteArray("Proxy-Authorization: Basic a292YTpzM2NyZXQ=\r\n");
        QTest::newRow("none") << false << QByteArray();
    }
    void requestToTheProxy()
    {
        QFETCH(bool, authentication);
        QFETCH(QByteArray, credentialsLine);
        ScriptedHttpServer proxy;
        THttpChannel channel;
        HttpProxy settings;
        settings.host = "127.0.0.1";
        settings.port = proxy.port();
        settings.authentication = authentication;
        settings.userName = "kova";
        settings.password = "s3cret";
        channel.IdHTTPRemote.setProxy(settings);
        TPacket reply;
        QVERIFY(channel.SendHTTPServer("127.0.0.99", "gateway.invalid", "admpost.cgi", command("GETNET"), reply));
        const QByteArray request = proxy.requests().value(0);
        QVERIFY2(request.startsWith("POST http://gateway.invalid:80/admpost.cgi HTTP/1.0\r\n"), request.constData());
        QVERIFY2(request.contains("Proxy-Authorization:") == authentication, request.constData());
        if (authentication)
            QVERIFY(request.contains(credentialsLine));
        QVERIFY(request.endsWith("\r\n\r\nGETNET();"));
    }

    void proxyWithoutAuthenticationSendsNoCredentials()
    {
        QTemporaryDir dir;
        KovaOptions::setIniPath(dir.filePath("kova.ini"));
        auto restore = qScopeGuard([] { KovaOptions::setIniPath({}); });
        SetHTTPProxyEnabled(true);
        SetHTTPProxyServer("proxy.example");
        SetHTTPProxyPort(3128);
        SetHTTPProxyAuth(false);
        SetHTTPProxyUserName("u");
        SetHTTPProxyPassword("p");
        THttpChannel channel;
        channel.SinchronizeOptions();
        HttpProxy expected;
        expected.host = "proxy.example";
        expected.port = 3128;
        QCOMPARE(channel.IdHTTPRemote.proxy(), expected);
    }
};

KOVA_TEST(TestHttpChannel)
#include "tst_httpchannel.moc"
