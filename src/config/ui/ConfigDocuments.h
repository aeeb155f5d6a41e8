#pragma once

#include "base/ui/ConfigDocument.h"
#include "config/ConfigFile.h"
#include "config/ConfigModel.h"

#include <memory>
#include <optional>

class TConfigPages;
class TfrmDF1Tags;
class TfrmHostlinkTags;
class TfrmModbusTags;
class TfrmTransferDF1Config;
class TfrmTransferHostlinkConfig;
class TfrmTransferModbusConfig;

// A configuration document window: one gateway configuration of one protocol. The
// configuration lives in the document's editor model (ConfigModel.h), the pages show it
// (ConfigPages.h), and the file is the model's store (ConfigFile.h); the window only joins
// them to the commands. TMDIConfig is what the three protocols share; TMDIConfigOf adds what
// depends on the protocol's record types: tags, whole-configuration records, the tag and
// transfer dialogs.
class TMDIConfig : public TConfigDocument
{
    Q_OBJECT

public:
    ~TMDIConfig() override;

    TagProtocol Protocol() const { return m_model->Protocol(); }
    // "Orvan Modbus Configuration - ", "Orvan Hostlink Configuration - ", "Orvan DF1 Configuration - "
    static QString CaptionPrefix(TagProtocol protocol);
    // The question before a send.
    static const QString SendWarning;

    void New(const QString &name) override;
    void Open(const QString &path) override; // a file that cannot be read closes the window
    bool UpdateFile() override;              // Validate, then write; false when either fails
    bool SaveAs() override;
    bool SendToOrvan(const TDeviceData &device) override;
    // The answer of the last comparison with a gateway while the configuration has not
    // changed since; true when there is none (nothing says otherwise).
    bool IsEqualToOrvan() override { return m_equalToOrvan.value_or(true); }
    bool HasComparison() const { return m_equalToOrvan.has_value(); }

    // The document's checks; the first failure is shown, its page brought forward and its
    // field focused.
    bool Validate();
    // False while New and Open fill the editor: changes then do not mark the document.
    bool Loaded() const { return m_loaded; }
    // A field changed: the document has unsaved changes, once it is loaded.
    void OnChangeGeneral();
    bool LoadFailed() const { return m_loadFailed; }

    int GetTagCount() const override { return m_model->GetTagCount(); }
    bool TagExists(const QString &name, int row) const override;
    QString TagNameAt(int row) const override; // the row's caption: no number needs to convert
    void DeleteSelectedTag() override;
    void ExportTags() override;
    void ImportTags() override;
    bool TagsPageShown() const override;
    int SelectedTagRow() const override;

    // For commands over the whole configuration (tag import and export, comparison): the
    // model holds every field and tag row as shown. After changing its tag rows directly,
    // RefreshTags shows them; the caller marks the document (SetSaved(false)).
    const TConfigModel &Model() const { return *m_model; }
    TConfigModel &Model() { return *m_model; }
    void RefreshTags();
    TConfigPages &Pages() const { return *m_pages; }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

    TMDIConfig(std::unique_ptr<TConfigModel> model, QWidget *parent);

    // The protocol's transfer dialog, filled with this configuration and run to send it.
    virtual void SendRecord(const TDeviceData &device) = 0;

    // Every change of the configuration forgets the last comparison.
    void SetComparison(bool equal) { m_equalToOrvan = equal; }
    void ForgetComparison() { m_equalToOrvan.reset(); }

private:
    void closeLater();

    std::unique_ptr<TConfigModel> m_model;
    TConfigFile m_file;
    TConfigPages *m_pages;
    bool m_loaded = false;
    bool m_loadFailed = false;
    bool m_placed = false; // sized to its content in the document area once
    std::optional<bool> m_equalToOrvan;
};

// The types one protocol's document works with.
struct TModbusConfigTraits
{
    using Model = TModbusConfigModel;
    using Config = TModbusOrvanConfig;
    using Tag = TModbusTagConfig;
    using TagDialog = TfrmModbusTags;
    using Transfer = TfrmTransferModbusConfig;
    static TagDialog &tagDialog();
    static Transfer &transfer();
};

struct THostlinkConfigTraits
{
    using Model = THostlinkConfigModel;
    using Config = THostlinkOrvanConfig;
    using Tag = THostlinkTagConfig;
    using TagDialog = TfrmHostlinkTags;
    using Transfer = TfrmTransferHostlinkConfig;
    static TagDialog &tagDialog();
    static Transfer &transfer();
};

struct TDF1ConfigTraits
{
    using Model = TDF1ConfigModel;
    using Config = TDF1OrvanConfig;
    using Tag = TDF1TagConfig;
    using TagDialog = TfrmDF1Tags;
    using Transfer = TfrmTransferDF1Config;
    static TagDialog &tagDialog();
    static Transfer &transfer();
};

// The record side of a document. GetTagFromList and GetAllConfig throw EConvertError when a
// tag row holds a number that does not convert (rows read from a file are not checked).
template<class Traits>
class TMDIConfigOf : public TMDIConfig
{
public:
    using EditorModel = typename Traits::Model;
    using Config = typename Traits::Config;
    using Tag = typename Traits::Tag;

    void GetAllConfig(Config &record) const;
    // Replaces the whole configuration; shown at once, the document's Saved left to the caller.
    void SetAllConfig(const Config &record);
    bool AddTagToList(const Tag &tag);       // false when the list is full
    bool ReplaceSelectedTag(const Tag &tag); // false without a selected row
    bool GetTagFromList(int index, Tag &tag) const; // false, tag untouched, outside the rows

    // Fills a new document from the connected device through the transfer dialog. A transfer
    // that does not complete leaves the document as it was: a part of a configuration,
    // sent back later, would delete the rest from the gateway.
    bool GetFromOrvan(const TDeviceData &device) override;
    // Gets the gateway's configuration through the transfer dialog into a record of its own
    // (the dialog's record and the document stay as they were) and shows the differences,
    // or says the two are identical. A get that fails has been reported by the dialog and
    // compares nothing.
    void CompareWithOrvan(const TDeviceData &device) override;

    bool LoadTagIntoDialog(int row) override;
    bool ExecuteTagDialog(bool editMode) override;
    QString DialogTagName() const override;
    void AddDialogTagToList() override;
    void ReplaceSelectedWithDialogTag() override;

protected:
    explicit TMDIConfigOf(QWidget *parent);
    void SendRecord(const TDeviceData &device) override;

    const EditorModel &model() const { return static_cast<const EditorModel &>(TMDIConfig::Model()); }
    EditorModel &model() { return static_cast<EditorModel &>(TMDIConfig::Model()); }
};

class TMDIModbusConfig : public TMDIConfigOf<TModbusConfigTraits>
{
    Q_OBJECT
public:
    explicit TMDIModbusConfig(QWidget *parent = nullptr);
};

class TMDIHostlinkConfig : public TMDIConfigOf<THostlinkConfigTraits>
{
    Q_OBJECT
public:
    explicit TMDIHostlinkConfig(QWidget *parent = nullptr);
};

class TMDIDF1Config : public TMDIConfigOf<TDF1ConfigTraits>
{
    Q_OBJECT
public:
    explicit TMDIDF1Config(QWidget *parent = nullptr);
};
