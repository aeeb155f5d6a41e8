#include "SimFtp.h"

#include "Simulator.h"

#include <Poco/Net/NetException.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Net/TCPServer.h>
#include <Poco/Net/TCPServerConnection.h>
#include <Poco/Net/TCPServerConnectionFactory.h>
#include <Poco/Net/TCPServerParams.h>
#include <Poco/ThreadPool.h>

#include <QList>
#include <QString>

#include <chrono>
#include <thread>

namespace sim {

namespace {

constexpr const char *SiteFile = "userpage.qsw";
constexpr int IdleLimitMs = 60000;       // a silent control connection is closed
constexpr int DataTimeoutMs = 10000;     // a stalled data connection fails the transfer
constexpr int SliceMs = 100;             // how often waits look at the stop flag
constexpr int Chunk = 4096;
constexpr qint64 MaxUpload = 16 * 1024 * 1024; // bound on what one STOR may hold

using Poco::Net::ServerSocket;
using Poco::Net::Socket;
using Poco::Net::SocketAddress;
using Poco::Net::StreamSocket;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// One control connection.
class FtpSession : public Poco::Net::TCPServerConnection
{
public:
    FtpSession(const StreamSocket &socket, Simulator &simulator, Gateway &gateway,
               std::shared_ptr<std::atomic<bool>> stopping)
        : TCPServerConnection(socket), m_sim(simulator), m_gateway(gateway), m_stopping(std::move(stopping))
    {
    }

    void run() override
    {
        m_ip = m_gateway.serveAddress();
        try {
            serve();
        } catch (const Poco::Exception &e) {
            log("connection ended: " + QString::fromStdString(e.displayText()));
        } catch (const std::exception &e) {
            log(QStringLiteral("connection ended: ") + QString::fromLocal8Bit(e.what()));
        }
    }

private:
    enum class LineResult { Line, Closed, Idle };

    void log(const QString &line) const
    {
        m_sim.log(QStringLiteral("FTP %1 %2").arg(QString::fromLatin1(m_ip), line));
    }

    bool stopping() const { return m_stopping->load(); }

    void reply(const QByteArray &text)
    {
        log("> " + QString::fromLatin1(text));
        const QByteArray line = text + "\r\n";
        socket().sendBytes(line.constData(), int(line.size()));
    }

    // Takes one complete line from the buffer; telnet bytes that precede an ABOR (IP, the
    // synch mark) and other control bytes are dropped.
    bool takeLine(QByteArray &line)
    {
        const qsizetype nl = m_in.indexOf('\n');
        if (nl < 0)
            return false;
        const QByteArray raw = m_in.left(nl);
        m_in.remove(0, nl + 1);
        line.clear();
        for (char c : raw) {
            const uchar u = uchar(c);
            if (u >= 0x20 && u < 0x7f)
                line += c;
        }
        return true;
    }

    // Reads more control bytes if any are waiting within waitMs; false when the peer closed.
    bool pump(int waitMs)
    {
        if (!socket().poll(Poco::Timespan(waitMs * 1000), Socket::SELECT_READ))
            return true;
        char buf[1024];
        const int n = socket().receiveBytes(buf, sizeof buf);
        if (n <= 0)
            return false;
        m_in.append(buf, n);
        if (m_in.size() > 8192)
            throw Poco::Net::NetException("control line too long");
        return true;
    }

    LineResult readLine(QByteArray &line)
    {
        int idle = 0;
        while (!takeLine(line)) {
            if (stopping() || idle >= IdleLimitMs)
                return LineResult::Idle;
            const qsizetype before = m_in.size();
            if (!pump(SliceMs))
                return LineResult::Closed;
            idle = m_in.size() == before ? idle + SliceMs : 0;
        }
        return LineResult::Line;
    }

    void serve()
    {
        if (const auto f = m_gateway.fault("FTP")) {
            if (f->kind == FaultKind::Drop) {
                log("greeting dropped (fault)");
                return;
            }
            if (f->kind == FaultKind::Delay)
                sleepMs(f->delayMs);
            if (f->kind == FaultKind::Nak || f->kind == FaultKind::HttpError) {
                reply("421 Service not available.");
                return;
            }
        }
        reply("220 Orvan FTP server ready.");
        for (;;) {
            QByteArray line;
            switch (readLine(line)) {
            case LineResult::Closed:
                return;
            case LineResult::Idle:
                reply("421 Timeout.");
                return;
            case LineResult::Line:
                break;
            }
            const qsizetype space = line.indexOf(' ');
            const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
            const QByteArray arg = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();
            log("< " + (verb == "PASS" ? QStringLiteral("PASS ****") : QString::fromLatin1(line)));
            if (verb.isEmpty())
                continue;
            if (!command(verb, arg))
                return;
        }
    }

