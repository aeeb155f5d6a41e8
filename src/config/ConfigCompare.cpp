#include "config/ConfigCompare.h"

#include "base/DscPkt.h"
#include "config/ConfigFields.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWire.h"
#include "config/TagRows.h"
#include "config/TagRules.h"
#include "config/TagText.h"

#include <QHash>

#include <memory>

namespace {

using Section = TConfigDifference::Section;
using Kind = TConfigDifference::Kind;

// A serial code the get left at the compare start: the gateway's value mapped to nothing.
constexpr quint8 UnreadCode = 0xFF;
constexpr qint32 UnreadDataBits = 0;

QByteArray codeText(const QList<QByteArray> &items, int code)
{
    return code == UnreadCode ? QByteArray(CompareText::Unread) : ItemText(items, code);
}

QByteArray msText(qint32 value)
{
    return FormatIntegerText(value) + " ms"; // as the page writes beside its sliders
}

// As the password fields show it: one "*" per character.
QByteArray maskedText(const QByteArray &password)
{
    return QByteArray(password.size(), '*');
}

class Collector
{
public:
    explicit Collector(TConfigDifferences &out) : m_out(out) {}

    void field(Section section, const char *caption, const QByteArray &document, const QByteArray &orvan,
               const QByteArray &tagName = {})
    {
        if (document != orvan)
            add(section, caption, document, orvan, tagName);
    }

