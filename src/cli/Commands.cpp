#include "cli/Commands.h"

#include "base/DscPkt.h"
#include "cli/GatewayJobs.h"
#include "config/ConfigTransfer.h"
#include "device/DeviceRow.h"
#include "device/Locator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

using Option = QCommandLineOption;

// Parses the command's options. False with *exitCode set when the command ends here
// (its help was asked for, or the line is wrong).
bool parse(QCommandLineParser &parser, const QStringList &arguments, int *exitCode)
{
    const Option help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("This help."));
    parser.addOption(help);
    if (!parser.parse(arguments)) {
        PrintError(parser.errorText());
        *exitCode = CliExit::Usage;
        return false;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *exitCode = CliExit::Ok;
        return false;
    }
    return true;
}

int usage(const QString &command, const QString &text)
{
    PrintError(QStringLiteral("%1: %2 (see kova-cli %1 --help)").arg(command, text));
    return CliExit::Usage;
}

int refused(const CliSettings &settings, const QString &command, const QString &text)
{
    PrintError(text);
    if (settings.json)
        PrintJson({{QStringLiteral("command"), command}, {QStringLiteral("ok"), false}, {QStringLiteral("error"), text}});
    return CliExit::Refused;
}

int verdict(const std::vector<GatewayResult> &results)
{
    return std::all_of(results.begin(), results.end(), [](const GatewayResult &r) { return r.ok; }) ? CliExit::Ok
                                                                                                   : CliExit::Failed;
}

// --- search -------------------------------------------------------------------------------

QJsonObject deviceJson(const TDeviceData &d)
{
    return {{QStringLiteral("device"), QString::fromLatin1(d.DeviceName)},
            {QStringLiteral("host"), QString::fromLatin1(d.HostName)},
            {QStringLiteral("mac"), QString::fromLatin1(d.MAC)},
            {QStringLiteral("version"), QString::fromLatin1(d.Version)},
            {QStringLiteral("dhcp"), d.DHCP},
            {QStringLiteral("ipAddress"), QString::fromLatin1(d.IPAddress)},
            {QStringLiteral("netmask"), QString::fromLatin1(d.Netmask)},
            {QStringLiteral("gateway"), QString::fromLatin1(d.Gateway)},
            {QStringLiteral("remoteHost"), QString::fromLatin1(d.RemoteHost)},
            {QStringLiteral("fullConfig"), d.FullConfig},
            {QStringLiteral("protocolFamily"), int(d.ProtocolFamily)}};
}

} // namespace

