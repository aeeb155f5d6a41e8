#pragma once

#include "config/TagForm.h"

#include <bitset>

// How a tag dialog keeps its fields consistent while the user edits: each handler takes
// the form and the enabled state of its fields and changes them as the dialog's event
// would. A dialog reads its controls into the state, calls the handler of the event and
// shows the state again; the handlers never touch a window, so they run and test alone.
//
// Handlers call each other exactly where the dialogs' rules say so; nothing runs by
// itself when a value changes (unchecking a box in a handler runs that box's handling only
// where a handler calls it).
//
// The Modbus dialog forces the rules of digital and read-only tags while the user edits
// (DigitalChange, ReadAccessChange, the "_TEMP" name) and shows either the edge choices or
// the limit fields by its alarm mode. The Hostlink and DF1 dialogs force nothing: their
// checks on OK refuse what does not fit, and the user picks the alarm kind.

struct TTagFormState
{
    TTagForm form;
    // Modbus: 1 for a digital tag (edge alarm, the edge choices shown), 2 otherwise
    // (value range alarm, the limit fields shown).
    int alarmMode = 2;

    bool enabled(TagField field) const { return !m_disabled.test(size_t(field)); }
    void setEnabled(TagField field, bool on) { m_disabled.set(size_t(field), !on); }

private:
    std::bitset<size_t(TagField::Count)> m_disabled;
};

// Modbus refreshes, run after each change of the selections.
void DigitalChange(TTagFormState &state);
void ReadAccessChange(TTagFormState &state);

void SourceChanged(TTagFormState &state);
void TypeChanged(TTagFormState &state);
// Modbus register table. The list's own change sets the table's type; loading a tag
// (keepType) keeps the loaded one.
void ModbusFunctionChanged(TTagFormState &state, bool keepType);
void ReadOnlyClicked(TTagFormState &state);
void WriteLimitsClicked(TTagFormState &state);
void AlarmEnableClicked(TTagFormState &state);
// Hostlink and DF1 alarm kinds: ticking one unticks the other; both may be off.
void AlarmValueClicked(TTagFormState &state);
void AlarmEdgeClicked(TTagFormState &state);
void ScaleChanged(TTagFormState &state);
// Modbus: the scale page shown.
void ScalePageShown(TTagFormState &state);
// Modbus: the tag name edited.
void TagNameChanged(TTagFormState &state);
// After the internal tag picker closed; `picked` is the chosen name, or null when cancelled.
void InternalTagPicked(TTagFormState &state, const QByteArray *picked);

// A new tag of the state's protocol.
void ClearControls(TTagFormState &state);
// The fields of a stored tag; the state's protocol becomes the record's.
void SetControls(TTagFormState &state, const TModbusTagConfig &tag);
void SetControls(TTagFormState &state, const THostlinkTagConfig &tag);
void SetControls(TTagFormState &state, const TDF1TagConfig &tag);
