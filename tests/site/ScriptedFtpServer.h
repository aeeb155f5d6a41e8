#pragma once

#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/StreamSocket.h>

#include <QByteArray>
#include <QList>
#include <QMap>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

// A scripted FTP server on 127.0.0.1 for the tests: it records every command line and
// answers from a table (verb -> reply line), with defaults that accept any log-on. STOR
// reads slowly when asked to, and answers ABOR during it with 426 then 226. One
// connection at a time; it stops when destroyed.
class ScriptedFtpServer
{
public:
    QMap<QByteArray, QByteArray> replies;
    QByteArray listing;
    int slowReadMs = 0; // STOR: pause after each 1 KiB read

    ScriptedFtpServer() : m_server(Poco::Net::SocketAddress("127.0.0.1", 0))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~ScriptedFtpServer()
    {
        m_stop = true;
        m_thread.join();
    }

    quint16 port() const { return m_server.address().port(); }
    QList<QByteArray> commands() const
    {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_commands.clear();
    }

private:
    void run()
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (!m_stop && std::chrono::steady_clock::now() < limit) {
            if (!m_server.poll(Poco::Timespan(50000), Poco::Net::Socket::SELECT_READ))
                continue;
            Poco::Net::StreamSocket control = m_server.acceptConnection();
            try {
                serve(control);
            } catch (...) {
            }
            control.close();
        }
    }

    void send(Poco::Net::StreamSocket &s, const QByteArray &line)
    {
        const QByteArray out = line + "\r\n";
        s.sendBytes(out.constData(), int(out.size()));
    }

    // A line from the control connection, waiting up to waitMs (0: only what has arrived).
    bool readLine(Poco::Net::StreamSocket &s, QByteArray &line, int waitMs)
    {
        for (int waited = 0; !m_stop; waited += 20) {
            const qsizetype nl = m_in.indexOf('\n');
            if (nl >= 0) {
                line.clear();
                for (char c : m_in.left(nl))
                    if (uchar(c) >= 0x20 && uchar(c) < 0x7f)
                        line += c;
                m_in.remove(0, nl + 1);
                return true;
            }
            if (s.poll(Poco::Timespan(waitMs == 0 ? 0 : 20000), Poco::Net::Socket::SELECT_READ)) {
                char buf[512];
                const int n = s.receiveBytes(buf, sizeof buf);
                if (n <= 0)
                    return false;
                m_in.append(buf, n);
                continue;
            }
            if (waited >= waitMs)
                return false;
        }
        return false;
    }

    void serve(Poco::Net::StreamSocket &control)
    {
        m_in.clear();
        send(control, "220 scripted server");
        Poco::Net::SocketAddress dataAddress;
        QByteArray line;
        while (readLine(control, line, 10000)) {
            {
                std::lock_guard lock(m_mutex);
                m_commands << line;
            }
            const QByteArray verb = line.split(' ').first().toUpper();
            if (replies.contains(verb)) {
                send(control, replies.value(verb));
                continue;
            }
            if (verb == "USER") {
                send(control, "331 Password required");
            } else if (verb == "PASS") {
                send(control, "230 Logged in");
            } else if (verb == "SITE" || verb == "TYPE") {
                send(control, "200 OK");
            } else if (verb == "OPEN") {
                send(control, "220 Connected to the host");
            } else if (verb == "PORT") {
                const QList<QByteArray> p = line.mid(5).split(',');
                dataAddress = Poco::Net::SocketAddress(
                    QByteArray(p[0] + '.' + p[1] + '.' + p[2] + '.' + p[3]).toStdString(),
                    Poco::UInt16(p[4].toInt() * 256 + p[5].toInt()));
                send(control, "200 PORT OK");
            } else if (verb == "LIST") {
                send(control, "150 Listing");
                Poco::Net::StreamSocket data(dataAddress);
                if (!listing.isEmpty())
                    data.sendBytes(listing.constData(), int(listing.size()));
                data.close();
                send(control, "226 Done");
            } else if (verb == "STOR") {
                send(control, "150 Ready");
                Poco::Net::StreamSocket data(dataAddress);
                data.setReceiveBufferSize(1024);
                char buf[1024];
                bool aborted = false;
                while (!m_stop) {
                    QByteArray next;
                    if (readLine(control, next, 0)) {
                        std::lock_guard lock(m_mutex);
                        m_commands << next;
                        if (next.toUpper().startsWith("ABOR")) {
                            aborted = true;
                            break;
                        }
                    }
                    if (!data.poll(Poco::Timespan(20000), Poco::Net::Socket::SELECT_READ))
                        continue;
                    if (data.receiveBytes(buf, sizeof buf) <= 0)
                        break;
                    if (slowReadMs)
                        std::this_thread::sleep_for(std::chrono::milliseconds(slowReadMs));
                }
                data.close();
                if (aborted) {
                    send(control, "426 Transfer aborted");
                    send(control, "226 Abort successful");
                } else {
                    send(control, "226 Stored");
                }
            } else if (verb == "QUIT") {
                send(control, "221 Bye");
                return;
            } else {
                send(control, "502 Not implemented");
            }
        }
    }

    Poco::Net::ServerSocket m_server;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QList<QByteArray> m_commands;
    QByteArray m_in;
};
