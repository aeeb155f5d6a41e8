#include "config/ui/ConfigDocuments.h"

#include "base/ConvertError.h"
#include "base/Prompt.h"
#include "config/ConfigCompare.h"
#include "config/ConfigTransfer.h"
#include "config/ui/CompareConfig.h"
#include "config/ui/ConfigDialogs.h"
#include "config/ui/ConfigPages.h"
#include "config/ui/DF1Tags.h"
#include "config/ui/HostlinkTags.h"
#include "config/ui/ModbusTags.h"
#include "config/ui/TagDialogs.h"
#include "config/ui/TransferConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QVBoxLayout>

const QString TMDIConfig::SendWarning =
    QStringLiteral("Sending this configuration to Orvan will overwrite current Device Configuration.\r\n"
                   "Are you sure to Send this configuration to Connected Orvan?");

TMDIConfig::TMDIConfig(std::unique_ptr<TConfigModel> model, QWidget *parent)
    : TConfigDocument(parent), m_model(std::move(model))
{
    setObjectName(QStringLiteral("MDI%1Config").arg(ProtocolWord(Protocol())));
    m_pages = new TConfigPages(*m_model, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pages);
    resize(sizeHint());

    connect(m_pages, &TConfigPages::changed, this, &TMDIConfig::OnChangeGeneral);
    connect(m_pages, &TConfigPages::viewChanged, this, &TMDIChild::documentStateChanged);
    connect(m_pages, &TConfigPages::tagEditRequested, this, &TConfigDocument::tagEditRequested);
}

TMDIConfig::~TMDIConfig()
{
    // The pages write into the model: they go first.
    delete m_pages;
}

QSize TMDIConfig::sizeHint() const
{
    // Room for a whole row of tags, within the document area of a 1366x768 screen.
    return TConfigDocument::sizeHint().expandedTo(QSize(1180, 480));
}

void TMDIConfig::showEvent(QShowEvent *event)
{
    TConfigDocument::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // The document area gives a new window two thirds of its width; a tag row needs more.
    auto *window = qobject_cast<QMdiSubWindow *>(parentWidget());
    QMdiArea *area = window ? window->mdiArea() : nullptr;
    if (area && !window->isMaximized())
        window->resize((sizeHint() + window->size() - size())
                           .boundedTo(area->viewport()->size())
                           .expandedTo(window->minimumSizeHint()));
}

QString TMDIConfig::CaptionPrefix(TagProtocol protocol)
{
    return QStringLiteral("Orvan %1 Configuration - ").arg(ProtocolWord(protocol));
}

void TMDIConfig::New(const QString &name)
{
    setWindowTitle(CaptionPrefix(Protocol()) + name);
    // A provisional path: the first save asks for a real one.
    const QString path = QDir(ProgramFolder()).filePath(name);
    SetFileName(path);
    m_file.BindFresh(path);
    SetSaved(true);
    SetNamed(false);
    m_loaded = false;
    ForgetComparison();
    m_model->Clear();
    m_pages->ShowModel();
    m_pages->ShowPage(TConfigPage::SerialPort);
    m_loaded = true;
}

void TMDIConfig::Open(const QString &path)
{
    m_loaded = false;
    ForgetComparison();
    const TConfigFile::OpenResult result = m_file.Open(path, *m_model);
    if (!result.Opened) {
        // Nothing was read (the file went, or cannot be read: said already): no empty window stays.
        m_loadFailed = true;
        closeLater();
        return;
    }
    setWindowTitle(CaptionPrefix(Protocol()) + path);
    SetFileName(path);
    SetNamed(true);
    // A value replaced by its default or cut: the document differs from its file.
    SetSaved(!result.Modified);
    m_pages->ShowModel();
    m_pages->ShowPage(TConfigPage::SerialPort);
    m_loaded = true;
}

void TMDIConfig::closeLater()
{
    QTimer::singleShot(0, this, [this] {
        if (auto *window = qobject_cast<QMdiSubWindow *>(parentWidget()))
            window->close();
        else
            close();
    });
}

