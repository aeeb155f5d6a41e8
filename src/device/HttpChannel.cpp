#include "device/HttpChannel.h"

#include "base/BlockingCall.h"
#include "base/Bytes.h"
#include "base/KovaOptions.h"
#include "base/Prompt.h"
#include "base/DscPkt.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/StreamCopier.h>
#include <Poco/URI.h>

#include <istream>
#include <ostream>

const QString THttpChannel::NoResponseMessage =
    QStringLiteral("No Response from Device. Check the connection and try again.");

QByteArray RequestBody(const TPacket &request)
{
    return TrimBlanks(request.GetText());
}

THttpClient::Result THttpClient::post(const QByteArray &host, const QByteArray &path, const QByteArray &body) const
{
    Result result;
    try {
        const Poco::URI uri(("http://" + host + "/" + path).toStdString());
        const quint16 port = uri.getSpecifiedPort() ? uri.getSpecifiedPort() : m_port;
        Poco::Net::HTTPClientSession session(uri.getHost(), port);
        const Poco::Timespan timeout(Poco::Timespan::TimeDiff(m_readTimeoutMs) * 1000);
        session.setTimeout(timeout, timeout, timeout);
        session.setKeepAlive(false);
        if (!m_proxy.host.isEmpty()) {
            Poco::Net::HTTPClientSession::ProxyConfig proxy;
            proxy.host = m_proxy.host.toStdString();
            proxy.port = m_proxy.port;
            // Poco's default method would send empty basic credentials even when none are wanted.
            proxy.authMethod = Poco::Net::HTTPClientSession::PROXY_AUTH_NONE;
            if (m_proxy.authentication) {
                proxy.authMethod = Poco::Net::HTTPClientSession::PROXY_AUTH_HTTP_BASIC;
                proxy.username = m_proxy.userName.toStdString();
                proxy.password = m_proxy.password.toStdString();
            }
            session.setProxyConfig(proxy);
        }

        Poco::Net::HTTPRequest request(Poco::Net::HTTPRequest::HTTP_POST, uri.getPathEtc(),
                                       Poco::Net::HTTPMessage::HTTP_1_0);
        request.setHost(uri.getHost(), port);
        request.setContentType("text/x-zpack");
        request.set("Accept", "text/html, */*");
        request.setContentLength(body.size());
        request.setKeepAlive(false);
        std::ostream &out = session.sendRequest(request);
        out.write(body.constData(), body.size());
        out.flush();
        if (!out)
            throw Poco::IOException("the request could not be sent");

        Poco::Net::HTTPResponse response;
        std::istream &in = session.receiveResponse(response);
        result.status = int(response.getStatus());
        std::string received;
        Poco::StreamCopier::copyToString(in, received);
        if (in.bad() || session.networkException())
            throw Poco::IOException("the reply was cut short");
        if (response.hasContentLength() && qint64(received.size()) < response.getContentLength64())
            throw Poco::IOException("the connection dropped before the whole reply arrived");
        if (result.status < 200 || result.status > 299) {
            result.error = QStringLiteral("HTTP status %1 %2")
                               .arg(result.status)
                               .arg(QString::fromStdString(response.getReason()));
            return result;
        }
        result.body = QByteArray(received.data(), qsizetype(received.size()));
        result.ok = true;
    } catch (const Poco::Exception &e) {
        result.error = QString::fromStdString(e.displayText());
    } catch (const std::exception &e) {
        result.error = QString::fromLocal8Bit(e.what());
    }
    return result;
}

void THttpChannel::setPort(quint16 port)
{
    IdHTTPLocal.setPort(port);
    IdHTTPRemote.setPort(port);
}

void THttpChannel::setReadTimeout(int milliseconds)
{
    IdHTTPLocal.setReadTimeout(milliseconds);
    IdHTTPRemote.setReadTimeout(milliseconds);
}

bool THttpChannel::SendHTTPServer(const QByteArray &ip, const QByteArray &remote, const QByteArray &path,
                                  const TPacket &request, TPacket &reply)
{
    // A request made from the event loop of one in flight (a second click) would interleave
    // two exchanges; the windows refuse such commands, and this is the last guard.
    if (m_busy) {
        m_lastError = QStringLiteral("another request is in flight");
        return false;
    }
    m_busy = true;
    // The worker reads its own copy, so a settings change during the wait cannot race it.
    const THttpClient client = remote.isEmpty() ? IdHTTPLocal : IdHTTPRemote;
    const QByteArray host = remote.isEmpty() ? ip : remote;
    const QByteArray body = RequestBody(request);
    THttpClient::Result result;
    runBlocking([&] { result = client.post(host, path, body); });
    m_busy = false;

    if (result.ok) {
        m_lastError.clear();
        reply.SetText(result.body);
        return true;
    }
    m_lastError = result.error;
    if (m_reportFailures) {
        // The stay-on-top information window would hide the error box.
        if (m_infoShown && hideInfo) {
            hideInfo();
            m_infoShown = false;
        }
        Prompt::instance().error(NoResponseMessage);
    }
    return false;
}

bool THttpChannel::SendHTTPAdminServer(const QString &info, const QByteArray &ip, const QByteArray &remote,
                                       const TPacket &request, TPacket &reply)
{
    if (m_busy) { // refused below; the window belongs to the request in flight
        m_lastError = QStringLiteral("another request is in flight");
        return false;
    }
    if (showInfo) {
        showInfo(info);
        m_infoShown = true;
    }
    const bool ok = SendHTTPServer(ip, remote, "admpost.cgi", request, reply);
    if (m_infoShown && hideInfo)
        hideInfo();
    m_infoShown = false;
    return ok;
}

bool THttpChannel::SendHTTPAdminNoInfo(const QByteArray &ip, const QByteArray &remote, const TPacket &request,
                                       TPacket &reply)
{
    return SendHTTPServer(ip, remote, "admpost.cgi", request, reply);
}

void THttpChannel::SinchronizeOptions()
{
    HttpProxy proxy;
    if (GetHTTPProxyEnabled()) {
        proxy.host = GetHTTPProxyServer().trimmed().toLatin1();
        const int port = GetHTTPProxyPort();
        proxy.port = (port > 0 && port <= 65535) ? quint16(port) : 0;
        if (GetHTTPProxyAuth()) {
            proxy.authentication = true;
            proxy.userName = GetHTTPProxyUserName().toLatin1();
            proxy.password = GetHTTPProxyPassword().toLatin1();
        }
    }
    IdHTTPRemote.setProxy(proxy);
}
