#pragma once

#include "config/ui/TagsDialog.h"

// "Add DF1 Tag" / "Edit DF1 Tag": one tag of a DF1 configuration: a file type, a file number and a word number locate a serial tag.
// Unlike the Modbus dialog it forces nothing while the user edits; the checks on OK refuse
// what does not fit, and the user picks the alarm kind (by value or by edge).
class TfrmDF1Tags : public TTagsDialogOf<TDF1TagConfig>
{
    Q_OBJECT

public:
    explicit TfrmDF1Tags(TfrmInternalTags *picker, QWidget *parent = nullptr);
};
