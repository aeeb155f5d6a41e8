#pragma once

#include <QByteArray>
#include <QDialog>

class QLineEdit;

// "E-Mail Address": asks for one recipient of a configuration's e-mails. Made once and
// reused: the caller sets EditMode and, to edit, EMail, then runs exec(); on OK EMail holds
// the accepted address as typed, on Cancel it stays as it was.
class TfrmEmail : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmEmail(QWidget *parent = nullptr);

    bool EditMode = false;
    QByteArray EMail;

    static const QString InvalidMessage; // "The E-mail Address is not valid."

public slots:
    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *txtEMail;
};
