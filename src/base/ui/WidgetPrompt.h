#pragma once

#include "base/Prompt.h"

// The program's prompt: QMessageBox and QFileDialog over the active window.
class WidgetPrompt : public Prompt
{
public:
    // The title of the message boxes (the application's name until set).
    void setTitle(const QString &title) { m_title = title; }

    void error(const QString &text) override;
    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool warningYesNo(const QString &text) override;
    bool confirmYesNo(const QString &text) override;
    Answer confirmYesNoCancel(const QString &text) override;
    QStringList openFiles(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;

private:
    QString title() const;

    QString m_title;
};
