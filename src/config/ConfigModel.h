#pragma once

#include "config/ConfigFields.h"

// The configuration one document edits, without a window: the serial and e-mail page
// values (ConfigFields.h) and the tag list. The document windows are thin views over it;
// the file store (ConfigFile.h), the configuration records and the transfers all read and
// fill this one model, so each rule lives once.
//
// Tag rows. A row is the tag as the texts of its file keys, in key order (TagRows.h):
// NAME first (the row's caption), then one text per column of TagColumns(), then the
// value kind (the hidden last cell). The texts are what the file stores and the window
// shows; they are turned into a tag record only by GetTagFromList, when a tag is edited,
// removed or sent, and a malformed number then throws EConvertError.
//
// Row indexes are list positions from 0. The window keeps the selection; the document's
// ReplaceSelectedTag and DeleteSelectedTag are ReplaceTagAt and DeleteTagAt with the
// selected row.
//
// Serial and Email are plain fields: the window writes a control's value into them when it
// changes (and marks itself modified), and reads them back after Open and SetAllConfig.
//
// Typical use by a document window (TMDIModbusConfig over TModbusConfigModel and a TConfigFile):
//   New:        model.Clear(); file.BindFresh(program folder + name)
//   Open:       file.Open(path, model) -> fills the model, warnings through Prompt;
//               OpenResult::Modified says whether the document starts unsaved
//   Save As:    file.BindFresh(chosen path), then UpdateFile
//   UpdateFile: if (auto check = model.Validate(); !check) { show check.Message, focus
//               FieldControlName(check.Field) on FieldPage(check.Field); return false; }
//               return file.Write(model)
//   Send:       Validate as above, then model.GetAllConfig(record) for the transfer
//   Get:        model.SetAllConfig(record) from the transfer's record
// A command line does the same without the focusing.
class TConfigModel
{
public:
    explicit TConfigModel(TagProtocol protocol) : m_protocol(protocol) {}
    virtual ~TConfigModel() = default;

    TagProtocol Protocol() const { return m_protocol; }

    TSerialFields Serial;
    TEmailFields Email;

    // Back to a new document's values: the defaults of every field, no recipients, no tags.
    void Clear();

    // The document's checks in order: Modbus packet timeout 3..20 ("Invalid Packet
    // Timeout."), then the e-mail checks (CheckEmailFields). The first failure is returned.
    TFieldCheck Validate() const;

    // --- tag rows -----------------------------------------------------------------------
    int GetTagCount() const { return int(m_rows.size()); }
    // True when a row other than excludedRow (-1: none) is named exactly `name` (case counts).
    bool TagExists(const QByteArray &name, int excludedRow = -1) const;
    // The row's texts in key order; empty for a row outside the list.
    QList<QByteArray> TagTexts(int row) const;
    QByteArray TagCaption(int row) const;   // NAME
    QList<QByteArray> TagCells(int row) const; // the columns' texts, then the value kind
    // Appends a row of texts in key order (missing trailing texts become empty, extra
    // ones are dropped). False, and nothing added, when the list holds MaxTags rows.
    bool AppendTagTexts(const QList<QByteArray> &texts);
    // Replaces a row's texts; false for a row outside the list.
    bool SetTagTexts(int row, const QList<QByteArray> &texts);
    void DeleteTagAt(int row); // nothing for a row outside the list
    void ClearTags() { m_rows.clear(); }

protected:
    QList<QByteArray> fitted(const QList<QByteArray> &texts) const;

private:
    TagProtocol m_protocol;
    QList<QList<QByteArray>> m_rows;
};

// The record side, one model per protocol. For each:
// - AddTagToList(tag): appends the tag's row; false when MaxTags rows are there already.
// - ReplaceTagAt(row, tag): rewrites a row from the record; false for a row outside the list.
// - GetTagFromList(row, tag): fills the record from the row; false, and the record
//   untouched, for a row outside the list. Throws EConvertError ("'%s' is not a valid
//   integer value" / "... floating point value") for a malformed number; the record is
//   then untouched too.
// - GetAllConfig(record): serial positions (DF1 parity 0 or 2, DataBits 7 or 8), slider
//   positions, the packet timeout's integer, the e-mail record, TagCount and Tags (slots
//   after TagCount reset to an empty tag). Throws EConvertError for a number field or tag
//   text that does not convert; run Validate first.
// - SetAllConfig(record): replaces the whole model. A list position outside its list
//   leaves that field as it was (DF1: parity 1 or 2 is "Even", DataBits other than 7 is
//   "8"); sliders are clamped to their ranges; the recipients and tags are replaced by
//   the record's first RecipientCount and TagCount (each clamped to its maximum).
class TModbusConfigModel : public TConfigModel
{
public:
    TModbusConfigModel() : TConfigModel(TagProtocol::Modbus) {}
    bool AddTagToList(const TModbusTagConfig &tag);
    bool ReplaceTagAt(int row, const TModbusTagConfig &tag);
    bool GetTagFromList(int row, TModbusTagConfig &tag) const;
    void GetAllConfig(TModbusOrvanConfig &record) const;
    void SetAllConfig(const TModbusOrvanConfig &record);
};

class THostlinkConfigModel : public TConfigModel
{
public:
    THostlinkConfigModel() : TConfigModel(TagProtocol::Hostlink) {}
    bool AddTagToList(const THostlinkTagConfig &tag);
    bool ReplaceTagAt(int row, const THostlinkTagConfig &tag);
    bool GetTagFromList(int row, THostlinkTagConfig &tag) const;
    void GetAllConfig(THostlinkOrvanConfig &record) const;
    void SetAllConfig(const THostlinkOrvanConfig &record);
};

class TDF1ConfigModel : public TConfigModel
{
public:
    TDF1ConfigModel() : TConfigModel(TagProtocol::DF1) {}
    bool AddTagToList(const TDF1TagConfig &tag);
    bool ReplaceTagAt(int row, const TDF1TagConfig &tag);
    bool GetTagFromList(int row, TDF1TagConfig &tag) const;
    void GetAllConfig(TDF1OrvanConfig &record) const;
    void SetAllConfig(const TDF1OrvanConfig &record);
};