    void add(Section section, const char *caption, const QByteArray &document, const QByteArray &orvan,
             const QByteArray &tagName = {})
    {
        m_out.append({section, Kind::Changed, tagName, caption, document, orvan});
    }

private:
    TConfigDifferences &m_out;
};

// ---- serial port ----------------------------------------------------------------------------

template<class Config>
void compareSerial(Collector &c, const Config &d, const Config &o)
{
    constexpr TagProtocol protocol = ProtocolOf<Config>;
    const Section s = Section::Serial;
    c.field(s, "Serial COM Type", codeText(ComTypeItems(), d.ComType), codeText(ComTypeItems(), o.ComType));
    c.field(s, "Baud Rate (bps)", codeText(BaudRateItems(), d.BaudRate), codeText(BaudRateItems(), o.BaudRate));
    if constexpr (protocol == TagProtocol::DF1) {
        // The record holds 0 none and 2 even; the list has the two entries only.
        const auto parity = [](quint8 code) {
            return code == UnreadCode ? QByteArray(CompareText::Unread) : ParityItems(protocol).value(code == 0 ? 0 : 1);
        };
        c.field(s, "Parity", parity(d.Parity), parity(o.Parity));
    } else {
        c.field(s, "Parity", codeText(ParityItems(protocol), d.Parity), codeText(ParityItems(protocol), o.Parity));
    }
    if constexpr (protocol == TagProtocol::Modbus)
        c.field(s, "Modbus Format", codeText(FormatItems(), d.Format), codeText(FormatItems(), o.Format));
    c.field(s, "Scan Time (ms)", msText(d.ScanTime), msText(o.ScanTime));
    c.field(s, "Message Timeout (ms)", msText(d.MessageTimeout), msText(o.MessageTimeout));
    if constexpr (protocol == TagProtocol::Modbus)
        c.field(s, "Modbus Packet Timeout (RTU Mode)", FormatIntegerText(d.PacketTimeout),
                FormatIntegerText(o.PacketTimeout));
    if constexpr (protocol == TagProtocol::DF1) {
        const auto bits = [](qint32 value) {
            return value == UnreadDataBits ? QByteArray(CompareText::Unread) : FormatIntegerText(value);
        };
        c.field(s, "Data Bits", bits(d.DataBits), bits(o.DataBits));
        c.field(s, "Error Detection", codeText(ErrorMethodItems(), d.ErrorMethod),
                codeText(ErrorMethodItems(), o.ErrorMethod));
    }
}

// ---- e-mail ---------------------------------------------------------------------------------

void compareEmail(Collector &c, TagProtocol protocol, const TEmailConfig &d, const TEmailConfig &o)
{
    const Section s = Section::Email;
    c.field(s, "Enable relaying", FormatBoolText(d.Enabled), FormatBoolText(o.Enabled));
    c.field(s, "SMTP server", d.SmtpServer, o.SmtpServer);
    c.field(s, "Server requires authentication", FormatBoolText(d.AuthEnabled), FormatBoolText(o.AuthEnabled));
    c.field(s, "Username", d.SmtpUser, o.SmtpUser);
    // Shown masked, as the page shows it; the row itself says the two differ.
    if (d.SmtpPassword != o.SmtpPassword)
        c.add(s, "Password", maskedText(d.SmtpPassword), maskedText(o.SmtpPassword));
    c.field(s, "Delivery timeout (seconds)", FormatIntegerText(d.Timeout), FormatIntegerText(o.Timeout));
    c.field(s, protocol == TagProtocol::Hostlink ? "Retries (Times)" : "Retries (times)", FormatIntegerText(d.Retries),
            FormatIntegerText(o.Retries));
    c.field(s, "Retry every (seconds)", FormatIntegerText(d.RetryInterval), FormatIntegerText(o.RetryInterval));
    c.field(s, "Source e-mail address", d.Sender, o.Sender);
    for (int i = 0; i < MaxRecipients; ++i) {
        const QByteArray caption = "Recipient " + QByteArray::number(i + 1);
        c.field(s, caption.constData(), RecipientAt(d, i), RecipientAt(o, i));
    }
}

// ---- tags -----------------------------------------------------------------------------------

// Source, then (for a tag on the serial bus) its location, then its type.
QByteArray tagSummary(TagProtocol protocol, const QList<QByteArray> &texts)
{
    const int typeAt = int(TagKeys(protocol).indexOf("TYPE"));
    const QList<QByteArray> &columns = TagColumns(protocol);
    QList<QByteArray> parts{texts.value(1)};
    if (IsSerialSource(GetSourceValue(protocol, texts.value(1))))
        for (int i = 2; i < typeAt; ++i)
            parts << columns.value(i - 1) + ' ' + texts.value(i);
    parts << texts.value(typeAt);
    return parts.join(", ");
}

template<class Config>
void compareTags(TConfigDifferences &out, const Config &d, const Config &o)
{
    constexpr TagProtocol protocol = ProtocolOf<Config>;
    const QList<QByteArray> &columns = TagColumns(protocol);
    const auto textsOf = [](const Config &config) {
        QList<QList<QByteArray>> rows;
        for (int i = 0; i < config.TagCount && i < MaxTags; ++i)
            rows << TagToTexts(config.Tags[size_t(i)]);
        return rows;
    };
    const QList<QList<QByteArray>> docRows = textsOf(d);
    const QList<QList<QByteArray>> orvanRows = textsOf(o);

    // Occurrence k of a name in the document pairs with occurrence k in the gateway.
    QHash<QByteArray, QList<int>> orvanAt;
    for (int i = 0; i < orvanRows.size(); ++i)
        orvanAt[orvanRows[i].value(0)] << i;
    QHash<QByteArray, int> seen;
    QList<int> pairedOrvan(docRows.size(), -1);
    QList<bool> orvanPaired(orvanRows.size(), false);
    for (int i = 0; i < docRows.size(); ++i) {
        const QByteArray &name = docRows[i].value(0);
        const int occurrence = seen[name]++;
        const QList<int> &candidates = orvanAt.value(name);
        if (occurrence < candidates.size()) {
            pairedOrvan[i] = candidates[occurrence];
            orvanPaired[candidates[occurrence]] = true;
        }
    }

    Collector c(out);
    for (int i = 0; i < docRows.size(); ++i) {
        const QList<QByteArray> &doc = docRows[i];
        if (pairedOrvan[i] < 0) {
            out.append({Section::Tags, Kind::OnlyInDocument, doc.value(0), {}, tagSummary(protocol, doc), {}});
            continue;
        }
        const QList<QByteArray> &orvan = orvanRows[pairedOrvan[i]];
        // NAME matched and the hidden KIND follows from the fields: the columns between them.
        for (int column = 0; column < columns.size(); ++column)
            c.field(Section::Tags, columns[column].constData(), doc.value(column + 1), orvan.value(column + 1),
                    doc.value(0));
    }
    for (int i = 0; i < orvanRows.size(); ++i)
        if (!orvanPaired[i])
            out.append({Section::Tags, Kind::OnlyInOrvan, orvanRows[i].value(0), {}, {}, tagSummary(protocol, orvanRows[i])});

    QList<QByteArray> docOrder, orvanOrder;
    for (int i = 0; i < docRows.size(); ++i)
        if (pairedOrvan[i] >= 0)
            docOrder << docRows[i].value(0);
    for (int i = 0; i < orvanRows.size(); ++i)
        if (orvanPaired[i])
            orvanOrder << orvanRows[i].value(0);
    if (docOrder != orvanOrder)
        out.append({Section::Tags, Kind::Changed, {}, CompareText::TagOrder, docOrder.join(", "), orvanOrder.join(", ")});
}

template<class Config>
TConfigDifferences compareConfigs(const Config &document, const Config &orvan)
{
    const std::unique_ptr<Config> sent = std::make_unique<Config>(AsSent(document));
    TConfigDifferences out;
    Collector c(out);
    compareSerial(c, *sent, orvan);
    compareEmail(c, ProtocolOf<Config>, sent->Email, orvan.Email);
    compareTags(out, *sent, orvan);
    return out;
}

template<class Config>
Config asSent(const Config &config)
{
    Config back = config;
    TPacket com;
    com.NewCommand("COM");
    AddComKeys(com, config);
    ReadComKeys(com, back);

    TPacket smtp;
    smtp.NewCommand("SMTP");
    AddSmtpKeys(smtp, config.Email);
    ReadSmtpKeys(smtp, back.Email);
    for (int i = 0; i < MaxRecipients; ++i) {
        TPacket too;
        too.NewCommand("TOO");
        too.AddString("EMAIL", RecipientAt(config.Email, i));
        ReadRecipient(too, back.Email);
    }

    back.TagCount = qBound(0, config.TagCount, MaxTags);
    for (int i = 0; i < back.TagCount; ++i) {
        TPacket tag;
        tag.NewCommand("TAGCONFIG");
        AddTagKeys(tag, config.Tags[size_t(i)]);
        ReadTagKeys(tag, back.Tags[size_t(i)]);
    }
    return back;
}

template<class Config>
void setCompareStart(Config &config)
{
    constexpr TagProtocol protocol = ProtocolOf<Config>;
    SetNewConfigDefaults(config);
    config.ComType = UnreadCode;
    config.BaudRate = UnreadCode;
    config.Parity = UnreadCode;
    if constexpr (protocol == TagProtocol::Modbus)
        config.Format = UnreadCode;
    if constexpr (protocol == TagProtocol::DF1) {
        config.DataBits = UnreadDataBits;
        config.ErrorMethod = UnreadCode;
    }
}

} // namespace

