#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

// "Device Current Password": the administrator password for one operation.
class TfrmPassword : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmPassword(QWidget *parent = nullptr);

    // What was typed when the dialog closed with OK.
    QByteArray Password() const { return m_password; }

    // Shows the dialog modally: the typed password, or nullopt when cancelled.
    std::optional<QByteArray> ask();

    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *txtPassword;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QByteArray m_password;
};
