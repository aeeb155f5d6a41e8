#include "RecordingPrompt.h"

RecordingPrompt::RecordingPrompt()
{
    Prompt::install(this);
}

RecordingPrompt::~RecordingPrompt()
{
    Prompt::install(nullptr);
}

QStringList RecordingPrompt::texts() const
{
    QStringList result;
    for (const Entry &e : log)
        result << e.text;
    return result;
}

QStringList RecordingPrompt::texts(const QString &kind) const
{
    QStringList result;
    for (const Entry &e : log) {
        if (e.kind == kind)
            result << e.text;
    }
    return result;
}

bool RecordingPrompt::warningYesNo(const QString &text)
{
    record(QStringLiteral("warningYesNo"), text);
    return next() == Answer::Yes;
}

bool RecordingPrompt::confirmYesNo(const QString &text)
{
    record(QStringLiteral("confirmYesNo"), text);
    return next() == Answer::Yes;
}

Prompt::Answer RecordingPrompt::confirmYesNoCancel(const QString &text)
{
    record(QStringLiteral("confirmYesNoCancel"), text);
    return next();
}

QStringList RecordingPrompt::openFiles(const FileRequest &request)
{
    record(QStringLiteral("open"), request.title);
    fileRequests << request;
    return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
}

QString RecordingPrompt::saveFile(const FileRequest &request)
{
    record(QStringLiteral("save"), request.title);
    fileRequests << request;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}
