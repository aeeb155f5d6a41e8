#include "site/ui/Site.h"

#include "base/Prompt.h"
#include "site/ui/FileViewer.h"
#include "site/ui/TransferSite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryFile>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int NameRole = Qt::UserRole;
constexpr int MaxNameLength = 16; // what the device's web server takes, extension included

const QString SiteFilter = QStringLiteral("Orvan Web Site (*.qsw)|*.qsw");
const QString AddFilter = QStringLiteral(
    "All Files (*.*)|*.*|HTML Files (*.html)|*.html|HTM Files (*.htm)|*.htm|SSI Web Page (*.shtml)|*.shtml|"
    "GIF Files (*.gif)|*.gif|JPEG Files (*.jpg)|*.jpg|Text Files (*.txt)|*.txt");

// Two decimals with the user's decimal separator and no grouping.
QString fixed2(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
}

QString shownName(const QByteArray &name)
{
    return QFile::decodeName(name);
}

QLineEdit *infoField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

} // namespace

TMDISite::TMDISite(QWidget *parent) : TMDIChild(parent)
{
    setObjectName(QStringLiteral("MDISite"));
    lstFiles = new QTreeWidget(this);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setColumnCount(2);
    lstFiles->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Size")});
    lstFiles->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    lstFiles->setRootIsDecorated(false);
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFiles->setUniformRowHeights(true);
    lstFiles->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"));
    lstFiles->header()->setStretchLastSection(false);
    lstFiles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstFiles->header()->resizeSection(1, 100);
    connect(lstFiles, &QTreeWidget::itemSelectionChanged, this, &TMDISite::lstFilesSelectItem);

    btnAddFile = new QPushButton(QStringLiteral("&Add File(s)..."), this);
    btnAddFile->setObjectName(QStringLiteral("btnAddFile"));
    btnRemoveFile = new QPushButton(QStringLiteral("&Remove File"), this);
    btnRemoveFile->setObjectName(QStringLiteral("btnRemoveFile"));
    btnExtractFile = new QPushButton(QStringLiteral("&Extract File..."), this);
    btnExtractFile->setObjectName(QStringLiteral("btnExtractFile"));
    btnViewFile = new QPushButton(QStringLiteral("View File..."), this);
    btnViewFile->setObjectName(QStringLiteral("btnViewFile"));
    connect(btnAddFile, &QPushButton::clicked, this, &TMDISite::AddFile);
    connect(btnRemoveFile, &QPushButton::clicked, this, &TMDISite::RemoveFile);
    connect(btnExtractFile, &QPushButton::clicked, this, &TMDISite::ExtractFile);
    connect(btnViewFile, &QPushButton::clicked, this, &TMDISite::ViewFile);

    auto *info = new QGroupBox(QStringLiteral("Site Information"), this);
    auto *grid = new QGridLayout(info);
    stFileused = infoField(info, "stFileused");
    stMaximumSize = infoField(info, "stMaximumSize");
    stRequiredSize = infoField(info, "stRequiredSize");
    stBytesLeft = infoField(info, "stBytesLeft");
    stTotalFiles = infoField(info, "stTotalFiles");
    const QList<QPair<QString, QLineEdit *>> rows = {{QStringLiteral("% used by file"), stFileused},
                                                     {QStringLiteral("Maximum Site Size"), stMaximumSize},
                                                     {QStringLiteral("Required Size"), stRequiredSize},
                                                     {QStringLiteral("Bytes Left"), stBytesLeft},
                                                     {QStringLiteral("Total files in Site"), stTotalFiles}};
    for (int i = 0; i < rows.size(); ++i) {
        grid->addWidget(new QLabel(rows[i].first, info), i, 0);
        grid->addWidget(rows[i].second, i, 1);
    }
    prgTotalUsed = new QProgressBar(info);
    prgTotalUsed->setObjectName(QStringLiteral("prgTotalUsed"));
    prgTotalUsed->setOrientation(Qt::Vertical);
    prgTotalUsed->setRange(0, 100);
    prgTotalUsed->setTextVisible(false);
    auto *bar = new QVBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("100%"), info), 0, Qt::AlignHCenter);
    bar->addWidget(prgTotalUsed, 1, Qt::AlignHCenter);
    bar->addWidget(new QLabel(QStringLiteral("0%"), info), 0, Qt::AlignHCenter);
    grid->addLayout(bar, 0, 2, rows.size(), 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnAddFile);
    buttons->addWidget(btnRemoveFile);
    buttons->addWidget(btnExtractFile);
    buttons->addWidget(btnViewFile);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(lstFiles, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(info);
    resize(520, 460);

    FormShow();
    RefreshSiteInfo();
}

TMDISite::~TMDISite() = default;

void TMDISite::showEvent(QShowEvent *event)
{
    TMDIChild::showEvent(event);
    if (lstFiles->selectedItems().isEmpty())
        FormShow();
}

