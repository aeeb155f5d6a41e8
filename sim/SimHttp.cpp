#include "SimHttp.h"

#include "Commands.h"
#include "Request.h"
#include "Simulator.h"

#include <Poco/Net/HTTPRequestHandler.h>
#include <Poco/Net/HTTPRequestHandlerFactory.h>
#include <Poco/Net/HTTPServer.h>
#include <Poco/Net/HTTPServerParams.h>
#include <Poco/Net/HTTPServerRequest.h>
#include <Poco/Net/HTTPServerRequestImpl.h>
#include <Poco/Net/HTTPServerResponse.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/ThreadPool.h>
#include <Poco/URI.h>

#include <QDateTime>

#include <future>

namespace sim {

namespace {

constexpr std::streamsize MaxBody = 64 * 1024; // a packet is a few hundred bytes

QString text(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

// The reply a confused gateway would give: another command than the one expected.
QByteArray wrongReplyTo(const QByteArray &command)
{
    if (command.startsWith("GET") || command == "MAILBOX" || command == "READ")
        return "ACK();";
    return "BUSY();";
}

class PacketHandler : public Poco::Net::HTTPRequestHandler
{
public:
    PacketHandler(SimHttp &http, Simulator &simulator, Gateway &gateway)
        : m_http(http), m_simulator(simulator), m_gateway(gateway) {}

    void handleRequest(Poco::Net::HTTPServerRequest &request, Poco::Net::HTTPServerResponse &response) override
    {
        using Poco::Net::HTTPResponse;
        response.setVersion(Poco::Net::HTTPMessage::HTTP_1_0);
        response.setKeepAlive(false);
        const QByteArray address = m_gateway.serveAddress();
        const std::string path = Poco::URI(request.getURI()).getPath();
        Script script;
        if (path == "/admpost.cgi") {
            script = Script::Admin;
        } else if (path == "/apppost.cgi") {
            script = Script::App;
        } else {
            m_simulator.log(QStringLiteral("%1 %2 -> 404").arg(text(address), QString::fromStdString(path)));
            sendStatus(response, HTTPResponse::HTTP_NOT_FOUND);
            return;
        }
        if (request.getMethod() != Poco::Net::HTTPRequest::HTTP_POST) {
            sendStatus(response, HTTPResponse::HTTP_METHOD_NOT_ALLOWED);
            return;
        }
        QByteArray body(int(MaxBody), Qt::Uninitialized);
        request.stream().read(body.data(), MaxBody);
        body.truncate(int(request.stream().gcount()));

        const auto packet = parseRequest(body);
        const QByteArray command = packet ? packet->command : QByteArray();
        const auto fault = m_gateway.fault(command);
        const QString exchange = QStringLiteral("%1 %2 %3").arg(text(address), QString::fromStdString(path).mid(1),
                                                                text(body.trimmed()));
        QByteArray reply;
        if (fault) {
            switch (fault->kind) {
            case FaultKind::Delay:
                if (!m_http.pause(fault->delayMs))
                    return;
                break;
            case FaultKind::Nak:
                reply = nak("Simulated fault");
                break;
            case FaultKind::WrongReply:
                reply = wrongReplyTo(command);
                break;
            case FaultKind::HttpError:
                m_simulator.log(exchange + QStringLiteral(" -> HTTP 500 (fault)"));
                sendStatus(response, HTTPResponse::HTTP_INTERNAL_SERVER_ERROR);
                return;
            case FaultKind::Drop:
                m_simulator.log(exchange + QStringLiteral(" -> dropped (fault)"));
                drop(request);
                return;
            default:
                break;
            }
        }
        if (reply.isEmpty()) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            m_gateway.update([&](GatewayState &state) {
                reply = packet ? handleCommand(state, script, *packet, now) : nak("Malformed Packet");
            });
        }
        m_simulator.log(exchange + QStringLiteral(" -> ") + text(reply));
        response.setStatus(HTTPResponse::HTTP_OK);
        response.setContentType("text/x-zpack");
        response.setContentLength(reply.size());
        response.send().write(reply.constData(), reply.size());
    }

private:
    static void sendStatus(Poco::Net::HTTPServerResponse &response, Poco::Net::HTTPResponse::HTTPStatus status)
    {
        response.setStatusAndReason(status);
        response.setContentType("text/html");
        const std::string page = "<html><body>" + response.getReason() + "</body></html>";
        response.setContentLength(std::streamsize(page.size()));
        response.send() << page;
    }

    // Closes the connection without a byte of reply; the client sees the connection end.
    static void drop(Poco::Net::HTTPServerRequest &request)
    {
        auto *impl = dynamic_cast<Poco::Net::HTTPServerRequestImpl *>(&request);
        if (!impl)
            return;
        try {
            impl->socket().setLinger(true, 0); // reset rather than a graceful close
            impl->socket().shutdown();
        } catch (const Poco::Exception &) {
        }
    }

    SimHttp &m_http;
    Simulator &m_simulator;
    Gateway &m_gateway;
};

class HandlerFactory : public Poco::Net::HTTPRequestHandlerFactory
{
public:
    HandlerFactory(SimHttp &http, Simulator &simulator, Gateway &gateway)
        : m_http(http), m_simulator(simulator), m_gateway(gateway) {}

