#pragma once

#include "config/KovaTypes.h"

class QWidget;
class TfrmDF1Tags;
class TfrmHostlinkTags;
class TfrmInternalTags;
class TfrmModbusTags;

// The program's tag dialogs: one of each, made when the main window creates its dialogs
// and reused by every configuration document of the protocol. The internal tag picker
// is shared by the three.
namespace TagDialogs {

// Makes the dialogs that do not exist (yet, or any more) as children of parent.
void Create(QWidget *parent);
// The same for one protocol's dialog (and the internal tag picker it needs).
void Create(QWidget *parent, TagProtocol protocol);

// The dialogs; Create must have run.
TfrmModbusTags &Modbus();
TfrmHostlinkTags &Hostlink();
TfrmDF1Tags &DF1();
TfrmInternalTags &InternalTags();

} // namespace TagDialogs
