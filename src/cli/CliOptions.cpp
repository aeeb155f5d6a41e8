#include "cli/CliOptions.h"

#include "base/KovaOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

using Option = QCommandLineOption;

Option hidden(Option option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Texts from the command line, a file or the environment become the 8-bit bytes the
// gateway compares, as the password dialog's text does.
QByteArray gatewayBytes(const QString &text)
{
    return text.toLatin1();
}

bool readLines(const QString &path, QStringList &lines, QString *error)
{
    QFile file;
    const bool isStdin = path == QLatin1String("-");
    const bool opened = isStdin ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd())
        lines << in.readLine();
    return true;
}

bool readHosts(const QCommandLineParser &parser, CliOptions::Devices devices, QList<QByteArray> &hosts, QString *error)
{
    const bool many = devices == CliOptions::Devices::Many;
    QStringList texts = parser.values(QStringLiteral("device"));
    if (many && parser.isSet(QStringLiteral("devices"))) {
        for (const QString &path : parser.values(QStringLiteral("devices"))) {
            QStringList lines;
            if (!readLines(path, lines, error))
                return false;
            for (QString line : lines) {
                // One gateway a line; "#" starts a comment.
                if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0)
                    line.truncate(hash);
                line = line.trimmed();
                if (!line.isEmpty())
                    texts << line;
            }
        }
    }
    for (const QString &text : texts) {
        const QString host = text.trimmed();
        if (host.isEmpty() || host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('/'))) {
            *error = QStringLiteral("not a host name or address: \"%1\"").arg(text);
            return false;
        }
        // The same gateway twice would run two transfers into it at once.
        if (!hosts.contains(host.toLatin1()))
            hosts << host.toLatin1();
    }
    if (hosts.isEmpty()) {
        *error = many ? QStringLiteral("no gateway given: use --device HOST or --devices FILE")
                      : QStringLiteral("no gateway given: use --device HOST");
        return false;
    }
    return true;
}

bool readPassword(const QCommandLineParser &parser, QByteArray &password, QString *error)
{
    if (parser.isSet(QStringLiteral("password"))) {
        password = gatewayBytes(parser.value(QStringLiteral("password")));
        return true;
    }
    if (parser.isSet(QStringLiteral("password-file"))) {
        QStringList lines;
        if (!readLines(parser.value(QStringLiteral("password-file")), lines, error))
            return false;
        password = gatewayBytes(lines.value(0)); // the first line, without its line end
        return true;
    }
    if (qEnvironmentVariableIsSet("KOVA_PASSWORD")) {
        password = gatewayBytes(qEnvironmentVariable("KOVA_PASSWORD"));
        return true;
    }
    *error = QStringLiteral("the administrator password is needed: --password, --password-file or KOVA_PASSWORD");
    return false;
}

