#include "config/ConfigFile.h"

#include "base/Bytes.h"
#include "base/ConvertError.h"
#include "base/Prompt.h"
#include "config/TagRows.h"
#include "config/TagText.h"

#include <QFileInfo>
#include <QLocale>

namespace {

const QString General = QStringLiteral("GENERAL");
const QString Com = QStringLiteral("COM");
const QString Smtp = QStringLiteral("SMTP");

struct Header
{
    const char *fileType;
    const char *fileVersion;
};

Header headerOf(TagProtocol protocol)
{
    static const Header modbus{"MB", "1.0"}, hostlink{"HL", "1.0"}, df1{"DF1", "2.0"};
    return ByProtocol(protocol, modbus, hostlink, df1);
}

bool hasHeader(const IniStore &store, TagProtocol protocol)
{
    const Header header = headerOf(protocol);
    return store.value(General, QStringLiteral("FILETYPE")) == QLatin1String(header.fileType)
        && store.value(General, QStringLiteral("FILEVERSION")) == QLatin1String(header.fileVersion);
}

QString tagSection(int index)
{
    return QStringLiteral("TAG%1").arg(index);
}

QByteArray rawText(const IniStore &store, const QString &section, const QString &key)
{
    return store.value(section, key).value_or(QString()).toLatin1();
}

// A value holding a line end would break the file's structure: it becomes a blank.
void writeText(IniStore &store, const QString &section, const QString &key, QByteArray text)
{
    text.replace('\r', ' ').replace('\n', ' ');
    store.writeString(section, key, QString::fromLatin1(text));
}

bool isNumberKey(const QString &key)
{
    static const QStringList keys = {"WRMIN", "WRMAX", "ALMIN", "ALMAX", "FACTORA", "FACTORB"};
    return keys.contains(key, Qt::CaseInsensitive);
}

bool isFactorKey(const QString &key)
{
    return key.compare(QLatin1String("FACTORA"), Qt::CaseInsensitive) == 0
        || key.compare(QLatin1String("FACTORB"), Qt::CaseInsensitive) == 0;
}

// Kova writes numbers longer than the Modbus limit of 8 characters ("-2147483648",
// "0.100000001490116"); those that convert as the tag's kind says are kept whole.
bool keepsWholeNumber(const QString &key, const QByteArray &text, int kind)
{
    if (isFactorKey(key) || kind == TagValueKind::Real)
        return TryParseReal(text, nullptr);
    if (kind == TagValueKind::Integer)
        return TryParseInteger(text, nullptr);
    return false;
}

constexpr int ModbusNumberLimit = 8;

// The separator a Modbus number text takes; asked once per file, as the locale is slow to ask.
bool commaLocale()
{
    return QLocale().decimalPoint() == QLatin1String(",");
}

QByteArray localized(const QByteArray &text, bool comma)
{
    QByteArray trimmed = TrimBlanks(text);
    if (trimmed.isEmpty())
        return {};
    const char first = trimmed.at(0);
    if (first != '-' && (first < '0' || first > '9'))
        return text;
    return comma ? trimmed.replace('.', ',') : trimmed.replace(',', '.');
}

QList<QByteArray> readTagTexts(const IniStore &store, TagProtocol protocol, const QString &section, bool comma)
{
    const QList<QByteArray> &keys = TagKeys(protocol);
    QList<QByteArray> texts;
    texts.reserve(keys.size());
    if (protocol != TagProtocol::Modbus) {
        for (const QByteArray &key : keys)
            texts.append(rawText(store, section, QString::fromLatin1(key)));
        return texts;
    }
    qint32 kind = -1;
    TryParseInteger(rawText(store, section, QStringLiteral("KIND")), &kind);
    for (const QByteArray &keyBytes : keys) {
        const QString key = QString::fromLatin1(keyBytes);
        if (isNumberKey(key)) {
            QByteArray text = localized(rawText(store, section, key), comma);
            if (text.size() > ModbusNumberLimit && !keepsWholeNumber(key, text, kind))
                text.truncate(ModbusNumberLimit);
            texts.append(text);
        } else if (keyBytes == "TRAP") {
            texts.append(store.value(section, key).value_or(QStringLiteral("No")).toLatin1());
        } else {
            texts.append(rawText(store, section, key));
        }
    }
    return texts;
}

// COM settings: file key, accepted range, default, and the texts of the warning.
struct ComKey
{
    const char *key;
    int lowest, highest, defaultValue;
    const char *label, *defaultText;
};

const ComKey ComTypeKey = {"COMTYPE", 0, 3, 0, "Serial COM Type", "RS-232"};
const ComKey BaudKey = {"BAUD", 2400, 115200, 9600, "Baud Rate", "9600 bps"};
const ComKey ParityKey = {"PARITY", 0, 2, 0, "Parity", "None"};
const ComKey DF1ParityKey = {"PARITY", 0, 1, 0, "Parity", "None"};
const ComKey FormatKey = {"FORMAT", 0, 1, 0, "Format", "RTU"};
const ComKey ScanTimeKey = {"SCANTIME", ConfigRange::ScanTimeMin, ConfigRange::ScanTimeMax, 100, "Scan Time", "100 ms"};
const ComKey MessageToutKey = {"MSGTOUT", ConfigRange::MessageToutMin, ConfigRange::MessageToutMax, 1000, "Message Timeout", "1000 ms"};
const ComKey PacketToutKey = {"PKTTOUT", ConfigRange::PacketToutMin, ConfigRange::PacketToutMax, 4, "Packet Timeout", "4 bytes"};
const ComKey DataBitsKey = {"DATABITS", 7, 8, 8, "Data Bits", "8"};
const ComKey ErrorMethodKey = {"ERRORMTHD", 0, 1, 0, "Error Detection", "CRC"};

// The file's COMTYPE codes by cboComType position; code 1 is an old RS-232 code.
constexpr int ComTypeCodes[] = {0, 2, 3};

int comTypePosition(int code)
{
    for (int position = 0; position < 3; ++position)
        if (ComTypeCodes[position] == code)
            return position;
    return 0;
}

// SMTP number settings with their warning labels per protocol.
struct SmtpNumberKey
{
    const char *key;
    int lowest, highest, defaultValue;
    const char *label[3]; // Modbus, Hostlink, DF1
    const char *defaultText;
};

const SmtpNumberKey SmtpTimeoutKey = {"TIMEOUT", ConfigRange::EMailTimeoutMin, ConfigRange::EMailTimeoutMax, 20,
                                      {"E-mail delivery Timeout", "E-Mail Sending Timeout", "E-mail delivery timeout"}, "20 sec"};
const SmtpNumberKey SmtpRetriesKey = {"RETRIES", ConfigRange::EMailRetriesMin, ConfigRange::EMailRetriesMax, 5,
                                      {"E-mail delivery Retries", "E-Mail Sending Retries", "E-mail delivery retries"}, "5 times"};
const SmtpNumberKey SmtpIntervalKey = {"RETRYINT", ConfigRange::EMailInterRetriesMin, ConfigRange::EMailInterRetriesMax, 10,
                                       {"Retry every", "Time between E-Mail sending retries", "Retry every"}, "10 sec"};

QString recipientKey(int index)
{
    return QStringLiteral("TOO_%1").arg(index);
}

constexpr int RecipientKeys = 6;

} // namespace