    // False ends the session.
    bool command(const QByteArray &verb, const QByteArray &arg)
    {
        std::optional<Fault> fault = m_gateway.fault(verb);
        if (fault && fault->kind == FaultKind::Delay)
            sleepMs(fault->delayMs);
        if (fault && fault->kind == FaultKind::Drop && verb != "STOR" && verb != "RETR") {
            log("connection dropped (fault)");
            return false;
        }
        const bool transfer = verb == "STOR" || verb == "RETR";
        if (fault && (fault->kind == FaultKind::Nak || fault->kind == FaultKind::HttpError)) {
            reply(transfer ? "451 Requested action aborted: local error." : "550 Requested action not taken.");
            return true;
        }
        const bool wrong = fault && fault->kind == FaultKind::WrongReply;
        if (wrong && !transfer && verb != "LIST" && verb != "SIZE") {
            reply("202 Command not implemented, superfluous at this site.");
            return true;
        }

        if (verb == "QUIT") {
            reply("221 Goodbye.");
            return false;
        }
        if (verb == "USER") {
            m_user = arg;
            m_loggedIn = false;
            reply("331 Password required for " + arg + ".");
            return true;
        }
        if (verb == "PASS") {
            const GatewayState state = m_gateway.snapshot();
            m_loggedIn = m_user == "admin" && arg == state.adminPassword;
            reply(m_loggedIn ? "230 User logged in." : "530 Login incorrect.");
            return true;
        }
        if (verb == "NOOP") {
            reply("200 NOOP command successful.");
            return true;
        }
        if (verb == "SYST") {
            reply("215 UNIX Type: L8");
            return true;
        }
        if (verb == "FEAT") {
            reply("211-Features:\r\n SIZE\r\n211 End");
            return true;
        }
        if (verb == "ABOR") {
            reply("226 ABOR command successful.");
            return true;
        }
        if (!m_loggedIn) {
            reply("530 Please login with USER and PASS.");
            return true;
        }
        if (verb == "TYPE") {
            const QByteArray t = arg.toUpper();
            if (t == "I" || t == "A" || t == "L 8" || t == "A N")
                reply("200 Type set to " + t.left(1) + ".");
            else
                reply("504 Command not implemented for that parameter.");
            return true;
        }
        if (verb == "PWD" || verb == "XPWD") {
            reply("257 \"/\" is the current directory.");
            return true;
        }
        if (verb == "CWD") {
            if (arg == "/" || arg == "." || arg.isEmpty())
                reply("250 CWD command successful.");
            else
                reply("550 No such directory.");
            return true;
        }
        if (verb == "PORT") {
            portCommand(arg);
            return true;
        }
        if (verb == "PASV") {
            pasvCommand();
            return true;
        }
        if (verb == "SIZE") {
            if (arg != SiteFile)
                reply("550 No such file.");
            else if (wrong)
                reply("213 unknown");
            else
                reply("213 " + QByteArray::number(m_gateway.snapshot().siteImage.size()));
            return true;
        }
        if (verb == "LIST" || verb == "NLST") {
            QByteArray listing;
            if (verb == "NLST")
                listing = QByteArray(SiteFile) + "\r\n";
            else if (wrong)
                listing = "userpage.qsw\r\n";
            else
                listing = SimFtp::listingLine(m_gateway.snapshot().siteImage.size()) + "\r\n";
            sendData(listing, "Here comes the directory listing.", std::nullopt);
            return true;
        }
        if (verb == "RETR") {
            if (arg != SiteFile) {
                reply("550 No such file.");
                return true;
            }
            if (wrong) {
                reply("200 Nothing to send.");
                return true;
            }
            const QByteArray image = m_gateway.snapshot().siteImage;
            return sendData(image, "Opening BINARY mode data connection for userpage.qsw (" + QByteArray::number(image.size())
                                       + " bytes).", fault);
        }
        if (verb == "STOR") {
            if (arg != SiteFile) {
                reply("553 Only userpage.qsw can be stored.");
                return true;
            }
            if (wrong) {
                reply("200 Nothing to receive.");
                return true;
            }
            return receiveData(fault);
        }
        reply("502 Command not implemented.");
        return true;
    }

