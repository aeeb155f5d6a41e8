#include "base/KovaOptions.h"

#include "base/IniStore.h"
#include "base/DscPkt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

#include <unistd.h>

namespace {

const QString kFileName = QStringLiteral("kova.ini");
const QString kHttp = QStringLiteral("PROXYHTTP");
const QString kFtp = QStringLiteral("PROXYFTP");

QString g_overridePath;
QString g_lastError;
// The open batch's settings, and whether a setter changed them.
std::optional<IniStore> g_batch;
bool g_batchChanged = false;

QString programDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

QString userConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

IniStore loadStore()
{
    IniStore store(KovaOptions::iniPath());
    store.setFilePermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (g_overridePath.isEmpty() && !QFile::exists(store.path())) {
        const QString beside = QDir(programDir()).filePath(kFileName);
        if (beside != store.path() && QFile::exists(beside)) {
            IniStore shipped(beside);
            store.parse(shipped.serialize());
        }
    }
    return store;
}

// Loads the settings, or the open batch's. When they live in the user's folder and no
// file is there yet, a kova.ini that was put beside an installed program serves as the
// starting point.
IniStore openStore()
{
    return g_batch ? *g_batch : loadStore();
}

bool save(IniStore &store)
{
    const QString dir = QFileInfo(store.path()).absolutePath();
    if (!QDir().mkpath(dir)) {
        g_lastError = QStringLiteral("Cannot create the folder %1.").arg(dir);
        return false;
    }
    if (!store.write()) {
        g_lastError = store.errorString();
        return false;
    }
    g_lastError.clear();
    return true;
}

bool setString(const QString &section, const QString &key, const QString &value)
{
    if (g_batch) {
        if (g_batch->value(section, key) != value) {
            g_batch->writeString(section, key, value);
            g_batchChanged = true;
        }
        return true;
    }
    IniStore store = openStore();
    if (store.value(section, key) == value)
        return true;
    store.writeString(section, key, value);
    return save(store);
}

bool setInteger(const QString &section, const QString &key, int value)
{
    return setString(section, key, QString::number(value));
}

bool setBool(const QString &section, const QString &key, bool value)
{
    return setString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

struct Credentials
{
    QByteArray userName;
    QByteArray password;
};

Credentials readAuthData(const QString &section)
{
    const IniStore store = openStore();
    TPacket packet;
    packet.SetText(KovaOptions::UnscrambleAuthData(store.readString(section, QStringLiteral("AUTHDATA")).toLatin1()));
    return {packet.GetString("USERNAME", {}), packet.GetString("PASSWORD", {})};
}

bool writeAuthData(const QString &section, const Credentials &credentials)
{
    const QByteArray packet = KovaOptions::AuthDataPacket(credentials.userName, credentials.password);
    return setString(section, QStringLiteral("AUTHDATA"), QString::fromLatin1(KovaOptions::ScrambleAuthData(packet)));
}

} // namespace

namespace KovaOptions {

QByteArray AuthDataPacket(const QByteArray &userName, const QByteArray &password)
{
    TPacket packet;
    packet.NewCommand("AUTHDATA");
    packet.AddString("USERNAME", userName);
    packet.AddString("PASSWORD", password);
    return packet.GetText();
}

QByteArray ScrambleAuthData(const QByteArray &packetText)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(packetText.size() * 2);
    for (char c : packetText) {
        const quint8 b = quint8(256 - quint8(c)); // wraps 0 to 0
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

QByteArray UnscrambleAuthData(const QByteArray &stored)
{
    QByteArray out;
    out.reserve(stored.size() / 2);
    for (qsizetype i = 0; i + 1 < stored.size(); i += 2) {
        bool ok = false;
        const int b = stored.mid(i, 2).toInt(&ok, 16);
        if (ok)
            out += char(quint8(256 - b));
    }
    return out;
}

QString resolveIniPath(const QString &programFolder, const QString &userConfigFolder)
{
    // access() also reports a read-only file system, which the permission bits do not.
    const QByteArray native = QFile::encodeName(programFolder);
    if (!programFolder.isEmpty() && ::access(native.constData(), W_OK) == 0)
        return QDir(programFolder).filePath(kFileName);
    return QDir(userConfigFolder).filePath(kFileName);
}

QString iniPath()
{
    if (!g_overridePath.isEmpty())
        return g_overridePath;
    return resolveIniPath(programDir(), userConfigDir());
}

void setIniPath(const QString &path)
{
    g_overridePath = path;
}

QString lastError()
{
    return g_lastError;
}

Batch::Batch()
{
    Q_ASSERT(!g_batch);
    g_batch = loadStore();
    g_batchChanged = false;
}

Batch::~Batch()
{
    if (m_open)
        g_batch.reset();
}

bool Batch::commit()
{
    if (!m_open)
        return true;
    m_open = false;
    IniStore store = std::move(*g_batch);
    g_batch.reset();
    return !g_batchChanged || save(store);
}

} // namespace KovaOptions

bool GetHTTPProxyEnabled() { return openStore().readBool(kHttp, QStringLiteral("ENABLED"), false); }
bool SetHTTPProxyEnabled(bool value) { return setBool(kHttp, QStringLiteral("ENABLED"), value); }
QString GetHTTPProxyServer() { return openStore().readString(kHttp, QStringLiteral("SERVER")); }
bool SetHTTPProxyServer(const QString &value) { return setString(kHttp, QStringLiteral("SERVER"), value); }
int GetHTTPProxyPort() { return openStore().readInteger(kHttp, QStringLiteral("PORT"), 0); }
bool SetHTTPProxyPort(int value) { return setInteger(kHttp, QStringLiteral("PORT"), value); }
bool GetHTTPProxyAuth() { return openStore().readBool(kHttp, QStringLiteral("AUTH"), false); }
bool SetHTTPProxyAuth(bool value) { return setBool(kHttp, QStringLiteral("AUTH"), value); }

QString GetHTTPProxyUserName() { return QString::fromLatin1(readAuthData(kHttp).userName); }
QString GetHTTPProxyPassword() { return QString::fromLatin1(readAuthData(kHttp).password); }

bool SetHTTPProxyUserName(const QString &value)
{
    Credentials credentials = readAuthData(kHttp);
    credentials.userName = value.toLatin1();
    return writeAuthData(kHttp, credentials);
}

bool SetHTTPProxyPassword(const QString &value)
{
    Credentials credentials = readAuthData(kHttp);
    credentials.password = value.toLatin1();
    return writeAuthData(kHttp, credentials);
}

bool GetFTPProxyEnabled() { return openStore().readBool(kFtp, QStringLiteral("ENABLED"), false); }
bool SetFTPProxyEnabled(bool value) { return setBool(kFtp, QStringLiteral("ENABLED"), value); }
QString GetFTPProxyServer() { return openStore().readString(kFtp, QStringLiteral("SERVER")); }
bool SetFTPProxyServer(const QString &value) { return setString(kFtp, QStringLiteral("SERVER"), value); }
int GetFTPProxyPort() { return openStore().readInteger(kFtp, QStringLiteral("PORT"), 0); }
bool SetFTPProxyPort(int value) { return setInteger(kFtp, QStringLiteral("PORT"), value); }
bool GetFTPProxyAuth() { return openStore().readBool(kFtp, QStringLiteral("AUTH"), false); }
bool SetFTPProxyAuth(bool value) { return setBool(kFtp, QStringLiteral("AUTH"), value); }

QString GetFTPProxyUserName() { return QString::fromLatin1(readAuthData(kFtp).userName); }
QString GetFTPProxyPassword() { return QString::fromLatin1(readAuthData(kFtp).password); }

bool SetFTPProxyUserName(const QString &value)
{
    Credentials credentials = readAuthData(kFtp);
    credentials.userName = value.toLatin1();
    return writeAuthData(kFtp, credentials);
}

bool SetFTPProxyPassword(const QString &value)
{
    Credentials credentials = readAuthData(kFtp);
    credentials.password = value.toLatin1();
    return writeAuthData(kFtp, credentials);
}

int GetFTPProxyMethod() { return openStore().readInteger(kFtp, QStringLiteral("METHOD"), 1); }
bool SetFTPProxyMethod(int value) { return setInteger(kFtp, QStringLiteral("METHOD"), value); }
