#include "app/ui/Main.h"

#include "app/ui/About.h"
#include "base/ui/ConfigDocument.h"
#include "base/ui/InfoMessage.h"
#include "app/ui/KovaIcons.h"
#include "app/ui/NewFile.h"
#include "base/KovaOptions.h"
#include "app/ui/Options.h"
#include "config/ui/ConfigDialogs.h"
#include "device/ui/Connection.h"
#include "device/ui/DeviceList.h"
#include "device/ui/Password.h"
#include "device/ui/Properties.h"
#include "device/ui/SearchRemote.h"
#include "device/ui/LocatorController.h"
#include "monitor/ui/Monitor.h"
#include "site/ui/TransferSite.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

TMainForm::TMainForm(Endpoints endpoints, TDocumentKinds kinds, QWidget *parent)
    : QMainWindow(parent), m_endpoints(std::move(endpoints)), m_kinds(std::move(kinds))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kova"));
    setWindowIcon(QIcon(KovaIcons::logo(64)));

    m_mdi = new QMdiArea;
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_deviceList = new TDeviceListView;
    m_locator = new TLocatorController(m_deviceList, nullptr, m_endpoints.udpPort,
                                       QHostAddress(QString::fromLatin1(m_endpoints.broadcast)), this);

    // The device list lies along the bottom, below a splitter bar.
    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->addWidget(m_mdi);
    m_splitter->addWidget(m_deviceList);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setSizes({500, 160});
    setCentralWidget(m_splitter);

    m_channel.setPort(m_endpoints.httpPort);
    m_channel.setReadTimeout(m_endpoints.httpReadTimeoutMs);
    TfrmTransferSite::SetFtpPort(m_endpoints.ftpPort);
    // The web site transfer reads the FTP proxy settings at each connection.
    TfrmTransferSite::SetProxySettingsSource(ReadFtpProxySettings);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    {
        auto *separator = new QAction(m_deviceList);
        separator->setSeparator(true);
        m_deviceList->setContextActions({action(QStringLiteral("DevicesSearchLocal")),
                                         action(QStringLiteral("DevicesSearchRemote")), separator,
                                         action(QStringLiteral("DevicesProperties")), action(QStringLiteral("DevicesConnect"))});
    }

    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TMainForm::ScheduleUpdate);
    connect(m_deviceList, &TDeviceListView::itemSelectionChanged, this, &TMainForm::ScheduleUpdate);
    // The command update runs after whatever the user did; no polling.
    qApp->installEventFilter(this);

    m_documentCounter = 1;
    SetConnectAction(false);
    ApplicationUpdate();
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    // The documents and the list go after this object's own part: nothing of theirs may
    // reach back into it on the way.
    for (TMDIChild *document : Documents())
        disconnect(document, nullptr, this, nullptr);
    disconnect(m_mdi, nullptr, this, nullptr);
    disconnect(m_deviceList, nullptr, this, nullptr);
}

QAction *TMainForm::addAction(const char *name, const QString &caption, const QString &hint, void (TMainForm::*slot)(),
                              const QKeySequence &key)
{
    const QString actionName = QString::fromLatin1(name);
    auto *a = new QAction(KovaIcons::action(actionName), caption, this);
    a->setObjectName(actionName);
    a->setStatusTip(hint);
    a->setToolTip(hint);
    if (!key.isEmpty())
        a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    m_actions.insert(actionName, a);
    return a;
}