    void portCommand(const QByteArray &arg)
    {
        const QList<QByteArray> parts = arg.split(',');
        bool ok = parts.size() == 6;
        int n[6] = {};
        for (int i = 0; ok && i < 6; ++i) {
            n[i] = parts[i].trimmed().toInt(&ok);
            ok = ok && n[i] >= 0 && n[i] <= 255;
        }
        if (!ok) {
            reply("501 Syntax error in PORT arguments.");
            return;
        }
        if (n[0] != 127) { // the simulator only ever talks to loopback
            reply("501 PORT to a non-loopback address refused.");
            return;
        }
        m_passive.reset();
        m_activeTarget = SocketAddress(QStringLiteral("%1.%2.%3.%4").arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]).toStdString(),
                                       Poco::UInt16(n[4] * 256 + n[5]));
        reply("200 PORT command successful.");
    }

    void pasvCommand()
    {
        m_activeTarget.reset();
        m_passive = std::make_unique<ServerSocket>(SocketAddress(m_ip.toStdString(), 0), 1);
        const Poco::UInt16 port = m_passive->address().port();
        QByteArray hostPart = m_ip;
        hostPart.replace('.', ',');
        reply("227 Entering Passive Mode (" + hostPart + "," + QByteArray::number(port / 256) + ","
              + QByteArray::number(port % 256) + ").");
    }

    // Opens the data connection announced by PORT or PASV; nullopt (reply sent) on failure.
    std::optional<StreamSocket> openData()
    {
        try {
            if (m_activeTarget) {
                StreamSocket data;
                data.impl()->bind(SocketAddress(m_ip.toStdString(), 0), true);
                data.connect(*m_activeTarget, Poco::Timespan(DataTimeoutMs * 1000LL));
                m_activeTarget.reset();
                return data;
            }
            if (m_passive) {
                std::unique_ptr<ServerSocket> server = std::move(m_passive);
                if (server->poll(Poco::Timespan(DataTimeoutMs * 1000LL), Socket::SELECT_READ))
                    return server->acceptConnection();
            }
        } catch (const Poco::Exception &e) {
            log("data connection failed: " + QString::fromStdString(e.displayText()));
        }
        reply("425 Can't open data connection.");
        return std::nullopt;
    }

    // A control line arrived during a transfer: true when it is ABOR (answered, data closed).
    bool abortRequested(StreamSocket &data)
    {
        QByteArray line;
        while (takeLine(line)) {
            log("< " + QString::fromLatin1(line));
            if (line.toUpper().startsWith("ABOR")) {
                data.close();
                reply("426 Connection closed; transfer aborted.");
                reply("226 Abort successful.");
                return true;
            }
            m_pending += line + "\r\n"; // answered after the transfer, as a queued command
        }
        return false;
    }

    void finishTransfer(const QByteArray &text)
    {
        reply(text);
        m_in.prepend(m_pending);
        m_pending.clear();
    }

    // Sends bytes on a data connection (LIST, NLST, RETR). False ends the session.
    bool sendData(const QByteArray &bytes, const QByteArray &opening, std::optional<Fault> fault)
    {
        reply("150 " + opening);
        std::optional<StreamSocket> data = openData();
        if (!data)
            return true;
        const bool drop = fault && fault->kind == FaultKind::Drop;
        const int delay = fault && fault->kind == FaultKind::Delay ? fault->delayMs : 0;
        data->setSendTimeout(Poco::Timespan(DataTimeoutMs * 1000LL));
        qint64 sent = 0;
        while (sent < bytes.size()) {
            if (stopping())
                return false;
            if (drop && sent >= bytes.size() / 2) {
                log("transfer dropped half-way (fault)");
                data->close();
                return false;
            }
            if (!pump(0))
                return false;
            if (abortRequested(*data))
                return true;
            const int n = int(qMin<qint64>(Chunk, bytes.size() - sent));
            try {
                sent += data->sendBytes(bytes.constData() + sent, n);
            } catch (const Poco::Exception &e) {
                log("send failed: " + QString::fromStdString(e.displayText()));
                data->close();
                finishTransfer("426 Connection closed; transfer aborted.");
                return true;
            }
            if (delay)
                sleepMs(delay);
        }
        data->shutdownSend();
        data->close();
        finishTransfer("226 Transfer complete.");
        return true;
    }

