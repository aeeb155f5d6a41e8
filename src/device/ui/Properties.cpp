#include "device/ui/Properties.h"

#include "base/ui/OkCancel.h"

#include "base/Prompt.h"
#include "device/DeviceSettings.h"
#include "device/IPAddress.h"
#include "device/Locator.h"
#include "device/ui/EditIPAddr.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

QLineEdit *readOnlyText(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    // Shown on the window's own background, so it does not pass for a field to type in.
    QPalette palette = edit->palette();
    palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

// A row whose label is the address field's buddy: its mnemonic focuses the field, and it
// names the field for accessibility.
void addLabelledRow(QFormLayout *form, QLabel *label, TEditIPAddr *field)
{
    field->SetLabel(label);
    form->addRow(label, field);
}

QLineEdit *textField(QWidget *parent, const char *name, int maxLength, bool masked = false)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

TEditIPAddr *addressField(QWidget *parent, const char *name)
{
    auto *field = new TEditIPAddr(parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLabel *note(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmProperties::TfrmProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Device Properties"));
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pgcProperties"));
    m_networkPage = new QWidget(m_tabs);
    m_networkPage->setObjectName(QStringLiteral("tbsNetwork"));
    m_usersPage = new QWidget(m_tabs);
    m_usersPage->setObjectName(QStringLiteral("tbsUsers"));
    m_dateTimePage = new QWidget(m_tabs);
    m_dateTimePage->setObjectName(QStringLiteral("tbsDateTime"));
    m_snmpPage = new QWidget(m_tabs);
    m_snmpPage->setObjectName(QStringLiteral("tbsSNMP"));
    buildNetworkPage(m_networkPage);
    buildUsersPage(m_usersPage);
    buildDateTimePage(m_dateTimePage);
    buildSnmpPage(m_snmpPage);
    m_tabs->addTab(m_networkPage, QStringLiteral("Network"));
    ShowFullPages(true);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TfrmProperties::pageChanged);

    const OkCancelButtons buttons = MakeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TfrmProperties::btnOkClick);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons.layout);
}

void TfrmProperties::buildNetworkPage(QWidget *page)
{
    auto *info = new QGroupBox(QStringLiteral("Device Information"), page);
    stDevice = readOnlyText(info, "stDevice");
    stMAC = readOnlyText(info, "stMAC");
    stVersion = readOnlyText(info, "stVersion");
    auto *infoLayout = new QFormLayout(info);
    infoLayout->addRow(QStringLiteral("Device"), stDevice);
    infoLayout->addRow(QStringLiteral("MAC"), stMAC);
    infoLayout->addRow(QStringLiteral("Firmware Version"), stVersion);

    txtHostname = textField(page, "txtHostname", 20);
    chkEnableDHCP = new QCheckBox(QStringLiteral("Enable DHCP"), page);
    chkEnableDHCP->setObjectName(QStringLiteral("chkEnableDHCP"));
    connect(chkEnableDHCP, &QCheckBox::clicked, this, &TfrmProperties::chkEnableDHCPClick);
    lblIPAddress = label(page, "lblIPAddress", QStringLiteral("IP"));
    lblNetmask = label(page, "lblNetmask", QStringLiteral("Netmask"));
    lblGateway = label(page, "lblGateway", QStringLiteral("Gateway"));
    lblFstDns = label(page, "lblFstDns", QStringLiteral("Preferred DNS Server"));
    lblSndDns = label(page, "lblSndDns", QStringLiteral("Alternative DNS Server"));
    txtIPAddress = addressField(page, "txtIPAddress");
    txtNetmask = addressField(page, "txtNetmask");
    txtGateway = addressField(page, "txtGateway");
    txtFstDns = addressField(page, "txtFstDns");
    txtSndDns = addressField(page, "txtSndDns");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Host name"), txtHostname);
    form->addRow(chkEnableDHCP);
    addLabelledRow(form, lblIPAddress, txtIPAddress);
    addLabelledRow(form, lblNetmask, txtNetmask);
    addLabelledRow(form, lblGateway, txtGateway);
    addLabelledRow(form, lblFstDns, txtFstDns);
    addLabelledRow(form, lblSndDns, txtSndDns);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(info);
    layout->addLayout(form);
    layout->addStretch();
}