void TMainForm::CreateActions()
{
    addAction("FileNew", QStringLiteral("&New..."), QStringLiteral("Create a new File"), &TMainForm::FileNewExecute);
    addAction("FileOpen", QStringLiteral("&Open..."), QStringLiteral("Open an existing File"), &TMainForm::FileOpenExecute,
              QKeySequence(QStringLiteral("Ctrl+O")));
    addAction("FileSave", QStringLiteral("&Save"), QStringLiteral("Save current File"), &TMainForm::FileSaveExecute,
              QKeySequence(QStringLiteral("Ctrl+S")));
    addAction("FileSaveAs", QStringLiteral("Save &As..."), QStringLiteral("Save current File with new name"),
              &TMainForm::FileSaveAsExecute);
    addAction("FileClose", QStringLiteral("&Close"), QStringLiteral("Close current File"), &TMainForm::FileCloseExecute);
    addAction("FileExit", QStringLiteral("E&xit"), QStringLiteral("Exit Kova"), &TMainForm::FileExitExecute,
              QKeySequence(QStringLiteral("Ctrl+X")));
    addAction("DevicesSearchLocal", QStringLiteral("Search &Local Devices"), QStringLiteral("Search Local Devices"),
              &TMainForm::DevicesSearchLocalExecute, QKeySequence(QStringLiteral("Ctrl+L")));
    addAction("DevicesSearchRemote", QStringLiteral("Search &Remote Device..."), QStringLiteral("Search Remote Devices"),
              &TMainForm::DevicesSearchRemoteExecute);
    addAction("DevicesConnect", QStringLiteral("Co&nnect..."), QStringLiteral("Connect to Orvan"),
              &TMainForm::DevicesConnectExecute)
        ->setCheckable(true);
    addAction("DevicesProperties", QStringLiteral("&Properties..."), QStringLiteral("Edit Device Properties"),
              &TMainForm::DevicesPropertiesExecute);
    addAction("ConfigurationAddTag", QStringLiteral("A&dd Tag..."), QStringLiteral("Add Tag"),
              &TMainForm::ConfigurationAddTagExecute);
    addAction("ConfigurationEditTag", QStringLiteral("&Edit Tag..."), QStringLiteral("Edit Selected Tag"),
              &TMainForm::ConfigurationEditTagExecute);
    addAction("ConfigurationRemoveTag", QStringLiteral("&Remove Tag"), QStringLiteral("Remove Selected Tag"),
              &TMainForm::ConfigurationRemoveTagExecute);
    addAction("ConfigurationExportTags", QStringLiteral("E&xport Tags..."), QStringLiteral("Export Tags to a CSV File"),
              &TMainForm::ConfigurationExportTagsExecute);
    addAction("ConfigurationImportTags", QStringLiteral("&Import Tags..."), QStringLiteral("Import Tags from a CSV File"),
              &TMainForm::ConfigurationImportTagsExecute);
    addAction("ConfigurationSendToOrvan", QStringLiteral("&Send To Orvan..."),
              QStringLiteral("Send Configuration To Connected Orvan"), &TMainForm::ConfigurationSendToOrvanExecute);
    addAction("ConfigurationGetFromOrvan", QStringLiteral("&Get From Orvan..."),
              QStringLiteral("Get Configuration From Connected Orvan"), &TMainForm::ConfigurationGetFromOrvanExecute);
    addAction("ConfigurationCompareWithOrvan", QStringLiteral("C&ompare With Orvan..."),
              QStringLiteral("Compare Configuration With Connected Orvan"),
              &TMainForm::ConfigurationCompareWithOrvanExecute);
    addAction("WebSiteAddFile", QStringLiteral("&Add File..."), QStringLiteral("Add File to Web Site"),
              &TMainForm::WebSiteAddFileExecute);
    addAction("WebSiteExtractFile", QStringLiteral("&Extract File..."), QStringLiteral("Extract File from Web Site"),
              &TMainForm::WebSiteExtractFileExecute);
    addAction("WebSiteViewFile", QStringLiteral("&View File..."), QStringLiteral("View File from Web Site"),
              &TMainForm::WebSiteViewFileExecute);
    addAction("WebSiteRemoveFile", QStringLiteral("&Remove File..."), QStringLiteral("Remove File from Web Site"),
              &TMainForm::WebSiteRemoveFileExecute);
    addAction("WebSiteSendToOrvan", QStringLiteral("&Send To Orvan..."), QStringLiteral("Send Web Site To Connected Orvan"),
              &TMainForm::WebSiteSendToOrvanExecute);
    addAction("WebSiteGetFromOrvan", QStringLiteral("&Get From Orvan..."),
              QStringLiteral("Get Web Site From Connected Orvan"), &TMainForm::WebSiteGetFromOrvanExecute);
    addAction("ToolsTagMonitor", QStringLiteral("Tag &Monitor..."), QStringLiteral("Monitor a Tag Value from Connected Orvan"),
              &TMainForm::ToolsTagMonitorExecute);
    addAction("ToolsOptions", QStringLiteral("&Options..."), QStringLiteral("Kova Options"), &TMainForm::ToolsOptionsExecute);
    addAction("ToolsAbout", QStringLiteral("A&bout..."), QStringLiteral("Show Kova Information"),
              &TMainForm::ToolsAboutExecute);
    addAction("WindowCascade", QStringLiteral("&Cascade"), QStringLiteral("Cascade"), &TMainForm::WindowCascadeExecute);
    addAction("WindowMinimizeAll", QStringLiteral("&Minimize All"), QStringLiteral("Minimize All"),
              &TMainForm::WindowMinimizeAllExecute);
}

