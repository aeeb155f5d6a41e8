// A full configuration transfer of 128 tags (send, then get) with a simulated gateway on
// loopback, against the same requests made as bare HTTP/1.0 round trips in the same run,
// and the longest gap between two turns of the window's event loop while the transfer
// dialog sends. Goals: transfer at most 1.2 times the bare round trips; gap under 50 ms.

#include "../tests/config/TransferSamples.h"

#include "Simulator.h"

#include "base/DscPkt.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWire.h"
#include "config/ui/TransferConfig.h"
#include "device/HttpChannel.h"

#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TPacket packet(const QByteArray &name)
{
    TPacket p;
    p.NewCommand(name);
    return p;
}

// The requests of a send and a get, in order, with the reply each expects.
std::vector<std::pair<QByteArray, QByteArray>> transferRequests(const TModbusOrvanConfig &config)
{
    std::vector<std::pair<QByteArray, QByteArray>> r;
    auto add = [&](const TPacket &p, const char *reply) { r.emplace_back(RequestBody(p), reply); };
    add(packet("STOP"), "ACK");
    TPacket com = packet("SETCOM");
    AddComKeys(com, config);
    add(com, "ACK");
    TPacket smtp = packet("SETSMTP");
    AddSmtpKeys(smtp, config.Email);
    add(smtp, "ACK");
    for (int i = 0; i < MaxRecipients; ++i) {
        TPacket too = packet("SETTOO");
        too.AddInteger("TOO", i);
        too.AddString("EMAIL", RecipientAt(config.Email, i));
        add(too, "ACK");
    }
    add(packet("ENABLETAGADMIN"), "ACK");
    add(packet("DELALLTAG"), "ACK");
    for (int i = 0; i < config.TagCount; ++i) {
        TPacket tag = packet("ADDTAG");
        AddTagKeys(tag, config.Tags[size_t(i)]);
        add(tag, "ACK");
    }
    add(packet("DISABLETAGADMIN"), "ACK");
    add(packet("RESET"), "ACK");
    add(packet("GETTAGCOUNT"), "TAGCOUNT");
    add(packet("STOP"), "ACK");
    TPacket getCom = packet("GETCOM");
    getCom.AddInteger("COM", 0);
    add(getCom, "COM");
    add(packet("GETSMTP"), "SMTP");
    for (int i = 0; i < MaxRecipients; ++i) {
        TPacket too = packet("GETTOO");
        too.AddInteger("TOO", i);
        add(too, "TOO");
    }
    for (int i = 0; i < config.TagCount; ++i) {
        TPacket tag = packet("GETTAG");
        tag.AddInteger("TAG", i);
        add(tag, "TAGCONFIG");
    }
    add(packet("RUN"), "ACK");
    return r;
}

