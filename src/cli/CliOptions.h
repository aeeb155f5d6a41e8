#pragma once

#include "device/HttpChannel.h"
#include "site/FtpTransfer.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QList>

// What every job command shares: the gateways, the password, how to reach them.
struct CliSettings
{
    QList<QByteArray> hosts;  // host names or addresses, each possibly with ":port" for HTTP
    QByteArray password;      // the administrator password, as the gateway compares it
    int jobs = 4;
    bool json = false;
    bool quiet = false;
    quint16 httpPort = THttpClient::DefaultPort;
    int readTimeoutMs = THttpClient::DefaultReadTimeoutMs;
    quint16 ftpPort = 21;
    int ftpTimeoutMs = 10000;
    HttpProxy httpProxy;
    FtpProxySettings ftpProxy;

    // A channel of its own for one gateway: requests go to the host as typed, through the
    // HTTP proxy when there is one, as for a gateway the window found by remote search.
    // Failures are reported by the caller, never in a message box.
    THttpChannel channel() const;
    // The FTP peer of a logged-in gateway (its remote host without an HTTP ":port").
    FtpTarget ftpTarget(const TDeviceData &connected) const;
};

namespace CliOptions {

enum class Devices { One, Many };

// --json and --quiet.
void addOutput(QCommandLineParser &parser);
// --device, --devices (Many), --password, --password-file, --jobs (Many), the proxy and
// port options, --settings.
void addGateway(QCommandLineParser &parser, Devices devices);

// False with *error set for options that make no sense (no device, no password, a bad port).
bool readOutput(const QCommandLineParser &parser, CliSettings &settings);
bool readGateway(const QCommandLineParser &parser, Devices devices, CliSettings &settings, QString *error);

// "HOST:PORT" -> host and port; false when the port is missing or not 1..65535.
bool parseHostPort(const QString &text, QByteArray &host, quint16 &port);
// A decimal number within lowest..highest.
bool parseNumber(const QString &text, int lowest, int highest, int &value);

} // namespace CliOptions