int RunSearch(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds the gateways on the local network (a broadcast on every interface) and lists them\n"
                       "with the device list's columns."));
    parser.addPositionalArgument(QStringLiteral("search"), QStringLiteral("This command."), QStringLiteral("search"));
    CliOptions::addOutput(parser);
    const Option timeout(QStringLiteral("timeout"),
                         QStringLiteral("How long answers are collected, in milliseconds (default 500)."),
                         QStringLiteral("MS"), QStringLiteral("500"));
    Option port(QStringLiteral("udp-port"), QStringLiteral("Locator port."), QStringLiteral("N"),
                QString::number(TDeviceLocator::DefaultPort));
    Option broadcast(QStringLiteral("broadcast"), QStringLiteral("Broadcast address."), QStringLiteral("ADDR"),
                     QStringLiteral("255.255.255.255"));
    port.setFlags(Option::HiddenFromHelp);
    broadcast.setFlags(Option::HiddenFromHelp);
    parser.addOptions({timeout, port, broadcast});
    int exitCode = CliExit::Ok;
    if (!parse(parser, arguments, &exitCode))
        return exitCode;

    CliSettings settings;
    CliOptions::readOutput(parser, settings);
    int waitMs = 0;
    int udpPort = 0;
    const QHostAddress target(parser.value(broadcast));
    if (!CliOptions::parseNumber(parser.value(timeout), 1, 600'000, waitMs))
        return usage(QStringLiteral("search"), QStringLiteral("--timeout takes milliseconds, from 1 to 600000"));
    if (!CliOptions::parseNumber(parser.value(port), 1, 65535, udpPort))
        return usage(QStringLiteral("search"), QStringLiteral("--udp-port takes a port number from 1 to 65535"));
    if (target.protocol() != QAbstractSocket::IPv4Protocol)
        return usage(QStringLiteral("search"), QStringLiteral("--broadcast takes an IPv4 address"));
    if (parser.positionalArguments().size() > 1)
        return usage(QStringLiteral("search"), QStringLiteral("unexpected %1").arg(parser.positionalArguments().at(1)));

    TDeviceLocator locator(quint16(udpPort), target);
    locator.SetUpSockets();
    TLocatorState state;
    QList<TDeviceData> found;
    QObject::connect(&locator, &TDeviceLocator::datagramReceived, [&](const QByteArray &datagram) {
        // The device list's rule: the first answer of a MAC stays.
        if (const std::optional<TDeviceData> device = state.HandleDatagram(datagram)) {
            const bool listed =
                std::any_of(found.begin(), found.end(), [&](const TDeviceData &d) { return d.MAC == device->MAC; });
            if (DeviceRow::changeFor(listed, *device) == DeviceRow::Change::Add)
                found << *device;
        }
    });
    Progress progress(settings.quiet, 0);
    progress.note(QString::fromLatin1(LocatorText::Searching));
    state.Start(TLocatorState::Search);
    if (!locator.SendUDPPacket(NewList("HELLO"))) {
        // As the window says it: lacking the privilege for the port is no conflict.
        if (locator.lastFailure() == LocatorFailure::NoPermission)
            PrintError(LocatorText::noPermission(
                locator.port(), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath()));
        else
            PrintError(QString::fromLatin1(LocatorText::Conflict));
        return CliExit::Failed;
    }
    QEventLoop wait;
    QTimer::singleShot(waitMs, &wait, &QEventLoop::quit);
    wait.exec();
    locator.deliverPending(); // answers already on the machine count
    state.Finish();
    std::stable_sort(found.begin(), found.end(),
                     [](const TDeviceData &a, const TDeviceData &b) { return a.DeviceName < b.DeviceName; });
    progress.note(QStringLiteral("%1 gateway(s) answered").arg(found.size()));

    if (settings.json) {
        QJsonArray devices;
        for (const TDeviceData &d : found)
            devices.append(deviceJson(d));
        PrintJson({{QStringLiteral("command"), QStringLiteral("search")},
                   {QStringLiteral("ok"), true},
                   {QStringLiteral("devices"), devices}});
        return CliExit::Ok;
    }
    QList<QStringList> rows;
    QStringList titles;
    for (const QByteArray &title : DeviceRow::titles().mid(0, DeviceRow::VisibleColumns))
        titles << QString::fromLatin1(title).toUpper();
    rows << titles;
    for (const TDeviceData &d : found) {
        QStringList row;
        for (const QByteArray &cell : DeviceRow::cells(d).mid(0, DeviceRow::VisibleColumns))
            row << (cell.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(cell));
        rows << row;
    }
    PrintTable(rows);
    return CliExit::Ok;
}

int RunGet(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Fetches a gateway's configuration into a configuration file of its protocol, the file a\n"
                       "document saves. The file is written only once the whole configuration has arrived."));
    parser.addPositionalArgument(QStringLiteral("get"), QStringLiteral("This command."), QStringLiteral("get"));
    CliOptions::addGateway(parser, CliOptions::Devices::One);
    const Option output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The file to write (.ovc)."),
                        QStringLiteral("FILE"));
    parser.addOption(output);
    CliOptions::addOutput(parser);
    int exitCode = CliExit::Ok;
    if (!parse(parser, arguments, &exitCode))
        return exitCode;

    CliSettings settings;
    CliOptions::readOutput(parser, settings);
    QString error;
    if (!CliOptions::readGateway(parser, CliOptions::Devices::One, settings, &error))
        return usage(QStringLiteral("get"), error);
    if (!parser.isSet(output) || parser.value(output).isEmpty())
        return usage(QStringLiteral("get"), QStringLiteral("-o FILE.ovc names the file to write"));
    if (parser.positionalArguments().size() > 1)
        return usage(QStringLiteral("get"), QStringLiteral("unexpected %1").arg(parser.positionalArguments().at(1)));

    const QString path = parser.value(output);
    Progress progress(settings.quiet, 1);
    const std::vector<GatewayResult> results = RunJobs(settings.hosts, 1, progress, [&](const QByteArray &host) {
        return GetConfigJob(settings, host, path, progress);
    });
    PrintResults(QStringLiteral("get"), results, settings.json);
    return verdict(results);
}

