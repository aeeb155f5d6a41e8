// orvan-sim: plays one or more Orvan gateways on loopback addresses for Kova's demo and for
// manual checks. See README, "Simulated gateways".
#include "GatewayFile.h"
#include "Simulator.h"

#include "base/DeviceData.h"

#include <Poco/Exception.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

const char *const Usage =
    "Usage: orvan-sim [options]\n"
    "Plays simulated Orvan gateways: the UDP locator, admpost.cgi/apppost.cgi over HTTP and\n"
    "userpage.qsw over FTP, each gateway on its own loopback address.\n"
    "\n"
    "  --gateways FILE        gateways file (INI, one section per gateway); default: the demo set\n"
    "  --first-address ADDR   address of the first gateway (default 127.0.0.2); the others follow\n"
    "  --http-port N          HTTP port of every gateway (default 80; 0 picks a free one)\n"
    "  --ftp-port N           FTP port of every gateway (default 21; 0 picks a free one)\n"
    "  --udp-port N           locator port (default 998)\n"
    "  --udp-address ADDR     address the locator listens on (default 0.0.0.0)\n"
    "  --fault G:COMMAND:KIND[:MS]\n"
    "                         misbehave: gateway G (number from 1, or its address) answers COMMAND\n"
    "                         (or * for all) with KIND: nak, wrong, http500, drop, delay (MS),\n"
    "                         ignore-udp. Repeatable.\n"
    "  --broadcast-answers    the locator answers to 255.255.255.255 (from each gateway's own\n"
    "                         address) as a gateway on another subnet does; only gateways on\n"
    "                         loopback addresses do so, which keeps the answers on this machine\n"
    "  --verbose              one line per exchange on stdout\n"
    "  --help                 this text\n";

int fail(const std::string &message)
{
    std::fprintf(stderr, "orvan-sim: %s\n", message.c_str());
    return 2;
}

bool parsePort(const char *text, quint16 &port)
{
    bool ok = false;
    const uint value = QByteArray(text).toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    port = quint16(value);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    sim::Simulator::Options options;
    options.httpPort = 80;
    options.ftpPort = 21;
    options.udpPort = 998;
    options.udpAddress = "0.0.0.0";
    QString gatewaysFile;
    QByteArray firstAddress = "127.0.0.2";
    QList<QByteArray> faultSpecs;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char * {
            if (i + 1 >= argc)
                return nullptr;
            return argv[++i];
        };
        const char *v = nullptr;
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--broadcast-answers") {
            options.broadcastAnswers = true;
        } else if (arg == "--gateways" && (v = value())) {
            gatewaysFile = QString::fromLocal8Bit(v);
        } else if (arg == "--first-address" && (v = value())) {
            firstAddress = v;
        } else if (arg == "--udp-address" && (v = value())) {
            options.udpAddress = v;
        } else if (arg == "--http-port" && (v = value())) {
            if (!parsePort(v, options.httpPort))
                return fail("bad --http-port " + std::string(v));
        } else if (arg == "--ftp-port" && (v = value())) {
            if (!parsePort(v, options.ftpPort))
                return fail("bad --ftp-port " + std::string(v));
        } else if (arg == "--udp-port" && (v = value())) {
            if (!parsePort(v, options.udpPort))
                return fail("bad --udp-port " + std::string(v));
        } else if (arg == "--fault" && (v = value())) {
            faultSpecs.append(v);
        } else {
            std::fputs(Usage, stderr);
            return fail("unknown or incomplete option " + arg);
        }
    }

    QList<sim::GatewaySetup> setups;
    try {
        if (gatewaysFile.isEmpty()) {
            for (const sim::GatewayState &state : sim::Simulator::demoSet(firstAddress))
                setups.append({state, {}});
        } else {
            setups = sim::loadGatewayFile(gatewaysFile, firstAddress);
        }
    } catch (const sim::GatewayFileError &e) {
        return fail(e.what());
    }
    if (setups.isEmpty())
        return fail("no gateways to play");

    sim::Simulator simulator(options);
    for (const sim::GatewaySetup &setup : setups) {
        sim::Gateway &gateway = simulator.addGateway(setup.state);
        for (const sim::CommandFault &f : setup.faults)
            gateway.setFault(f.command, f.fault);
    }
    for (const QByteArray &option : faultSpecs) {
        const qsizetype colon = option.indexOf(':');
        const QByteArray which = option.left(colon);
        const auto fault = colon > 0 ? sim::parseFault(option.mid(colon + 1)) : std::nullopt;
        bool isNumber = false;
        const int number = which.toInt(&isNumber);
        sim::Gateway *gateway = nullptr;
        if (isNumber && number >= 1 && number <= simulator.count())
            gateway = &simulator.gateway(number - 1);
        else if (!isNumber)
            gateway = simulator.findByIp(which);
        if (!fault || !gateway)
            return fail("bad --fault " + option.toStdString() + " (expected G:COMMAND:KIND[:MS])");
        gateway->setFault(fault->command, fault->fault);
    }

    // The servers' threads inherit this mask, so the signals reach sigwait below only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        simulator.start();
    } catch (const Poco::Exception &e) {
        const std::string hint = e.code() == EACCES || std::string(e.displayText()).find("ermission") != std::string::npos
            ? " (ports below 1024 need root or cap_net_bind_service: sudo setcap cap_net_bind_service=+ep orvan-sim)"
            : "";
        return fail("cannot serve: " + e.displayText() + hint);
    } catch (const std::exception &e) {
        return fail(std::string("cannot serve: ") + e.what());
    }

    std::printf("orvan-sim: %d gateways\n", simulator.count());
    for (int i = 0; i < simulator.count(); ++i) {
        const sim::GatewayState s = simulator.gateway(i).snapshot();
        std::printf("  #%d %-14s model %s, version %s, MAC %s, %s%s, %lld tags: http://%s:%u/ ftp://%s:%u/\n", i + 1,
                    GetModelName(s.model).constData(), s.model.constData(), s.version.constData(), s.mac.constData(),
                    s.hostName.isEmpty() ? "no host name" : "host ", s.hostName.constData(),
                    static_cast<long long>(s.tags.size()), simulator.gateway(i).serveAddress().constData(),
                    simulator.httpPort(), simulator.gateway(i).serveAddress().constData(), simulator.ftpPort());
    }
    std::printf("  locator: UDP %s:%u\n", options.udpAddress.constData(), simulator.udpPort());
    std::printf("Ctrl+C stops.\n");
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    std::printf("orvan-sim: %s, stopping\n", received == SIGINT ? "interrupted" : "terminated");
    simulator.stop();
    return 0;
}