TConfigDifferences CompareConfigs(const TModbusOrvanConfig &d, const TModbusOrvanConfig &o) { return compareConfigs(d, o); }
TConfigDifferences CompareConfigs(const THostlinkOrvanConfig &d, const THostlinkOrvanConfig &o) { return compareConfigs(d, o); }
TConfigDifferences CompareConfigs(const TDF1OrvanConfig &d, const TDF1OrvanConfig &o) { return compareConfigs(d, o); }

TModbusOrvanConfig AsSent(const TModbusOrvanConfig &config) { return asSent(config); }
THostlinkOrvanConfig AsSent(const THostlinkOrvanConfig &config) { return asSent(config); }
TDF1OrvanConfig AsSent(const TDF1OrvanConfig &config) { return asSent(config); }

void SetCompareStart(TModbusOrvanConfig &config) { setCompareStart(config); }
void SetCompareStart(THostlinkOrvanConfig &config) { setCompareStart(config); }
void SetCompareStart(TDF1OrvanConfig &config) { setCompareStart(config); }

QString CompareText::KindText(TConfigDifference::Kind kind)
{
    switch (kind) {
    case Kind::Changed:
        break;
    case Kind::OnlyInDocument:
        return QStringLiteral("Only in the document");
    case Kind::OnlyInOrvan:
        return QStringLiteral("Only in the Orvan");
    }
    return QStringLiteral("Changed");
}

QString CompareText::SectionText(TConfigDifference::Section section)
{
    switch (section) {
    case Section::Serial:
        break;
    case Section::Email:
        return QStringLiteral("E-Mails");
    case Section::Tags:
        return QStringLiteral("Tags");
    }
    return QStringLiteral("Serial Port");
}

QString CompareText::Summary(const TConfigDifferences &differences)
{
    if (differences.isEmpty())
        return QString::fromLatin1(Identical);
    int serial = 0, email = 0, changedTags = 0, onlyDocument = 0, onlyOrvan = 0;
    bool order = false;
    QByteArray lastChanged;
    for (const TConfigDifference &d : differences) {
        switch (d.section) {
        case Section::Serial:
            ++serial;
            break;
        case Section::Email:
            ++email;
            break;
        case Section::Tags:
            if (d.kind == Kind::OnlyInDocument)
                ++onlyDocument;
            else if (d.kind == Kind::OnlyInOrvan)
                ++onlyOrvan;
            else if (d.tagName.isEmpty())
                order = true;
            else if (d.tagName != lastChanged) { // a changed tag's fields come one after another
                ++changedTags;
                lastChanged = d.tagName;
            }
            break;
        }
    }
    const auto count = [](int n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QStringList parts;
    if (serial)
        parts << count(serial, "serial port setting", "serial port settings");
    if (email)
        parts << count(email, "e-mail setting", "e-mail settings");
    if (changedTags)
        parts << count(changedTags, "tag changed", "tags changed");
    if (onlyDocument)
        parts << count(onlyDocument, "tag only in the document", "tags only in the document");
    if (onlyOrvan)
        parts << count(onlyOrvan, "tag only in the Orvan", "tags only in the Orvan");
    if (order)
        parts << QStringLiteral("the order of the tags");
    return QStringLiteral("The configuration differs from the one in the Orvan: %1.").arg(parts.join(QStringLiteral(", ")));
}
