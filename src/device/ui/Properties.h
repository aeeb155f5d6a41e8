#pragma once

#include "base/DeviceData.h"
#include "base/DscPkt.h"
#include "device/DeviceSettings.h"
#include "device/NetworkSettings.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimeEdit;
class TEditIPAddr;

// What the properties dialog needs from the rest of the program.
struct TPropertiesServices
{
    // An administrative request to the device (shows the info text while it runs);
    // false when the request got no reply.
    std::function<bool(const QString &info, const TDeviceData &device, TPacket &request, TPacket &reply)> sendAdmin;
    // The "Device Current Password" prompt; nullopt when cancelled.
    std::function<std::optional<QByteArray>()> askPassword;
    // Broadcasts the CONFIG list and waits for the device's verdict, which it shows.
    std::function<void(const QByteArray &list, const QByteArray &mac)> sendConfig;
};

// "Device Properties": network, users, clock and SNMP of the device selected in the list.
class TfrmProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmProperties(QWidget *parent = nullptr);

    void setServices(TPropertiesServices services) { m_services = std::move(services); }

    // Copies the selected row into the dialog; Initialize then prepares an opening.
    void SetDevice(const TDeviceData &device);
    bool Initialize();
    bool IsFullConfigurable() const;

    void GetOrvanNetwork();
    void GetOrvanGralProps();
    bool IsValidNetwork();
    void ConfigureNetwork();
    void ConfigureUser();
    void ConfigureAdmin();
    void ConfigureDateTime();

    // The form's network and SNMP values as they would be sent.
    TNetworkSettings networkSettings() const;

public slots:
    void btnOkClick();
    void btnSetTimeNowClick();
    void chkEnableDHCPClick();
    void chkEnableSNMPClick();

private:
    void buildNetworkPage(QWidget *page);
    void buildUsersPage(QWidget *page);
    void buildDateTimePage(QWidget *page);
    void buildSnmpPage(QWidget *page);
    void setNetworkFields(const TNetworkSettings &settings);
    void ShowFullPages(bool full);
    void pageChanged(int index);
    // The services' request to this dialog's device, for the settings sequences.
    AdminSend adminSend();
    bool checkAdministratorPassword();
    // "Not Valid Response from Device." unless the write succeeded.
    void showWriteOutcome(const TSettingsOutcome &outcome, const char *done);

    TPropertiesServices m_services;
    TDeviceData m_device;
    bool m_generalDataFetched = false;
    QByteArray m_adminPassword; // as GETADMIN returned it

    QTabWidget *m_tabs;
    QWidget *m_networkPage;
    QWidget *m_usersPage;
    QWidget *m_dateTimePage;
    QWidget *m_snmpPage;

    QLineEdit *stDevice;
    QLineEdit *stMAC;
    QLineEdit *stVersion;
    QLineEdit *txtHostname;
    QCheckBox *chkEnableDHCP;
    QLabel *lblIPAddress;
    QLabel *lblNetmask;
    QLabel *lblGateway;
    QLabel *lblFstDns;
    QLabel *lblSndDns;
    TEditIPAddr *txtIPAddress;
    TEditIPAddr *txtNetmask;
    TEditIPAddr *txtGateway;
    TEditIPAddr *txtFstDns;
    TEditIPAddr *txtSndDns;

    QLineEdit *txtUsername;
    QLineEdit *txtUserPassword;
    QLineEdit *txtUserRetypePassword;
    QLineEdit *txtAdminPassword;
    QLineEdit *txtAdminRetypePassword;

    QDateEdit *dteDate;
    QTimeEdit *dteTime;

    QCheckBox *chkEnableSNMP;
    QLabel *lblSNMPAddress;
    TEditIPAddr *txtSNMPAddress;
    QGroupBox *grpCommunities;
    QLineEdit *txtRead;
    QLineEdit *txtWrite;
    QLineEdit *txtTrap;
};
