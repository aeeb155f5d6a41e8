#include "app/ui/Options.h"

#include "base/ui/OkCancel.h"

#include "base/KovaOptions.h"
#include "base/Prompt.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit *edit(QWidget *parent, const char *name, int maxLength = 0, bool masked = false)
{
    auto *e = named(new QLineEdit(parent), name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    if (masked)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

// Radio buttons that share a parent exclude each other, which also forbids "none checked";
// lifting the exclusion for a moment allows it.
void checkRadio(const QList<QRadioButton *> &buttons, int index)
{
    for (int i = 0; i < buttons.size(); ++i) {
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(i == index);
        buttons[i]->setAutoExclusive(true);
    }
}

} // namespace

TfrmOptions::TfrmOptions(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Orvan Configuration Manager Options"));

    m_pages = named(new QTabWidget(this), "pgcOptions");

    // HTTP Proxy page
    auto *httpPage = named(new QWidget, "tbsHTTPProxy");
    auto *httpGroup = named(new QGroupBox(QStringLiteral("HTTP Proxy"), httpPage), "grpHTTPProxy");
    chkUseHTTPProxy = named(new QCheckBox(QStringLiteral("Use Proxy Server for Remote Devices"), httpGroup),
                            "chkUseHTTPProxy");
    txtHTTPProxy = edit(httpGroup, "txtHTTPProxy");
    txtHTTPProxyPort = edit(httpGroup, "txtHTTPProxyPort", 5);
    chkHTTPProxyAuthentication = named(new QCheckBox(QStringLiteral("Use Basic Authentication"), httpGroup),
                                       "chkHTTPProxyAuthentication");
    txtHTTPUsername = edit(httpGroup, "txtHTTPUsername");
    txtHTTPPassword = edit(httpGroup, "txtHTTPPassword", 0, true);
    {
        // One form for the group, so every field starts at one edge.
        auto *form = new QFormLayout(httpGroup);
        form->addRow(chkUseHTTPProxy);
        form->addRow(QStringLiteral("Proxy Server"), txtHTTPProxy);
        form->addRow(QStringLiteral("Port"), txtHTTPProxyPort);
        form->addRow(chkHTTPProxyAuthentication);
        form->addRow(QStringLiteral("Username"), txtHTTPUsername);
        form->addRow(QStringLiteral("Password"), txtHTTPPassword);
        auto *pageLayout = new QVBoxLayout(httpPage);
        pageLayout->addWidget(httpGroup);
        pageLayout->addStretch(); // the room the taller FTP page needs stays below the group
    }

    // FTP Proxy page
    auto *ftpPage = named(new QWidget, "tbsFTPProxy");
    auto *ftpGroup = named(new QGroupBox(QStringLiteral("FTP Proxy"), ftpPage), "grpFTPProxy");
    chkUseFTPProxy = named(new QCheckBox(QStringLiteral("Use Proxy Server for Remote Devices"), ftpGroup),
                           "chkUseFTPProxy");
    txtFTPProxy = edit(ftpGroup, "txtFTPProxy");
    txtFTPProxyPort = edit(ftpGroup, "txtFTPProxyPort", 5);
    rdoUserMode = named(new QRadioButton(QStringLiteral("Send USER user@hostname"), ftpGroup), "rdoUserMode");
    rdoSiteMode = named(new QRadioButton(QStringLiteral("Send SITE (logon)"), ftpGroup), "rdoSiteMode");
    rdoOpenMode = named(new QRadioButton(QStringLiteral("Send OPEN"), ftpGroup), "rdoOpenMode");
    rdoUserPass = named(new QRadioButton(QStringLiteral("USER user@firewalluser@hostname / PASS pass@firewallpass"),
                                         ftpGroup),
                        "rdoUserPass");
    chkFirewallLogon = named(new QCheckBox(QStringLiteral("Firewall Logon"), ftpGroup), "chkFirewallLogon");
    txtFTPUsername = edit(ftpGroup, "txtFTPUsername");
    txtFTPPassword = edit(ftpGroup, "txtFTPPassword", 0, true);
    {
        auto *form = new QFormLayout(ftpGroup);
        form->addRow(chkUseFTPProxy);
        form->addRow(QStringLiteral("Proxy Server"), txtFTPProxy);
        form->addRow(QStringLiteral("Port"), txtFTPProxyPort);
        for (QRadioButton *method : {rdoUserMode, rdoSiteMode, rdoOpenMode, rdoUserPass})
            form->addRow(method);
        form->addRow(chkFirewallLogon);
        form->addRow(QStringLiteral("Username"), txtFTPUsername);
        form->addRow(QStringLiteral("Password"), txtFTPPassword);
        auto *pageLayout = new QVBoxLayout(ftpPage);
        pageLayout->addWidget(ftpGroup);
        pageLayout->addStretch();
    }

    m_pages->addTab(httpPage, QStringLiteral("HTTP Proxy"));
    m_pages->addTab(ftpPage, QStringLiteral("FTP Proxy"));

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    btnOk = buttons.ok;
    btnCancel = buttons.cancel;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons.layout);

    connect(chkUseHTTPProxy, &QCheckBox::clicked, this, &TfrmOptions::SetEnableHTTPProxy);
    connect(chkHTTPProxyAuthentication, &QCheckBox::clicked, this, &TfrmOptions::SetEnableHTTPProxy);
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(chkUseFTPProxy),
                                    static_cast<QAbstractButton *>(chkFirewallLogon),
                                    static_cast<QAbstractButton *>(rdoUserMode),
                                    static_cast<QAbstractButton *>(rdoSiteMode),
                                    static_cast<QAbstractButton *>(rdoOpenMode),
                                    static_cast<QAbstractButton *>(rdoUserPass)})
        connect(button, &QAbstractButton::clicked, this, &TfrmOptions::SetEnableFTPProxy);
    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmOptions::FormShow()
{
    writeForm(LoadOptionsForm());
    m_pages->setCurrentIndex(0);
    chkUseHTTPProxy->setFocus();
    SetEnableHTTPProxy();
    SetEnableFTPProxy();
}

