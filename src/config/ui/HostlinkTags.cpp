#include "config/ui/HostlinkTags.h"

#include "ui_HostlinkTagsPage.h"
#include "ui_TagsAlarmKindPage.h"

TfrmHostlinkTags::TfrmHostlinkTags(TfrmInternalTags *picker, QWidget *parent)
    : TTagsDialogOf(TagProtocol::Hostlink, picker, parent)
{
    setObjectName(QStringLiteral("frmHostlinkTags"));
    setWindowTitle(QStringLiteral("Add Hostlink Tag"));
    auto *location = new QWidget;
    Ui::HostlinkTagsPage().setupUi(location);
    auto *alarm = new QWidget;
    Ui::TagsAlarmKindPage().setupUi(alarm);
    setPages(location, alarm);
}
