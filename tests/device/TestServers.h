#pragma once

// Loopback peers for the HTTP channel tests: a raw socket server that answers from a
// script and records the exact request bytes, and a tinyproxy started on a free port.

#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

class ScriptedHttpServer
{
public:
    enum class Action { Reply, Drop, Hang, Forward };
    struct Step
    {
        Action action = Action::Reply;
        QByteArray response; // the whole reply, status line included
    };

    // Every connection is relayed to the target, both directions recorded.
    void forwardTo(const QByteArray &address, quint16 port)
    {
        std::lock_guard lock(m_mutex);
        m_forward = Poco::Net::SocketAddress(address.toStdString(), port);
        m_forwarding = true;
    }
    QList<QByteArray> replies() const
    {
        std::lock_guard lock(m_mutex);
        return m_replies;
    }

    static QByteArray ok(const QByteArray &body)
    {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size())
               + "\r\n\r\n" + body;
    }

    explicit ScriptedHttpServer(const char *address = "127.0.0.1")
        : m_socket(Poco::Net::SocketAddress(address, 0))
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~ScriptedHttpServer()
    {
        m_stop = true;
        m_thread.join();
    }

    quint16 port() const { return m_socket.address().port(); }
    void push(Step step)
    {
        std::lock_guard lock(m_mutex);
        m_script.push_back(std::move(step));
    }
    void reply(const QByteArray &response) { push({Action::Reply, response}); }
    QList<QByteArray> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void serve()
    {
        while (!m_stop) {
            if (!m_socket.poll(Poco::Timespan(0, 20'000), Poco::Net::Socket::SELECT_READ))
                continue;
            Poco::Net::StreamSocket client = m_socket.acceptConnection();
            const QByteArray request = readRequest(client);
            Step step;
            {
                std::lock_guard lock(m_mutex);
                m_requests.append(request);
                if (m_forwarding) {
                    step.action = Action::Forward;
                } else if (!m_script.empty()) {
                    step = m_script.front();
                    m_script.pop_front();
                } else {
                    step.response = ok("ACK();");
                }
            }
            if (step.action == Action::Hang) {
                // Say nothing until the client gives up (closes) or the server stops.
                while (!m_stop) {
                    if (!client.poll(Poco::Timespan(0, 20'000), Poco::Net::Socket::SELECT_READ))
                        continue;
                    char byte;
                    int n = 0;
                    try {
                        n = client.receiveBytes(&byte, 1);
                    } catch (...) {
                    }
                    if (n <= 0)
                        break;
                }
            } else if (step.action == Action::Forward) {
                const QByteArray answer = relay(request);
                std::lock_guard lock(m_mutex);
                m_replies.append(answer);
                client.sendBytes(answer.constData(), int(answer.size()));
            } else if (step.action == Action::Reply) {
                client.sendBytes(step.response.constData(), int(step.response.size()));
            }
            client.close();
        }
    }

    QByteArray relay(const QByteArray &request)
    {
        QByteArray answer;
        try {
            Poco::Net::StreamSocket target(m_forward);
            target.setReceiveTimeout(Poco::Timespan(5, 0));
            target.sendBytes(request.constData(), int(request.size()));
            char buffer[4096];
            for (int n; (n = target.receiveBytes(buffer, sizeof buffer)) > 0;)
                answer.append(buffer, n);
        } catch (...) {
        }
        return answer;
    }

    // Headers up to the empty line, then Content-Length bytes of body.
    static QByteArray readRequest(Poco::Net::StreamSocket &client)
    {
        client.setReceiveTimeout(Poco::Timespan(2, 0));
        QByteArray data;
        char buffer[4096];
        qsizetype expected = -1;
        try {
            while (expected < 0 || data.size() < expected) {
                const int n = client.receiveBytes(buffer, sizeof buffer);
                if (n <= 0)
                    break;
                data.append(buffer, n);
                const qsizetype end = data.indexOf("\r\n\r\n");
                if (expected < 0 && end >= 0) {
                    qsizetype length = 0;
                    for (const QByteArray &line : data.left(end).split('\n'))
                        if (line.toLower().startsWith("content-length:"))
                            length = line.mid(15).trimmed().toLongLong();
                    expected = end + 4 + length;
                }
            }
        } catch (...) {
        }
        return data;
    }

    Poco::Net::ServerSocket m_socket;
    std::thread m_thread;
    std::atomic_bool m_stop = false;
    mutable std::mutex m_mutex;
    std::deque<Step> m_script;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_replies;
    bool m_forwarding = false;
    Poco::Net::SocketAddress m_forward;
};

// tinyproxy in the foreground on a free loopback port, with basic authentication.
class TinyProxy
{
public:
    static bool available() { return !QStandardPaths::findExecutable(QStringLiteral("tinyproxy")).isEmpty(); }

    bool start(const QByteArray &user, const QByteArray &password)
    {
        m_port = freePort();
        const QString conf = m_dir.filePath(QStringLiteral("tinyproxy.conf"));
        QFile file(conf);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("Port " + QByteArray::number(m_port) + "\nListen 127.0.0.1\nTimeout 10\nAllow 127.0.0.1\n"
                   "MaxClients 20\nLogLevel Connect\nBasicAuth " + user + " " + password + "\n");
        file.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), conf});
        if (!m_process.waitForStarted(3000))
            return false;
        // Ready once it accepts a connection.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            try {
                Poco::Net::StreamSocket probe;
                probe.connect(Poco::Net::SocketAddress("127.0.0.1", m_port), Poco::Timespan(0, 200'000));
                return true;
            } catch (...) {
                QThread::msleep(20);
            }
        }
        return false;
    }
    ~TinyProxy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    quint16 port() const { return m_port; }
    QByteArray output() { return m_process.readAll(); }

private:
    static quint16 freePort()
    {
        Poco::Net::ServerSocket probe(Poco::Net::SocketAddress("127.0.0.1", 0));
        return probe.address().port();
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