// --- header checks ---------------------------------------------------------------------

bool IsConfigFile(TagProtocol protocol, const QString &path)
{
    IniStore store;
    return store.bind(path, true) && hasHeader(store, protocol);
}

bool IsModbusConfigFile(const QString &path) { return IsConfigFile(TagProtocol::Modbus, path); }
bool IsHostlinkConfigFile(const QString &path) { return IsConfigFile(TagProtocol::Hostlink, path); }
bool IsDF1ConfigFile(const QString &path) { return IsConfigFile(TagProtocol::DF1, path); }

std::optional<TagProtocol> ConfigFileProtocol(const QString &path)
{
    IniStore store;
    if (!store.bind(path, true))
        return std::nullopt;
    for (TagProtocol protocol : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1})
        if (hasHeader(store, protocol))
            return protocol;
    return std::nullopt;
}

// --- read helpers ------------------------------------------------------------------------

QByteArray LocalizeDecimalSeparator(const QByteArray &text)
{
    return localized(text, commaLocale());
}

qint32 ReadInteger(const IniStore &store, const QString &section, const QString &key, int lowest, int highest,
                   int defaultValue, const QString &label, const QString &defaultText, bool *usedDefault)
{
    const QString raw = store.value(section, key).value_or(QString());
    const std::optional<qint32> value = IniStore::parseInteger(raw);
    const bool valid = value && *value >= lowest && *value <= highest;
    if (usedDefault)
        *usedDefault = !valid;
    if (valid)
        return *value;
    Prompt::instance().warning(QStringLiteral("The paramenter \"%1\" has not a valid value (%2).\r\n Value \"%3\" is taken as Default.")
                                   .arg(label, raw, defaultText));
    return defaultValue;
}

