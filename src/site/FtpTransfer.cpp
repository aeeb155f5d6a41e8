#include "site/FtpTransfer.h"

#include "base/KovaOptions.h"

#include <Poco/Exception.h>
#include <Poco/Net/DialogSocket.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocket.h>

#include <QRegularExpression>

#include <istream>
#include <ostream>

namespace {

QString pocoText(const Poco::Exception &e)
{
    return QString::fromStdString(e.displayText());
}

bool allDigits(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

FtpProxySettings ReadFtpProxySettings()
{
    FtpProxySettings proxy;
    proxy.enabled = GetFTPProxyEnabled();
    proxy.host = GetFTPProxyServer().toLatin1();
    proxy.port = quint16(GetFTPProxyPort());
    proxy.logon = GetFTPProxyAuth();
    proxy.user = GetFTPProxyUserName().toLatin1();
    proxy.password = GetFTPProxyPassword().toLatin1();
    proxy.method = GetFTPProxyMethod();
    return proxy;
}

FtpTarget FtpTargetFor(const TDeviceData &device, const FtpProxySettings &settings, quint16 port)
{
    FtpTarget t;
    t.port = port;
    t.user = device.UserName;
    t.password = device.Password;
    if (device.RemoteHost.isEmpty()) {
        t.host = device.IPAddress;
        return t;
    }
    t.host = device.RemoteHost;
    if (settings.enabled) {
        FtpProxySettings proxy = settings;
        if (!proxy.logon) {
            proxy.user.clear();
            proxy.password.clear();
        }
        t.proxy = proxy;
    }
    return t;
}

FtpLogonPlan FtpLogonCommands(const FtpTarget &target)
{
    FtpLogonPlan plan;
    const int method = target.proxy ? target.proxy->method : FtpProxySettings::None;
    if (!target.proxy || method < FtpProxySettings::UserAtHost || method > FtpProxySettings::UserFirewallUser) {
        plan.host = target.host;
        plan.port = target.port;
        plan.commands = {{"USER", target.user}, {"PASS", target.password}};
        return plan;
    }
    const FtpProxySettings &proxy = *target.proxy;
    plan.host = proxy.host;
    plan.port = proxy.port ? proxy.port : 21;
    // The device behind the proxy; a port other than FTP's own travels with it.
    const QByteArray device = target.port == 21 ? target.host : target.host + ':' + QByteArray::number(target.port);
    const bool firewallLogon = !proxy.user.isEmpty();
    auto logOnFirewall = [&] {
        if (firewallLogon)
            plan.commands << FtpCommand{"USER", proxy.user} << FtpCommand{"PASS", proxy.password};
    };
    switch (method) {
    case FtpProxySettings::UserAtHost:
        logOnFirewall();
        plan.commands << FtpCommand{"USER", target.user + '@' + device} << FtpCommand{"PASS", target.password};
        break;
    case FtpProxySettings::Site:
        logOnFirewall();
        plan.commands << FtpCommand{"SITE", device} << FtpCommand{"USER", target.user} << FtpCommand{"PASS", target.password};
        break;
    case FtpProxySettings::Open:
        logOnFirewall();
        plan.commands << FtpCommand{"OPEN", device} << FtpCommand{"USER", target.user} << FtpCommand{"PASS", target.password};
        break;
    case FtpProxySettings::UserFirewallUser:
        plan.commands << FtpCommand{"USER", target.user + '@' + proxy.user + '@' + device}
                      << FtpCommand{"PASS", target.password + '@' + proxy.password};
        break;
    }
    return plan;
}

std::optional<qint64> ParseListingSize(const QByteArray &listing, const QByteArray &name)
{
    QList<QByteArray> lines;
    for (const QByteArray &raw : listing.split('\n')) {
        QByteArray line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    if (lines.isEmpty())
        return 0;
    QByteArray line = lines.first();
    for (const QByteArray &l : lines) {
        if (l.endsWith(' ' + name)) {
            line = l;
            break;
        }
    }

    // The device's format: the size starts at character 38, after a blank.
    if (line.size() > 37 && line.at(36) == ' ') {
        QByteArray text = line.mid(37);
        const qsizetype blank = text.indexOf(' ');
        if (blank >= 0)
            text.truncate(blank);
        if (allDigits(text))
            return text.toLongLong();
    }

    const QList<QByteArray> tokens = line.simplified().split(' ');
    // Unix "ls -l": the size comes right before the month.
    static const QList<QByteArray> months = {"jan", "feb", "mar", "apr", "may", "jun",
                                             "jul", "aug", "sep", "oct", "nov", "dec"};
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (months.contains(tokens[i].toLower()) && allDigits(tokens[i - 1]))
            return tokens[i - 1].toLongLong();
    }
    // DOS/IIS: "01-31-24  10:15AM  1572864 userpage.qsw".
    static const QRegularExpression dosDate(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d(\\d\\d)?$"));
    if (tokens.size() >= 4 && dosDate.match(QString::fromLatin1(tokens[0])).hasMatch() && allDigits(tokens[2]))
        return tokens[2].toLongLong();
    return std::nullopt;
}

// Poco's session with the pieces we need in reach: our own log-on, the data socket for
// block-wise transfers, and dropping the data connection after an ABOR.
class FtpClient::Session : public Poco::Net::FTPClientSession
{
public:
    explicit Session(const Poco::Net::StreamSocket &socket) : FTPClientSession(socket, false) {}

    // Poco takes a session made from a socket as already greeted.
    void readGreeting()
    {
        std::string response;
        const int status = _pControlSocket->receiveStatusMessage(response);
        if (status / 100 != 2)
            throw FtpError(QStringLiteral("The server refused the connection: %1").arg(QString::fromStdString(response)));
    }
    Poco::Net::StreamSocket dataSocket() const { return _pDataStream->socket(); }
    bool hasData() const { return _pDataStream != nullptr; }
    void dropData()
    {
        delete _pDataStream;
        _pDataStream = nullptr;
    }
    int reply(const std::string &command, const std::string &arg, std::string &response)
    {
        return arg.empty() ? sendCommand(command, response) : sendCommand(command, arg, response);
    }
};

FtpClient::FtpClient(FtpTarget target) : FtpClient(std::move(target), Options()) {}

FtpClient::FtpClient(FtpTarget target, Options options) : m_target(std::move(target)), m_options(options) {}

FtpClient::~FtpClient()
{
    Disconnect();
}

FtpClient::Session &FtpClient::session()
{
    if (!m_session)
        throw FtpError(QStringLiteral("Not connected"));
    return *m_session;
}

void FtpClient::Connect()
{
    Disconnect();
    const FtpLogonPlan plan = FtpLogonCommands(m_target);
    const Poco::Timespan timeout(qint64(m_options.timeoutMs) * 1000);
    try {
        Poco::Net::StreamSocket socket;
        socket.connect(Poco::Net::SocketAddress(plan.host.toStdString(), plan.port), timeout);
        socket.setReceiveTimeout(timeout);
        socket.setSendTimeout(timeout);
        m_session = std::make_unique<Session>(socket);
        m_session->setTimeout(timeout);
        m_session->setPassive(false, false); // PORT, as the device expects; no EPRT
        m_session->readGreeting();
        int lastStatus = 0;
        for (const FtpCommand &c : plan.commands) {
            if (c.verb == "PASS" && lastStatus != 331 && lastStatus != 0)
                continue; // the USER before it needed no password
            std::string response;
            lastStatus = m_session->reply(c.verb.toStdString(), c.arg.toStdString(), response);
            if (lastStatus >= 400 || lastStatus < 200)
                throw FtpError(QStringLiteral("%1 refused: %2").arg(QString::fromLatin1(c.verb), QString::fromStdString(response)));
        }
        if (lastStatus != 230 && lastStatus != 202)
            throw FtpError(QStringLiteral("Log-on not completed (reply %1)").arg(lastStatus));
        m_session->setFileType(Poco::Net::FTPClientSession::TYPE_BINARY);
    } catch (const Poco::Exception &e) {
        m_session.reset();
        throw FtpError(pocoText(e));
    } catch (const FtpError &) {
        m_session.reset();
        throw;
    }
}

qint64 FtpClient::ExpectedSize(const QByteArray &name)
{
    Session &s = session();
    try {
        std::istream &in = s.beginList(std::string(), true);
        QByteArray listing;
        char buf[1024];
        while (in.read(buf, sizeof buf) || in.gcount() > 0) {
            listing.append(buf, in.gcount());
            if (listing.size() > 1024 * 1024)
                throw FtpError(QStringLiteral("Listing too long"));
        }
        s.endList();
        if (const auto size = ParseListingSize(listing, name))
            return *size;
        std::string response;
        const int status = s.reply("SIZE", name.toStdString(), response);
        QByteArray text = QByteArray::fromStdString(response).trimmed();
        if (text.startsWith("213"))
            text = text.mid(3).trimmed();
        if (status == 213 && allDigits(text))
            return text.toLongLong();
        throw FtpError(QStringLiteral("The size of %1 could not be read from the listing").arg(QString::fromLatin1(name)));
    } catch (const Poco::Exception &e) {
        throw FtpError(pocoText(e));
    }
}

void FtpClient::AbortTransfer() noexcept
{
    if (!m_session)
        return;
    try {
        m_session->abort(); // ABOR; the server closes the data connection (426, then 226)
    } catch (...) {
    }
    m_session->dropData();
}

void FtpClient::Upload(const QByteArray &name, const QByteArray &data, const Progress &progress)
{
    Session &s = session();
    try {
        s.beginUpload(name.toStdString());
        Poco::Net::StreamSocket socket = s.dataSocket();
        // A small send buffer keeps the reported progress close to what really left.
        socket.setSendBufferSize(m_options.blockSize);
        socket.setSendTimeout(Poco::Timespan(qint64(m_options.timeoutMs) * 1000));
        qint64 done = 0;
        while (done < data.size()) {
            if (m_cancel.load()) {
                AbortTransfer();
                throw FtpCancelled();
            }
            const int n = int(qMin<qint64>(m_options.blockSize, data.size() - done));
            int sent = 0;
            while (sent < n)
                sent += socket.sendBytes(data.constData() + done + sent, n - sent);
            done += n;
            if (progress)
                progress(done);
        }
        socket.shutdownSend();
        s.endUpload();
    } catch (const Poco::Exception &e) {
        if (m_cancel.load()) {
            AbortTransfer();
            throw FtpCancelled();
        }
        throw FtpError(pocoText(e));
    }
}

QByteArray FtpClient::Download(const QByteArray &name, const Progress &progress)
{
    Session &s = session();
    QByteArray received;
    try {
        s.beginDownload(name.toStdString());
        Poco::Net::StreamSocket socket = s.dataSocket();
        socket.setReceiveTimeout(Poco::Timespan(qint64(m_options.timeoutMs) * 1000));
        QByteArray block(m_options.blockSize, '\0');
        for (;;) {
            if (m_cancel.load()) {
                AbortTransfer();
                throw FtpCancelled();
            }
            const int n = socket.receiveBytes(block.data(), int(block.size()));
            if (n <= 0)
                break;
            received.append(block.constData(), n);
            if (received.size() > m_options.maxDownload) {
                AbortTransfer();
                throw FtpError(QStringLiteral("The file on the device is larger than any web site"));
            }
            if (progress)
                progress(received.size());
        }
        s.endDownload();
    } catch (const Poco::Exception &e) {
        if (m_cancel.load()) {
            AbortTransfer();
            throw FtpCancelled();
        }
        throw FtpError(pocoText(e));
    }
    return received;
}

void FtpClient::Disconnect() noexcept
{
    if (!m_session)
        return;
    try {
        if (m_session->hasData())
            m_session->dropData();
        std::string response;
        m_session->reply("QUIT", std::string(), response);
    } catch (...) {
    }
    try {
        m_session->close();
    } catch (...) {
    }
    m_session.reset();
}