void TfrmProperties::buildUsersPage(QWidget *page)
{
    txtUsername = textField(page, "txtUsername", 20);
    txtUserPassword = textField(page, "txtUserPassword", 20, true);
    txtUserRetypePassword = textField(page, "txtUserRetypePassword", 20, true);
    txtAdminPassword = textField(page, "txtAdminPassword", 20, true);
    txtAdminRetypePassword = textField(page, "txtAdminRetypePassword", 20, true);
    auto *setUser = button(page, "btnSetUser", QStringLiteral("Set &User"));
    auto *setAdmin = button(page, "btnSetAdmin", QStringLiteral("Set &Administrator"));
    connect(setUser, &QPushButton::clicked, this, &TfrmProperties::ConfigureUser);
    connect(setAdmin, &QPushButton::clicked, this, &TfrmProperties::ConfigureAdmin);

    auto *user = new QFormLayout;
    user->addRow(QStringLiteral("Username"), txtUsername);
    user->addRow(QStringLiteral("New Password"), txtUserPassword);
    user->addRow(QStringLiteral("Retype Password"), txtUserRetypePassword);
    user->addRow(QString(), setUser);
    auto *admin = new QFormLayout;
    admin->addRow(QStringLiteral("New Password for \"admin\""), txtAdminPassword);
    admin->addRow(QStringLiteral("Retype Password for \"admin\""), txtAdminRetypePassword);
    admin->addRow(QString(), setAdmin);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(page, QStringLiteral("The standard user is the only user that has access to the Orvan's Web Site. "
                                                "You can change the standard Username and its Password.")));
    layout->addLayout(user);
    layout->addWidget(note(page, QStringLiteral("Be sure not to forget the admin password, or you will have to change it "
                                                "locally using the Serial Command Console.")));
    layout->addLayout(admin);
    layout->addStretch();
}

void TfrmProperties::buildDateTimePage(QWidget *page)
{
    dteDate = new QDateEdit(page);
    dteDate->setObjectName(QStringLiteral("dteDate"));
    dteDate->setCalendarPopup(true);
    dteTime = new QTimeEdit(page);
    dteTime->setObjectName(QStringLiteral("dteTime"));
    dteTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    auto *setDateTime = button(page, "btnSetDateTime", QStringLiteral("Set &Date and Time"));
    auto *now = button(page, "btnSetTimeNow", QStringLiteral("Now"));
    connect(setDateTime, &QPushButton::clicked, this, &TfrmProperties::ConfigureDateTime);
    connect(now, &QPushButton::clicked, this, &TfrmProperties::btnSetTimeNowClick);

    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(dteTime);
    timeRow->addWidget(now);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Current Orvan Date"), dteDate);
    form->addRow(QStringLiteral("Current Orvan Time"), timeRow);
    form->addRow(QString(), setDateTime);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(page, QStringLiteral("The Date and Time feature permits Orvan to send the Alarm E-Mails with the "
                                                "correct values within the Message Body.")));
    layout->addLayout(form);
    layout->addStretch();
}

