#include "site/ui/FileViewer.h"

#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmFileViewer::TfrmFileViewer(QWidget *parent)
    : QDialog(parent), mmoViewer(new QPlainTextEdit(this)), btnClose(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("frmFileViewer"));
    setWindowTitle(QStringLiteral("File Viewer"));
    mmoViewer->setObjectName(QStringLiteral("mmoViewer"));
    mmoViewer->setReadOnly(true);
    mmoViewer->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoViewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoViewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoViewer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mmoViewer);
    layout->addLayout(buttons);
    resize(640, 480);
}

bool TfrmFileViewer::LoadFile(const QString &path, const QString &siteName)
{
    setWindowTitle(QStringLiteral("File Viewer - %1").arg(siteName));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        mmoViewer->clear();
        return false;
    }
    mmoViewer->setPlainText(QString::fromLatin1(file.readAll()));
    return true;
}

QString TfrmFileViewer::Text() const
{
    return mmoViewer->toPlainText();
}
