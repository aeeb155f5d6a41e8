#include "monitor/ui/GetTagConfig.h"

#include "base/Prompt.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

TfrmGetTagConfig::TfrmGetTagConfig(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmGetTagConfig"));
    setWindowTitle(QStringLiteral("Getting Tags"));
    setModal(true);
    m_channel.setReportFailures(false);

    auto *group = new QGroupBox(QStringLiteral("Getting Tags from Connected Orvan"), this);
    group->setObjectName(QStringLiteral("grpGettingTags"));
    lblStatus = new QLabel(group);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setMinimumWidth(360);
    Progress = new QProgressBar(group);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(lblStatus);
    groupLayout->addWidget(Progress);

    btnStop = new QPushButton(this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setDefault(true);
    connect(btnStop, &QPushButton::clicked, this, &TfrmGetTagConfig::btnStopClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStop);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void TfrmGetTagConfig::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    QTimer::singleShot(0, this, &TfrmGetTagConfig::FormActivate);
}

void TfrmGetTagConfig::FormShow()
{
    SinchronizeOptions();
    btnStop->setText(QStringLiteral("Close"));
    lblStatus->setText(TagDownloadText::Initializing);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    m_downloading = false;
    m_busy = false;
    m_stopRequested = false;
    m_started = false;
    m_download.Clear();
}

// One download per showing: a later activation (after the error box, say) starts none.
void TfrmGetTagConfig::FormActivate()
{
    if (m_started || !isVisible())
        return;
    m_started = true;
    m_busy = true;

    TTagDownload::Hooks hooks;
    hooks.started = [this](int count) {
        Progress->setRange(0, count);
        Progress->setValue(0);
        m_downloading = true;
        btnStop->setText(QStringLiteral("Stop"));
    };
    hooks.stopRequested = [this] {
        QCoreApplication::processEvents(); // how a click on Stop reaches the dialog
        return m_stopRequested;
    };
    hooks.fetched = [this](int number, int count, const TTagEntry &entry) {
        lblStatus->setText(TagDownloadText::GettingTag(number, count, entry.Name));
        Progress->setValue(number);
        emit TagFetched(number, count);
    };
    const TTagDownload::Result result = m_download.PoblateTagsList(hooks);
    btnStop->setText(QStringLiteral("Close"));
    m_downloading = false;
    m_busy = false;

    if (!result.ok) {
        Prompt::instance().error(result.message);
        QDialog::done(QDialog::Rejected);
        return;
    }
    lblStatus->setText(result.message);
    if (m_stopRequested)
        QDialog::done(QDialog::Accepted);
}

void TfrmGetTagConfig::btnStopClick()
{
    if (m_busy) {
        m_stopRequested = true; // the loop sees it before the next tag, then the dialog ends
        return;
    }
    accept();
}

void TfrmGetTagConfig::reject()
{
    // Esc and the close box stop a running download the way the button does.
    if (m_busy) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

void TfrmGetTagConfig::done(int result)
{
    if (m_busy) { // the loop must unwind first; it ends the dialog itself
        m_stopRequested = true;
        return;
    }
    QDialog::done(result);
}
