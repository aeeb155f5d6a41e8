#pragma once

#include "base/DeviceData.h"

#include <QWidget>

// The base of every document window (configuration documents, web site documents).
// The main window puts each document in a QMdiSubWindow that is deleted when closed.
class TMDIChild : public QWidget
{
    Q_OBJECT

public:
    explicit TMDIChild(QWidget *parent = nullptr);

    QString FileName() const { return m_fileName; }
    bool Saved() const { return m_saved; }
    bool Named() const { return m_named; }
    void SetFileName(const QString &fileName);
    void SetSaved(bool saved);
    void SetNamed(bool named);

    // The document operations, in the order every kind implements them.
    virtual void New(const QString &name) = 0;        // empty document named name in the program folder
    virtual void Open(const QString &path) = 0;       // loads an existing file
    virtual bool GetFromOrvan(const TDeviceData &device) = 0;
    virtual bool UpdateFile() = 0;                    // checks and writes to FileName
    virtual bool Save();                              // UpdateFile when named, else SaveAs
    virtual bool SaveAs() = 0;
    virtual bool SendToOrvan(const TDeviceData &device) = 0;
    virtual bool IsEqualToOrvan() { return true; }

    // Asks to save unsaved changes; true when the window may close.
    bool OnCloseQuery();

    // The folder new documents are named in: the program's own folder.
    static QString ProgramFolder();

signals:
    // Saved, Named, FileName or anything the command update reads has changed.
    void documentStateChanged();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString m_fileName;
    bool m_saved = true;
    bool m_named = false;
};
