#pragma once

#include "base/IniStore.h"
#include "config/ConfigModel.h"

#include <optional>

// Configuration files (.ovc): INI text with the sections GENERAL, COM, SMTP and TAG0 to
// TAG127, one protocol per file, 8-bit text with CR LF line ends (IniStore).
//
// Reading fills a TConfigModel; values that are missing, invalid or out of range take
// their defaults with a warning through Prompt (see ReadInteger and ReadString), and the
// reader reports whether the document must be marked modified. Writing fills the store
// from the model in the fixed order GENERAL, COM, SMTP, TAG0...; sections the program
// does not know stay where they are.

// Header checks: GENERAL FILETYPE and FILEVERSION exactly "MB" "1.0", "HL" "1.0", "DF1" "2.0".
// Each loads the file into a store of its own. A missing or unreadable file is none of them.
bool IsModbusConfigFile(const QString &path);
bool IsHostlinkConfigFile(const QString &path);
bool IsDF1ConfigFile(const QString &path);
bool IsConfigFile(TagProtocol protocol, const QString &path);
// The protocol whose header the file carries, with one load (for callers without a window).
std::optional<TagProtocol> ConfigFileProtocol(const QString &path);

// --- read helpers ---------------------------------------------------------------------

// A number text in the locale's decimal separator: trimmed, and when it begins with "-" or
// a digit every "." becomes "," under a comma locale and every "," a "." otherwise. A
// blank text gives "". Any other text comes back unchanged, untrimmed.
QByteArray LocalizeDecimalSeparator(const QByteArray &text);

// The integer of section/key, or defaultValue when the text is not an integer or lies
// outside lowest..highest; then the warning "The paramenter "<label>" has not a valid
// value (<text>). Value "<defaultText>" is taken as Default." is shown and *usedDefault set.
qint32 ReadInteger(const IniStore &store, const QString &section, const QString &key, int lowest, int highest,
                   int defaultValue, const QString &label, const QString &defaultText, bool *usedDefault);

// The text of section/key (missing: ""), cut to `limit` characters; *cut tells whether it
// was. Modbus first localises the decimal separator of the six tag number keys (WRMIN,
// WRMAX, ALMIN, ALMAX, FACTORA, FACTORB) and cuts without a word; Hostlink and DF1 warn
// "The paramenter "<full text>" is too large. Value "<cut text>" is taken as Default.".
QByteArray ReadString(TagProtocol protocol, const IniStore &store, const QString &section, const QString &key, int limit,
                      bool *cut);

// --- the model's sections ---------------------------------------------------------------
// The readers fill their part of the model, warning as above, and return true when the
// document is to be marked modified. The writers fill the store.

// COM: keys of the protocol; COMTYPE 1 reads as RS-232; a BAUD within range but not one of
// the nine rates takes 9600 with the "Baud Rate" warning.
bool SetCOMFromFile(const IniStore &store, TConfigModel &model);
// SMTP: PASS fills both password fields; non-empty TOO_0..TOO_5 become the recipients.
// A file with six recipients: the first five are kept and the sixth is named in a warning.
bool SetEMAILFromFile(const IniStore &store, TConfigModel &model);
// TAG0, TAG1, ... up to the first missing one, as rows of texts (nothing is checked).
// Modbus: a missing TRAP reads "No"; the six number keys are cut to 8 characters unless
// the full text converts as the tag's KIND says (an integer limit of an integer tag, a
// real limit of a real tag, a real scale factor), so numbers Kova wrote read back whole.
bool SetTAGSFromFile(const IniStore &store, TConfigModel &model);

void SetFileVersion(IniStore &store, TagProtocol protocol);
// Throws EConvertError when the packet timeout is not an integer (Validate first).
void SetFileFromCOM(IniStore &store, const TConfigModel &model);
// Texts trimmed, all six TOO_ keys. Throws EConvertError for a number field that is not an
// integer (Validate first).
void SetFileFromEMAIL(IniStore &store, const TConfigModel &model);
// Erases TAG0, TAG1, ... up to the first missing one, and any section that would join the
// written list when read back, then writes one section per row.
void SetFileFromTAGS(IniStore &store, const TConfigModel &model);

// The store a configuration document owns, bound to the document's path.
class TConfigFile
{
public:
    struct OpenResult
    {
        bool Opened = false;   // false: missing file (nothing happens) or a read error (shown)
        bool Modified = false; // a value was replaced or cut: mark the document unsaved
    };

    // Opens path: loads the whole file (unknown sections are kept for Save), resets the
    // model and fills it. Warnings and a read error go through Prompt.
    OpenResult Open(const QString &path, TConfigModel &model);

    // Binds a fresh, empty store to path without reading it: a new document's provisional
    // path, or the target of Save As (an existing file's content does not follow).
    void BindFresh(const QString &path);

    // Fills the store from the model and replaces the file at Path() once the new content
    // is written completely. False on failure, which is shown through Prompt (a conversion
    // error, or the system's reason the file could not be written); the old file stays whole.
    // The caller runs the model's Validate first.
    bool Write(const TConfigModel &model);

    QString Path() const { return m_store.path(); }
    const IniStore &Store() const { return m_store; }

private:
    IniStore m_store;
};