    Poco::Net::HTTPRequestHandler *createRequestHandler(const Poco::Net::HTTPServerRequest &) override
    {
        return new PacketHandler(m_http, m_simulator, m_gateway); // Poco takes ownership
    }

private:
    SimHttp &m_http;
    Simulator &m_simulator;
    Gateway &m_gateway;
};

} // namespace

struct SimHttp::Server
{
    Poco::ThreadPool pool{1, 8};
    std::unique_ptr<Poco::Net::HTTPServer> server;

    ~Server()
    {
        if (server)
            server->stopAll(true);
        server.reset();
        pool.joinAll();
    }
};

SimHttp::SimHttp(Simulator &simulator) : m_simulator(simulator) {}

SimHttp::~SimHttp()
{
    stop();
}

void SimHttp::bindAll(quint16 port)
{
    m_servers.clear();
    for (int i = 0; i < m_simulator.count(); ++i) {
        Gateway &gateway = m_simulator.gateway(i);
        Poco::Net::ServerSocket socket;
        socket.bind(Poco::Net::SocketAddress(gateway.serveAddress().toStdString(), port), true);
        socket.listen(64);
        if (port == 0)
            port = socket.address().port(); // the others share the number the first one got
        auto params = Poco::makeAuto<Poco::Net::HTTPServerParams>();
        params->setKeepAlive(false);
        params->setMaxThreads(8);
        params->setMaxQueued(64);
        params->setTimeout(Poco::Timespan(10, 0));
        auto server = std::make_unique<Server>();
        server->server = std::make_unique<Poco::Net::HTTPServer>(
            Poco::makeShared<HandlerFactory>(*this, m_simulator, gateway), server->pool, socket, params);
        m_servers.push_back(std::move(server));
    }
    m_port = port;
}

void SimHttp::start()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    const quint16 wanted = m_simulator.options().httpPort;
    // An ephemeral number free on the first address may be taken on another one: try again.
    for (int attempt = 0;; ++attempt) {
        try {
            bindAll(wanted);
            break;
        } catch (const Poco::Net::NetException &) {
            m_servers.clear();
            if (wanted != 0 || attempt == 4)
                throw;
        }
    }
    for (auto &s : m_servers)
        s->server->start();
}

void SimHttp::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    // Each server's acceptor notices the stop only at its next poll (a quarter second): stop them
    // side by side rather than one after the other.
    std::vector<std::future<void>> stopping;
    for (auto &s : m_servers)
        stopping.push_back(std::async(std::launch::async, [&s] { s.reset(); }));
    for (auto &f : stopping)
        f.wait();
    m_servers.clear();
}

bool SimHttp::pause(int ms)
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

quint16 SimHttp::port() const { return m_port; }

} // namespace sim
