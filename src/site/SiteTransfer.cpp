#include "site/SiteTransfer.h"

#include "base/BlockingCall.h"

const QString TSiteTransfer::CompletedText = QStringLiteral("TRANSFER COMPLETED!");

TSiteTransfer::TSiteTransfer(FtpTarget target, FtpClient::Options options, TSiteTransferObserver observer)
    : m_client(std::move(target), options), m_observer(std::move(observer))
{
}

TSiteTransfer::~TSiteTransfer() = default;

void TSiteTransfer::Cancel()
{
    m_cancel.store(true);
    m_client.Cancel();
}

void TSiteTransfer::setStatus(const QString &text)
{
    if (m_observer.status)
        m_observer.status(text);
}

bool TSiteTransfer::fail(TSiteFailure::Kind kind, const QByteArray &step, const QString &detail)
{
    m_failure = {kind, step, detail};
    runBlocking([this] { m_client.Disconnect(); });
    return false;
}

bool TSiteTransfer::failStep(const QByteArray &step, const std::exception &error)
{
    if (CancelRequested())
        return fail(TSiteFailure::Kind::Cancelled, step, QStringLiteral("Cancelled."));
    const auto *ftp = dynamic_cast<const FtpError *>(&error);
    return fail(TSiteFailure::Kind::Transfer, step, ftp ? ftp->message() : QString::fromLocal8Bit(error.what()));
}

bool TSiteTransfer::connect()
{
    m_failure = {};
    setStatus(QStringLiteral("Connecting to FTP Server..."));
    try {
        runBlocking([this] { m_client.Connect(); });
    } catch (const std::exception &error) {
        if (CancelRequested())
            return fail(TSiteFailure::Kind::Cancelled, "CONNECT", QStringLiteral("Cancelled."));
        const auto *ftp = dynamic_cast<const FtpError *>(&error);
        return fail(TSiteFailure::Kind::Connect, "CONNECT", ftp ? ftp->message() : QString::fromLocal8Bit(error.what()));
    }
    // A cancel during the log-on takes effect before any data moves.
    if (CancelRequested())
        return fail(TSiteFailure::Kind::Cancelled, "CONNECT", QStringLiteral("Cancelled."));
    return true;
}

bool TSiteTransfer::Send(const QByteArray &image)
{
    if (!connect())
        return false;
    const QByteArray bytes = image; // the caller's buffer may change while the call waits
    try {
        setStatus(QStringLiteral("Sending File..."));
        if (m_observer.workBegin)
            m_observer.workBegin(bytes.size());
        runBlocking([&] { m_client.Upload(FileName, bytes, m_observer.work); });
        if (m_observer.workEnd)
            m_observer.workEnd();
    } catch (const std::exception &error) {
        return failStep("STOR", error);
    }
    setStatus(QStringLiteral("Disconnecting..."));
    runBlocking([this] { m_client.Disconnect(); });
    setStatus(CompletedText);
    return true;
}

bool TSiteTransfer::Get(QByteArray &image)
{
    if (!connect())
        return false;
    qint64 expected = 0;
    try {
        runBlocking([&] { expected = m_client.ExpectedSize(FileName); });
    } catch (const std::exception &error) {
        return failStep("LIST", error);
    }
    if (CancelRequested())
        return fail(TSiteFailure::Kind::Cancelled, "LIST", QStringLiteral("Cancelled."));
    QByteArray received;
    try {
        setStatus(QStringLiteral("Getting File..."));
        if (m_observer.workBegin)
            m_observer.workBegin(expected);
        runBlocking([&] { received = m_client.Download(FileName, m_observer.work); });
        if (m_observer.workEnd)
            m_observer.workEnd();
    } catch (const std::exception &error) {
        return failStep("RETR", error);
    }
    setStatus(QStringLiteral("Disconnecting..."));
    runBlocking([this] { m_client.Disconnect(); });
    image = received;
    setStatus(CompletedText);
    return true;
}
