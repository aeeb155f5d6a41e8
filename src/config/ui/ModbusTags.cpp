#include "config/ui/ModbusTags.h"

#include "ui_ModbusTagsAlarmPage.h"
#include "ui_ModbusTagsPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

TfrmModbusTags::TfrmModbusTags(TfrmInternalTags *picker, QWidget *parent)
    : TTagsDialogOf(TagProtocol::Modbus, picker, parent)
{
    setObjectName(QStringLiteral("frmModbusTags"));
    setWindowTitle(QStringLiteral("Add Modbus Tag"));
    auto *location = new QWidget;
    Ui::ModbusTagsPage().setupUi(location);
    auto *alarm = new QWidget;
    Ui::ModbusTagsAlarmPage().setupUi(alarm);
    setPages(location, alarm);

    connect(qobject_cast<QComboBox *>(fieldWidget(TagField::Table)), &QComboBox::currentIndexChanged, this,
            &TfrmModbusTags::cboModbusFunctionChange);
    connect(qobject_cast<QLineEdit *>(fieldWidget(TagField::TagName)), &QLineEdit::textChanged, this,
            &TfrmModbusTags::txtTagNameChange);
    connect(pages(), &QTabWidget::currentChanged, this, [this](int page) {
        if (pages()->widget(page)->objectName() == QLatin1String("tabTagAlarm"))
            tabTagAlarmShow();
        else if (pages()->widget(page)->objectName() == QLatin1String("tabTagScale"))
            tabTagScaleShow();
    });
}

bool TfrmModbusTags::IsReadOnly()
{
    const TTagForm form = CurrentForm();
    return IsForcedReadOnly(form.protocol, form.source, form.table);
}

void TfrmModbusTags::DigitalChange()
{
    run(::DigitalChange);
}

void TfrmModbusTags::ReadAccessChange()
{
    run(::ReadAccessChange);
}

void TfrmModbusTags::cboModbusFunctionChange()
{
    run([](TTagFormState &s) { ModbusFunctionChanged(s, false); });
}

void TfrmModbusTags::cboModbusFunctionChange2()
{
    run([](TTagFormState &s) { ModbusFunctionChanged(s, true); });
}

void TfrmModbusTags::txtTagNameChange()
{
    run(TagNameChanged);
}

void TfrmModbusTags::tabTagAlarmShow()
{
    // The alarm page shows the edges or the limits by the alarm mode, which every
    // refresh keeps; showing the state again is all the page needs.
    run([](TTagFormState &) {});
}

void TfrmModbusTags::tabTagScaleShow()
{
    run(ScalePageShown);
}
