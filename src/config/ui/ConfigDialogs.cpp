#include "config/ui/ConfigDialogs.h"

#include "config/ui/EMail.h"
#include "config/ui/InputInteger.h"
#include "config/ui/TagDialogs.h"
#include "config/ui/TransferConfig.h"

#include <QPointer>

namespace {

// Guarded: the dialogs go with their parent window.
QPointer<TfrmEmail> g_email;
QPointer<TfrmInputInteger> g_inputInteger;
QPointer<TfrmTransferModbusConfig> g_transferModbus;
QPointer<TfrmTransferHostlinkConfig> g_transferHostlink;
QPointer<TfrmTransferDF1Config> g_transferDF1;

template<typename Dialog>
Dialog &existing(const QPointer<Dialog> &dialog)
{
    Q_ASSERT_X(dialog, "ConfigDialogs", "ConfigDialogs::Create has not run");
    return *dialog;
}

} // namespace

void ConfigDialogs::Create(QWidget *parent, THttpChannel &channel)
{
    TagDialogs::Create(parent, TagProtocol::Modbus);
    if (!g_email)
        g_email = new TfrmEmail(parent);
    if (!g_transferModbus)
        g_transferModbus = new TfrmTransferModbusConfig(channel, parent);
    if (!g_inputInteger)
        g_inputInteger = new TfrmInputInteger(parent);
    TagDialogs::Create(parent, TagProtocol::Hostlink);
    if (!g_transferHostlink)
        g_transferHostlink = new TfrmTransferHostlinkConfig(channel, parent);
    TagDialogs::Create(parent, TagProtocol::DF1);
    if (!g_transferDF1)
        g_transferDF1 = new TfrmTransferDF1Config(channel, parent);
}

TfrmEmail &ConfigDialogs::Email()
{
    return existing(g_email);
}

TfrmInputInteger &ConfigDialogs::InputInteger()
{
    return existing(g_inputInteger);
}

TfrmTransferModbusConfig &ConfigDialogs::TransferModbus()
{
    return existing(g_transferModbus);
}

TfrmTransferHostlinkConfig &ConfigDialogs::TransferHostlink()
{
    return existing(g_transferHostlink);
}

TfrmTransferDF1Config &ConfigDialogs::TransferDF1()
{
    return existing(g_transferDF1);
}
