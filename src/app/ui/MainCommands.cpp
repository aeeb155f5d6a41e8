// The main window's commands: files, documents, tags, transfers, tools and windows.
#include "app/ui/Main.h"

#include "base/Prompt.h"
#include "app/ui/About.h"
#include "base/ui/ConfigDocument.h"
#include "config/ConfigTransfer.h"
#include "app/ui/NewFile.h"
#include "app/ui/Options.h"
#include "device/ui/DeviceList.h"
#include "device/ui/Properties.h"
#include "device/ui/SearchRemote.h"
#include "device/ui/LocatorController.h"

#include "base/BlockingCall.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

constexpr int kMaxTags = 128;

} // namespace

// Marks a command that talks to gateways as running, for its whole length: its requests,
// its dialogs and its messages. A close that came meanwhile follows at the next update.
class TMainForm::DeviceCommand
{
public:
    explicit DeviceCommand(TMainForm &form) : m_form(form) { m_form.m_deviceCommand = true; }
    ~DeviceCommand()
    {
        m_form.m_deviceCommand = false;
        m_form.ScheduleUpdate();
    }
    DeviceCommand(const DeviceCommand &) = delete;
    DeviceCommand &operator=(const DeviceCommand &) = delete;

private:
    TMainForm &m_form;
};

bool TMainForm::RequestInFlight() const
{
    return m_deviceCommand || m_locator->waiting() || m_connection.Connecting() || blockingCallInProgress();
}

void TMainForm::SetTagMonitor(std::function<void(const TDeviceData &)> show)
{
    m_tagMonitor = std::move(show);
    ScheduleUpdate();
}

TMDIChild *TMainForm::CreateDocument(int kind)
{
    if (kind < 0 || size_t(kind) >= m_kinds.size() || !m_kinds[size_t(kind)].available())
        return nullptr;
    const TDocumentKind &k = m_kinds[size_t(kind)];
    TMDIChild *document = k.create();
    AddDocument(document, kind);
    document->New(NewDocumentName(m_documentCounter, k.extension));
    ++m_documentCounter;
    ApplicationUpdate();
    return document;
}

void TMainForm::OpenFile(const QString &path)
{
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        const TDocumentKind &kind = m_kinds[i];
        if (!kind.available() || !kind.recognise || !kind.recognise(path))
            continue;
        TMDIChild *document = kind.create();
        AddDocument(document, int(i));
        document->Open(path);
        ApplicationUpdate();
        return;
    }
    Prompt::instance().error(QStringLiteral("The File \"%1\" is not recognized as a valid file").arg(path));
}

void TMainForm::OpenCommandLine(const QStringList &arguments)
{
    if (arguments.size() == 1)
        OpenFile(arguments.constFirst());
}

void TMainForm::FileNewExecute()
{
    CreateDialogs();
    if (m_frmNewFile->exec() != QDialog::Accepted)
        return;
    CreateDocument(m_frmNewFile->SelectedKind());
}

void TMainForm::FileOpenExecute()
{
    Prompt::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("Orvan Configuration File (*.ovc)|*.ovc|Orvan Web Site (*.qsw)|*.qsw");
    const QStringList paths = Prompt::instance().openFiles(request);
    if (!paths.isEmpty())
        OpenFile(paths.constFirst());
}

void TMainForm::FileSaveExecute()
{
    if (TMDIChild *document = ActiveDocument())
        document->Save();
    ApplicationUpdate();
}

void TMainForm::FileSaveAsExecute()
{
    if (TMDIChild *document = ActiveDocument())
        document->SaveAs();
    ApplicationUpdate();
}

void TMainForm::FileCloseExecute()
{
    // The sub-window passes the close to the document, whose close query decides.
    if (QMdiSubWindow *window = m_mdi->currentSubWindow())
        window->close();
    ScheduleUpdate();
}

void TMainForm::FileExitExecute()
{
    close();
}

void TMainForm::DevicesSearchLocalExecute()
{
    if (RequestInFlight())
        return;
    const DeviceCommand command(*this);
    m_locator->DevicesSearchLocalExecute();
    ApplicationUpdate();
}

void TMainForm::DevicesSearchRemoteExecute()
{
    if (RequestInFlight())
        return;
    const DeviceCommand command(*this);
    CreateDialogs();
    m_frmSearchRemote->exec(); // a found device goes to the list through the dialog's callback
    ApplicationUpdate();
}

void TMainForm::DevicesConnectExecute()
{
    if (RequestInFlight()) {
        SetConnectAction(Connected()); // the click toggled the button; it shows the connection
        return;
    }
    const DeviceCommand command(*this);
    if (Connected()) {
        // A connection is the client's state only: nothing is sent.
        m_connection.Disconnect();
    } else if (const std::optional<TDeviceData> device = m_deviceList->selectedDevice()) {
        CreateDialogs();
        m_connection.ConnectToDevice(*device);
    }
    // The toggle shows the connection, whatever the click did to it.
    SetConnectAction(Connected());
    ApplicationUpdate();
}

void TMainForm::DevicesPropertiesExecute()
{
    const std::optional<TDeviceData> device = m_deviceList->selectedDevice();
    if (!device || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    CreateDialogs();
    m_frmProperties->SetDevice(*device);
    if (m_frmProperties->Initialize())
        m_frmProperties->exec();
    ApplicationUpdate();
}

void TMainForm::ConfigurationAddTagExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    if (!document || !document->TagsPageShown())
        return;
    if (document->GetTagCount() >= kMaxTags) {
        Prompt::instance().error(QStringLiteral("Cannot add more than 128 Tags."));
        return;
    }
    // A duplicate name brings the dialog back with what was entered.
    bool editMode = false;
    while (document->ExecuteTagDialog(editMode)) {
        const QString name = document->DialogTagName();
        if (document->TagExists(name, -1)) {
            Prompt::instance().error(QStringLiteral("The Tag %1 already exists.").arg(name));
            editMode = true;
            continue;
        }
        document->AddDialogTagToList();
        document->SetSaved(false);
        break;
    }
    ApplicationUpdate();
}

