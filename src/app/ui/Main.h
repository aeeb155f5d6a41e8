#pragma once

#include "app/CommandRules.h"
#include "app/ui/StandardKinds.h"
#include "device/Connection.h"
#include "base/DeviceData.h"
#include "device/HttpChannel.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class TConfigDocument;
class TfrmAbout;
class TfrmMonitor;
class TfrmOptions;
class TfrmProperties;
class TfrmPassword;
class TfrmSearchRemote;
class TfrmVersionNotice;
class TfrmNewFile;
class TInfoMessage;
class TDeviceListView;
class TLocatorController;

// Where the gateways are reached. The program uses the defaults; tests point them at a
// simulator on loopback.
struct TMainEndpoints
{
    quint16 udpPort = 998;
    QByteArray broadcast = "255.255.255.255";
    quint16 httpPort = 80;
    int httpReadTimeoutMs = 20000;
    quint16 ftpPort = 21;
};

// The program's one top-level window: the document frame, the device list at the bottom,
// every command, the connection state and the document counter.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    using Endpoints = TMainEndpoints;

    explicit TMainForm(Endpoints endpoints = {}, TDocumentKinds kinds = StandardDocumentKinds(),
                       QWidget *parent = nullptr);
    ~TMainForm() override;

    // The single-instance dialogs, created once at start in their fixed order.
    void CreateDialogs();

    // Opens path as the first document kind that recognises it.
    void OpenFile(const QString &path);
    // The command line's arguments (program name excluded): exactly one is a file to open.
    void OpenCommandLine(const QStringList &arguments);

    // A new document of kinds()[kind] named "noname" + DocumentCounter + extension; the
    // counter grows. nullptr when the kind is not available.
    TMDIChild *CreateDocument(int kind);

    bool Connected() const { return m_connection.Connected(); }
    const TDeviceData &ConnectedDevice() const { return m_connection.ConnectedDevice(); }
    THttpChannel &HttpChannel() { return m_channel; }
    // Applies the HTTP proxy settings to the remote client.
    void SinchronizeOptions() { m_channel.SinchronizeOptions(); }
    int DocumentCounter() const { return m_documentCounter; }
    const Endpoints &endpoints() const { return m_endpoints; }
    const TDocumentKinds &kinds() const { return m_kinds; }
    QList<TMDIChild *> Documents() const;
    TMDIChild *ActiveDocument() const;
    // The kind index a document was created as, or -1.
    int KindOf(const TMDIChild *document) const;
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMdiArea *mdiArea() const { return m_mdi; }
    TDeviceListView *DeviceList() const { return m_deviceList; }
    TLocatorController *Locator() const { return m_locator; }
    TfrmNewFile *frmNewFile() const { return m_frmNewFile; }
    TfrmAbout *frmAbout() const { return m_frmAbout; }
    TfrmProperties *frmProperties() const { return m_frmProperties; }
    TfrmPassword *frmPassword() const { return m_frmPassword; }
    TfrmSearchRemote *frmSearchRemote() const { return m_frmSearchRemote; }
    TfrmOptions *frmOptions() const { return m_frmOptions; }
    TfrmMonitor *frmMonitor() const { return m_frmMonitor; }
    TInfoMessage *InfoMessage() const { return m_infoMessage; }

    // The tag monitor, plugged in by its part of the program: Tools > Tag Monitor shows it
    // for the connected device, and stays disabled until one is set.
    void SetTagMonitor(std::function<void(const TDeviceData &device)> show);

    // True while a command that talks to gateways runs, or any request waits for its
    // answer. Another such command is then refused (it would work on the first one's
    // device or dialog half-way), and closing the window waits until it is over.
    bool RequestInFlight() const;

    // The command update: evaluates every command, the caption and the status bar now.
    void ApplicationUpdate();
    // Runs ApplicationUpdate once the current event has been handled (coalesced).
    void ScheduleUpdate();
    // What ApplicationUpdate reads, gathered from the windows.
    TMainState CurrentState() const;

public slots:
    void FileNewExecute();
    void FileOpenExecute();
    void FileSaveExecute();
    void FileSaveAsExecute();
    void FileCloseExecute();
    void FileExitExecute();
    void DevicesSearchLocalExecute();
    void DevicesSearchRemoteExecute();
    void DevicesConnectExecute();
    void DevicesPropertiesExecute();
    void ConfigurationAddTagExecute();
    void ConfigurationEditTagExecute();
    void ConfigurationRemoveTagExecute();
    void ConfigurationExportTagsExecute();
    void ConfigurationImportTagsExecute();
    void ConfigurationSendToOrvanExecute();
    void ConfigurationGetFromOrvanExecute();
    void ConfigurationCompareWithOrvanExecute();
    void WebSiteAddFileExecute();
    void WebSiteExtractFileExecute();
    void WebSiteViewFileExecute();
    void WebSiteRemoveFileExecute();
    void WebSiteSendToOrvanExecute();
    void WebSiteGetFromOrvanExecute();
    void ToolsTagMonitorExecute();
    void ToolsOptionsExecute();
    void ToolsAboutExecute();
    void WindowCascadeExecute();
    void WindowMinimizeAllExecute();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class DeviceCommand;

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FormShow();
    QAction *addAction(const char *name, const QString &caption, const QString &hint, void (TMainForm::*slot)(),
                       const QKeySequence &key = {});
    void AddDocument(TMDIChild *document, int kind);
    void RefreshWindowMenu();
    void SetConnectAction(bool connected);
    TConfigDocument *ActiveConfigDocument() const;
    TMDIChild *ActiveSiteDocument() const;

    Endpoints m_endpoints;
    TDocumentKinds m_kinds;
    THttpChannel m_channel;
    TDeviceConnection m_connection{m_channel};
    int m_documentCounter = 1;
    bool m_shownOnce = false;
    bool m_updatePending = false;
    bool m_deviceCommand = false; // a command that talks to gateways runs
    bool m_closePending = false;  // a close came while it ran
    std::function<void(const TDeviceData &)> m_tagMonitor;

    QHash<QString, QAction *> m_actions;
    QMdiArea *m_mdi = nullptr;
    QSplitter *m_splitter = nullptr;
    TDeviceListView *m_deviceList = nullptr;
    TLocatorController *m_locator = nullptr;
    QMenu *m_windowMenu = nullptr;
    QLabel *m_statusHint = nullptr;
    QLabel *m_statusConnection = nullptr;

    TfrmProperties *m_frmProperties = nullptr;
    TfrmPassword *m_frmPassword = nullptr;
    TfrmVersionNotice *m_frmVersionNotice = nullptr;
    TfrmSearchRemote *m_frmSearchRemote = nullptr;
    TfrmNewFile *m_frmNewFile = nullptr;
    TfrmOptions *m_frmOptions = nullptr;
    TfrmAbout *m_frmAbout = nullptr;
    TfrmMonitor *m_frmMonitor = nullptr;
    TInfoMessage *m_infoMessage = nullptr;
};
