#include "config/ui/UpDown.h"

#include "base/IniStore.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *arrow(Qt::ArrowType type, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(18);
    return button;
}

} // namespace

TUpDown::TUpDown(QWidget *parent) : QWidget(parent)
{
    m_up = arrow(Qt::UpArrow, this);
    m_down = arrow(Qt::DownArrow, this);
    m_up->setObjectName(QStringLiteral("btnStepUp"));
    m_down->setObjectName(QStringLiteral("btnStepDown"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void TUpDown::setBuddy(QLineEdit *field)
{
    if (m_field)
        m_field->removeEventFilter(this);
    m_field = field;
    if (m_field) {
        m_field->installEventFilter(this);
        setFixedHeight(m_field->sizeHint().height());
    }
}

void TUpDown::setRange(int lowest, int highest)
{
    m_lowest = lowest;
    m_highest = highest;
}

void TUpDown::step(int delta)
{
    if (!m_field || !isEnabled())
        return;
    // A field that does not read as a number starts from the range's low end.
    const std::optional<qint32> value = IniStore::parseInteger(m_field->text());
    const int current = value ? qBound(m_lowest, int(*value), m_highest) : m_lowest;
    const int next = value ? qBound(m_lowest, current + delta, m_highest) : current;
    m_field->setText(QString::number(next));
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
