#pragma once

#include "config/ConfigModel.h"

#include <QWidget>

#include <memory>

class QTableWidget;
namespace Ui {
class ConfigPages;
}

// The three pages of a configuration document ("Serial Port", "E-Mails", "Tags") over its
// editor model. Every control shows one model field and writes it back as soon as the user
// changes it, so the model always holds what the pages show; `changed` then tells the
// document. The pages carry the protocol's own rows, texts and limits (the form holds every
// protocol's rows; the ones a protocol lacks are removed) and the e-mail page's rules: the
// enabling rule and the recipient commands.
class TConfigPages : public QWidget
{
    Q_OBJECT

public:
    explicit TConfigPages(TConfigModel &model, QWidget *parent = nullptr);
    ~TConfigPages() override;

    TagProtocol Protocol() const { return m_model.Protocol(); }

    // Shows every field of the model, the tag list included, without reporting a change.
    void ShowModel();
    // The tag list from the model's rows. The selected row stays selected while it exists.
    void ShowTags();
    void AppendTagRow();        // the model's last row, after an append; it becomes the selection
    void ShowTagRow(int row);   // one row's texts again, after the model's row changed
    void RemoveTagRow(int row); // after the model's row was deleted; nothing stays selected

    // A failed check: its message in an error box, the field's page brought forward, the
    // field focused (a failing recipient is selected first).
    void ShowFailure(const TFieldCheck &check);

    TConfigPage CurrentPage() const;
    void ShowPage(TConfigPage page);
    int SelectedTagRow() const; // -1: none
    void SelectTagRow(int row); // -1 clears the selection
    QTableWidget *TagList() const;

    // Enables the e-mail fields as "Enable relaying" and "Server requires authentication" say.
    void ApplyEmailEnabling();

    // Key filter of the number fields: only the digits and backspace go in.
    static bool OnIntegerKeyPressGeneral(QChar key);

    // "Can´t add more than 5 E-Mail Addresses."
    static const QString RecipientLimitMessage;

signals:
    void changed();          // the user changed a field; the model holds the new value
    void tagEditRequested(); // a tag row was double-clicked
    void viewChanged();      // another page or another tag row is selected

public slots:
    void OnEmailEnableClick();
    void chkAuthClick();
    void btnEMailAddClick();
    void btnEMailEditClick();
    void btnEMailDeleteClick();
    void btnUpClick();
    void btnDownClick();
    void btnScanTimeClick();
    void btnMessageToutClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpProtocol();
    void removeSerialRow(QWidget *label);
    void connectControls();
    void showSliderTexts();
    void showRecipients(int selected);
    int selectedRecipient() const;
    void userChanged();

    std::unique_ptr<Ui::ConfigPages> ui;
    TConfigModel &m_model;
    bool m_showing = false; // the controls are being filled from the model
};
