#pragma once

#include "site/FtpTransfer.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// What a web site transfer tells whoever shows it. Every member may be left empty.
struct TSiteTransferObserver
{
    std::function<void(const QString &text)> status; // the step about to run; on the caller's thread
    std::function<void(qint64 total)> workBegin;     // the data starts to move: the bytes expected
    FtpClient::Progress work;                        // bytes moved so far; on the thread moving them
    std::function<void()> workEnd;                   // all of the data has moved
};

namespace SiteTransferText {
// What the window says when the connection or log-on failed.
inline constexpr char ConnectFailed[] = "Error while trying to connect to Orvan FTP Server.\r\n"
                                        "Verify connection or wait for Orvan to establish the connection.";
}

// Why a transfer stopped.
struct TSiteFailure
{
    enum class Kind {
        None,
        Connect,   // no connection or log-on: the window's connection error box
        Transfer,  // the listing, the data or the disconnect failed
        Cancelled, // Cancel() was called
    };
    Kind kind = Kind::None;
    QByteArray step;  // "CONNECT", "LIST", "STOR", "RETR"
    QString detail;   // what went wrong, in words
};

// The web site image moves as "userpage.qsw" over FTP: a send is connect and log on, store,
// disconnect; a get is connect and log on, read the size from the listing, retrieve,
// disconnect. Each blocking step runs through runBlocking, so a window keeps painting; the
// transfer dialog and the command line both run it through this class.
//
// One object per transfer. It touches no window or prompt, so transfers to several gateways
// can run side by side, each on a thread of its own.
class TSiteTransfer
{
public:
    static constexpr char FileName[] = "userpage.qsw";
    static const QString CompletedText; // "TRANSFER COMPLETED!"

    explicit TSiteTransfer(FtpTarget target, FtpClient::Options options = {}, TSiteTransferObserver observer = {});
    ~TSiteTransfer();

    // True when the image was stored whole.
    bool Send(const QByteArray &image);
    // True when the whole file arrived; only then is *image replaced.
    bool Get(QByteArray &image);

    // Ends the transfer at its next block (ABOR), or before the data moves. Safe from any thread.
    void Cancel();
    bool CancelRequested() const { return m_cancel.load(); }

    const TSiteFailure &Failure() const { return m_failure; }

private:
    bool connect();
    bool fail(TSiteFailure::Kind kind, const QByteArray &step, const QString &detail);
    bool failStep(const QByteArray &step, const std::exception &error);
    void setStatus(const QString &text);

    FtpClient m_client;
    TSiteTransferObserver m_observer;
    std::atomic_bool m_cancel = false;
    TSiteFailure m_failure;
};
