#include "base/ui/ChildWin.h"

#include "base/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

TMDIChild::TMDIChild(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("MDI Child"));
}

void TMDIChild::SetFileName(const QString &fileName)
{
    m_fileName = fileName;
    emit documentStateChanged();
}

void TMDIChild::SetSaved(bool saved)
{
    m_saved = saved;
    emit documentStateChanged();
}

void TMDIChild::SetNamed(bool named)
{
    m_named = named;
    emit documentStateChanged();
}

bool TMDIChild::Save()
{
    return m_named ? UpdateFile() : SaveAs();
}

bool TMDIChild::OnCloseQuery()
{
    if (m_saved)
        return true;
    const QString shown = m_named ? m_fileName : QFileInfo(m_fileName).fileName();
    switch (Prompt::instance().confirmYesNoCancel(QStringLiteral("File \"%1\" has Changed. Save this file?").arg(shown))) {
    case Prompt::Answer::Yes:
        return Save();
    case Prompt::Answer::No:
        return true;
    case Prompt::Answer::Cancel:
        break;
    }
    return false;
}

QString TMDIChild::ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

void TMDIChild::closeEvent(QCloseEvent *event)
{
    if (OnCloseQuery())
        event->accept();
    else
        event->ignore();
}