void TMainForm::ConfigurationEditTagExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    const int row = document ? document->SelectedTagRow() : -1;
    if (row < 0)
        return;
    if (!document->LoadTagIntoDialog(row))
        return;
    while (document->ExecuteTagDialog(true)) {
        const QString name = document->DialogTagName();
        if (document->TagExists(name, row)) {
            Prompt::instance().error(QStringLiteral("The Tag %1 already exists.").arg(name));
            continue;
        }
        document->ReplaceSelectedWithDialogTag();
        document->SetSaved(false);
        break;
    }
    ApplicationUpdate();
}

void TMainForm::ConfigurationRemoveTagExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    const int row = document ? document->SelectedTagRow() : -1;
    if (row < 0)
        return;
    const QString name = document->TagNameAt(row);
    if (!Prompt::instance().confirmYesNo(QStringLiteral("Are you sure to delete the Tag \"%1\"").arg(name)))
        return;
    document->DeleteSelectedTag();
    document->SetSaved(false);
    ApplicationUpdate();
}

void TMainForm::ConfigurationExportTagsExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    if (!document || !document->TagsPageShown())
        return;
    document->ExportTags();
    ApplicationUpdate();
}

void TMainForm::ConfigurationImportTagsExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    if (!document || !document->TagsPageShown())
        return;
    document->ImportTags();
    ApplicationUpdate();
}

void TMainForm::ConfigurationSendToOrvanExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    if (!Connected() || !document || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    if (m_kinds[size_t(KindOf(document))].family != ConnectedDevice().ProtocolFamily) {
        Prompt::instance().error(QString::fromLatin1(TransferText::WrongModel));
        return;
    }
    document->SendToOrvan(ConnectedDevice());
    ApplicationUpdate();
}

void TMainForm::ConfigurationCompareWithOrvanExecute()
{
    TConfigDocument *document = ActiveConfigDocument();
    if (!Connected() || !document || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    // Another protocol's gateway answers with other keys: there is nothing to compare.
    if (m_kinds[size_t(KindOf(document))].family != ConnectedDevice().ProtocolFamily) {
        Prompt::instance().error(QString::fromLatin1(TransferText::WrongModelCompare));
        return;
    }
    document->CompareWithOrvan(ConnectedDevice());
    ApplicationUpdate();
}

void TMainForm::ConfigurationGetFromOrvanExecute()
{
    if (!Connected() || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        const TDocumentKind &kind = m_kinds[i];
        if (kind.role != TDocumentKind::Role::Configuration || kind.family != ConnectedDevice().ProtocolFamily)
            continue;
        if (TMDIChild *document = CreateDocument(int(i)))
            document->GetFromOrvan(ConnectedDevice());
        break;
    }
    ApplicationUpdate();
}

void TMainForm::WebSiteAddFileExecute()
{
    if (TMDIChild *document = ActiveSiteDocument(); document && m_kinds[size_t(KindOf(document))].addFile)
        m_kinds[size_t(KindOf(document))].addFile(document);
    ApplicationUpdate();
}

void TMainForm::WebSiteExtractFileExecute()
{
    if (TMDIChild *document = ActiveSiteDocument(); document && m_kinds[size_t(KindOf(document))].extractFile)
        m_kinds[size_t(KindOf(document))].extractFile(document);
    ApplicationUpdate();
}

void TMainForm::WebSiteViewFileExecute()
{
    if (TMDIChild *document = ActiveSiteDocument(); document && m_kinds[size_t(KindOf(document))].viewFile)
        m_kinds[size_t(KindOf(document))].viewFile(document);
    ApplicationUpdate();
}

void TMainForm::WebSiteRemoveFileExecute()
{
    if (TMDIChild *document = ActiveSiteDocument(); document && m_kinds[size_t(KindOf(document))].removeFile)
        m_kinds[size_t(KindOf(document))].removeFile(document);
    ApplicationUpdate();
}

void TMainForm::WebSiteSendToOrvanExecute()
{
    TMDIChild *document = ActiveSiteDocument();
    if (!Connected() || !document || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    document->SendToOrvan(ConnectedDevice());
    ApplicationUpdate();
}

void TMainForm::WebSiteGetFromOrvanExecute()
{
    if (!Connected() || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        if (m_kinds[i].role != TDocumentKind::Role::WebSite)
            continue;
        if (TMDIChild *document = CreateDocument(int(i)))
            document->GetFromOrvan(ConnectedDevice());
        break;
    }
    ApplicationUpdate();
}

void TMainForm::ToolsTagMonitorExecute()
{
    // The monitor plugs in with SetTagMonitor, from CreateDialogs.
    if (!Connected() || !m_tagMonitor || RequestInFlight())
        return;
    const DeviceCommand command(*this);
    m_tagMonitor(ConnectedDevice());
    ApplicationUpdate();
}

void TMainForm::ToolsOptionsExecute()
{
    CreateDialogs();
    if (m_frmOptions->exec() == QDialog::Accepted)
        SinchronizeOptions();
}

void TMainForm::ToolsAboutExecute()
{
    CreateDialogs();
    m_frmAbout->exec();
}

void TMainForm::WindowCascadeExecute()
{
    m_mdi->cascadeSubWindows();
}

void TMainForm::WindowMinimizeAllExecute()
{
    for (QMdiSubWindow *window : m_mdi->subWindowList())
        window->showMinimized();
}
