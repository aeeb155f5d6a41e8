#pragma once

#include "config/TagChecks.h"
#include "config/TagFormRules.h"
#include "config/ui/InternalTags.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QTabWidget;

// What the Modbus, Hostlink and DF1 tag dialogs share: the four pages (the first and the
// alarm page are the protocol's own), OK and Cancel, the key filters, and the one way a
// handler runs: the controls are read into the form, the handler of TagFormRules.h
// changes the form and the enabled fields, and the controls show the result. The checks
// on OK are ValidateTag's; the protocol's dialog builds its record from the form.
class TTagsDialog : public QDialog
{
    Q_OBJECT

public:
    TagProtocol Protocol() const { return m_state.form.protocol; }
    // The form and enabled fields as the last handler left them.
    const TTagFormState &State() const { return m_state; }
    TfrmInternalTags *InternalTagsPicker() const { return m_picker; }

    // The form as the controls hold it now.
    TTagForm CurrentForm();

    // The checks on the current fields; a failure is shown, its page brought forward and
    // its field focused. Warnings are shown and do not fail.
    bool Validate();

    // The classification rules asked about the current selections.
    bool IsDigital() { return ::IsDigital(CurrentForm()); }
    bool IsInteger() { return ::IsInteger(CurrentForm()); }
    qint32 GetLowestValueInt() { return IntegerRange(CurrentForm()).Lowest; }
    qint32 GetHighestValueInt() { return IntegerRange(CurrentForm()).Highest; }

    // Key filters of the digit fields and the number fields: whether a typed character
    // may go in. Keys that type no character (backspace, arrows, shortcuts) always pass.
    static bool OnIntegerKeyPressGeneral(QChar key);
    static bool OnFloatKeyPressGeneral(QChar key);

public slots:
    void FormShow();
    void btnOkClick();
    void btnInternalClick();
    void cboSourceChange();
    void cboTypeChange();
    void chkReadOnlyClick();
    void chkWriteLimitsClick();
    void chkAlarmEnableClick();
    void chkAlarmValueClick();
    void chkAlarmEdgeClick();
    void cboScaleChange();

protected:
    TTagsDialog(TagProtocol protocol, TfrmInternalTags *picker, QWidget *parent);

    // Puts the pages together: the protocol's first page and alarm page (from their
    // Designer forms) with the shared value and scale pages. Called once by the subclass.
    void setPages(QWidget *locationPage, QWidget *alarmPage);

    // Caption and ClearControls or SetControls, by EditMode.
    virtual void InitControls() = 0;
    // Builds the protocol's record from a form that passed the checks into TagConfig.
    virtual void StoreTag(const TTagForm &form) = 0;

    // Reads the controls, runs the handler on the state, shows the state.
    void run(const std::function<void(TTagFormState &)> &handler);

    QWidget *fieldWidget(TagField field) const { return m_fields[size_t(field)]; }
    QTabWidget *pages() const { return m_pages; }

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class KeyFilter { Digits, Number };

    void findFields();
    void fillLists();
    void connectHandlers();
    void readControls();
    void applyState();
    void showFault(const TTagFault &fault);
    void normaliseTagName();
    // The Modbus address box: the table's digit, then five positions.
    QByteArray addressDigits() const;
    void setAddress(int table, const QByteArray &digits);

    TTagFormState m_state;
    QPointer<TfrmInternalTags> m_picker;
    QTabWidget *m_pages = nullptr;
    std::array<QWidget *, size_t(TagField::Count)> m_fields{};
    QHash<QObject *, KeyFilter> m_keyFilters;
    bool m_applying = false;
};

// The side of a tag dialog that depends on its record type: what the caller exchanges
// with it. The caller sets EditMode and, to edit, TagConfig, then runs exec(); on OK
// TagConfig holds the tag built from the fields, on Cancel it stays as it was.
template<typename Record>
class TTagsDialogOf : public TTagsDialog
{
public:
    bool EditMode = false;
    Record TagConfig;

    void InitControls() override
    {
        setWindowTitle(QStringLiteral("%1 %2 Tag")
                           .arg(EditMode ? QStringLiteral("Edit") : QStringLiteral("Add"), ProtocolWord(Protocol())));
        if (EditMode)
            SetControls();
        else
            ClearControls();
    }
    void ClearControls()
    {
        run([](TTagFormState &s) { ::ClearControls(s); });
    }
    void SetControls()
    {
        run([this](TTagFormState &s) { ::SetControls(s, TagConfig); });
    }
    // The record the current fields describe (checked or not: a malformed number throws).
    Record GetTagConfiguration()
    {
        Record tag;
        ::GetTagConfiguration(CurrentForm(), tag);
        return tag;
    }

protected:
    using TTagsDialog::TTagsDialog;

    void StoreTag(const TTagForm &form) override
    {
        Record tag;
        ::GetTagConfiguration(form, tag);
        TagConfig = tag;
    }
};
