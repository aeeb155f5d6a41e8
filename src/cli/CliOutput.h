#pragma once

#include "base/DeviceData.h"
#include "base/Prompt.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <mutex>
#include <vector>

// What one job did with one gateway: done, or the step that failed and why.
struct GatewayResult
{
    QByteArray host;       // as given on the command line
    bool ok = false;
    TDeviceData device;    // as identified; empty fields when it never answered
    QByteArray step;       // the request or step that failed ("GETADMIN", "SETCOM", "model" ...)
    QString reason;        // why, in words
    qint64 milliseconds = 0;
    QJsonObject extra;     // what the command adds to its line in JSON ("file", "tags" ...)
};

// Messages of the core (file warnings, a failed save) without windows. Warnings and
// information go to stderr at once; an error is kept for the thread that met it, so the
// job can put it on its result line. Questions are answered No.
class CliPrompt : public Prompt
{
public:
    void error(const QString &text) override;
    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool warningYesNo(const QString &text) override;
    bool confirmYesNo(const QString &text) override;
    Answer confirmYesNoCancel(const QString &text) override;
    QStringList openFiles(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }

    // The last error met on this thread since the last call, and forgets it.
    static QString takeError();
};

// Progress on stderr, one line per step that starts: "kova-cli: HOST: Sending COM
// Configuration...". A numbered run of steps ("Sending Tag Configuration... (1)" to
// "(128)") prints its first line only. Safe from every job thread.
class Progress
{
public:
    Progress(bool quiet, int jobs) : m_quiet(quiet), m_total(jobs) {}

    void status(const QByteArray &host, const QString &text);
    void finished(const GatewayResult &result);
    void note(const QString &text); // a line of its own ("search: 3 gateways answered")

private:
    void print(const QString &line);

    bool m_quiet;
    int m_total;
    int m_finished = 0;
    std::mutex m_mutex;
    QMap<QByteArray, QString> m_lastStem;
};

// "kova-cli: " + text on stderr, always (errors that end a command).
void PrintError(const QString &text);

// Results on stdout: a table whose columns are padded to their widest cell (the last one
// is not), or one JSON document.
void PrintTable(const QList<QStringList> &rows);
void PrintJson(const QJsonObject &document);

// The result lines of a job command: DEVICE MODEL MAC RESULT STEP REASON, or as JSON
// {"command", "ok", "results": [...]} plus the members of `head`.
void PrintResults(const QString &command, const std::vector<GatewayResult> &results, bool json,
                  const QJsonObject &head = {});
QJsonObject ResultJson(const GatewayResult &result);
