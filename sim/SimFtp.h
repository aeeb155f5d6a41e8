#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

namespace Poco {
class ThreadPool;
namespace Net {
class TCPServer;
}
}

namespace sim {

class Simulator;

// FTP: userpage.qsw, one server per gateway address, all on one port number.
// Log-in "admin" with the gateway's administrator password; TYPE, PORT (loopback targets
// only), PASV, LIST, NLST, SIZE, STOR, RETR, ABOR during a transfer (426 then 226), QUIT.
// A STOR replaces the gateway's image only when the upload completes.
//
// Faults, by the gateway's fault table: "FTP" for the greeting, otherwise the command verb.
//   Nak / HttpError: a 550 (451 for STOR/RETR) refusal instead of the command's work;
//   WrongReply: STOR/RETR answer 200 instead of 150; LIST sends a line in no known format;
//               SIZE answers "213 unknown"; any other command answers 202;
//   Drop: the greeting or command closes the connection; STOR/RETR close both connections
//         half-way through the data;
//   Delay: the reply comes delayMs late; STOR/RETR also sleep delayMs per 4 KiB moved.
class SimFtp
{
public:
    explicit SimFtp(Simulator &simulator);
    ~SimFtp();

    void start(); // binds and serves; throws on failure to bind
    void stop();
    quint16 port() const;

    // The listing line of userpage.qsw: the size starts at character 38 (counting from 1).
    static QByteArray listingLine(qint64 size);

private:
    Simulator &m_simulator;
    quint16 m_port = 0;
    std::shared_ptr<std::atomic<bool>> m_stopping;
    std::unique_ptr<Poco::ThreadPool> m_pool;
    std::vector<std::unique_ptr<Poco::Net::TCPServer>> m_servers;
};

} // namespace sim
