#include "GatewayFile.h"

#include "LiveValues.h"
#include "Request.h"
#include "Simulator.h"
#include "TagKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sim {

namespace {

bool flagValue(const QByteArray &value, bool &ok)
{
    const QByteArray v = value.toLower();
    ok = true;
    if (v == "1" || v == "yes" || v == "true" || v == "on")
        return true;
    if (v == "0" || v == "no" || v == "false" || v == "off" || v.isEmpty())
        return false;
    ok = false;
    return false;
}

class Reader
{
public:
    Reader(QString fileName, QString baseDir) : m_fileName(std::move(fileName)), m_baseDir(std::move(baseDir)) {}

    [[noreturn]] void fail(int line, const QString &message) const
    {
        const QString where = m_fileName.isEmpty() ? QStringLiteral("line %1").arg(line)
                                                   : QStringLiteral("%1:%2").arg(m_fileName).arg(line);
        throw GatewayFileError((where + QStringLiteral(": ") + message).toStdString());
    }

    // One key of a section into the gateway being read.
    void apply(GatewaySetup &g, const QByteArray &key, const QByteArray &value, int line) const
    {
        GatewayState &s = g.state;
        bool ok = true;
        auto flag = [&](bool &field) {
            field = flagValue(value, ok);
            if (!ok)
                fail(line, QStringLiteral("\"%1\" is not 0 or 1").arg(QString::fromLatin1(value)));
        };
        auto keyList = [&](Keys &field) {
            const auto keys = parseKeyList(value);
            if (!keys)
                fail(line, QStringLiteral("%1 must be KEY=value,KEY=value,...").arg(QString::fromLatin1(key)));
            field = *keys;
        };
        if (key == "model") s.model = value;
        else if (key == "version") s.version = value;
        else if (key == "mac") s.mac = value;
        else if (key == "ip") s.ip = value;
        else if (key == "netmask") s.netmask = value;
        else if (key == "gateway") s.gateway = value;
        else if (key == "dhcp") flag(s.dhcp);
        else if (key == "hostname") s.hostName = value;
        else if (key == "dns1") s.dns1 = value;
        else if (key == "dns2") s.dns2 = value;
        else if (key == "snmp") flag(s.snmp);
        else if (key == "manager") s.manager = value;
        else if (key == "read_community") s.readCommunity = value;
        else if (key == "write_community") s.writeCommunity = value;
        else if (key == "trap_community") s.trapCommunity = value;
        else if (key == "web_user") s.webUser = value;
        else if (key == "web_password") s.webPassword = value;
        else if (key == "admin_password") s.adminPassword = value;
        else if (key == "live_motion") flag(s.liveMotion);
        else if (key == "clock_offset") {
            s.clockOffsetSecs = value.toLongLong(&ok);
            if (!ok)
                fail(line, QStringLiteral("clock_offset must be a number of seconds"));
        } else if (key == "com") keyList(s.com);
        else if (key == "smtp") keyList(s.smtp);
        else if (key.startsWith("recipient") && key.size() == 10 && key[9] >= '1' && key[9] <= '5')
            s.recipients[size_t(key[9] - '1')] = value;
        else if (key == "tag") {
            Keys tag;
            keyList(tag);
            if (s.tags.size() >= 128)
                fail(line, QStringLiteral("a gateway holds at most 128 tags"));
            s.tags.append(tag);
        } else if (key == "site") {
            const QString path = QDir(m_baseDir).filePath(QString::fromLocal8Bit(value));
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                fail(line, QStringLiteral("cannot read the site image %1").arg(path));
            s.siteImage = file.readAll();
        } else if (key == "fault") {
            const auto fault = parseFault(value);
            if (!fault)
                fail(line, QStringLiteral("fault must be COMMAND:KIND[:MS]"));
            g.faults.append(*fault);
        } else {
            fail(line, QStringLiteral("unknown key \"%1\"").arg(QString::fromLatin1(key)));
        }
    }

private:
    QString m_fileName;
    QString m_baseDir;
};

} // namespace

std::optional<CommandFault> parseFault(const QByteArray &text)
{
    const QList<QByteArray> parts = text.trimmed().split(':');
    if (parts.size() < 2 || parts.size() > 3 || parts[0].isEmpty())
        return std::nullopt;
    CommandFault f;
    f.command = parts[0].toUpper();
    const QByteArray kind = parts[1].toLower();
    if (kind == "nak") f.fault.kind = FaultKind::Nak;
    else if (kind == "wrong") f.fault.kind = FaultKind::WrongReply;
    else if (kind == "http500" || kind == "http") f.fault.kind = FaultKind::HttpError;
    else if (kind == "drop") f.fault.kind = FaultKind::Drop;
    else if (kind == "delay") f.fault.kind = FaultKind::Delay;
    else if (kind == "ignore-udp" || kind == "ignore") f.fault.kind = FaultKind::IgnoreUdp;
    else if (kind == "none") f.fault.kind = FaultKind::None;
    else return std::nullopt;
    if (parts.size() == 3) {
        bool ok = false;
        f.fault.delayMs = parts[2].toInt(&ok);
        if (!ok || f.fault.delayMs < 0)
            return std::nullopt;
    } else if (f.fault.kind == FaultKind::Delay) {
        return std::nullopt;
    }
    return f;
}

QList<GatewaySetup> parseGatewayFile(const QByteArray &text, const QByteArray &firstAddress, const QString &baseDir,
                                     const QString &fileName)
{
    const Reader reader(fileName, baseDir);
    QList<GatewaySetup> gateways;
    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QByteArray line = lines.at(n);
        // A ";" after white space starts a comment; packet values never hold a raw ";".
        for (qsizetype i = 1; i < line.size(); ++i) {
            if (line[i] == ';' && (line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line.truncate(i);
                break;
            }
        }
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            if (!line.endsWith(']'))
                reader.fail(n + 1, QStringLiteral("a section name ends with \"]\""));
            gateways.append(GatewaySetup());
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            reader.fail(n + 1, QStringLiteral("expected key = value"));
        if (gateways.isEmpty())
            reader.fail(n + 1, QStringLiteral("a key before the first [section]"));
        reader.apply(gateways.last(), line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed(), n + 1);
    }
    QByteArray next = firstAddress;
    for (GatewaySetup &g : gateways) {
        if (g.state.ip.isEmpty())
            g.state.ip = next;
        next = Simulator::nextAddress(g.state.ip);
        syncLive(g.state);
    }
    return gateways;
}

QList<GatewaySetup> loadGatewayFile(const QString &path, const QByteArray &firstAddress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw GatewayFileError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()).toStdString());
    return parseGatewayFile(file.readAll(), firstAddress, QFileInfo(path).absolutePath(), path);
}

} // namespace sim
