#pragma once

#include "app/OptionsForm.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "Orvan Configuration Manager Options": the HTTP and FTP proxy settings.
class TfrmOptions : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmOptions(QWidget *parent = nullptr);

    // Loads every control from the settings; runs on every show.
    void FormShow();
    void SetEnableHTTPProxy();
    void SetEnableFTPProxy();
    bool Validate();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    OptionsForm readForm() const;
    void writeForm(const OptionsForm &form);

    QTabWidget *m_pages;
    QCheckBox *chkUseHTTPProxy;
    QLineEdit *txtHTTPProxy;
    QLineEdit *txtHTTPProxyPort;
    QCheckBox *chkHTTPProxyAuthentication;
    QLineEdit *txtHTTPUsername;
    QLineEdit *txtHTTPPassword;
    QCheckBox *chkUseFTPProxy;
    QLineEdit *txtFTPProxy;
    QLineEdit *txtFTPProxyPort;
    QRadioButton *rdoUserMode;
    QRadioButton *rdoSiteMode;
    QRadioButton *rdoOpenMode;
    QRadioButton *rdoUserPass;
    QCheckBox *chkFirewallLogon;
    QLineEdit *txtFTPUsername;
    QLineEdit *txtFTPPassword;
    QPushButton *btnOk;
    QPushButton *btnCancel;
};