void TMDISite::FormShow()
{
    btnExtractFile->setEnabled(false);
    btnRemoveFile->setEnabled(false);
    btnViewFile->setEnabled(false);
    stFileused->clear();
}

void TMDISite::New(const QString &name)
{
    setWindowTitle(CaptionPrefix() + name);
    const QString path = QDir(ProgramFolder()).filePath(name);
    SetFileName(path);
    if (!m_site.Create(path))
        Prompt::instance().error(m_site.ErrorString());
    RefreshFileList();
    RefreshSiteInfo();
    SetSaved(true);
    SetNamed(false);
}

void TMDISite::Open(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    TOrvanSite site;
    if (!site.Create(path)) {
        // A damaged image is refused whole rather than shown half-read.
        m_loadFailed = true;
        Prompt::instance().error(site.ErrorString());
        QTimer::singleShot(0, this, [this] {
            if (auto *window = qobject_cast<QMdiSubWindow *>(parentWidget()))
                window->close();
            else
                close();
        });
        return;
    }
    m_site = site;
    setWindowTitle(CaptionPrefix() + path);
    SetFileName(path);
    SetSaved(true);
    SetNamed(true);
    RefreshFileList();
    RefreshSiteInfo();
}

bool TMDISite::UpdateFile()
{
    m_site.SetFileName(FileName());
    if (!m_site.Save()) {
        Prompt::instance().error(m_site.ErrorString());
        return false;
    }
    SetSaved(true);
    return true;
}

bool TMDISite::SaveAs()
{
    Prompt::FileRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = SiteFilter;
    request.defaultSuffix = QStringLiteral("qsw");
    request.proposedName = FileName();
    request.confirmOverwrite = true;
    const QString path = Prompt::instance().saveFile(request);
    if (path.isEmpty())
        return false;
    // The old file at that path is replaced only once the new one is written whole.
    m_site.SetFileName(path);
    SetFileName(path);
    SetNamed(true);
    setWindowTitle(CaptionPrefix() + path);
    return UpdateFile();
}

bool TMDISite::SendToOrvan(const TDeviceData &device)
{
    if (!Prompt::instance().warningYesNo(
            QStringLiteral("Sending this Web Site to Orvan will overwrite current Device Web Site.\r\n"
                           "Are you sure to Send this Web Site to Connected Orvan?")))
        return true;
    TfrmTransferSite dialog(this);
    dialog.SetBuffer(m_site.Image());
    dialog.SetDevice(device);
    dialog.SetDirection(TfrmTransferSite::Direction::Send);
    dialog.exec();
    return true;
}

bool TMDISite::GetFromOrvan(const TDeviceData &device)
{
    TfrmTransferSite dialog(this);
    dialog.SetBuffer({});
    dialog.SetDevice(device);
    dialog.SetDirection(TfrmTransferSite::Direction::Get);
    dialog.exec();
    if (!dialog.Completed())
        return true;
    if (!m_site.LoadFromStream(dialog.Buffer())) {
        Prompt::instance().error(m_site.ErrorString());
        return true;
    }
    RefreshFileList();
    RefreshSiteInfo();
    SetSaved(false);
    return true;
}

void TMDISite::RefreshFileList()
{
    lstFiles->clear();
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_site.FileCount(); ++i) {
        const TSiteSubHeader h = m_site.GetSubHeader(i);
        auto *item = new QTreeWidgetItem({shownName(h.Name), QString::number(h.Size)});
        item->setData(0, NameRole, h.Name);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    lstFiles->addTopLevelItems(items);
    lstFilesSelectItem();
}

void TMDISite::RefreshSiteInfo()
{
    const qint64 length = m_site.Size();
    const qint64 maximum = TOrvanSite::MaxSiteSize;
    const double percent = double(length) * 100.0 / double(maximum);
    stMaximumSize->setText(QStringLiteral("%1 bytes").arg(maximum));
    stRequiredSize->setText(QStringLiteral("%1 bytes (%2%)").arg(length).arg(fixed2(percent)));
    stBytesLeft->setText(QStringLiteral("%1 bytes").arg(maximum - length));
    prgTotalUsed->setValue(int(qBound(0.0, std::nearbyint(percent), 100.0))); // halves to even
    stTotalFiles->setText(QStringLiteral("%1 file(s)").arg(m_site.FileCount()));
}

int TMDISite::SelectedRow() const
{
    const QList<QTreeWidgetItem *> selected = lstFiles->selectedItems();
    return selected.isEmpty() ? -1 : lstFiles->indexOfTopLevelItem(selected.first());
}

QByteArray TMDISite::SelectedName() const
{
    const QList<QTreeWidgetItem *> selected = lstFiles->selectedItems();
    return selected.isEmpty() ? QByteArray() : selected.first()->data(0, NameRole).toByteArray();
}

