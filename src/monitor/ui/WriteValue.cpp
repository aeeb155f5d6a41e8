#include "monitor/ui/WriteValue.h"

#include "base/ConvertError.h"
#include "base/Prompt.h"
#include "base/ui/OkCancel.h"
#include "monitor/TagDownload.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int MaxTyped = 12;
}

TfrmWriteValue::TfrmWriteValue(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWriteValue"));
    setWindowTitle(QStringLiteral("Write new Value"));

    grpWriteValue = new QGroupBox(this);
    grpWriteValue->setObjectName(QStringLiteral("grpWriteValue"));
    rdoOn = new QRadioButton(QStringLiteral("ON"), grpWriteValue);
    rdoOn->setObjectName(QStringLiteral("rdoOn"));
    rdoOff = new QRadioButton(QStringLiteral("OFF"), grpWriteValue);
    rdoOff->setObjectName(QStringLiteral("rdoOff"));
    lblValue = new QLabel(QStringLiteral("New Tag Value"), grpWriteValue);
    lblValue->setObjectName(QStringLiteral("lblValue"));
    txtValue = new QLineEdit(grpWriteValue);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    txtValue->setMaxLength(MaxTyped);
    txtValue->installEventFilter(this);
    lblValue->setBuddy(txtValue);

    auto *groupLayout = new QVBoxLayout(grpWriteValue);
    auto *radios = new QHBoxLayout;
    radios->addWidget(rdoOn);
    radios->addWidget(rdoOff);
    radios->addStretch();
    groupLayout->addLayout(radios);
    groupLayout->addWidget(lblValue);
    groupLayout->addWidget(txtValue);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grpWriteValue);
    layout->addLayout(buttons.layout);
    setMinimumWidth(280);

    connect(btnOk, &QPushButton::clicked, this, &TfrmWriteValue::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmWriteValue::Prepare(const QString &tagName, quint8 kind, const QString &valueShown)
{
    m_kind = kind;
    m_value = {};
    grpWriteValue->setTitle(tagName);
    const bool digital = kind == KindDigital;
    rdoOn->setVisible(digital);
    rdoOff->setVisible(digital);
    lblValue->setVisible(!digital);
    txtValue->setVisible(!digital);
    if (digital) {
        const bool on = valueShown == QLatin1String("1");
        rdoOn->setChecked(on);
        rdoOff->setChecked(!on);
        (on ? rdoOn : rdoOff)->setFocus();
    } else {
        const QString text = valueShown.isEmpty() ? QStringLiteral("0") : valueShown;
        // Twelve characters bound what is typed; a longer value on screen (a real with 15
        // digits) must come in whole, not cut to a different number.
        txtValue->setMaxLength(qMax(MaxTyped, int(text.size())));
        txtValue->setText(text);
        txtValue->selectAll();
        txtValue->setFocus();
    }
}

void TfrmWriteValue::btnOkClick()
{
    if (m_kind == KindDigital) {
        m_value = {};
        m_value.BoolValue = rdoOn->isChecked();
        accept();
        return;
    }
    try {
        m_value = TagValueText::Parse(m_kind, txtValue->text());
    } catch (const EConvertError &e) {
        Prompt::instance().error(e.message());
        txtValue->setFocus();
        return;
    }
    accept();
}

// Typing is filtered by the tag's kind; control keys (editing, copy and paste) pass, and a
// pasted text that does not convert is refused at OK.
bool TfrmWriteValue::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtValue && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !TagValueText::KeyAccepted(m_kind, text.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
