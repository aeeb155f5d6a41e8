#pragma once

#include "base/ui/ChildWin.h"
#include "site/OrvanSite.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The web site document: the files of one web site image, how much of the device's space
// they take, and the commands to add, remove, extract and view files and to move the image
// to and from the connected device.
class TMDISite : public TMDIChild
{
    Q_OBJECT

public:
    explicit TMDISite(QWidget *parent = nullptr);
    ~TMDISite() override;

    static QString CaptionPrefix() { return QStringLiteral("Orvan Web Site - "); }
    // What the open command accepts as a web site file.
    static bool IsOrvanSiteFile(const QString &path) { return TOrvanSite::IsSiteFile(path); }

    void New(const QString &name) override;
    void Open(const QString &path) override;
    bool GetFromOrvan(const TDeviceData &device) override;
    bool UpdateFile() override;
    bool SaveAs() override;
    bool SendToOrvan(const TDeviceData &device) override;
    bool IsEqualToOrvan() override { return true; }

    void RefreshFileList();
    void RefreshSiteInfo();
    void AddFile();
    void RemoveFile();
    void ExtractFile();
    void ViewFile();

    const TOrvanSite &Site() const { return m_site; }
    int SelectedRow() const;
    bool LoadFailed() const { return m_loadFailed; } // Open met a damaged or unreadable file

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void lstFilesSelectItem();

private:
    void FormShow();
    QByteArray SelectedName() const;

    TOrvanSite m_site;
    bool m_loadFailed = false;

    QTreeWidget *lstFiles;
    QPushButton *btnAddFile;
    QPushButton *btnRemoveFile;
    QPushButton *btnExtractFile;
    QPushButton *btnViewFile;
    QLineEdit *stFileused;
    QLineEdit *stMaximumSize;
    QLineEdit *stRequiredSize;
    QLineEdit *stBytesLeft;
    QLineEdit *stTotalFiles;
    QProgressBar *prgTotalUsed;
};
