// Times a local search of N simulated gateways on loopback: from the HELLO broadcast to
// the last row listed, and counts the answers lost. Not a test: prints a table.
//   bench_locator [runs per size, default 5]
#include "Simulator.h"
#include "device/ui/DeviceList.h"
#include "device/ui/LocatorController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

namespace {

struct Run
{
    double lastRowMs = 0;
    int lost = 0;
};

Run searchOnce(int gatewayCount)
{
    sim::Simulator::Options options; // 127.0.0.2, an ephemeral port
    options.serveHttp = false;
    options.serveFtp = false;
    sim::Simulator simulator(options);
    for (int i = 0; i < gatewayCount; ++i) {
        sim::GatewayState g;
        const QByteArray n = QByteArray::number(i).rightJustified(4, '0');
        g.mac = "00:50:C2:02:" + n.left(2) + ":" + n.right(2);
        g.ip = "127.0.2." + QByteArray::number(i % 250 + 1);
        g.hostName = "bench-" + n;
        simulator.addGateway(g);
    }
    simulator.start();

    TDeviceListView list;
    TLocatorController controller(&list, nullptr, simulator.udpPort(), QHostAddress(QStringLiteral("127.0.0.2")));
    controller.SetUpSockets();

    QElapsedTimer clock;
    qint64 lastRowNs = 0;
    QObject::connect(list.model(), &QAbstractItemModel::rowsInserted, [&] { lastRowNs = clock.nsecsElapsed(); });
    clock.start();
    controller.DevicesSearchLocalExecute(); // broadcast, then the 500 ms wait
    return {lastRowNs / 1e6, gatewayCount - list.rowCount()};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;

    QTextStream out(stdout);
    out << "gateways  runs  last row median ms  last row max ms  answers lost (total)\n";
    for (int n : {10, 100, 1000}) {
        QList<double> times;
        int lost = 0;
        for (int r = 0; r < runs; ++r) {
            const Run run = searchOnce(n);
            times << run.lastRowMs;
            lost += run.lost;
        }
        std::sort(times.begin(), times.end());
        out << qSetFieldWidth(8) << n << qSetFieldWidth(6) << runs << qSetFieldWidth(20)
            << QString::number(times.at(times.size() / 2), 'f', 1) << qSetFieldWidth(17)
            << QString::number(times.last(), 'f', 1) << qSetFieldWidth(22) << lost << qSetFieldWidth(0) << "\n";
        out.flush();
    }
    return 0;
}
