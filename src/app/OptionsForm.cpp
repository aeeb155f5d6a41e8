#include "app/OptionsForm.h"

#include "base/IniStore.h"
#include "base/KovaOptions.h"

namespace {

bool isPort(const QString &text)
{
    const auto value = IniStore::parseInteger(text);
    return value && *value >= 0 && *value <= 65535;
}

// The stored AUTHDATA packet has a bound; a longer pair could not be kept whole.
bool credentialsFit(const QString &userName, const QString &password)
{
    return KovaOptions::AuthDataPacket(userName.toLatin1(), password.toLatin1()).size()
           <= KovaOptions::MaxAuthDataLength;
}

} // namespace

OptionsForm LoadOptionsForm()
{
    OptionsForm form;
    form.useHTTPProxy = GetHTTPProxyEnabled();
    form.httpProxy = GetHTTPProxyServer();
    form.httpProxyPort = QString::number(GetHTTPProxyPort());
    form.httpAuthentication = GetHTTPProxyAuth();
    form.httpUserName = GetHTTPProxyUserName();
    form.useFTPProxy = GetFTPProxyEnabled();
    form.ftpProxy = GetFTPProxyServer();
    form.ftpProxyPort = QString::number(GetFTPProxyPort());
    const int method = GetFTPProxyMethod();
    form.ftpMethod = (method >= 1 && method <= 4) ? method : 0;
    form.firewallLogon = GetFTPProxyAuth();
    form.ftpUserName = GetFTPProxyUserName();
    return form;
}

HttpProxyEnabling SetEnableHTTPProxy(const OptionsForm &form)
{
    HttpProxyEnabling e;
    e.server = e.port = e.authentication = form.useHTTPProxy;
    e.credentials = form.useHTTPProxy && form.httpAuthentication;
    return e;
}

FtpProxyEnabling SetEnableFTPProxy(OptionsForm &form)
{
    FtpProxyEnabling e;
    if (!form.useFTPProxy)
        return e;
    e.server = e.port = e.methods = e.firewallLogon = true;
    if (form.ftpMethod == KovaOptions::MethodUser) {
        e.firewallLogon = false;
        form.firewallLogon = false;
    } else if (form.ftpMethod == KovaOptions::MethodUserPass) {
        form.firewallLogon = true;
    }
    e.credentials = form.firewallLogon;
    return e;
}

std::optional<OptionsFailure> ValidateOptions(const OptionsForm &form)
{
    if (form.useHTTPProxy && form.httpProxy.isEmpty())
        return OptionsFailure{QStringLiteral("Not valid Proxy Server for HTTP."), QStringLiteral("txtHTTPProxy"), 0};
    if (!isPort(form.httpProxyPort))
        return OptionsFailure{QStringLiteral("Not valid Proxy Port Number for HTTP."),
                              QStringLiteral("txtHTTPProxyPort"), 0};
    if (form.httpAuthentication && (form.httpUserName.isEmpty() || form.httpPassword.isEmpty()))
        return OptionsFailure{QStringLiteral("Must provide a User and Password for HTTP Proxy authentication."),
                              form.httpUserName.isEmpty() ? QStringLiteral("txtHTTPUsername")
                                                          : QStringLiteral("txtHTTPPassword"),
                              0};
    if (!credentialsFit(form.httpUserName, form.httpPassword))
        return OptionsFailure{QStringLiteral("The User and Password for HTTP Proxy authentication are too long."),
                              QStringLiteral("txtHTTPUsername"), 0};
    if (form.useFTPProxy && form.ftpProxy.isEmpty())
        return OptionsFailure{QStringLiteral("Not valid Proxy Server for FTP."), QStringLiteral("txtFTPProxy"), 1};
    if (!isPort(form.ftpProxyPort))
        return OptionsFailure{QStringLiteral("Not valid Proxy Port Number for FTP."),
                              QStringLiteral("txtFTPProxyPort"), 1};
    if (form.useFTPProxy && form.ftpMethod == 0)
        return OptionsFailure{QStringLiteral("Must Select a Firewall Type."), QStringLiteral("rdoUserMode"), 1};
    if (form.firewallLogon && (form.ftpUserName.isEmpty() || form.ftpPassword.isEmpty()))
        return OptionsFailure{QStringLiteral("Must provide a User and Password for FTP Proxy authentication."),
                              form.ftpUserName.isEmpty() ? QStringLiteral("txtFTPUsername")
                                                         : QStringLiteral("txtFTPPassword"),
                              1};
    if (!credentialsFit(form.ftpUserName, form.ftpPassword))
        return OptionsFailure{QStringLiteral("The User and Password for FTP Proxy authentication are too long."),
                              QStringLiteral("txtFTPUsername"), 1};
    return std::nullopt;
}

bool SaveOptionsForm(const OptionsForm &form)
{
    // Validation has passed, so both ports read as integers.
    const int httpPort = IniStore::parseInteger(form.httpProxyPort).value_or(0);
    const int ftpPort = IniStore::parseInteger(form.ftpProxyPort).value_or(0);
    // One replace of the file for the whole dialog: a failure leaves every old value.
    KovaOptions::Batch batch;
    SetHTTPProxyEnabled(form.useHTTPProxy);
    SetHTTPProxyServer(form.httpProxy);
    SetHTTPProxyPort(httpPort);
    SetHTTPProxyAuth(form.httpAuthentication);
    SetHTTPProxyUserName(form.httpUserName);
    SetHTTPProxyPassword(form.httpPassword);
    SetFTPProxyEnabled(form.useFTPProxy);
    SetFTPProxyServer(form.ftpProxy);
    SetFTPProxyPort(ftpPort);
    SetFTPProxyMethod(form.ftpMethod);
    SetFTPProxyAuth(form.firewallLogon);
    SetFTPProxyUserName(form.ftpUserName);
    SetFTPProxyPassword(form.ftpPassword);
    return batch.commit();
}