void TMDISite::lstFilesSelectItem()
{
    const int row = SelectedRow();
    const bool selected = row >= 0;
    btnExtractFile->setEnabled(selected);
    btnViewFile->setEnabled(selected);
    btnRemoveFile->setEnabled(selected);
    if (!selected) {
        stFileused->clear();
    } else {
        const double share = double(m_site.GetSubHeader(row).Size) * 100.0 / double(m_site.Size());
        stFileused->setText(fixed2(share) + QLatin1Char('%'));
    }
    emit documentStateChanged(); // the main window's file commands follow the selection
}

void TMDISite::AddFile()
{
    Prompt::FileRequest request;
    request.title = QStringLiteral("Select Files to Add");
    request.filter = AddFilter;
    request.multiple = true;
    const QStringList paths = Prompt::instance().openFiles(request);
    if (paths.isEmpty())
        return;

    for (const QString &path : paths) {
        const QByteArray name = TOrvanSite::SiteName(path);
        if (name.size() > MaxNameLength) {
            Prompt::instance().warning(
                QStringLiteral("The Name of the File \"%1\" is to Large for Orvan Web Server.\r\n"
                               "The filename must be shorter than 17 characters including its extension,\r\n\r\n"
                               "No files have been Added.")
                    .arg(shownName(name)));
            return;
        }
    }
    // A name chosen twice would put two files of one name in the site: refused like one
    // already there.
    QSet<QByteArray> chosen;
    for (const QString &path : paths) {
        const QByteArray name = TOrvanSite::SiteName(path);
        if (m_site.Contains(name) || chosen.contains(name)) {
            Prompt::instance().warning(QStringLiteral("The File \"%1\" already exists in the Orvan Web Site.\r\n\r\n"
                                                      "No files have been Added.")
                                           .arg(shownName(name)));
            return;
        }
        chosen.insert(name);
    }
    qint64 required = 0;
    for (const QString &path : paths)
        required += QFileInfo(path).size() + TOrvanSite::SubHeaderSize + 4;
    const auto refuseSpace = [this] {
        Prompt::instance().warning(
            QStringLiteral("There is no room enough in Orvan Web Site file for the File(s) you selected.\r\n"
                           "The total size of the selected File(s) must be less than %1 bytes at this moment.\r\n\r\n"
                           "No files have been Added.\r\n\r\n"
                           "Note: Each file needs 30 bytes plus the file size in Orvan Web Site.")
                .arg(m_site.FreeSpace()));
    };
    if (m_site.FreeSpace() < required) {
        refuseSpace();
        return;
    }

    // All or nothing: the files go into a copy, which replaces the image only when every
    // one of them could be read.
    TOrvanSite trial = m_site;
    for (const QString &path : paths) {
        if (!trial.AddFile(path)) {
            Prompt::instance().error(trial.ErrorString() + QStringLiteral("\r\n\r\nNo files have been Added."));
            return;
        }
    }
    if (trial.FreeSpace() < 0) { // a file grew between the check and the read
        refuseSpace();
        return;
    }
    m_site = trial;
    RefreshFileList();
    RefreshSiteInfo();
    SetSaved(false);
}

void TMDISite::RemoveFile()
{
    const QByteArray name = SelectedName();
    if (SelectedRow() < 0)
        return;
    if (!Prompt::instance().confirmYesNo(
            QStringLiteral("Are you sure to Remove the File \"%1\" from Orvan Web Site?").arg(shownName(name))))
        return;
    m_site.RemoveFile(name);
    RefreshFileList();
    RefreshSiteInfo();
    SetSaved(false);
}

void TMDISite::ExtractFile()
{
    if (SelectedRow() < 0)
        return;
    const QByteArray name = SelectedName();
    Prompt::FileRequest request;
    request.title = QStringLiteral("Extract File As");
    request.filter = QStringLiteral("All Files (*.*)|*.*");
    request.proposedName = shownName(name);
    request.confirmOverwrite = true;
    const QString path = Prompt::instance().saveFile(request);
    if (path.isEmpty())
        return;
    if (!m_site.ExtractFile(name, path))
        Prompt::instance().error(m_site.ErrorString());
}

void TMDISite::ViewFile()
{
    if (SelectedRow() < 0)
        return;
    const QByteArray name = SelectedName();
    // A private temporary file, never a fixed name in the current folder that could be a
    // file of the user's; it is removed when the viewer closes.
    QTemporaryFile temp(QDir(QDir::tempPath()).filePath(QStringLiteral("kova-view-XXXXXX.tmp")));
    if (!temp.open() || temp.write(m_site.FileContent(name)) < 0 || !temp.flush()) {
        Prompt::instance().error(QStringLiteral("Cannot write a temporary file to view \"%1\": %2")
                                     .arg(shownName(name), temp.errorString()));
        return;
    }
    temp.close();
    TfrmFileViewer viewer(this);
    viewer.LoadFile(temp.fileName(), shownName(name));
    viewer.exec();
}