bool readProxies(const QCommandLineParser &parser, CliSettings &settings, QString *error)
{
    if (parser.isSet(QStringLiteral("settings"))) {
        const QString path = parser.value(QStringLiteral("settings"));
        if (!QFileInfo(path).isFile()) {
            *error = QStringLiteral("no settings file %1").arg(path);
            return false;
        }
        KovaOptions::setIniPath(QFileInfo(path).absoluteFilePath());
    }
    if (!parser.isSet(QStringLiteral("no-proxy"))) {
        THttpChannel fromSettings;
        fromSettings.SinchronizeOptions();
        settings.httpProxy = fromSettings.IdHTTPRemote.proxy();
        settings.ftpProxy = ReadFtpProxySettings();
    }
    if (parser.isSet(QStringLiteral("proxy"))) {
        HttpProxy proxy;
        if (!CliOptions::parseHostPort(parser.value(QStringLiteral("proxy")), proxy.host, proxy.port)) {
            *error = QStringLiteral("--proxy needs HOST:PORT");
            return false;
        }
        settings.httpProxy = proxy;
    }
    if (parser.isSet(QStringLiteral("proxy-user"))) {
        if (settings.httpProxy.host.isEmpty()) {
            *error = QStringLiteral("--proxy-user needs a proxy (--proxy or kova.ini)");
            return false;
        }
        settings.httpProxy.authentication = true;
        settings.httpProxy.userName = gatewayBytes(parser.value(QStringLiteral("proxy-user")));
        settings.httpProxy.password = gatewayBytes(qEnvironmentVariable("KOVA_PROXY_PASSWORD"));
    }
    if (parser.isSet(QStringLiteral("ftp-proxy"))) {
        FtpProxySettings proxy;
        proxy.enabled = true;
        if (!CliOptions::parseHostPort(parser.value(QStringLiteral("ftp-proxy")), proxy.host, proxy.port)) {
            *error = QStringLiteral("--ftp-proxy needs HOST:PORT");
            return false;
        }
        settings.ftpProxy = proxy;
    }
    if (parser.isSet(QStringLiteral("ftp-proxy-method"))) {
        static const QStringList methods = {QStringLiteral("user"), QStringLiteral("site"), QStringLiteral("open"),
                                            QStringLiteral("userpass")};
        const qsizetype method = methods.indexOf(parser.value(QStringLiteral("ftp-proxy-method")));
        if (method < 0) {
            *error = QStringLiteral("--ftp-proxy-method is one of user, site, open, userpass");
            return false;
        }
        settings.ftpProxy.method = int(method) + FtpProxySettings::UserAtHost;
    }
    if (parser.isSet(QStringLiteral("ftp-proxy-user"))) {
        settings.ftpProxy.logon = true;
        settings.ftpProxy.user = gatewayBytes(parser.value(QStringLiteral("ftp-proxy-user")));
        settings.ftpProxy.password = gatewayBytes(qEnvironmentVariable("KOVA_FTP_PROXY_PASSWORD"));
    }
    return true;
}

} // namespace

THttpChannel CliSettings::channel() const
{
    THttpChannel c;
    c.setPort(httpPort);
    c.setReadTimeout(readTimeoutMs);
    c.IdHTTPRemote.setProxy(httpProxy);
    c.setReportFailures(false);
    return c;
}

FtpTarget CliSettings::ftpTarget(const TDeviceData &connected) const
{
    TDeviceData device = connected;
    // "host:8080" names the HTTP port; FTP has a port option of its own.
    QByteArray host;
    quint16 port = 0;
    if (CliOptions::parseHostPort(QString::fromLatin1(device.RemoteHost), host, port))
        device.RemoteHost = host;
    FtpTarget target = FtpTargetFor(device, ftpProxy, ftpPort);
    return target;
}

