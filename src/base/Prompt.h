#pragma once

#include <QString>
#include <QStringList>

// Every message box and file picker goes through this one interface. The program
// installs the widget implementation; tests install a recorder that answers as scripted.
class Prompt
{
public:
    enum class Answer { Yes, No, Cancel };

    struct FileRequest
    {
        QString title;
        QString filter;            // "Description|*.ext|Description|*.ext", as the windows give it
        QString defaultSuffix;     // save only, without the dot
        QString proposedName;      // file name or full path
        bool multiple = false;     // open only
        bool confirmOverwrite = true; // save only
    };

    virtual ~Prompt() = default;

    virtual void error(const QString &text) = 0;
    virtual void warning(const QString &text) = 0;
    virtual void information(const QString &text) = 0;
    virtual bool warningYesNo(const QString &text) = 0;      // confirmation before a send
    virtual bool confirmYesNo(const QString &text) = 0;      // deletions and the like
    virtual Answer confirmYesNoCancel(const QString &text) = 0;
    virtual QStringList openFiles(const FileRequest &request) = 0; // empty when cancelled
    virtual QString saveFile(const FileRequest &request) = 0;      // empty when cancelled

    // The prompt in use. Never null: without an installed one, messages go to stderr
    // and every question is answered No/Cancel.
    static Prompt &instance();
    // Installs a prompt (not owned); nullptr restores the fallback.
    static void install(Prompt *prompt);

    // "Desc|*.a|Desc2|*.b" -> "Desc (*.a);;Desc2 (*.b)" for Qt's file dialogs.
    static QString qtFilter(const QString &filter);
};
