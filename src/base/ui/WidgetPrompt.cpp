#include "base/ui/WidgetPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QWidget *owner() { return QApplication::activeWindow(); }

// Message texts carry "\r\n" line ends; a message box wants plain "\n".
QString plain(const QString &text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

QString WidgetPrompt::title() const
{
    return m_title.isEmpty() ? QApplication::applicationName() : m_title;
}

void WidgetPrompt::error(const QString &text)
{
    QMessageBox::critical(owner(), title(), plain(text));
}

void WidgetPrompt::warning(const QString &text)
{
    QMessageBox::warning(owner(), title(), plain(text));
}

void WidgetPrompt::information(const QString &text)
{
    QMessageBox::information(owner(), title(), plain(text));
}

bool WidgetPrompt::warningYesNo(const QString &text)
{
    return QMessageBox::warning(owner(), title(), plain(text), QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

bool WidgetPrompt::confirmYesNo(const QString &text)
{
    return QMessageBox::question(owner(), title(), plain(text), QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

Prompt::Answer WidgetPrompt::confirmYesNoCancel(const QString &text)
{
    const auto button = QMessageBox::question(owner(), title(), plain(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

QStringList WidgetPrompt::openFiles(const FileRequest &request)
{
    const QString filter = Prompt::qtFilter(request.filter);
    if (request.multiple)
        return QFileDialog::getOpenFileNames(owner(), request.title, request.proposedName, filter);
    const QString file = QFileDialog::getOpenFileName(owner(), request.title, request.proposedName, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString WidgetPrompt::saveFile(const FileRequest &request)
{
    QFileDialog dialog(owner(), request.title, request.proposedName, Prompt::qtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