void TfrmProperties::buildSnmpPage(QWidget *page)
{
    chkEnableSNMP = new QCheckBox(QStringLiteral("Enable SNMP"), page);
    chkEnableSNMP->setObjectName(QStringLiteral("chkEnableSNMP"));
    connect(chkEnableSNMP, &QCheckBox::clicked, this, &TfrmProperties::chkEnableSNMPClick);
    lblSNMPAddress = label(page, "lblSNMPAddress", QStringLiteral("Send traps to this IP Address"));
    txtSNMPAddress = addressField(page, "txtSNMPAddress");
    grpCommunities = new QGroupBox(QStringLiteral("Communities"), page);
    grpCommunities->setObjectName(QStringLiteral("grpCommunities"));
    txtRead = textField(grpCommunities, "txtRead", 15);
    txtWrite = textField(grpCommunities, "txtWrite", 15);
    txtTrap = textField(grpCommunities, "txtTrap", 15);
    auto *communities = new QFormLayout(grpCommunities);
    communities->addRow(QStringLiteral("Read Community"), txtRead);
    communities->addRow(QStringLiteral("Write Community"), txtWrite);
    communities->addRow(QStringLiteral("Trap Community"), txtTrap);

    auto *form = new QFormLayout;
    form->addRow(chkEnableSNMP);
    addLabelledRow(form, lblSNMPAddress, txtSNMPAddress);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(page, QStringLiteral("The embedded SNMP agent provides remote administration and monitoring of "
                                                "the device through the Simple Network Management Protocol.")));
    layout->addLayout(form);
    layout->addWidget(grpCommunities);
    layout->addStretch();
}

void TfrmProperties::SetDevice(const TDeviceData &device)
{
    m_device = device;
}

bool TfrmProperties::IsFullConfigurable() const
{
    return ::IsFullConfigurable(m_device);
}

bool TfrmProperties::Initialize()
{
    m_generalDataFetched = false;
    m_adminPassword.clear();
    const bool full = IsFullConfigurable();
    {
        // Choosing the first page, and taking pages away, is not a first showing of the others.
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentWidget(m_networkPage);
        ShowFullPages(full);
    }
    stDevice->setText(QString::fromLatin1(m_device.DeviceName));
    stMAC->setText(QString::fromLatin1(m_device.MAC));
    stVersion->setText(QString::fromLatin1(m_device.Version));

    // Every opening starts from this device's own state, never from the last device's:
    // the pages of a gateway without the full firmware are hidden, but their fields would
    // still be checked and sent.
    for (QLineEdit *edit : {txtUsername, txtUserPassword, txtUserRetypePassword, txtAdminPassword, txtAdminRetypePassword})
        edit->clear();
    const QDateTime now = QDateTime::currentDateTime();
    dteDate->setDate(now.date());
    dteTime->setTime(now.time());
    if (full) {
        txtHostname->setEnabled(true);
        GetOrvanNetwork();
    } else {
        txtHostname->setEnabled(m_device.HasHostName);
        setNetworkFields(NetworkSettingsFromRow(m_device));
    }
    chkEnableDHCPClick();
    return true;
}

void TfrmProperties::ShowFullPages(bool full)
{
    // Removed from the tab bar rather than hidden, so nothing (a screen reader, the
    // keyboard) reaches pages that do not apply to this device.
    for (QWidget *page : {m_usersPage, m_dateTimePage, m_snmpPage}) {
        const int index = m_tabs->indexOf(page);
        if (index >= 0)
            m_tabs->removeTab(index);
    }
    if (full) {
        m_tabs->addTab(m_usersPage, QStringLiteral("Users && Passwords"));
        m_tabs->addTab(m_dateTimePage, QStringLiteral("Date && Time"));
        m_tabs->addTab(m_snmpPage, QStringLiteral("SNMP"));
    }
}

AdminSend TfrmProperties::adminSend()
{
    return [this](const QString &info, const TPacket &request, TPacket &reply) {
        TPacket sent = request;
        return m_services.sendAdmin && m_services.sendAdmin(info, m_device, sent, reply);
    };
}

