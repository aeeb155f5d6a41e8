#include "base/ui/InfoMessage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

TInfoMessage::TInfoMessage(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("InfoMessage"));
    setWindowTitle(QStringLiteral("Information"));
    // While Kova waits for a gateway nothing else may start: a second command would run
    // in the middle of the first one.
    setWindowModality(Qt::ApplicationModal);
    m_label->setObjectName(QStringLiteral("lblInfo"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumWidth(320);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(m_label);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TInfoMessage::setText(const QString &text)
{
    m_text = text;
}

QString TInfoMessage::text() const
{
    return m_label->text();
}

void TInfoMessage::showNow()
{
    m_label->setText(m_text);
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TInfoMessage::event(QEvent *event)
{
    // The caller sets the text before showing; refresh it whenever the window comes up.
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        m_label->setText(m_text);
        m_label->repaint();
    }
    return QDialog::event(event);
}
