#pragma once

#include "config/TagForm.h"

#include <QString>
#include <QStringList>

#include <optional>

// The checks a tag passes before its record is built: the tag dialogs run them when the
// user presses OK, and anything else that turns texts into tags (a table of tags read
// from a file, say) runs the same ones on a form built with TagFormFromTexts.
//
// The checks run in a fixed order and stop at the first failure. A Modbus address typed
// in a short form yields a warning first and the checks go on; the caller shows the
// warnings, then the failure.

struct TTagFault
{
    TagField field;  // the field to correct
    QString message; // for an error box
};

struct TTagVerdict
{
    QStringList warnings;
    std::optional<TTagFault> fault;

    bool passed() const { return !fault.has_value(); }
};

// The name, then the checks of the form's source: the serial checks of its protocol, the
// input/output checks or the internal checks.
TTagVerdict ValidateTag(const TTagForm &form);
