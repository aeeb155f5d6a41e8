#include "config/ui/DF1Tags.h"

#include "ui_DF1TagsPage.h"
#include "ui_TagsAlarmKindPage.h"

TfrmDF1Tags::TfrmDF1Tags(TfrmInternalTags *picker, QWidget *parent)
    : TTagsDialogOf(TagProtocol::DF1, picker, parent)
{
    setObjectName(QStringLiteral("frmDF1Tags"));
    setWindowTitle(QStringLiteral("Add DF1 Tag"));
    auto *location = new QWidget;
    Ui::DF1TagsPage().setupUi(location);
    auto *alarm = new QWidget;
    Ui::TagsAlarmKindPage().setupUi(alarm);
    setPages(location, alarm);
}