QByteArray ReadString(TagProtocol protocol, const IniStore &store, const QString &section, const QString &key, int limit,
                      bool *cut)
{
    QByteArray text = rawText(store, section, key);
    if (protocol == TagProtocol::Modbus && isNumberKey(key))
        text = LocalizeDecimalSeparator(text);
    const bool tooLong = text.size() > limit;
    if (cut)
        *cut = tooLong;
    if (!tooLong)
        return text;
    const QByteArray shortened = text.left(limit);
    if (protocol != TagProtocol::Modbus)
        Prompt::instance().warning(QStringLiteral("The paramenter \"%1\" is too large.\r\n Value \"%2\" is taken as Default.")
                                       .arg(QString::fromLatin1(text), QString::fromLatin1(shortened)));
    return shortened;
}

// --- reading the model -------------------------------------------------------------------

bool SetCOMFromFile(const IniStore &store, TConfigModel &model)
{
    const TagProtocol protocol = model.Protocol();
    TSerialFields &serial = model.Serial;
    bool marks = false;
    const auto read = [&](const ComKey &k) {
        bool used = false;
        const int value = ReadInteger(store, Com, QString::fromLatin1(k.key), k.lowest, k.highest, k.defaultValue,
                                      QString::fromLatin1(k.label), QString::fromLatin1(k.defaultText), &used);
        marks = marks || used;
        return value;
    };

    serial.ComType = comTypePosition(read(ComTypeKey));
    const int baud = read(BaudKey);
    serial.Parity = read(protocol == TagProtocol::DF1 ? DF1ParityKey : ParityKey);
    if (protocol == TagProtocol::Modbus)
        serial.Format = read(FormatKey);
    serial.ScanTime = read(ScanTimeKey);
    serial.MessageTimeout = read(MessageToutKey);
    if (protocol == TagProtocol::Modbus)
        serial.PacketTimeout = QByteArray::number(read(PacketToutKey));
    if (protocol == TagProtocol::DF1) {
        serial.DataBits = read(DataBitsKey) == 7 ? 0 : 1;
        serial.ErrorMethod = read(ErrorMethodKey);
    }

    serial.BaudRate = int(BaudRateItems().indexOf(QByteArray::number(baud)));
    if (serial.BaudRate < 0) {
        Prompt::instance().warning(QStringLiteral("The paramenter \"%1\" has not a valid value (%2).\r\n Value \"%3\" is taken as Default.")
                                       .arg(QString::fromLatin1(BaudKey.label), QString::number(baud),
                                            QString::fromLatin1(BaudKey.defaultText)));
        serial.BaudRate = int(BaudRateItems().indexOf(QByteArray::number(BaudKey.defaultValue)));
        marks = true;
    }
    return marks;
}

