#pragma once

#include "config/ui/TagsDialog.h"

// "Add Hostlink Tag" / "Edit Hostlink Tag": one tag of a Hostlink configuration: a unit number, a register area and a word address locate a serial tag.
// Unlike the Modbus dialog it forces nothing while the user edits; the checks on OK refuse
// what does not fit, and the user picks the alarm kind (by value or by edge).
class TfrmHostlinkTags : public TTagsDialogOf<THostlinkTagConfig>
{
    Q_OBJECT

public:
    explicit TfrmHostlinkTags(TfrmInternalTags *picker, QWidget *parent = nullptr);
};
