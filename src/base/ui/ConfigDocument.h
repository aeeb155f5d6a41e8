#pragma once

#include "base/ui/ChildWin.h"

class QAbstractItemView;

// What the main window needs of a configuration document (Modbus, Hostlink, DF1) to run the
// tag commands; its protocol family is its kind's (DocumentKinds.h). The tag record stays
// inside the document and its tag dialog: the main window only handles names, rows and the
// dialog's verdict, so one dispatch serves all three protocols.
class TConfigDocument : public TMDIChild
{
    Q_OBJECT

public:
    using TMDIChild::TMDIChild;

    virtual int GetTagCount() const = 0;
    // True when a tag named name exists in a row other than row (-1: any row).
    virtual bool TagExists(const QString &name, int row) const = 0;
    // The name of the tag in row (GetTagFromList(row)'s name).
    virtual QString TagNameAt(int row) const = 0;
    virtual void DeleteSelectedTag() = 0;

    // The protocol's tag dialog, which holds one tag record in its TagConfig.
    // Loads GetTagFromList(row) into the dialog; false (said already) when the row's texts
    // do not make a tag record, which ends the command.
    virtual bool LoadTagIntoDialog(int row) = 0;
    // Shows the dialog modally with the given EditMode; true on OK.
    virtual bool ExecuteTagDialog(bool editMode) = 0;
    // The name of the dialog's tag record.
    virtual QString DialogTagName() const = 0;
    virtual void AddDialogTagToList() = 0;        // AddTagToList(dialog's TagConfig)
    virtual void ReplaceSelectedWithDialogTag() = 0; // ReplaceSelectedTag(dialog's TagConfig)

    // The tag list as a CSV file. Export asks for the file and writes every row; import asks
    // for a file, checks every row as the tag dialog would, and replaces the list only when
    // all pass (after a confirmation when the document has tags), marking the document
    // modified. Each says itself what failed.
    virtual void ExportTags() = 0;
    virtual void ImportTags() = 0;

    // Gets the gateway's configuration and shows how it differs from this one; the document
    // itself stays as it is, Saved included. The answer feeds IsEqualToOrvan.
    virtual void CompareWithOrvan(const TDeviceData &device) = 0;

    // The page control shows the tag list page (its third page, tbsTags).
    // Default: the tab widget holding the child "tbsTags" has it as its current page.
    virtual bool TagsPageShown() const;
    // The selected row of lstTags, or -1. Default: the child view "lstTags".
    virtual int SelectedTagRow() const;

signals:
    // The user asked to edit the selected tag (a double click on its row).
    void tagEditRequested();
};

// The selected row of the item view named name below parent, or -1.
int SelectedRowOf(const QWidget *parent, const char *name);
