#include "device/ui/Password.h"

#include "base/ui/OkCancel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

TfrmPassword::TfrmPassword(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Device Current Password"));

    auto *group = new QGroupBox(QStringLiteral("Password"), this);
    group->setObjectName(QStringLiteral("grpPassword"));
    auto *text = new QLabel(QStringLiteral("Device password required for this operation to be performed. "
                                           "Please enter current Administrator Password."),
                            group);
    text->setObjectName(QStringLiteral("lblPasswordInfo"));
    text->setWordWrap(true);
    txtPassword = new QLineEdit(group);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setMaxLength(20);
    txtPassword->setEchoMode(QLineEdit::Password);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Password"), txtPassword);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(text);
    groupLayout->addLayout(form);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.layout);
    setMinimumWidth(360);

    connect(btnOk, &QPushButton::clicked, this, &TfrmPassword::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPassword::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    txtPassword->clear();
    txtPassword->setFocus();
}

void TfrmPassword::btnOkClick()
{
    m_password = txtPassword->text().toLatin1();
    accept();
}

std::optional<QByteArray> TfrmPassword::ask()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_password;
}
