#include "cli/GatewayJobs.h"

#include "device/Connection.h"
#include "device/HttpChannel.h"
#include "device/RemoteSearch.h"

#include <QElapsedTimer>

#include <atomic>
#include <exception>
#include <thread>

std::vector<GatewayResult> RunJobs(const QList<QByteArray> &hosts, int jobs, Progress &progress,
                                   const std::function<GatewayResult(const QByteArray &host)> &job)
{
    std::vector<GatewayResult> results(size_t(hosts.size()));
    std::atomic_int next = 0;
    const auto worker = [&] {
        for (int i = next++; i < hosts.size(); i = next++) {
            QElapsedTimer clock;
            clock.start();
            GatewayResult result;
            try {
                result = job(hosts.at(i));
            } catch (const std::exception &e) {
                // One gateway's surprise ends its own job, never the others'.
                result.ok = false;
                result.step = "internal";
                result.reason = QString::fromLocal8Bit(e.what());
            }
            result.host = hosts.at(i);
            result.milliseconds = clock.elapsed();
            progress.finished(result);
            results[size_t(i)] = std::move(result);
        }
    };
    std::vector<std::thread> threads;
    const int count = qBound(1, jobs, int(hosts.size()));
    threads.reserve(size_t(count));
    for (int t = 0; t < count; ++t)
        threads.emplace_back(worker);
    for (std::thread &thread : threads)
        thread.join();
    return results;
}

QString NoResponseReason(const THttpChannel &channel)
{
    const QString why = channel.lastError();
    return why.isEmpty() ? THttpChannel::NoResponseMessage
                         : QStringLiteral("%1 (%2)").arg(THttpChannel::NoResponseMessage, why);
}

bool ReachGateway(THttpChannel &channel, const QByteArray &host, const QByteArray &password, GatewayResult &result,
                  TDeviceData &connected, Progress &progress)
{
    progress.status(host, QStringLiteral("Searching Remote Device..."));
    TDeviceData device;
    QByteArray failed;
    switch (QueryRemoteDevice(channel, host, device, &failed)) {
    case RemoteSearchOutcome::NoResponse:
        result.step = failed;
        result.reason = NoResponseReason(channel);
        return false;
    case RemoteSearchOutcome::InvalidResponse:
        result.step = failed;
        result.reason = QString::fromLatin1(RemoteSearchText::InvalidResponse);
        return false;
    case RemoteSearchOutcome::Found:
        break;
    }
    result.device = device;
    progress.status(host, QStringLiteral("Connecting..."));
    switch (LogIn(channel, device, password, &connected)) {
    case LogInOutcome::NoResponse:
        result.step = "GETADMIN";
        result.reason = QStringLiteral("%1 %2").arg(QLatin1String(ConnectionText::NoResponse), NoResponseReason(channel));
        return false;
    case LogInOutcome::WrongPassword:
        result.step = "GETADMIN";
        result.reason = QString::fromLatin1(ConnectionText::WrongPassword);
        return false;
    case LogInOutcome::Connected:
        break;
    }
    return true;
}
