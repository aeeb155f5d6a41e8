// What one exchange through the HTTP channel costs, against the same POST made with a
// bare socket client, both with a simulated gateway on loopback in the same run.
// Goal: the channel's median is at most 1.3 times the bare round trip.

#include "Simulator.h"

#include "base/DscPkt.h"
#include "device/HttpChannel.h"

#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    double median = 0;
    double p99 = 0;
};

Figures figures(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[std::min(samples.size() - 1, size_t(q * double(samples.size())))]; };
    return {at(0.5), at(0.99)};
}

// The bare round trip: connect, send the same bytes the channel sends, read to close.
bool bareExchange(const Poco::Net::SocketAddress &address, const QByteArray &request, QByteArray &reply)
{
    Poco::Net::StreamSocket socket(address);
    socket.setNoDelay(true);
    socket.sendBytes(request.constData(), int(request.size()));
    reply.clear();
    char buffer[4096];
    for (;;) {
        const int n = socket.receiveBytes(buffer, sizeof buffer);
        if (n <= 0)
            break;
        reply.append(buffer, n);
    }
    return reply.startsWith("HTTP/1.0 200");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the channel waits in an event loop, as in the program
    const int count = argc > 1 ? std::max(100, atoi(argv[1])) : 1000;

    sim::Simulator::Options options;
    options.udpAddress = "127.0.0.2";
    options.serveFtp = false;
    sim::Simulator simulator(options);
    sim::GatewayState gateway;
    gateway.ip = "127.0.0.2";
    gateway.mac = "00-50-C2-00-00-01";
    simulator.addGateway(gateway);
    simulator.start();
    const quint16 port = simulator.httpPort();

    THttpChannel channel;
    channel.setPort(port);
    TPacket request;
    request.NewCommand("GETDEVICE");
    const QByteArray body = RequestBody(request);
    const QByteArray raw = "POST /admpost.cgi HTTP/1.0\r\nHost: 127.0.0.2:" + QByteArray::number(port)
                           + "\r\nContent-Type: text/x-zpack\r\nAccept: text/html, */*\r\nContent-Length: "
                           + QByteArray::number(body.size()) + "\r\nConnection: Close\r\n\r\n" + body;
    const Poco::Net::SocketAddress address("127.0.0.2", port);

    std::vector<double> channelSamples;
    std::vector<double> clientSamples;
    std::vector<double> bareSamples;
    int failures = 0;
    const auto runChannel = [&](bool keep) {
        TPacket reply;
        const auto start = Clock::now();
        const bool ok = channel.SendHTTPServer("127.0.0.2", "", "admpost.cgi", request, reply);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        failures += ok && reply.IsCommand("DEVICE") ? 0 : 1;
        if (keep)
            channelSamples.push_back(us);
    };
    // The Poco client alone, called on this thread: what the wait for the worker adds.
    const auto runClient = [&](bool keep) {
        const auto start = Clock::now();
        const THttpClient::Result result = channel.IdHTTPLocal.post("127.0.0.2", "admpost.cgi", body);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        failures += result.ok && result.body.startsWith("DEVICE(") ? 0 : 1;
        if (keep)
            clientSamples.push_back(us);
    };
    const auto runBare = [&](bool keep) {
        QByteArray reply;
        const auto start = Clock::now();
        const bool ok = bareExchange(address, raw, reply);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        failures += ok && reply.contains("DEVICE(") ? 0 : 1;
        if (keep)
            bareSamples.push_back(us);
    };

    for (int i = 0; i < 50; ++i) { // warm-up: threads, caches, the server's pool
        runChannel(false);
        runClient(false);
        runBare(false);
    }
    // Alternating one by one, so drift of a shared machine hits both sides alike.
    for (int i = 0; i < count; ++i) {
        runChannel(true);
        runClient(true);
        runBare(true);
    }
    simulator.stop();

    const Figures c = figures(channelSamples);
    const Figures p = figures(clientSamples);
    const Figures b = figures(bareSamples);
    std::printf("exchanges: %d each, failures: %d\n", count, failures);
    std::printf("%-22s %12s %12s\n", "", "median (us)", "p99 (us)");
    std::printf("%-22s %12.1f %12.1f\n", "SendHTTPServer", c.median, c.p99);
    std::printf("%-22s %12.1f %12.1f\n", "client alone", p.median, p.p99);
    std::printf("%-22s %12.1f %12.1f\n", "bare socket POST", b.median, b.p99);
    std::printf("%-22s %12.2f %12.2f\n", "ratio (channel/bare)", c.median / b.median, c.p99 / b.p99);
    std::printf("goal (median ratio <= 1.3): %s\n", c.median / b.median <= 1.3 ? "met" : "NOT met");
    return failures == 0 ? 0 : 1;
}
