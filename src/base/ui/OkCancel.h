#pragma once

class QHBoxLayout;
class QPushButton;
class QWidget;

// The OK (default) and Cancel buttons every dialog ends with, right-aligned.
struct OkCancelButtons
{
    QPushButton *ok;     // "btnOk"
    QPushButton *cancel; // "btnCancel"
    QHBoxLayout *layout;
};

OkCancelButtons MakeOkCancelButtons(QWidget *parent);
