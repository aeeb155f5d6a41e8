#pragma once

#include "config/KovaTypes.h"

class QWidget;
class THttpChannel;
class TfrmEmail;
class TfrmInputInteger;
class TfrmTransferDF1Config;
class TfrmTransferHostlinkConfig;
class TfrmTransferModbusConfig;

// The dialogs the configuration documents open, one of each for the whole program: the tag
// dialogs (TagDialogs.h), the e-mail address and number dialogs, and the three transfer
// dialogs, which reach the gateways through the main window's channel.
namespace ConfigDialogs {

// Makes the dialogs that do not exist (yet, or any more) as children of parent, in the
// program's order: the Modbus tag dialog with the internal tag picker, TfrmEmail,
// TfrmTransferModbusConfig, TfrmInputInteger, the Hostlink tag dialog,
// TfrmTransferHostlinkConfig, the DF1 tag dialog, TfrmTransferDF1Config.
// The channel must outlive the dialogs.
void Create(QWidget *parent, THttpChannel &channel);

// The dialogs; Create must have run.
TfrmEmail &Email();
TfrmInputInteger &InputInteger();
TfrmTransferModbusConfig &TransferModbus();
TfrmTransferHostlinkConfig &TransferHostlink();
TfrmTransferDF1Config &TransferDF1();

} // namespace ConfigDialogs
