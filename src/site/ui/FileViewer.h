#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// Shows one file of a web site as text, read-only.
class TfrmFileViewer : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFileViewer(QWidget *parent = nullptr);

    // Loads the file at path (8-bit text); the caption names the file as the site calls it.
    bool LoadFile(const QString &path, const QString &siteName);
    QString Text() const;

private:
    QPlainTextEdit *mmoViewer;
    QPushButton *btnClose;
};
