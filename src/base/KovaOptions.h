#pragma once

#include <QByteArray>
#include <QString>

// Kova's own settings: the proxy servers used to reach remote gateways, kept in kova.ini.
// Each accessor opens the file, reads or writes its one key, writes the file back at once
// when it changed something, and lets it go (inside a KovaOptions::Batch, the writes wait
// for its commit). A missing file reads as every default. The setters return false when
// the file could not be written; KovaOptions::lastError() then says why, and the old file
// is left whole. The file holds proxy credentials, so it is written readable by its owner
// only (mode 0600), on every replace.

bool GetHTTPProxyEnabled();
bool SetHTTPProxyEnabled(bool value);
QString GetHTTPProxyServer();
bool SetHTTPProxyServer(const QString &value);
int GetHTTPProxyPort();
bool SetHTTPProxyPort(int value);
bool GetHTTPProxyAuth();
bool SetHTTPProxyAuth(bool value);
QString GetHTTPProxyUserName();
bool SetHTTPProxyUserName(const QString &value);
QString GetHTTPProxyPassword();
bool SetHTTPProxyPassword(const QString &value);

bool GetFTPProxyEnabled();
bool SetFTPProxyEnabled(bool value);
QString GetFTPProxyServer();
bool SetFTPProxyServer(const QString &value);
int GetFTPProxyPort();
bool SetFTPProxyPort(int value);
bool GetFTPProxyAuth();
bool SetFTPProxyAuth(bool value);
QString GetFTPProxyUserName();
bool SetFTPProxyUserName(const QString &value);
QString GetFTPProxyPassword();
bool SetFTPProxyPassword(const QString &value);
int GetFTPProxyMethod();
bool SetFTPProxyMethod(int value);

namespace KovaOptions {

// FTP proxy methods as stored in PROXYFTP METHOD.
enum FtpProxyMethod { MethodNone = 0, MethodUser = 1, MethodSite = 2, MethodOpen = 3, MethodUserPass = 4 };

// The longest AUTHDATA packet text the settings keep (user name and password together).
constexpr int MaxAuthDataLength = 1000;

// AUTHDATA: the packet AUTHDATA(USERNAME=..,PASSWORD=..,); with every byte b stored as
// (256 - b) mod 256 in two upper-case hexadecimal digits.
QByteArray AuthDataPacket(const QByteArray &userName, const QByteArray &password);
QByteArray ScrambleAuthData(const QByteArray &packetText);
QByteArray UnscrambleAuthData(const QByteArray &stored); // malformed pairs are skipped

// The file in use. Beside the program when that folder can be written; otherwise (an
// installed program) in the user's configuration folder, so settings survive a write.
QString iniPath();
// The rule alone, for a given program folder and user configuration folder.
QString resolveIniPath(const QString &programDir, const QString &userConfigDir);
// Tests point the accessors at a file of their own; an empty path restores the rule.
void setIniPath(const QString &path);

// Why the last failed setter (or commit) could not write the file.
QString lastError();

// Several settings changed as one: while a batch is open the setters change the settings
// in memory (and the getters read them there); commit() replaces the file once, so a
// failure leaves the old file whole rather than a mix of old and new keys. Destroyed
// without a commit, the changes are dropped. One batch at a time.
class Batch
{
public:
    Batch();
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // True when the file holds every change (or nothing changed). Ends the batch.
    bool commit();

private:
    bool m_open = true;
};

} // namespace KovaOptions
