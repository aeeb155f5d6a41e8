#include "cli/GatewayJobs.h"

#include "device/HttpChannel.h"
#include "site/OrvanSite.h"
#include "site/SiteTransfer.h"

#include <QFile>

#include <atomic>

namespace {

// Progress of the data in quarters, so a long transfer shows it is moving.
TSiteTransferObserver observerFor(const QByteArray &host, Progress &progress)
{
    auto total = std::make_shared<std::atomic<qint64>>(0);
    auto quarter = std::make_shared<std::atomic_int>(0);
    TSiteTransferObserver observer;
    observer.status = [&progress, host](const QString &text) { progress.status(host, text); };
    observer.workBegin = [total, quarter](qint64 expected) {
        total->store(expected);
        quarter->store(0);
    };
    observer.work = [&progress, host, total, quarter](qint64 done) {
        const qint64 expected = total->load();
        if (expected <= 0)
            return;
        const int reached = int(qMin<qint64>(4, done * 4 / expected));
        if (reached > quarter->load()) {
            quarter->store(reached);
            progress.status(host, QStringLiteral("%1 of %2 bytes").arg(done).arg(expected));
        }
    };
    return observer;
}

FtpClient::Options ftpOptions(const CliSettings &settings)
{
    FtpClient::Options options;
    options.timeoutMs = settings.ftpTimeoutMs;
    return options;
}

void takeFailure(const TSiteTransfer &transfer, GatewayResult &result)
{
    result.step = transfer.Failure().step;
    result.reason = transfer.Failure().detail;
    if (transfer.Failure().kind == TSiteFailure::Kind::Connect)
        result.reason = QStringLiteral("%1 (%2)").arg(QLatin1String(SiteTransferText::ConnectFailed), result.reason);
}

} // namespace

std::optional<QByteArray> LoadSiteToSend(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // The gateway's space bounds what can be sent; a larger file is not even read.
    if (file.size() > TOrvanSite::MaxSiteSize) {
        *error = QStringLiteral("%1: %2 bytes do not fit in the gateway's %3 bytes")
                     .arg(path)
                     .arg(file.size())
                     .arg(TOrvanSite::MaxSiteSize);
        return std::nullopt;
    }
    const QByteArray image = file.readAll();
    if (const QString why = TOrvanSite::CheckImage(image); !why.isEmpty()) {
        *error = QStringLiteral("%1: not a sound web site image: %2").arg(path, why);
        return std::nullopt;
    }
    return image;
}

GatewayResult SendSiteJob(const CliSettings &settings, const QByteArray &host, const QByteArray &image,
                          Progress &progress)
{
    GatewayResult result;
    THttpChannel channel = settings.channel();
    TDeviceData device;
    if (!ReachGateway(channel, host, settings.password, result, device, progress))
        return result;
    TSiteTransfer transfer(settings.ftpTarget(device), ftpOptions(settings), observerFor(host, progress));
    result.ok = transfer.Send(image);
    if (!result.ok)
        takeFailure(transfer, result);
    result.extra[QStringLiteral("bytes")] = qint64(image.size());
    return result;
}

GatewayResult GetSiteJob(const CliSettings &settings, const QByteArray &host, const QString &path, Progress &progress)
{
    GatewayResult result;
    THttpChannel channel = settings.channel();
    TDeviceData device;
    if (!ReachGateway(channel, host, settings.password, result, device, progress))
        return result;
    TSiteTransfer transfer(settings.ftpTarget(device), ftpOptions(settings), observerFor(host, progress));
    QByteArray image;
    if (!transfer.Get(image)) {
        takeFailure(transfer, result);
        return result;
    }
    // Taken and saved as the document takes and saves it: a damaged image is never written,
    // and the file is replaced only once the new one is complete.
    TOrvanSite site;
    site.SetFileName(path);
    if (!site.LoadFromStream(image)) {
        result.step = "RETR";
        result.reason = site.ErrorString();
        return result;
    }
    progress.status(host, QStringLiteral("Saving %1...").arg(path));
    if (!site.Save()) {
        result.step = "save";
        result.reason = site.ErrorString();
        return result;
    }
    result.ok = true;
    result.extra[QStringLiteral("file")] = path;
    result.extra[QStringLiteral("bytes")] = qint64(image.size());
    return result;
}