void TMainForm::CreateMenus()
{
    // A null name stands for a separator.
    const auto build = [this](const char *objectName, const QString &title, std::initializer_list<const char *> names) {
        QMenu *menu = menuBar()->addMenu(title);
        menu->setObjectName(QString::fromLatin1(objectName));
        for (const char *name : names) {
            if (name)
                menu->addAction(action(QString::fromLatin1(name)));
            else
                menu->addSeparator();
        }
        // Availability is fresh whenever a menu opens.
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::ApplicationUpdate);
        return menu;
    };
    build("mnuFile", QStringLiteral("&File"), {"FileNew", nullptr, "FileOpen", "FileSave", "FileSaveAs", "FileClose", nullptr, "FileExit"});
    build("mnuDevices", QStringLiteral("&Devices"),
          {"DevicesSearchLocal", "DevicesSearchRemote", nullptr, "DevicesConnect", nullptr, "DevicesProperties"});
    build("mnuConfiguration", QStringLiteral("&Configuration"),
          {"ConfigurationAddTag", "ConfigurationEditTag", "ConfigurationRemoveTag", "ConfigurationExportTags",
           "ConfigurationImportTags", nullptr, "ConfigurationSendToOrvan", "ConfigurationGetFromOrvan",
           "ConfigurationCompareWithOrvan"});
    build("mnuWebSite", QStringLiteral("&Web Site"),
          {"WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile", nullptr, "WebSiteSendToOrvan",
           "WebSiteGetFromOrvan"});
    build("mnuTools", QStringLiteral("&Tools"), {"ToolsTagMonitor", "ToolsOptions", nullptr, "ToolsAbout"});
    m_windowMenu = build("mnuWindow", QStringLiteral("&Window"), {"WindowCascade", "WindowMinimizeAll"});
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TMainForm::RefreshWindowMenu);
}

void TMainForm::RefreshWindowMenu()
{
    // Cascade and Minimize All stay; the list of open documents follows them.
    const QList<QAction *> items = m_windowMenu->actions();
    for (int i = 2; i < items.size(); ++i) {
        m_windowMenu->removeAction(items[i]);
        if (items[i]->parent() == m_windowMenu)
            items[i]->deleteLater();
    }
    const QList<QMdiSubWindow *> windows = m_mdi->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowMenu->addSeparator()->setParent(m_windowMenu);
    int number = 1;
    for (QMdiSubWindow *window : windows) {
        const QString title = window->widget() ? window->widget()->windowTitle() : window->windowTitle();
        QAction *item = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(title));
        item->setParent(m_windowMenu);
        item->setCheckable(true);
        item->setChecked(window == m_mdi->currentSubWindow());
        connect(item, &QAction::triggered, this, [this, window] {
            window->showNormal();
            m_mdi->setActiveSubWindow(window);
        });
    }
}

void TMainForm::CreateToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("ToolBar"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    const std::initializer_list<const char *> order = {
        "FileNew", "FileOpen", "FileSave", nullptr, "DevicesSearchLocal", "DevicesProperties", "DevicesConnect", nullptr,
        "ConfigurationAddTag", "ConfigurationEditTag", "ConfigurationRemoveTag", "ConfigurationExportTags",
        "ConfigurationImportTags", "ConfigurationSendToOrvan", "ConfigurationGetFromOrvan",
        "ConfigurationCompareWithOrvan", nullptr, "WebSiteAddFile", "WebSiteExtractFile", "WebSiteViewFile",
        "WebSiteRemoveFile", "WebSiteSendToOrvan", "WebSiteGetFromOrvan"};
    for (const char *name : order) {
        if (name)
            bar->addAction(action(QString::fromLatin1(name)));
        else
            bar->addSeparator();
    }
}

void TMainForm::CreateStatusBar()
{
    m_statusHint = new QLabel;
    m_statusHint->setObjectName(QStringLiteral("StatusHint"));
    m_statusHint->setFixedWidth(250);
    m_statusConnection = new QLabel;
    m_statusConnection->setObjectName(QStringLiteral("StatusConnection"));
    // At least 250 wide, and wider when the window has room: "Connected To: " with a
    // device name and MAC does not fit in 250 pixels of today's fonts.
    m_statusConnection->setMinimumWidth(250);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_statusHint);
    statusBar()->addWidget(m_statusConnection, 1);
}

