#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// What the main window's commands depend on, gathered by the window in one place so the
// availability rules can be evaluated (and tested) without any window.
struct TMainState
{
    enum class DocumentRole { None, Configuration, WebSite, Other };

    bool connected = false;
    QByteArray connectedName; // DeviceName of the connected device
    QByteArray connectedMac;
    // What the program has built so far: a command whose window does not exist yet is
    // shown disabled rather than doing nothing.
    bool configurationKindForConnected = false; // a configuration document of the connected device's family
    bool webSiteKind = false;                   // the web site document
    bool tagMonitor = false;                    // the tag monitor

    bool documentOpen = false;
    DocumentRole activeRole = DocumentRole::None;
    QString activeFileName;
    bool activeSaved = true;
    QString activeCaption;
    bool tagsPageShown = false;  // configuration document showing its tag list page
    bool tagRowSelected = false; // lstTags has a selected row
    bool fileRowSelected = false; // lstFiles has a selected row

    bool deviceSelected = false; // a row of the device list is selected
    QByteArray selectedName;
    QByteArray selectedMac;
    bool connectChecked = false; // DevicesConnect is pressed
};

// The outcome of one command-update cycle.
struct TCommandStates
{
    QHash<QString, bool> enabled; // by action name; actions not listed keep their state
    QString caption;              // the main window's caption
    QString connectionText;
    QString statusConnection;     // status bar panel 2
    bool changeDocumentCaption = false;
    QString documentCaption;      // the active document's caption with or without "*"

    QString propertiesCaption;
    QString propertiesHint;
};

// ApplicationUpdate: the rules are evaluated top to bottom, later rules win.
TCommandStates ApplicationUpdate(const TMainState &state);
// ActionListUpdate: the device-list commands (Properties, Connect). Adds to states.
void ActionListUpdate(const TMainState &state, TCommandStates &states);

// Caption and hint of DevicesConnect in both positions.
QString ConnectCaption(bool connected, const QByteArray &name, const QByteArray &mac);
QString ConnectHint(bool connected, const QByteArray &name, const QByteArray &mac);

// "noname" + counter + extension.
QString NewDocumentName(int counter, const QString &extension);
