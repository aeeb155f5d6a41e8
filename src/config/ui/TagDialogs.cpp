#include "config/ui/TagDialogs.h"

#include "config/ui/InternalTags.h"
#include "config/ui/ModbusTags.h"

#include <QPointer>

namespace {

// Guarded: the dialogs go with their parent window.
QPointer<TfrmModbusTags> g_modbus;
QPointer<TfrmInternalTags> g_internal;

template<typename Dialog>
Dialog &existing(const QPointer<Dialog> &dialog)
{
    Q_ASSERT_X(dialog, "TagDialogs", "TagDialogs::Create has not run");
    return *dialog;
}

} // namespace

void TagDialogs::Create(QWidget *parent)
{
    if (!g_internal)
        g_internal = new TfrmInternalTags(parent);
    if (!g_modbus)
        g_modbus = new TfrmModbusTags(g_internal, parent);
}

TfrmModbusTags &TagDialogs::Modbus()
{
    return existing(g_modbus);
}

TfrmInternalTags &TagDialogs::InternalTags()
{
    return existing(g_internal);
}