void TMainForm::CreateDialogs()
{
    // Created once, in this order, and reused for every use. Dialogs of later parts of the
    // program take their place in the list as they arrive.
    if (!m_frmProperties) {
        m_frmProperties = new TfrmProperties(this);
        TPropertiesServices services;
        services.sendAdmin = [this](const QString &info, const TDeviceData &device, TPacket &request, TPacket &reply) {
            return m_channel.SendHTTPAdminServer(info, device.IPAddress, device.RemoteHost, request, reply);
        };
        services.askPassword = [this] { return m_frmPassword->ask(); };
        services.sendConfig = [this](const QByteArray &list, const QByteArray &mac) {
            m_locator->SendUDPPacket(list);
            m_locator->SetDeviceLocatorAction(TLocatorState::Config, mac);
        };
        m_frmProperties->setServices(services);
    }
    if (!m_frmPassword) {
        m_frmPassword = new TfrmPassword(this);
        m_frmVersionNotice = new TfrmVersionNotice(this);
        AttachConnectionWindows(m_connection, *m_frmPassword, *m_frmVersionNotice);
    }
    if (!m_frmSearchRemote)
        m_frmSearchRemote = new TfrmSearchRemote(
            m_channel, [this](const TDeviceData &device) { m_deviceList->AddDeviceToList(device); }, this);
    if (!m_frmNewFile) {
        m_frmNewFile = new TfrmNewFile(this);
        m_frmNewFile->SetKinds(m_kinds);
    }
    // (TfrmTransferSite and TfrmFileViewer are made by the web site document for each use.)
    if (!m_frmOptions)
        m_frmOptions = new TfrmOptions(this);
    if (!m_frmAbout)
        m_frmAbout = new TfrmAbout(this);
    if (!m_frmMonitor) { // makes its write and download dialogs
        m_frmMonitor = new TfrmMonitor(this);
        m_frmMonitor->SetHttpEndpoint(m_endpoints.httpPort, m_endpoints.httpReadTimeoutMs);
        SetTagMonitor([this](const TDeviceData &device) {
            m_frmMonitor->SetDevice(device);
            m_frmMonitor->exec();
        });
    }
    // What the configuration documents open: the tag dialogs with their internal tag picker,
    // the e-mail address and number dialogs, the transfer dialogs.
    ConfigDialogs::Create(this, m_channel);
}

QList<TMDIChild *> TMainForm::Documents() const
{
    QList<TMDIChild *> documents;
    for (QMdiSubWindow *window : m_mdi->subWindowList())
        if (auto *document = qobject_cast<TMDIChild *>(window->widget()))
            documents.append(document);
    return documents;
}

TMDIChild *TMainForm::ActiveDocument() const
{
    // currentSubWindow, unlike activeSubWindow, stays set while another top-level window
    // (a dialog, a message box) has the focus.
    QMdiSubWindow *window = m_mdi->currentSubWindow();
    return window ? qobject_cast<TMDIChild *>(window->widget()) : nullptr;
}

int TMainForm::KindOf(const TMDIChild *document) const
{
    const QVariant kind = document ? document->property("kovaDocumentKind") : QVariant();
    return kind.isValid() ? kind.toInt() : -1;
}

TConfigDocument *TMainForm::ActiveConfigDocument() const
{
    TMDIChild *document = ActiveDocument();
    const int kind = KindOf(document);
    if (kind < 0 || m_kinds[size_t(kind)].role != TDocumentKind::Role::Configuration)
        return nullptr;
    return qobject_cast<TConfigDocument *>(document);
}

TMDIChild *TMainForm::ActiveSiteDocument() const
{
    TMDIChild *document = ActiveDocument();
    const int kind = KindOf(document);
    return kind >= 0 && m_kinds[size_t(kind)].role == TDocumentKind::Role::WebSite ? document : nullptr;
}