    // Receives the image on a data connection; it replaces the gateway's only when complete.
    bool receiveData(std::optional<Fault> fault)
    {
        reply("150 Opening BINARY mode data connection for userpage.qsw.");
        std::optional<StreamSocket> data = openData();
        if (!data)
            return true;
        const bool drop = fault && fault->kind == FaultKind::Drop;
        const int delay = fault && fault->kind == FaultKind::Delay ? fault->delayMs : 0;
        if (delay)
            data->setReceiveBufferSize(Chunk); // so the sender feels the slow reader
        QByteArray received;
        char buf[Chunk];
        int idle = 0;
        for (;;) {
            if (stopping())
                return false;
            Socket::SocketList readable{socket(), *data};
            Socket::SocketList writable, failed;
            Socket::select(readable, writable, failed, Poco::Timespan(SliceMs * 1000));
            if (readable.empty()) {
                idle += SliceMs;
                if (idle >= DataTimeoutMs) {
                    data->close();
                    finishTransfer("426 Data connection timed out.");
                    return true;
                }
                continue;
            }
            idle = 0;
            bool dataReady = false;
            for (const Socket &s : readable) {
                if (s == socket()) {
                    if (!pump(0))
                        return false;
                    if (abortRequested(*data))
                        return true;
                } else {
                    dataReady = true;
                }
            }
            if (!dataReady)
                continue;
            const int n = data->receiveBytes(buf, sizeof buf);
            if (n <= 0)
                break;
            received.append(buf, n);
            if (received.size() > MaxUpload) {
                data->close();
                finishTransfer("552 Requested file action aborted. Exceeded storage allocation.");
                return true;
            }
            if (drop) {
                log("upload dropped (fault)");
                data->close();
                return false;
            }
            if (delay)
                sleepMs(delay);
        }
        data->close();
        m_gateway.update([&](GatewayState &s) { s.siteImage = received; });
        log(QStringLiteral("stored userpage.qsw, %1 bytes").arg(received.size()));
        finishTransfer("226 Transfer complete.");
        return true;
    }

    Simulator &m_sim;
    Gateway &m_gateway;
    std::shared_ptr<std::atomic<bool>> m_stopping;
    QByteArray m_ip;
    QByteArray m_in;      // control bytes not yet taken as lines
    QByteArray m_pending; // lines that came during a transfer
    QByteArray m_user;
    bool m_loggedIn = false;
    std::optional<SocketAddress> m_activeTarget;
    std::unique_ptr<ServerSocket> m_passive;
};

class FtpFactory : public Poco::Net::TCPServerConnectionFactory
{
public:
    FtpFactory(Simulator &simulator, Gateway &gateway, std::shared_ptr<std::atomic<bool>> stopping)
        : m_sim(simulator), m_gateway(gateway), m_stopping(std::move(stopping))
    {
    }

    Poco::Net::TCPServerConnection *createConnection(const StreamSocket &socket) override
    {
        return new FtpSession(socket, m_sim, m_gateway, m_stopping);
    }

private:
    Simulator &m_sim;
    Gateway &m_gateway;
    std::shared_ptr<std::atomic<bool>> m_stopping;
};

} // namespace

QByteArray SimFtp::listingLine(qint64 size)
{
    // The gateway's own format: fixed columns, the size left-aligned at character 38.
    //          1         2         3        38
    // 1234567890123456789012345678901234567|
    // -rw-rw-rw-   1 admin    orvan        1572864 Jan  1 00:00 userpage.qsw
    return QByteArray("-rw-rw-rw-   1 admin    orvan").leftJustified(37, ' ') + QByteArray::number(size)
           + " Jan  1 00:00 " + SiteFile;
}

SimFtp::SimFtp(Simulator &simulator) : m_simulator(simulator) {}

SimFtp::~SimFtp()
{
    stop();
}

void SimFtp::start()
{
    stop();
    m_stopping = std::make_shared<std::atomic<bool>>(false);
    const int gateways = m_simulator.count();
    m_pool = std::make_unique<Poco::ThreadPool>(2, qMax(4, 4 * gateways + 2));
    quint16 port = m_simulator.options().ftpPort;
    for (int i = 0; i < gateways; ++i) {
        Gateway &g = m_simulator.gateway(i);
        const QByteArray ip = g.serveAddress();
        if (ip.isEmpty())
            continue;
        ServerSocket socket(SocketAddress(ip.toStdString(), port), 16);
        if (port == 0)
            port = socket.address().port();
        auto params = new Poco::Net::TCPServerParams;
        params->setMaxThreads(4);
        params->setMaxQueued(16);
        auto server = std::make_unique<Poco::Net::TCPServer>(new FtpFactory(m_simulator, g, m_stopping), *m_pool, socket,
                                                             params);
        server->start();
        m_servers.push_back(std::move(server));
        m_simulator.log(QStringLiteral("FTP serving %1:%2").arg(QString::fromLatin1(ip)).arg(port));
    }
    m_port = port;
}

void SimFtp::stop()
{
    if (m_stopping)
        m_stopping->store(true);
    for (auto &server : m_servers)
        server->stop();
    m_servers.clear();
    if (m_pool)
        m_pool->joinAll();
    m_pool.reset();
}

quint16 SimFtp::port() const
{
    return m_port;
}

} // namespace sim
