// kova-cli sending one 128-tag Modbus configuration to 1 and to 50 simulated gateways
// (--jobs 8) in the same run, the simulator in this process on loopback. Each send is one
// run of the real program, timed from its start to its exit. Goal: the 50-gateway send
// takes at most 8 times the single one.
//
// The simulated gateways answer at once by default, so the program and the simulator share
// the machine's cores for every exchange; a real gateway takes its time over each answer,
// and while it does the other jobs run. Each answer time given (ms) runs the same rounds
// with every gateway answering that much later: bench_cli [rounds] [answer-ms ...]

#include "../tests/config/TransferSamples.h"

#include "Simulator.h"
#include "config/ConfigFile.h"
#include "config/ConfigModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Fleet = 50;
constexpr int Jobs = 8;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timed
{
    double ms = 0;
    bool ok = false;
    double gatewayMs = 0; // the slowest gateway's own time, as the program reports it
};

Timed runCli(const QStringList &arguments)
{
    QProcess process;
    const auto start = Clock::now();
    process.start(QStringLiteral(KOVA_CLI), arguments);
    process.waitForFinished(300'000);
    Timed t;
    t.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    t.ok = process.exitCode() == 0 && result.value(QStringLiteral("ok")).toBool();
    for (const QJsonValue &line : result.value(QStringLiteral("results")).toArray())
        t.gatewayMs = std::max(t.gatewayMs, line.toObject().value(QStringLiteral("milliseconds")).toDouble());
    if (!t.ok)
        std::fprintf(stderr, "kova-cli failed: %s\n", process.readAllStandardError().constData());
    return t;
}

void runRounds(int rounds, const QStringList &one, const QStringList &fifty)
{
    std::printf("| round | 1 gateway, ms | its job, ms | %d gateways --jobs %d, ms | ratio | slowest job of %d, ms |\n",
                Fleet, Jobs, Fleet);
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    std::vector<double> singles, fleets;
    bool allOk = true;
    for (int round = 1; round <= rounds; ++round) {
        // Alternating which goes first, so a drift of the machine hits both alike.
        Timed a, b;
        if (round % 2) {
            a = runCli(one);
            b = runCli(fifty);
        } else {
            b = runCli(fifty);
            a = runCli(one);
        }
        allOk = allOk && a.ok && b.ok;
        singles.push_back(a.ms);
        fleets.push_back(b.ms);
        std::printf("| %d | %.1f | %.0f | %.1f | %.2f | %.0f |\n", round, a.ms, a.gatewayMs, b.ms, b.ms / a.ms,
                    b.gatewayMs);
    }
    const double ratio = median(fleets) / median(singles);
    std::printf("\nmedians: 1 gateway %.1f ms, %d gateways %.1f ms, ratio %.2f (goal <= 8): %s%s\n\n", median(singles),
                Fleet, median(fleets), ratio, ratio <= 8 ? "met" : "NOT met",
                allOk ? "" : "; some sends failed, see stderr");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::vector<int> answerTimes;
    for (int i = 2; i < argc; ++i)
        answerTimes.push_back(std::max(0, atoi(argv[i])));
    if (answerTimes.empty())
        answerTimes = {0, 2};

    sim::Simulator::Options options;
    options.serveFtp = false;
    sim::Simulator simulator(options);
    for (int i = 0; i <= Fleet; ++i) {
        sim::GatewayState g;
        g.model = "1119";
        g.mac = "00:1D:7A:BE:" + QByteArray::number(i / 256, 16).rightJustified(2, '0') + ":"
              + QByteArray::number(i % 256, 16).rightJustified(2, '0');
        g.ip = sim::Simulator::nextAddress("127.0.0.2", i);
        g.liveMotion = false;
        simulator.addGateway(g);
    }
    simulator.start();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line.ovc"));
    {
        const auto record = samples::config<TModbusOrvanConfig>(MaxTags);
        TModbusConfigModel model;
        model.SetAllConfig(*record);
        TConfigFile store;
        store.BindFresh(file);
        if (!store.Write(model))
            return 1;
    }
    const QString fleet = dir.filePath(QStringLiteral("fleet.txt"));
    {
        QFile list(fleet);
        if (!list.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 1; i <= Fleet; ++i)
            list.write(sim::Simulator::nextAddress("127.0.0.2", i) + "\n");
    }
    const QStringList common = {QStringLiteral("send"),        file,
                                QStringLiteral("--password"),  QStringLiteral("admin"),
                                QStringLiteral("--http-port"), QString::number(simulator.httpPort()),
                                QStringLiteral("--no-proxy"),  QStringLiteral("--json"),
                                QStringLiteral("--quiet")};
    const QStringList one = common + QStringList{QStringLiteral("--device"), QStringLiteral("127.0.0.2")};
    const QStringList fifty =
        common + QStringList{QStringLiteral("--devices"), fleet, QStringLiteral("--jobs"), QString::number(Jobs)};

    // The program's own start and end, without any gateway.
    std::vector<double> bare;
    for (int i = 0; i < 5; ++i) {
        QProcess process;
        const auto start = Clock::now();
        process.start(QStringLiteral(KOVA_CLI), {QStringLiteral("--version")});
        process.waitForFinished();
        bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    runCli(one); // warm-up: caches, the simulator's threads

    std::printf("kova-cli send, one 128-tag Modbus configuration (143 exchanges a gateway), %d rounds\n", rounds);
    std::printf("program start and exit alone: %.1f ms (median)\n\n", median(bare));
    for (int answerMs : answerTimes) {
        for (int i = 0; i < simulator.count(); ++i) {
            simulator.gateway(i).clearFaults();
            if (answerMs > 0)
                simulator.gateway(i).setFault("*", {sim::FaultKind::Delay, answerMs});
        }
        std::printf("gateways answering after %d ms:\n\n", answerMs);
        runRounds(rounds, one, fifty);
    }
    return 0;
}