bool SetEMAILFromFile(const IniStore &store, TConfigModel &model)
{
    const TagProtocol protocol = model.Protocol();
    TEmailFields &email = model.Email;
    bool marks = false;
    const auto text = [&](const char *key, int limit) {
        bool cut = false;
        const QByteArray value = ReadString(protocol, store, Smtp, QString::fromLatin1(key), limit, &cut);
        marks = marks || cut;
        return value;
    };
    const auto number = [&](const SmtpNumberKey &k) {
        bool used = false;
        const int value = ReadInteger(store, Smtp, QString::fromLatin1(k.key), k.lowest, k.highest, k.defaultValue,
                                      QString::fromLatin1(k.label[int(protocol)]), QString::fromLatin1(k.defaultText), &used);
        marks = marks || used;
        return QByteArray::number(value);
    };

    email.Enabled = store.readBool(Smtp, QStringLiteral("ENABLE"));
    email.Server = text("SERVER", EmailLimit::Server);
    email.Timeout = number(SmtpTimeoutKey);
    email.Retries = number(SmtpRetriesKey);
    email.RetryInterval = number(SmtpIntervalKey);
    email.Sender = text("FROM", EmailLimit::Address);
    email.AuthEnabled = store.readBool(Smtp, QStringLiteral("AUTH"));
    email.User = text("USER", EmailLimit::User);
    email.Password = text("PASS", EmailLimit::Password(protocol));
    email.Confirmation = text("PASS", EmailLimit::Password(protocol));
    email.Recipients.clear();
    for (int i = 0; i < RecipientKeys; ++i) {
        bool cut = false;
        const QByteArray address = ReadString(protocol, store, Smtp, recipientKey(i), EmailLimit::Address, &cut);
        marks = marks || cut;
        if (!address.isEmpty())
            email.Recipients.append(address);
    }
    // A document holds five recipients; saving will drop the sixth, so say which.
    if (email.Recipients.size() > MaxRecipients) {
        Prompt::instance().warning(QStringLiteral("The E-Mail Address \"%1\" is ignored.\r\nA configuration holds up to %2 E-Mail Addresses.")
                                       .arg(QString::fromLatin1(email.Recipients.takeLast()))
                                       .arg(MaxRecipients));
        marks = true;
    }
    return marks;
}

bool SetTAGSFromFile(const IniStore &store, TConfigModel &model)
{
    model.ClearTags();
    const bool comma = commaLocale();
    for (int i = 0; i < MaxTags; ++i) {
        const QString section = tagSection(i);
        if (!store.hasSection(section))
            break;
        model.AppendTagTexts(readTagTexts(store, model.Protocol(), section, comma));
    }
    return false;
}

// --- writing the model -------------------------------------------------------------------

void SetFileVersion(IniStore &store, TagProtocol protocol)
{
    const Header header = headerOf(protocol);
    store.writeString(General, QStringLiteral("FILETYPE"), QString::fromLatin1(header.fileType));
    store.writeString(General, QStringLiteral("FILEVERSION"), QString::fromLatin1(header.fileVersion));
}

void SetFileFromCOM(IniStore &store, const TConfigModel &model)
{
    const TagProtocol protocol = model.Protocol();
    const TSerialFields &serial = model.Serial;
    const auto write = [&](const ComKey &k, int value) { store.writeInteger(Com, QString::fromLatin1(k.key), value); };
    const int packetTimeout = protocol == TagProtocol::Modbus ? ParseIntegerText(serial.PacketTimeout) : 0;

    write(ComTypeKey, ComTypeCodes[qBound(0, serial.ComType, 2)]);
    write(BaudKey, BaudRateItems().value(serial.BaudRate, "9600").toInt());
    write(ParityKey, serial.Parity);
    if (protocol == TagProtocol::Modbus)
        write(FormatKey, serial.Format);
    write(ScanTimeKey, serial.ScanTime);
    write(MessageToutKey, serial.MessageTimeout);
    if (protocol == TagProtocol::Modbus)
        write(PacketToutKey, packetTimeout);
    if (protocol == TagProtocol::DF1) {
        write(DataBitsKey, serial.DataBits == 0 ? 7 : 8);
        write(ErrorMethodKey, serial.ErrorMethod);
    }
}