int RunSend(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks a configuration file with the document's own checks, then sends it to every gateway\n"
                       "whose protocol family is the file's, N at a time. One result line per gateway."));
    parser.addPositionalArgument(QStringLiteral("send"), QStringLiteral("This command."), QStringLiteral("send"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The configuration file (.ovc)."),
                                 QStringLiteral("FILE.ovc"));
    CliOptions::addGateway(parser, CliOptions::Devices::Many);
    CliOptions::addOutput(parser);
    int exitCode = CliExit::Ok;
    if (!parse(parser, arguments, &exitCode))
        return exitCode;

    CliSettings settings;
    CliOptions::readOutput(parser, settings);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usage(QStringLiteral("send"), QStringLiteral("one configuration file, please"));
    QString error;
    if (!CliOptions::readGateway(parser, CliOptions::Devices::Many, settings, &error))
        return usage(QStringLiteral("send"), error);

    const QString path = positional.at(1);
    const std::optional<ConfigToSend> config = LoadConfigToSend(path, &error);
    if (!config)
        return refused(settings, QStringLiteral("send"), error);

    Progress progress(settings.quiet, int(settings.hosts.size()));
    progress.note(QStringLiteral("sending %1 (%2, %3 tags) to %4 gateway(s), %5 at a time")
                      .arg(path, ProtocolWord(config->protocol))
                      .arg(config->tags)
                      .arg(settings.hosts.size())
                      .arg(qMin(settings.jobs, int(settings.hosts.size()))));
    const std::vector<GatewayResult> results = RunJobs(settings.hosts, settings.jobs, progress, [&](const QByteArray &host) {
        return SendConfigJob(settings, host, *config, progress);
    });
    PrintResults(QStringLiteral("send"), results, settings.json, {{QStringLiteral("file"), path}});
    return verdict(results);
}

int RunSite(const QStringList &arguments)
{
    const QString direction = arguments.value(2);
    const bool send = direction == QLatin1String("send");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        send ? QStringLiteral("Sends a web site image to every gateway named, N at a time, as userpage.qsw by FTP.")
             : QStringLiteral("Fetches a gateway's web site image into a file; the file is written only when the\n"
                              "whole image has arrived and is sound."));
    parser.addPositionalArgument(QStringLiteral("site"), QStringLiteral("This command."), QStringLiteral("site"));
    parser.addPositionalArgument(QStringLiteral("direction"), QStringLiteral("get or send."),
                                 send ? QStringLiteral("send") : QStringLiteral("get|send"));
    if (send)
        parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The web site image (.qsw)."),
                                     QStringLiteral("FILE.qsw"));
    const CliOptions::Devices devices = send ? CliOptions::Devices::Many : CliOptions::Devices::One;
    CliOptions::addGateway(parser, devices);
    const Option output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The file to write (.qsw)."),
                        QStringLiteral("FILE"));
    if (!send)
        parser.addOption(output);
    CliOptions::addOutput(parser);
    int exitCode = CliExit::Ok;
    if (!parse(parser, arguments, &exitCode))
        return exitCode;
    if (!send && direction != QLatin1String("get"))
        return usage(QStringLiteral("site"), QStringLiteral("site get or site send"));

    CliSettings settings;
    CliOptions::readOutput(parser, settings);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != (send ? 3 : 2))
        return usage(QStringLiteral("site"), send ? QStringLiteral("one web site file, please")
                                                  : QStringLiteral("unexpected %1").arg(positional.value(2)));
    QString error;
    if (!CliOptions::readGateway(parser, devices, settings, &error))
        return usage(QStringLiteral("site"), error);

    if (!send) {
        if (!parser.isSet(output) || parser.value(output).isEmpty())
            return usage(QStringLiteral("site"), QStringLiteral("-o FILE.qsw names the file to write"));
        const QString path = parser.value(output);
        Progress progress(settings.quiet, 1);
        const std::vector<GatewayResult> results = RunJobs(settings.hosts, 1, progress, [&](const QByteArray &host) {
            return GetSiteJob(settings, host, path, progress);
        });
        PrintResults(QStringLiteral("site get"), results, settings.json);
        return verdict(results);
    }
    const QString path = positional.at(2);
    const std::optional<QByteArray> image = LoadSiteToSend(path, &error);
    if (!image)
        return refused(settings, QStringLiteral("site send"), error);
    Progress progress(settings.quiet, int(settings.hosts.size()));
    const std::vector<GatewayResult> results = RunJobs(settings.hosts, settings.jobs, progress, [&](const QByteArray &host) {
        return SendSiteJob(settings, host, *image, progress);
    });
    PrintResults(QStringLiteral("site send"), results, settings.json, {{QStringLiteral("file"), path}});
    return verdict(results);
}