OptionsForm TfrmOptions::readForm() const
{
    OptionsForm form;
    form.useHTTPProxy = chkUseHTTPProxy->isChecked();
    form.httpProxy = txtHTTPProxy->text();
    form.httpProxyPort = txtHTTPProxyPort->text();
    form.httpAuthentication = chkHTTPProxyAuthentication->isChecked();
    form.httpUserName = txtHTTPUsername->text();
    form.httpPassword = txtHTTPPassword->text();
    form.useFTPProxy = chkUseFTPProxy->isChecked();
    form.ftpProxy = txtFTPProxy->text();
    form.ftpProxyPort = txtFTPProxyPort->text();
    const QList<QRadioButton *> methods{rdoUserMode, rdoSiteMode, rdoOpenMode, rdoUserPass};
    for (int i = 0; i < methods.size(); ++i)
        if (methods[i]->isChecked())
            form.ftpMethod = i + 1;
    form.firewallLogon = chkFirewallLogon->isChecked();
    form.ftpUserName = txtFTPUsername->text();
    form.ftpPassword = txtFTPPassword->text();
    return form;
}

void TfrmOptions::writeForm(const OptionsForm &form)
{
    chkUseHTTPProxy->setChecked(form.useHTTPProxy);
    txtHTTPProxy->setText(form.httpProxy);
    txtHTTPProxyPort->setText(form.httpProxyPort);
    chkHTTPProxyAuthentication->setChecked(form.httpAuthentication);
    txtHTTPUsername->setText(form.httpUserName);
    txtHTTPPassword->setText(form.httpPassword);
    chkUseFTPProxy->setChecked(form.useFTPProxy);
    txtFTPProxy->setText(form.ftpProxy);
    txtFTPProxyPort->setText(form.ftpProxyPort);
    checkRadio({rdoUserMode, rdoSiteMode, rdoOpenMode, rdoUserPass}, form.ftpMethod - 1);
    chkFirewallLogon->setChecked(form.firewallLogon);
    txtFTPUsername->setText(form.ftpUserName);
    txtFTPPassword->setText(form.ftpPassword);
}

void TfrmOptions::SetEnableHTTPProxy()
{
    const HttpProxyEnabling e = ::SetEnableHTTPProxy(readForm());
    txtHTTPProxy->setEnabled(e.server);
    txtHTTPProxyPort->setEnabled(e.port);
    chkHTTPProxyAuthentication->setEnabled(e.authentication);
    txtHTTPUsername->setEnabled(e.credentials);
    txtHTTPPassword->setEnabled(e.credentials);
}

void TfrmOptions::SetEnableFTPProxy()
{
    OptionsForm form = readForm();
    const FtpProxyEnabling e = ::SetEnableFTPProxy(form);
    txtFTPProxy->setEnabled(e.server);
    txtFTPProxyPort->setEnabled(e.port);
    for (QRadioButton *radio : {rdoUserMode, rdoSiteMode, rdoOpenMode, rdoUserPass})
        radio->setEnabled(e.methods);
    chkFirewallLogon->setChecked(form.firewallLogon);
    chkFirewallLogon->setEnabled(e.firewallLogon);
    txtFTPUsername->setEnabled(e.credentials);
    txtFTPPassword->setEnabled(e.credentials);
}

bool TfrmOptions::Validate()
{
    const auto failure = ValidateOptions(readForm());
    if (!failure)
        return true;
    Prompt::instance().error(failure->message);
    m_pages->setCurrentIndex(failure->page);
    if (auto *field = findChild<QWidget *>(failure->field); field && field->isEnabled())
        field->setFocus();
    return false;
}

void TfrmOptions::btnOkClick()
{
    if (!Validate())
        return;
    if (!SaveOptionsForm(readForm())) {
        Prompt::instance().error(QStringLiteral("The settings could not be saved to \"%1\".\r\n%2")
                                     .arg(KovaOptions::iniPath(), KovaOptions::lastError()));
        return;
    }
    accept();
}
