#pragma once

class QWidget;
class TfrmInternalTags;
class TfrmModbusTags;

// The program's tag dialogs: one of each, made when the main window creates its dialogs
// and reused by every configuration document of the protocol. The internal tag picker
// is shared by the three.
namespace TagDialogs {

// Makes the dialogs that do not exist (yet, or any more) as children of parent.
void Create(QWidget *parent);

// The dialogs; Create must have run.
TfrmModbusTags &Modbus();
TfrmInternalTags &InternalTags();

} // namespace TagDialogs
