#include "config/ui/EMail.h"

#include "base/Prompt.h"
#include "base/ui/OkCancel.h"
#include "config/ConfigFields.h"
#include "config/EmailConfig.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

const QString TfrmEmail::InvalidMessage = QStringLiteral("The E-mail Address is not valid.");

TfrmEmail::TfrmEmail(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("E-Mail Address"));

    auto *label = new QLabel(QStringLiteral("E-Mail"), this);
    label->setObjectName(QStringLiteral("lblEMail"));
    txtEMail = new QLineEdit(this);
    txtEMail->setObjectName(QStringLiteral("txtEMail"));
    txtEMail->setMaxLength(EmailLimit::Address);
    txtEMail->setMinimumWidth(txtEMail->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 28);
    label->setBuddy(txtEMail);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TfrmEmail::btnOkClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(txtEMail, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addStretch();
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmEmail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmEmail::FormShow()
{
    txtEMail->setText(EditMode ? QString::fromLatin1(EMail) : QString());
    txtEMail->selectAll();
    txtEMail->setFocus();
}

void TfrmEmail::btnOkClick()
{
    // Characters beyond Latin-1 become '?', which the check refuses.
    const QByteArray address = txtEMail->text().toLatin1();
    if (!IsValidEmailAddress(address)) {
        Prompt::instance().error(InvalidMessage);
        txtEMail->setFocus();
        return;
    }
    EMail = address;
    accept();
}