bool TMDIConfig::Validate()
{
    const TFieldCheck check = m_model->Validate();
    if (check)
        return true;
    m_pages->ShowFailure(check);
    return false;
}

bool TMDIConfig::UpdateFile()
{
    if (!Validate())
        return false;
    if (!m_file.Write(*m_model)) // the reason is shown; the old file stays whole
        return false;
    SetSaved(true);
    return true;
}

bool TMDIConfig::SaveAs()
{
    Prompt::FileRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = QStringLiteral("Orvan Configuration File (*.ovc)|*.ovc");
    request.defaultSuffix = QStringLiteral("ovc");
    request.proposedName = FileName();
    request.confirmOverwrite = true;
    const QString path = Prompt::instance().saveFile(request);
    if (path.isEmpty())
        return false;
    // Unknown sections of the old file do not follow the document to its new name. The file
    // at the new path is replaced only when UpdateFile writes.
    m_file.BindFresh(path);
    SetFileName(path);
    SetNamed(true);
    setWindowTitle(CaptionPrefix(Protocol()) + path);
    return UpdateFile();
}

bool TMDIConfig::SendToOrvan(const TDeviceData &device)
{
    if (!Validate())
        return true;
    if (!Prompt::instance().warningYesNo(SendWarning))
        return true;
    SendRecord(device);
    return true;
}

void TMDIConfig::OnChangeGeneral()
{
    ForgetComparison();
    if (m_loaded)
        SetSaved(false);
}

bool TMDIConfig::TagExists(const QString &name, int row) const
{
    return m_model->TagExists(name.toLatin1(), row);
}

QString TMDIConfig::TagNameAt(int row) const
{
    return QString::fromLatin1(m_model->TagCaption(row));
}

void TMDIConfig::DeleteSelectedTag()
{
    const int row = SelectedTagRow();
    if (row < 0)
        return;
    m_model->DeleteTagAt(row);
    ForgetComparison();
    m_pages->RemoveTagRow(row);
    emit documentStateChanged();
}

bool TMDIConfig::TagsPageShown() const
{
    return m_pages->CurrentPage() == TConfigPage::Tags;
}

int TMDIConfig::SelectedTagRow() const
{
    return m_pages->SelectedTagRow();
}

void TMDIConfig::RefreshTags()
{
    ForgetComparison(); // the rows were changed directly (an import)
    m_pages->ShowTags();
}

// --- the record side ------------------------------------------------------------------------

template<class Traits>
TMDIConfigOf<Traits>::TMDIConfigOf(QWidget *parent) : TMDIConfig(std::make_unique<EditorModel>(), parent)
{
}

template<class Traits>
void TMDIConfigOf<Traits>::GetAllConfig(Config &record) const
{
    model().GetAllConfig(record);
}

template<class Traits>
void TMDIConfigOf<Traits>::SetAllConfig(const Config &record)
{
    model().SetAllConfig(record);
    ForgetComparison();
    Pages().ShowModel();
}

template<class Traits>
bool TMDIConfigOf<Traits>::AddTagToList(const Tag &tag)
{
    if (!model().AddTagToList(tag))
        return false;
    ForgetComparison();
    Pages().AppendTagRow();
    return true;
}

template<class Traits>
bool TMDIConfigOf<Traits>::ReplaceSelectedTag(const Tag &tag)
{
    const int row = SelectedTagRow();
    if (!model().ReplaceTagAt(row, tag))
        return false;
    ForgetComparison();
    Pages().ShowTagRow(row);
    return true;
}

template<class Traits>
bool TMDIConfigOf<Traits>::GetTagFromList(int index, Tag &tag) const
{
    return model().GetTagFromList(index, tag);
}

template<class Traits>
bool TMDIConfigOf<Traits>::LoadTagIntoDialog(int row)
{
    try {
        return GetTagFromList(row, Traits::tagDialog().TagConfig);
    } catch (const EConvertError &error) {
        Prompt::instance().error(error.message());
        return false;
    }
}

template<class Traits>
bool TMDIConfigOf<Traits>::ExecuteTagDialog(bool editMode)
{
    typename Traits::TagDialog &dialog = Traits::tagDialog();
    dialog.EditMode = editMode;
    return dialog.exec() == QDialog::Accepted;
}