void TfrmProperties::setNetworkFields(const TNetworkSettings &s)
{
    txtHostname->setText(QString::fromLatin1(s.HostName));
    chkEnableDHCP->setChecked(s.DHCP);
    txtIPAddress->SetText(s.IPAddress);
    txtNetmask->SetText(s.Netmask);
    txtGateway->SetText(s.Gateway);
    txtFstDns->SetText(s.PreferredDNS);
    txtSndDns->SetText(s.AlternativeDNS);
    txtSNMPAddress->SetText(s.Manager);
    chkEnableSNMP->setChecked(s.SNMP);
    txtRead->setText(QString::fromLatin1(s.ReadCommunity));
    txtWrite->setText(QString::fromLatin1(s.WriteCommunity));
    txtTrap->setText(QString::fromLatin1(s.TrapCommunity));
    chkEnableSNMPClick();
}

void TfrmProperties::GetOrvanNetwork()
{
    TNetworkSettings settings;
    if (ReadNetworkSettings(adminSend(), settings).ok()) {
        setNetworkFields(settings);
        return;
    }
    Prompt::instance().error(QString::fromLatin1(DeviceSettingsText::InvalidResponse));
    // Not the fields of the last device shown: OK would write them into this one.
    setNetworkFields(NetworkSettingsFromRow(m_device));
}

void TfrmProperties::GetOrvanGralProps()
{
    m_generalDataFetched = true;
    TGeneralProps props;
    const TSettingsOutcome outcome = ReadGeneralProps(adminSend(), props);
    // What was read before a request went unanswered is shown all the same.
    if (props.AdminPassword)
        m_adminPassword = *props.AdminPassword;
    if (props.UserName)
        txtUsername->setText(QString::fromLatin1(*props.UserName));
    if (props.Time) {
        dteDate->setDate(props.Time->date());
        dteTime->setTime(props.Time->time());
    }
    if (!outcome.ok())
        return;

    QWidget *first = m_tabs->currentWidget() == m_usersPage ? static_cast<QWidget *>(txtUsername) : dteDate;
    first->setFocus();
}

void TfrmProperties::pageChanged(int)
{
    QWidget *page = m_tabs->currentWidget();
    if ((page == m_usersPage || page == m_dateTimePage) && !m_generalDataFetched)
        GetOrvanGralProps();
}

void TfrmProperties::chkEnableDHCPClick()
{
    const bool dhcp = chkEnableDHCP->isChecked();
    for (QLabel *l : {lblIPAddress, lblNetmask, lblGateway})
        l->setEnabled(!dhcp);
    const bool dns = !dhcp && IsFullConfigurable();
    for (QWidget *w : std::initializer_list<QWidget *>{lblFstDns, lblSndDns, txtFstDns, txtSndDns})
        w->setEnabled(dns);
}

void TfrmProperties::chkEnableSNMPClick()
{
    const bool snmp = chkEnableSNMP->isChecked();
    if (!snmp) {
        txtSNMPAddress->SetText(IPAddress::Any);
        txtRead->clear();
        txtWrite->clear();
        txtTrap->clear();
    }
    for (QWidget *w : std::initializer_list<QWidget *>{lblSNMPAddress, txtSNMPAddress, grpCommunities, txtRead, txtWrite, txtTrap})
        w->setEnabled(snmp);
}

TNetworkSettings TfrmProperties::networkSettings() const
{
    TNetworkSettings s;
    s.HostName = txtHostname->text().toLatin1();
    s.DHCP = chkEnableDHCP->isChecked();
    s.IPAddress = txtIPAddress->Text();
    s.Netmask = txtNetmask->Text();
    s.Gateway = txtGateway->Text();
    s.PreferredDNS = txtFstDns->Text();
    s.AlternativeDNS = txtSndDns->Text();
    s.SNMP = chkEnableSNMP->isChecked();
    s.Manager = txtSNMPAddress->Text();
    s.ReadCommunity = txtRead->text().toLatin1();
    s.WriteCommunity = txtWrite->text().toLatin1();
    s.TrapCommunity = txtTrap->text().toLatin1();
    return s;
}

