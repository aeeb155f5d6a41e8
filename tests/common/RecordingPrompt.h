#pragma once

#include "base/Prompt.h"

#include <QList>
#include <QPair>
#include <QQueue>

// A prompt for tests: logs every message and question, answers from a script.
// Installs itself on construction and restores the previous fallback when destroyed.
class RecordingPrompt : public Prompt
{
public:
    struct Entry
    {
        QString kind; // "error", "warning", "information", "warningYesNo", "confirmYesNo", "confirmYesNoCancel", "open", "save"
        QString text;
    };

    RecordingPrompt();
    ~RecordingPrompt() override;

    QList<Entry> log;
    QQueue<Answer> answers;        // for the questions; Yes when empty
    QQueue<QStringList> openAnswers; // for openFiles; empty (cancelled) when none is queued
    QQueue<QString> saveAnswers;     // for saveFile; empty (cancelled) when none is queued
    QList<FileRequest> fileRequests;

    QStringList texts() const;                 // every logged text in order
    QStringList texts(const QString &kind) const;
    QString last() const { return log.isEmpty() ? QString() : log.constLast().text; }
    void clear() { log.clear(); fileRequests.clear(); }

    void error(const QString &text) override { record(QStringLiteral("error"), text); }
    void warning(const QString &text) override { record(QStringLiteral("warning"), text); }
    void information(const QString &text) override { record(QStringLiteral("information"), text); }
    bool warningYesNo(const QString &text) override;
    bool confirmYesNo(const QString &text) override;
    Answer confirmYesNoCancel(const QString &text) override;
    QStringList openFiles(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;

private:
    void record(const QString &kind, const QString &text) { log.append({kind, text}); }
    Answer next() { return answers.isEmpty() ? Answer::Yes : answers.dequeue(); }
};
