#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

class TPacket;

// Proxy of the remote path. An empty host means a direct connection.
struct HttpProxy
{
    QByteArray host;
    quint16 port = 0;
    bool authentication = false; // basic authentication towards the proxy
    QByteArray userName;
    QByteArray password;

    bool operator==(const HttpProxy &) const = default;
};

// One HTTP client configuration: HTTP/1.0 POSTs of one zpack packet, one connection per
// exchange, closed after the reply. Copyable; post() only reads the configuration, so a
// copy can be handed to a worker thread.
class THttpClient
{
public:
    static constexpr quint16 DefaultPort = 80;
    static constexpr int DefaultReadTimeoutMs = 20000;

    struct Result
    {
        bool ok = false;
        QByteArray body;   // the reply body, unchanged
        int status = 0;    // HTTP status, 0 when none was received
        QString error;     // why it failed
    };

    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    // Read time-out; the connection time-out is the same.
    void setReadTimeout(int milliseconds) { m_readTimeoutMs = milliseconds; }
    int readTimeout() const { return m_readTimeoutMs; }
    void setProxy(const HttpProxy &proxy) { m_proxy = proxy; }
    const HttpProxy &proxy() const { return m_proxy; }

    // POST body to "http://" + host + "/" + path. A host may carry its own ":port".
    // Blocking; any failure (no connection, time-out, dropped, non-2xx status) gives ok false.
    Result post(const QByteArray &host, const QByteArray &path, const QByteArray &body) const;

private:
    quint16 m_port = DefaultPort;
    int m_readTimeoutMs = DefaultReadTimeoutMs;
    HttpProxy m_proxy;
};

// The request channel to gateways: a local client (by IP address, never a proxy) and a
// remote client (by typed host name or address, through the HTTP proxy of the settings).
// Requests block the caller while the user interface keeps processing events.
class THttpChannel
{
public:
    THttpClient IdHTTPLocal;
    THttpClient IdHTTPRemote;

    // Both clients at once: the program uses port 80 and 20000 ms; tests their own.
    void setPort(quint16 port);
    void setReadTimeout(int milliseconds);

    // The tag download and the monitor report failures themselves, so their channel is silent.
    void setReportFailures(bool report) { m_reportFailures = report; }
    bool reportFailures() const { return m_reportFailures; }

    // The shared "Information" window lives in the user interface; these show and hide it.
    std::function<void(const QString &text)> showInfo;
    std::function<void()> hideInfo;

    bool SendHTTPServer(const QByteArray &ip, const QByteArray &remote, const QByteArray &path,
                        const TPacket &request, TPacket &reply);
    bool SendHTTPAdminServer(const QString &info, const QByteArray &ip, const QByteArray &remote,
                             const TPacket &request, TPacket &reply);
    bool SendHTTPAdminNoInfo(const QByteArray &ip, const QByteArray &remote, const TPacket &request, TPacket &reply);

    // Applies the HTTP proxy of the settings to the remote client.
    void SinchronizeOptions();

    // True while a request is in flight; a request made meanwhile is refused.
    bool busy() const { return m_busy; }
    // Why the last request failed (for diagnostics; the user sees the fixed message).
    QString lastError() const { return m_lastError; }

    static const QString NoResponseMessage;

private:
    bool m_reportFailures = true;
    bool m_busy = false;
    bool m_infoShown = false;
    QString m_lastError;
};

// The request body: the packet text without surrounding spaces and control characters.
QByteArray RequestBody(const TPacket &request);
