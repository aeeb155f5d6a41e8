#include "config/ui/InputInteger.h"

#include "base/IniStore.h"
#include "base/Prompt.h"
#include "base/ui/OkCancel.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmInputInteger::TfrmInputInteger(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInputInteger"));

    auto *group = new QGroupBox(QStringLiteral("Enter Value"), this);
    group->setObjectName(QStringLiteral("grpValue"));
    lblValue = new QLabel(group);
    lblValue->setObjectName(QStringLiteral("lblValue"));
    txtValue = new QLineEdit(group);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    txtValue->setMaxLength(8);
    // Digits only, typed or pasted: a pasted text with anything else is refused whole.
    txtValue->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtValue));
    lblValue->setBuddy(txtValue);
    auto *fields = new QVBoxLayout(group);
    fields->addWidget(lblValue);
    fields->addWidget(txtValue);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TfrmInputInteger::btnOkClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.layout);
    setMinimumWidth(280);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

QString TfrmInputInteger::RangeMessage(int lowest, int highest)
{
    return QStringLiteral("Not a valid value.\r\nPlease enter a value between %1 and %2.").arg(lowest).arg(highest);
}

bool TfrmInputInteger::Execute(const QString &title, int lowest, int highest, int &value)
{
    setWindowTitle(title);
    lblValue->setText(title);
    m_lowest = lowest;
    m_highest = highest;
    m_value = value;
    if (exec() != QDialog::Accepted)
        return false;
    value = m_value;
    return true;
}

void TfrmInputInteger::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    txtValue->setText(QString::number(m_value));
    txtValue->selectAll();
    txtValue->setFocus();
}

void TfrmInputInteger::btnOkClick()
{
    const std::optional<qint32> value = IniStore::parseInteger(txtValue->text());
    if (!value || *value < m_lowest || *value > m_highest) {
        Prompt::instance().error(RangeMessage(m_lowest, m_highest));
        txtValue->selectAll();
        txtValue->setFocus();
        return;
    }
    m_value = *value;
    accept();
}
