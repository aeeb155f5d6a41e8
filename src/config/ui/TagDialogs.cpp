#include "config/ui/TagDialogs.h"

#include "config/ui/DF1Tags.h"
#include "config/ui/HostlinkTags.h"
#include "config/ui/InternalTags.h"
#include "config/ui/ModbusTags.h"

#include <QPointer>

namespace {

// Guarded: the dialogs go with their parent window.
QPointer<TfrmModbusTags> g_modbus;
QPointer<TfrmInternalTags> g_internal;
QPointer<TfrmHostlinkTags> g_hostlink;
QPointer<TfrmDF1Tags> g_df1;

template<typename Dialog>
Dialog &existing(const QPointer<Dialog> &dialog)
{
    Q_ASSERT_X(dialog, "TagDialogs", "TagDialogs::Create has not run");
    return *dialog;
}

} // namespace

void TagDialogs::Create(QWidget *parent)
{
    for (TagProtocol protocol : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1})
        Create(parent, protocol);
}

void TagDialogs::Create(QWidget *parent, TagProtocol protocol)
{
    if (!g_internal)
        g_internal = new TfrmInternalTags(parent);
    switch (protocol) {
    case TagProtocol::Modbus:
        if (!g_modbus)
            g_modbus = new TfrmModbusTags(g_internal, parent);
        break;
    case TagProtocol::Hostlink:
        if (!g_hostlink)
            g_hostlink = new TfrmHostlinkTags(g_internal, parent);
        break;
    case TagProtocol::DF1:
        if (!g_df1)
            g_df1 = new TfrmDF1Tags(g_internal, parent);
        break;
    }
}

TfrmModbusTags &TagDialogs::Modbus()
{
    return existing(g_modbus);
}

TfrmHostlinkTags &TagDialogs::Hostlink()
{
    return existing(g_hostlink);
}

TfrmDF1Tags &TagDialogs::DF1()
{
    return existing(g_df1);
}

TfrmInternalTags &TagDialogs::InternalTags()
{
    return existing(g_internal);
}
