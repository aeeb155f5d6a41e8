#include "app/CommandRules.h"

namespace {

QString deviceText(const QByteArray &name, const QByteArray &mac)
{
    return QString::fromLatin1(name) + QLatin1Char('/') + QString::fromLatin1(mac);
}

} // namespace

TCommandStates ApplicationUpdate(const TMainState &s)
{
    using Role = TMainState::DocumentRole;
    TCommandStates out;
    auto set = [&out](const char *name, bool on) { out.enabled.insert(QString::fromLatin1(name), on); };

    set("ConfigurationGetFromOrvan", s.connected && s.configurationKindForConnected);
    set("WebSiteGetFromOrvan", s.connected && s.webSiteKind);
    set("ToolsTagMonitor", s.connected && s.tagMonitor);
    if (s.connected) {
        out.connectionText = deviceText(s.connectedName, s.connectedMac);
        out.statusConnection = QStringLiteral("Connected To: ") + out.connectionText;
    } else {
        out.connectionText = QStringLiteral("Not Connected");
        out.statusConnection = QStringLiteral("Not Connected");
    }

    QString documentText;
    if (!s.documentOpen) {
        for (const char *name : {"FileSave", "FileSaveAs", "FileClose", "ConfigurationAddTag", "ConfigurationEditTag",
                                 "ConfigurationRemoveTag", "ConfigurationExportTags", "ConfigurationImportTags",
                                 "ConfigurationSendToOrvan", "ConfigurationCompareWithOrvan", "WebSiteAddFile",
                                 "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile", "WebSiteSendToOrvan"})
            set(name, false);
    } else {
        for (const char *name : {"FileSave", "FileSaveAs", "FileClose"})
            set(name, true);
        documentText = s.activeFileName;

        const bool starred = s.activeCaption.endsWith(QLatin1Char('*'));
        if (s.activeSaved && starred) {
            out.changeDocumentCaption = true;
            out.documentCaption = s.activeCaption.chopped(1);
        } else if (!s.activeSaved && !starred) {
            out.changeDocumentCaption = true;
            out.documentCaption = s.activeCaption + QLatin1Char('*');
        }
    }

    const bool config = s.documentOpen && s.activeRole == Role::Configuration;
    const bool site = s.documentOpen && s.activeRole == Role::WebSite;
    set("ConfigurationSendToOrvan", s.connected && config);
    set("ConfigurationCompareWithOrvan", s.connected && config); // a comparison is a send's preview
    set("WebSiteSendToOrvan", s.connected && site);
    const bool addTag = config && s.tagsPageShown;
    set("ConfigurationAddTag", addTag);
    set("ConfigurationEditTag", addTag && s.tagRowSelected);
    set("ConfigurationRemoveTag", addTag && s.tagRowSelected);
    // The tag table moves to and from a file where the tags are shown, as Add Tag.
    set("ConfigurationExportTags", addTag);
    set("ConfigurationImportTags", addTag);
    set("WebSiteAddFile", site);
    for (const char *name : {"WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile"})
        set(name, site && s.fileRowSelected);

    out.caption = QStringLiteral("Kova - [%1] - %2").arg(documentText, out.connectionText);
    ActionListUpdate(s, out);
    return out;
}

void ActionListUpdate(const TMainState &s, TCommandStates &out)
{
    if (s.deviceSelected) {
        const QString device = deviceText(s.selectedName, s.selectedMac);
        out.enabled.insert(QStringLiteral("DevicesProperties"), true);
        out.propertiesCaption = QStringLiteral("&Properties of ") + device + QStringLiteral("...");
        out.propertiesHint = QStringLiteral("Edit Properties of ") + device;
        out.enabled.insert(QStringLiteral("DevicesConnect"), true);
    } else {
        out.enabled.insert(QStringLiteral("DevicesProperties"), false);
        out.propertiesCaption = QStringLiteral("&Properties...");
        out.propertiesHint = QStringLiteral("Edit Device Properties");
        // A connection can always be ended, even with no row selected.
        out.enabled.insert(QStringLiteral("DevicesConnect"), s.connectChecked);
    }
}

QString ConnectCaption(bool connected, const QByteArray &name, const QByteArray &mac)
{
    return connected ? QStringLiteral("Disco&nnect from ") + deviceText(name, mac) : QStringLiteral("Co&nnect...");
}

QString ConnectHint(bool connected, const QByteArray &name, const QByteArray &mac)
{
    return connected ? QStringLiteral("Disconnect from ") + deviceText(name, mac) : QStringLiteral("Connect to Orvan");
}

QString NewDocumentName(int counter, const QString &extension)
{
    return QStringLiteral("noname") + QString::number(counter) + extension;
}