namespace CliOptions {

void addOutput(QCommandLineParser &parser)
{
    parser.addOptions({
        Option(QStringLiteral("json"), QStringLiteral("Print the results as one JSON document.")),
        Option({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress on stderr.")),
    });
}

void addGateway(QCommandLineParser &parser, Devices devices)
{
    parser.addOption(Option({QStringLiteral("d"), QStringLiteral("device")},
                            devices == Devices::Many ? QStringLiteral("A gateway by host name or address (repeatable).")
                                                     : QStringLiteral("The gateway, by host name or address."),
                            QStringLiteral("HOST")));
    if (devices == Devices::Many) {
        parser.addOption(Option(QStringLiteral("devices"),
                                QStringLiteral("A file naming one gateway a line (# starts a comment; - reads stdin)."),
                                QStringLiteral("FILE")));
        parser.addOption(Option({QStringLiteral("j"), QStringLiteral("jobs")},
                                QStringLiteral("Gateways served at the same time (default 4)."), QStringLiteral("N"),
                                QStringLiteral("4")));
    }
    parser.addOptions({
        Option({QStringLiteral("p"), QStringLiteral("password")},
               QStringLiteral("The administrator password (shows in the process list: prefer the next two)."),
               QStringLiteral("P")),
        Option(QStringLiteral("password-file"), QStringLiteral("Read the password from the first line of FILE."),
               QStringLiteral("FILE")),
        Option(QStringLiteral("settings"),
               QStringLiteral("The kova.ini whose proxy settings apply (default: the one Kova uses)."),
               QStringLiteral("FILE")),
        Option(QStringLiteral("no-proxy"), QStringLiteral("Ignore the proxy settings of kova.ini.")),
        Option(QStringLiteral("proxy"), QStringLiteral("HTTP proxy for the requests."), QStringLiteral("HOST:PORT")),
        Option(QStringLiteral("proxy-user"),
               QStringLiteral("Basic authentication with the HTTP proxy; the password from KOVA_PROXY_PASSWORD."),
               QStringLiteral("USER")),
        Option(QStringLiteral("ftp-proxy"), QStringLiteral("FTP proxy for the web site transfer."),
               QStringLiteral("HOST:PORT")),
        Option(QStringLiteral("ftp-proxy-method"),
               QStringLiteral("The FTP proxy's log-on: user (default), site, open or userpass."),
               QStringLiteral("METHOD")),
        Option(QStringLiteral("ftp-proxy-user"),
               QStringLiteral("Firewall log-on with the FTP proxy; the password from KOVA_FTP_PROXY_PASSWORD."),
               QStringLiteral("USER")),
        Option(QStringLiteral("read-timeout"), QStringLiteral("HTTP read time-out in milliseconds (default 20000)."),
               QStringLiteral("MS")),
        Option(QStringLiteral("http-port"), QStringLiteral("The gateways' HTTP port (default 80)."), QStringLiteral("N")),
        Option(QStringLiteral("ftp-port"), QStringLiteral("The gateways' FTP port (default 21)."), QStringLiteral("N")),
        hidden(Option(QStringLiteral("ftp-timeout"), QStringLiteral("FTP time-out in milliseconds."), QStringLiteral("MS"))),
    });
}

bool readOutput(const QCommandLineParser &parser, CliSettings &settings)
{
    settings.json = parser.isSet(QStringLiteral("json"));
    settings.quiet = parser.isSet(QStringLiteral("quiet"));
    return true;
}

bool readGateway(const QCommandLineParser &parser, Devices devices, CliSettings &settings, QString *error)
{
    if (!readHosts(parser, devices, settings.hosts, error))
        return false;
    if (devices == Devices::One && settings.hosts.size() > 1) {
        *error = QStringLiteral("this command works on one gateway");
        return false;
    }
    if (devices == Devices::Many && !parseNumber(parser.value(QStringLiteral("jobs")), 1, 64, settings.jobs)) {
        *error = QStringLiteral("--jobs takes a number from 1 to 64");
        return false;
    }
    const auto port = [&](const char *name, quint16 &value) {
        int number = value;
        if (parser.isSet(QLatin1String(name)) && !parseNumber(parser.value(QLatin1String(name)), 1, 65535, number)) {
            *error = QStringLiteral("--%1 takes a port number from 1 to 65535").arg(QLatin1String(name));
            return false;
        }
        value = quint16(number);
        return true;
    };
    const auto milliseconds = [&](const char *name, int &value) {
        if (parser.isSet(QLatin1String(name)) && !parseNumber(parser.value(QLatin1String(name)), 1, 3'600'000, value)) {
            *error = QStringLiteral("--%1 takes milliseconds, from 1 to 3600000").arg(QLatin1String(name));
            return false;
        }
        return true;
    };
    return port("http-port", settings.httpPort) && port("ftp-port", settings.ftpPort)
        && milliseconds("read-timeout", settings.readTimeoutMs) && milliseconds("ftp-timeout", settings.ftpTimeoutMs)
        && readPassword(parser, settings.password, error) && readProxies(parser, settings, error);
}

bool parseHostPort(const QString &text, QByteArray &host, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    int number = 0;
    if (colon <= 0 || !parseNumber(text.mid(colon + 1), 1, 65535, number))
        return false;
    host = text.left(colon).toLatin1();
    port = quint16(number);
    return true;
}

bool parseNumber(const QString &text, int lowest, int highest, int &value)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < lowest || number > highest)
        return false;
    value = number;
    return true;
}

} // namespace CliOptions
