#include "device/ui/EditIPAddr.h"

#include "device/IPAddress.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

TEditIPAddr::TEditIPAddr(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto *validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("box%1").arg(i + 1));
        box->setMaxLength(3);
        box->setValidator(validator);
        box->setAlignment(Qt::AlignCenter);
        box->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10);
        box->installEventFilter(this);
        m_boxes[i] = box;
        layout->addWidget(box);
        // Typing the third digit moves on, as address fields do.
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString &text) {
            if (text.size() == 3 && i < 3)
                m_boxes[i + 1]->setFocus();
        });
    }
    layout->addStretch();
    setFocusProxy(m_boxes[0]);
}

QString TEditIPAddr::Text() const
{
    QStringList boxes;
    for (QLineEdit *box : m_boxes)
        boxes << box->text();
    return IPAddress::joinBoxes(boxes, m_acceptOctal);
}

void TEditIPAddr::SetText(const QString &text)
{
    const QStringList parts = IPAddress::splitBoxes(text);
    for (int i = 0; i < 4; ++i)
        m_boxes[i]->setText(parts.at(i).left(3));
}

void TEditIPAddr::focusFirst()
{
    m_boxes[0]->setFocus();
    m_boxes[0]->selectAll();
}

void TEditIPAddr::SetLabel(QLabel *label)
{
    label->setBuddy(this);
    // The caption without its mnemonic marks ("&&" is a literal "&").
    const QString name = label->text()
                             .replace(QStringLiteral("&&"), QStringLiteral("\x01"))
                             .remove(QLatin1Char('&'))
                             .replace(QLatin1Char('\x01'), QLatin1Char('&'));
    setAccessibleName(name);
    for (int i = 0; i < 4; ++i) {
        m_boxes[i]->setAccessibleName(name);
        m_boxes[i]->setAccessibleDescription(QStringLiteral("part %1 of 4").arg(i + 1));
    }
}

bool TEditIPAddr::eventFilter(QObject *watched, QEvent *event)
{
    // "." jumps to the next box.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->text() == QLatin1String(".")) {
            for (int i = 0; i < 3; ++i) {
                if (watched == m_boxes[i]) {
                    m_boxes[i + 1]->setFocus();
                    m_boxes[i + 1]->selectAll();
                    return true;
                }
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
