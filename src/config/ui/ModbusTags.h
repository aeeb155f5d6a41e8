#pragma once

#include "config/ui/TagsDialog.h"

// "Add Modbus Tag" / "Edit Modbus Tag": one tag of a Modbus configuration. The dialog
// keeps the fields in line with the tag while the user edits: a digital tag loses its
// write limits and scale and shows the edge choices of its alarm, a tag in the input
// tables is read-only, and the "_TEMP" internal tag is a real value.
class TfrmModbusTags : public TTagsDialogOf<TModbusTagConfig>
{
    Q_OBJECT

public:
    explicit TfrmModbusTags(TfrmInternalTags *picker, QWidget *parent = nullptr);

    // The tag must be read-only whatever the user chooses (an input table, a non-serial
    // source other than an output).
    bool IsReadOnly();
    // 1: the alarm is an edge alarm of a digital tag; 2: a value range alarm.
    int AlarmMode() const { return State().alarmMode; }

public slots:
    void DigitalChange();
    void ReadAccessChange();
    void cboModbusFunctionChange();
    void cboModbusFunctionChange2();
    void txtTagNameChange();
    void tabTagAlarmShow();
    void tabTagScaleShow();
};
