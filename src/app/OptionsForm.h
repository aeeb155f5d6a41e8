#pragma once

#include <QString>

#include <optional>

// The Options dialog's values as plain data, with its enabling rules, its checks and its
// write order. The dialog only moves values between these and its controls.
struct OptionsForm
{
    bool useHTTPProxy = false;
    QString httpProxy;
    QString httpProxyPort;
    bool httpAuthentication = false;
    QString httpUserName;
    QString httpPassword;

    bool useFTPProxy = false;
    QString ftpProxy;
    QString ftpProxyPort;
    int ftpMethod = 0; // 1 to 4 by the checked radio button, 0 when none is checked
    bool firewallLogon = false;
    QString ftpUserName;
    QString ftpPassword;
};

// The form as shown: every value from the settings, the passwords always empty.
OptionsForm LoadOptionsForm();

struct HttpProxyEnabling
{
    bool server = false;
    bool port = false;
    bool authentication = false;
    bool credentials = false; // user name and password edits
};
HttpProxyEnabling SetEnableHTTPProxy(const OptionsForm &form);

struct FtpProxyEnabling
{
    bool server = false;
    bool port = false;
    bool methods = false; // the four radio buttons
    bool firewallLogon = false;
    bool credentials = false;
};
// May change form.firewallLogon: the user mode unchecks it, the user/pass mode checks it.
FtpProxyEnabling SetEnableFTPProxy(OptionsForm &form);

struct OptionsFailure
{
    QString message;
    QString field;   // objectName of the control to bring forward and focus
    int page = 0;    // 0 HTTP Proxy, 1 FTP Proxy
};
// The checks in order; the first that fails.
std::optional<OptionsFailure> ValidateOptions(const OptionsForm &form);

// Writes every setting in the dialog's order, in one replace of the file. False (and
// KovaOptions::lastError()) when the file could not be written; it then holds the old values.
bool SaveOptionsForm(const OptionsForm &form);