bool TfrmProperties::IsValidNetwork()
{
    const NetworkCheck check = ::IsValidNetwork(networkSettings(), IsFullConfigurable());
    if (check.ok())
        return true;
    switch (check.field) {
    case NetworkField::IPAddress:
        m_tabs->setCurrentWidget(m_networkPage);
        txtIPAddress->focusFirst();
        break;
    case NetworkField::Manager:
        m_tabs->setCurrentWidget(m_snmpPage);
        txtSNMPAddress->focusFirst();
        break;
    case NetworkField::Gateway:
        m_tabs->setCurrentWidget(m_networkPage);
        txtGateway->focusFirst();
        break;
    case NetworkField::DNS:
        m_tabs->setCurrentWidget(m_networkPage);
        txtFstDns->focusFirst();
        break;
    case NetworkField::None:
        break;
    }
    Prompt::instance().error(check.message);
    return false;
}

void TfrmProperties::btnOkClick()
{
    if (m_tabs->currentWidget() == m_usersPage) {
        accept();
        return;
    }
    ConfigureNetwork();
}

void TfrmProperties::ConfigureNetwork()
{
    if (!IsValidNetwork())
        return;
    const std::optional<QByteArray> password = m_services.askPassword ? m_services.askPassword() : std::nullopt;
    if (!password)
        return;
    const TNetworkSettings settings = networkSettings();
    if (IsFullConfigurable()) {
        if (WriteNetworkSettings(adminSend(), *password, settings).ok())
            Prompt::instance().information(QString::fromLatin1(LocatorText::Configured));
        else
            Prompt::instance().error(QString::fromLatin1(LocatorText::ConfigFailed));
    } else if (m_services.sendConfig) {
        // The locator's wait shows the gateway's verdict.
        m_services.sendConfig(BuildConfigList(*password, m_device, settings), m_device.MAC);
    }
    accept();
}

bool TfrmProperties::checkAdministratorPassword()
{
    const std::optional<QByteArray> password = m_services.askPassword ? m_services.askPassword() : std::nullopt;
    if (!password)
        return false;
    if (*password != m_adminPassword) {
        Prompt::instance().error(QStringLiteral("Not valid Password."));
        return false;
    }
    return true;
}

void TfrmProperties::ConfigureUser()
{
    if (txtUserPassword->text() != txtUserRetypePassword->text()) {
        Prompt::instance().error(QStringLiteral("Passwords do not match."));
        txtUserPassword->setFocus();
        return;
    }
    if (txtUsername->text().isEmpty())
        Prompt::instance().warning(QStringLiteral("An empty Username will disable Authentication."));
    if (!checkAdministratorPassword())
        return;
    showWriteOutcome(WriteUser(adminSend(), txtUsername->text().toLatin1(), txtUserPassword->text().toLatin1()),
                     DeviceSettingsText::UserConfigured);
}

void TfrmProperties::ConfigureAdmin()
{
    if (txtAdminPassword->text() != txtAdminRetypePassword->text()) {
        Prompt::instance().error(QStringLiteral("Passwords do not match."));
        txtAdminPassword->setFocus();
        return;
    }
    if (!checkAdministratorPassword())
        return;
    const QByteArray newPassword = txtAdminPassword->text().toLatin1();
    const TSettingsOutcome outcome = WriteAdministrator(adminSend(), newPassword);
    if (outcome.ok())
        m_adminPassword = newPassword;
    showWriteOutcome(outcome, DeviceSettingsText::AdminConfigured);
}

void TfrmProperties::ConfigureDateTime()
{
    showWriteOutcome(WriteDateTime(adminSend(), QDateTime(dteDate->date(), dteTime->time())),
                     DeviceSettingsText::DateTimeConfigured);
}

void TfrmProperties::showWriteOutcome(const TSettingsOutcome &outcome, const char *done)
{
    if (outcome.ok())
        Prompt::instance().information(QString::fromLatin1(done));
    else
        Prompt::instance().error(QString::fromLatin1(DeviceSettingsText::InvalidResponse));
}

void TfrmProperties::btnSetTimeNowClick()
{
    dteTime->setTime(QTime::currentTime());
}