// One bare exchange: connect, send the request bytes, read to the close.
bool bareExchange(const Poco::Net::SocketAddress &address, const QByteArray &host, const QByteArray &body,
                  const QByteArray &expected)
{
    const QByteArray request = "POST /admpost.cgi HTTP/1.0\r\nHost: " + host
                               + "\r\nContent-Type: text/x-zpack\r\nAccept: text/html, */*\r\nContent-Length: "
                               + QByteArray::number(body.size()) + "\r\nConnection: Close\r\n\r\n" + body;
    Poco::Net::StreamSocket socket(address);
    socket.setNoDelay(true);
    socket.sendBytes(request.constData(), int(request.size()));
    QByteArray reply;
    char buffer[4096];
    for (int n; (n = socket.receiveBytes(buffer, sizeof buffer)) > 0;)
        reply.append(buffer, n);
    return reply.startsWith("HTTP/1.0 200") && reply.contains("\r\n\r\n" + expected + "(");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 7;

    sim::Simulator::Options options;
    options.serveFtp = false;
    sim::Simulator simulator(options);
    sim::GatewayState gateway;
    gateway.model = "1119";
    gateway.ip = "127.0.0.2";
    gateway.mac = "00-50-C2-00-00-01";
    gateway.liveMotion = false;
    simulator.addGateway(gateway);
    simulator.start();
    const quint16 port = simulator.httpPort();
    const Poco::Net::SocketAddress address("127.0.0.2", port);
    const QByteArray host = "127.0.0.2:" + QByteArray::number(port);

    THttpChannel channel;
    channel.setPort(port);
    TDeviceData device;
    device.IPAddress = "127.0.0.2";
    device.DeviceName = "Orvan";
    const auto config = samples::config<TModbusOrvanConfig>(MaxTags);
    const auto requests = transferRequests(*config);

    TfrmTransferModbusConfig dialog(channel);
    dialog.OrvanConfig() = *config;
    dialog.SetDirection(TfrmTransferConfig::Direction::Send);
    dialog.SetDevice(device);

    // Stamps every turn of the event loop while the dialog sends.
    Clock::time_point lastTurn;
    double longestGap = 0;
    bool stamping = false;
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (stamping)
            longestGap = std::max(longestGap, std::chrono::duration<double, std::milli>(now - lastTurn).count());
        lastTurn = now;
        stamping = true;
    });

    std::vector<double> transferMs, channelMs, clientMs, bareMs, dialogMs, gaps;
    int failures = 0;
    for (int round = 0; round <= rounds; ++round) { // round 0 warms up
        auto got = std::make_unique<TModbusOrvanConfig>();
        SetNewConfigDefaults(*got);
        auto start = Clock::now();
        TConfigTransfer transfer(channel, device);
        failures += transfer.SendConfig(*config) && transfer.GetConfig(*got) ? 0 : 1;
        const double transferTime = msSince(start);

        // The same requests through the channel, without the transfer around them.
        start = Clock::now();
        for (const auto &[body, expected] : requests) {
            TPacket request, reply;
            request.SetText(body);
            failures += channel.SendHTTPAdminNoInfo(device.IPAddress, {}, request, reply) && reply.IsCommand(expected) ? 0 : 1;
        }
        const double channelTime = msSince(start);

        // The channel's Poco client alone, on this thread: the transfer less its hand-over
        // to the worker thread and the wait in the event loop.
        start = Clock::now();
        for (const auto &[body, expected] : requests) {
            const THttpClient::Result result = channel.IdHTTPLocal.post(device.IPAddress, "admpost.cgi", body);
            failures += result.ok && result.body.startsWith(expected + "(") ? 0 : 1;
        }
        const double clientTime = msSince(start);

        start = Clock::now();
        for (const auto &[body, expected] : requests)
            failures += bareExchange(address, host, body, expected) ? 0 : 1;
        const double bareTime = msSince(start);

        longestGap = 0;
        stamping = false;
        turns.start();
        start = Clock::now();
        dialog.show();
        while (!dialog.Completed() && msSince(start) < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const double dialogTime = msSince(start);
        turns.stop();
        failures += dialog.Completed() ? 0 : 1;
        dialog.hide();
        if (round == 0)
            continue;
        transferMs.push_back(transferTime);
        clientMs.push_back(clientTime);
        channelMs.push_back(channelTime);
        bareMs.push_back(bareTime);
        dialogMs.push_back(dialogTime);
        gaps.push_back(longestGap);
    }
    simulator.stop();

    const double t = median(transferMs), b = median(bareMs);
    std::printf("128-tag send + get: %zu exchanges, %d rounds, failures: %d\n", requests.size(), rounds, failures);
    std::printf("%-34s %10s %10s\n", "", "median ms", "best ms");
    std::printf("%-34s %10.1f %10.1f\n", "TConfigTransfer send + get", t, *std::min_element(transferMs.begin(), transferMs.end()));
    std::printf("%-34s %10.1f %10.1f\n", "SendHTTPAdminNoInfo, same requests", median(channelMs), *std::min_element(channelMs.begin(), channelMs.end()));
    std::printf("%-34s %10.1f %10.1f\n", "Poco client alone, same requests", median(clientMs), *std::min_element(clientMs.begin(), clientMs.end()));
    std::printf("%-34s %10.1f %10.1f\n", "bare HTTP/1.0 round trips", b, *std::min_element(bareMs.begin(), bareMs.end()));
    std::printf("%-34s %10.2f %10.2f\n", "ratio (transfer / bare)", t / b,
                *std::min_element(transferMs.begin(), transferMs.end()) / *std::min_element(bareMs.begin(), bareMs.end()));
    std::printf("%-34s %10.1f %10.1f\n", "dialog send (shown to completed)", median(dialogMs), *std::min_element(dialogMs.begin(), dialogMs.end()));
    std::printf("%-34s %10.1f %10.1f (worst)\n", "longest event loop gap, dialog send", median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    std::printf("goal (ratio <= 1.2): %s; goal (gap < 50 ms): %s\n", t / b <= 1.2 ? "met" : "NOT met",
                *std::max_element(gaps.begin(), gaps.end()) < 50 ? "met" : "NOT met");
    return failures == 0 ? 0 : 1;
}