void SetFileFromEMAIL(IniStore &store, const TConfigModel &model)
{
    const TEmailFields &email = model.Email;
    // Converted before anything is written, so a bad number leaves the section as it was.
    const qint32 timeout = ParseIntegerText(email.Timeout);
    const qint32 retries = ParseIntegerText(email.Retries);
    const qint32 interval = ParseIntegerText(email.RetryInterval);
    const auto text = [&](const char *key, const QByteArray &value) {
        writeText(store, Smtp, QString::fromLatin1(key), TrimBlanks(value));
    };

    store.writeBool(Smtp, QStringLiteral("ENABLE"), email.Enabled);
    text("SERVER", email.Server);
    store.writeInteger(Smtp, QString::fromLatin1(SmtpTimeoutKey.key), timeout);
    store.writeInteger(Smtp, QString::fromLatin1(SmtpRetriesKey.key), retries);
    store.writeInteger(Smtp, QString::fromLatin1(SmtpIntervalKey.key), interval);
    text("FROM", email.Sender);
    store.writeBool(Smtp, QStringLiteral("AUTH"), email.AuthEnabled);
    text("USER", email.User);
    text("PASS", email.Password);
    for (int i = 0; i < RecipientKeys; ++i)
        writeText(store, Smtp, recipientKey(i), TrimBlanks(email.Recipients.value(i)));
}

void SetFileFromTAGS(IniStore &store, const TConfigModel &model)
{
    const int rows = model.GetTagCount();
    // TAG0, TAG1, ... up to the first missing one go; so do sections left beyond a gap
    // that the rows now reach, or that would follow the last row and be read as more tags.
    for (int i = 0; i < MaxTags && (i < rows || store.hasSection(tagSection(i))); ++i)
        store.eraseSection(tagSection(i));

    const TagProtocol protocol = model.Protocol();
    const QList<QByteArray> &keys = TagKeys(protocol);
    const bool comma = commaLocale();
    for (int row = 0; row < rows; ++row) {
        const QString section = tagSection(row);
        const QList<QByteArray> texts = model.TagTexts(row);
        for (int k = 0; k < keys.size(); ++k) {
            const QString key = QString::fromLatin1(keys.at(k));
            const bool localised = protocol == TagProtocol::Modbus && isNumberKey(key);
            writeText(store, section, key, localised ? localized(texts.at(k), comma) : texts.at(k));
        }
    }
}

// --- the document's store ----------------------------------------------------------------

TConfigFile::OpenResult TConfigFile::Open(const QString &path, TConfigModel &model)
{
    if (!QFileInfo::exists(path))
        return {};
    IniStore store;
    if (!store.bind(path, true)) {
        Prompt::instance().error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, store.errorString()));
        return {};
    }
    m_store = std::move(store);
    model.Clear();
    OpenResult result;
    result.Opened = true;
    // Every reader runs, whatever the one before found.
    result.Modified = SetCOMFromFile(m_store, model);
    result.Modified = SetEMAILFromFile(m_store, model) || result.Modified;
    result.Modified = SetTAGSFromFile(m_store, model) || result.Modified;
    return result;
}

void TConfigFile::BindFresh(const QString &path)
{
    m_store = IniStore();
    m_store.bind(path, false);
}

bool TConfigFile::Write(const TConfigModel &model)
{
    try {
        SetFileVersion(m_store, model.Protocol());
        SetFileFromCOM(m_store, model);
        SetFileFromEMAIL(m_store, model);
        SetFileFromTAGS(m_store, model);
    } catch (const EConvertError &error) {
        Prompt::instance().error(error.message());
        return false;
    }
    if (!m_store.write()) {
        Prompt::instance().error(QStringLiteral("Cannot create file \"%1\". %2").arg(m_store.path(), m_store.errorString()));
        return false;
    }
    return true;
}