template<class Traits>
QString TMDIConfigOf<Traits>::DialogTagName() const
{
    return QString::fromLatin1(Traits::tagDialog().TagConfig.TagName);
}

template<class Traits>
void TMDIConfigOf<Traits>::AddDialogTagToList()
{
    AddTagToList(Traits::tagDialog().TagConfig);
}

template<class Traits>
void TMDIConfigOf<Traits>::ReplaceSelectedWithDialogTag()
{
    ReplaceSelectedTag(Traits::tagDialog().TagConfig);
}

template<class Traits>
void TMDIConfigOf<Traits>::SendRecord(const TDeviceData &device)
{
    typename Traits::Transfer &dialog = Traits::transfer();
    try {
        GetAllConfig(dialog.OrvanConfig());
    } catch (const EConvertError &error) {
        Prompt::instance().error(error.message()); // a tag row read from a file that does not convert
        return;
    }
    dialog.Execute(TfrmTransferConfig::Direction::Send, device);
}

template<class Traits>
bool TMDIConfigOf<Traits>::GetFromOrvan(const TDeviceData &device)
{
    typename Traits::Transfer &dialog = Traits::transfer();
    // The dialog's record lives as long as the dialog: a value the gateway answers that maps
    // to nothing keeps what the record held. The document takes the record whatever the
    // outcome; a failure has been reported by the dialog, and the document stays unsaved.
    dialog.Execute(TfrmTransferConfig::Direction::Get, device);
    SetAllConfig(dialog.OrvanConfig());
    SetSaved(false);
    return true;
}

template<class Traits>
void TMDIConfigOf<Traits>::CompareWithOrvan(const TDeviceData &device)
{
    // Over 10 KB each: kept off the stack.
    const auto document = std::make_unique<Config>();
    try {
        GetAllConfig(*document);
    } catch (const EConvertError &error) {
        Prompt::instance().error(error.message()); // before anything is asked of the gateway
        return;
    }
    typename Traits::Transfer &dialog = Traits::transfer();
    // The dialog's record is what a later Get From Orvan builds on: it is put back as it was.
    const auto kept = std::make_unique<Config>(dialog.OrvanConfig());
    SetCompareStart(dialog.OrvanConfig());
    const bool got = dialog.Execute(TfrmTransferConfig::Direction::Get, device);
    const auto orvan = std::make_unique<Config>(dialog.OrvanConfig());
    dialog.OrvanConfig() = *kept;
    if (!got)
        return;
    const TConfigDifferences differences = CompareConfigs(*document, *orvan);
    SetComparison(differences.isEmpty());
    if (differences.isEmpty())
        Prompt::instance().information(QString::fromLatin1(CompareText::Identical));
    else
        ShowConfigDifferences(this, device, differences);
}

template class TMDIConfigOf<TModbusConfigTraits>;
template class TMDIConfigOf<THostlinkConfigTraits>;
template class TMDIConfigOf<TDF1ConfigTraits>;

TfrmModbusTags &TModbusConfigTraits::tagDialog() { return TagDialogs::Modbus(); }
TfrmTransferModbusConfig &TModbusConfigTraits::transfer() { return ConfigDialogs::TransferModbus(); }
TfrmHostlinkTags &THostlinkConfigTraits::tagDialog() { return TagDialogs::Hostlink(); }
TfrmTransferHostlinkConfig &THostlinkConfigTraits::transfer() { return ConfigDialogs::TransferHostlink(); }
TfrmDF1Tags &TDF1ConfigTraits::tagDialog() { return TagDialogs::DF1(); }
TfrmTransferDF1Config &TDF1ConfigTraits::transfer() { return ConfigDialogs::TransferDF1(); }

TMDIModbusConfig::TMDIModbusConfig(QWidget *parent) : TMDIConfigOf(parent) {}
TMDIHostlinkConfig::TMDIHostlinkConfig(QWidget *parent) : TMDIConfigOf(parent) {}
TMDIDF1Config::TMDIDF1Config(QWidget *parent) : TMDIConfigOf(parent) {}