TMainState TMainForm::CurrentState() const
{
    TMainState s;
    s.connected = Connected();
    s.connectedName = ConnectedDevice().DeviceName;
    s.connectedMac = ConnectedDevice().MAC;
    for (const TDocumentKind &kind : m_kinds) {
        if (!kind.available())
            continue;
        if (kind.role == TDocumentKind::Role::WebSite)
            s.webSiteKind = true;
        else if (s.connected && kind.family == ConnectedDevice().ProtocolFamily)
            s.configurationKindForConnected = true;
    }
    s.tagMonitor = bool(m_tagMonitor);

    if (TMDIChild *document = ActiveDocument()) {
        s.documentOpen = true;
        s.activeFileName = document->FileName();
        s.activeSaved = document->Saved();
        s.activeCaption = document->windowTitle();
        const int kind = KindOf(document);
        if (kind < 0)
            s.activeRole = TMainState::DocumentRole::Other;
        else if (m_kinds[size_t(kind)].role == TDocumentKind::Role::WebSite)
            s.activeRole = TMainState::DocumentRole::WebSite;
        else
            s.activeRole = TMainState::DocumentRole::Configuration;
        if (TConfigDocument *config = ActiveConfigDocument()) {
            s.tagsPageShown = config->TagsPageShown();
            s.tagRowSelected = config->SelectedTagRow() >= 0;
        } else if (s.activeRole == TMainState::DocumentRole::Configuration) {
            s.activeRole = TMainState::DocumentRole::Other; // not a configuration document after all
        }
        if (s.activeRole == TMainState::DocumentRole::WebSite)
            s.fileRowSelected = SelectedRowOf(document, "lstFiles") >= 0;
    }

    if (const std::optional<TDeviceData> device = m_deviceList->selectedDevice()) {
        s.deviceSelected = true;
        s.selectedName = device->DeviceName;
        s.selectedMac = device->MAC;
    }
    s.connectChecked = action(QStringLiteral("DevicesConnect"))->isChecked();
    return s;
}

void TMainForm::ApplicationUpdate()
{
    m_updatePending = false;
    const TCommandStates states = ::ApplicationUpdate(CurrentState());
    for (auto it = states.enabled.constBegin(); it != states.enabled.constEnd(); ++it)
        if (QAction *a = action(it.key()))
            a->setEnabled(it.value());
    if (states.changeDocumentCaption)
        if (TMDIChild *document = ActiveDocument())
            document->setWindowTitle(states.documentCaption);
    QAction *properties = action(QStringLiteral("DevicesProperties"));
    properties->setText(states.propertiesCaption);
    properties->setStatusTip(states.propertiesHint);
    properties->setToolTip(states.propertiesHint);
    m_statusConnection->setText(states.statusConnection);
    setWindowTitle(states.caption);
}

void TMainForm::ScheduleUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_updatePending)
            ApplicationUpdate();
        // A close that had to wait for a request is carried out once nothing runs.
        if (m_closePending && !RequestInFlight())
            close();
    });
}

void TMainForm::SetConnectAction(bool connected)
{
    QAction *connectAction = action(QStringLiteral("DevicesConnect"));
    connectAction->setChecked(connected);
    connectAction->setIcon(KovaIcons::connect(connected));
    const TDeviceData &device = ConnectedDevice();
    const QString hint = ConnectHint(connected, device.DeviceName, device.MAC);
    connectAction->setText(ConnectCaption(connected, device.DeviceName, device.MAC));
    connectAction->setStatusTip(hint);
    connectAction->setToolTip(hint);
}

void TMainForm::AddDocument(TMDIChild *document, int kind)
{
    document->setProperty("kovaDocumentKind", kind);
    QMdiSubWindow *window = m_mdi->addSubWindow(document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(document, &TMDIChild::documentStateChanged, this, &TMainForm::ScheduleUpdate);
    connect(document, &QObject::destroyed, this, &TMainForm::ScheduleUpdate);
    if (auto *config = qobject_cast<TConfigDocument *>(document)) // a double click on a tag row
        connect(config, &TConfigDocument::tagEditRequested, this, &TMainForm::ConfigurationEditTagExecute);
    window->show();
    m_mdi->setActiveSubWindow(window);
}

bool TMainForm::event(QEvent *event)
{
    // Panel 1 shows the hint of the command under the pointer, whatever the status bar does.
    if (event->type() == QEvent::StatusTip) {
        m_statusHint->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
        ScheduleUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    m_locator->SetUpSockets();
    if (!m_infoMessage)
        m_infoMessage = new TInfoMessage(this);
    m_locator->setInfoMessage(m_infoMessage);
    AttachInfoMessage(m_channel, m_infoMessage);
    SinchronizeOptions();
    m_locator->reset();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // Closing now would end the wait of the request under way half-way (every event loop
    // ends with the program); the window closes once the command is over.
    if (RequestInFlight()) {
        m_closePending = true;
        event->ignore();
        return;
    }
    m_closePending = false;
    // Every document is asked first; the program ends only when all agree.
    for (TMDIChild *document : Documents()) {
        if (!document->OnCloseQuery()) {
            event->ignore();
            ScheduleUpdate();
            return;
        }
    }
    // The documents go with the frame, without being asked again.
    event->accept();
}
