#pragma once

#include "base/DeviceData.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

// The FTP proxy ("firewall") settings of kova.ini's PROXYFTP section.
struct FtpProxySettings
{
    enum Method { None = 0, UserAtHost = 1, Site = 2, Open = 3, UserFirewallUser = 4 };

    bool enabled = false;
    QByteArray host;
    quint16 port = 0;
    bool logon = false;  // firewall log-on with user and password
    QByteArray user;
    QByteArray password;
    int method = UserAtHost;
};

// The PROXYFTP settings of kova.ini, as the window's web site transfer and the command
// line use them.
FtpProxySettings ReadFtpProxySettings();

// Where to connect and as whom.
struct FtpTarget
{
    QByteArray host;     // the device (or the host behind the proxy)
    quint16 port = 21;
    QByteArray user;
    QByteArray password;
    std::optional<FtpProxySettings> proxy; // set only when the connection goes through one
};

// A device reached by its remote host goes through the FTP proxy when that is enabled;
// a device on the local network is reached directly at its address. The firewall user and
// password count only while the firewall log-on is on.
FtpTarget FtpTargetFor(const TDeviceData &device, const FtpProxySettings &settings, quint16 port = 21);

struct FtpCommand
{
    QByteArray verb;
    QByteArray arg;
    bool operator==(const FtpCommand &) const = default;
};

// The log-on: the server to connect to and the commands to send, in order. A PASS is sent
// only when the USER before it was answered 331 (password required).
struct FtpLogonPlan
{
    QByteArray host;
    quint16 port = 21;
    QList<FtpCommand> commands;
};

FtpLogonPlan FtpLogonCommands(const FtpTarget &target);

// The size of `name` from a LIST reply. The device's own format puts the size at character
// 38 of the line; Unix "ls -l" and DOS/IIS listings are read too. An empty listing gives 0;
// nullopt when no line can be read.
std::optional<qint64> ParseListingSize(const QByteArray &listing, const QByteArray &name);

class FtpError : public std::runtime_error
{
public:
    explicit FtpError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

class FtpCancelled : public FtpError
{
public:
    FtpCancelled() : FtpError(QStringLiteral("Transfer cancelled")) {}
};

// One FTP session with the device: active data connections, binary type, small blocks so
// progress is reported often. Every call but Cancel blocks; run them with runBlocking.
// Calls are made one at a time; Cancel may come from any thread and takes effect between
// blocks of a transfer (ABOR on the control connection, then the data connection closes).
class FtpClient
{
public:
    struct Options
    {
        int timeoutMs = 10000;
        int blockSize = 256;
        qint64 maxDownload = 16 * 1024 * 1024; // far above any image the device can hold
    };
    using Progress = std::function<void(qint64 done)>;

    explicit FtpClient(FtpTarget target);
    FtpClient(FtpTarget target, Options options);
    ~FtpClient();

    void Connect();                                   // connect, log on, TYPE I
    qint64 ExpectedSize(const QByteArray &name);      // LIST, else SIZE; throws when neither reads
    void Upload(const QByteArray &name, const QByteArray &data, const Progress &progress);
    QByteArray Download(const QByteArray &name, const Progress &progress);
    void Disconnect() noexcept;                       // QUIT and close, errors ignored

    void Cancel() { m_cancel.store(true); }
    bool CancelRequested() const { return m_cancel.load(); }

private:
    class Session;
    void AbortTransfer() noexcept;
    Session &session();

    FtpTarget m_target;
    Options m_options;
    std::unique_ptr<Session> m_session;
    std::atomic<bool> m_cancel{false};
};
