#pragma once

#include "config/KovaTypes.h"

#include <QByteArray>
#include <QList>

// What a send would change on a gateway: the differences between a document's configuration
// and the one a get read from the gateway, field by field, in the captions and value texts
// the document's pages show.
//
// The document's side is taken as the gateway would hold it after a send (AsSent): through
// the wire keys and back, so fields the wire does not carry, or carries in a coarser form
// (a DF1 parity, a non-serial Modbus tag's table, an empty recipient slot), do not count.
// A send followed by a compare therefore finds nothing.
//
// Tags are matched by name, exactly (letter case counts, as within a document); a name that
// occurs more than once is matched occurrence by occurrence. A send rewrites the gateway's
// tag list in the document's order, so an order that differs is one difference of its own
// ("Order of the tags"), after the tag differences.

struct TConfigDifference
{
    enum class Section { Serial, Email, Tags };
    enum class Kind {
        Changed,        // a field, or a tag's field, differs
        OnlyInDocument, // a tag the gateway does not have: a send adds it
        OnlyInOrvan,    // a tag the document does not have: a send removes it
    };

    Section section = Section::Serial;
    Kind kind = Kind::Changed;
    QByteArray tagName;      // Tags only
    QByteArray caption;      // the field's caption; empty for a whole tag
    QByteArray documentText; // for a whole tag: its source, location and type
    QByteArray orvanText;

    bool operator==(const TConfigDifference &) const = default;
};

using TConfigDifferences = QList<TConfigDifference>;

// Serial differences first, then e-mail, then tags in the document's order (tags only in the
// gateway after them, in its order), then the order line.
TConfigDifferences CompareConfigs(const TModbusOrvanConfig &document, const TModbusOrvanConfig &orvan);
TConfigDifferences CompareConfigs(const THostlinkOrvanConfig &document, const THostlinkOrvanConfig &orvan);
TConfigDifferences CompareConfigs(const TDF1OrvanConfig &document, const TDF1OrvanConfig &orvan);

// The record a get would read back after sending `config`. Throws EConvertError only for a
// real beyond the 32-bit range, which a send could not carry either.
TModbusOrvanConfig AsSent(const TModbusOrvanConfig &config);
THostlinkOrvanConfig AsSent(const THostlinkOrvanConfig &config);
TDF1OrvanConfig AsSent(const TDF1OrvanConfig &config);

// The record a get for a comparison starts from: a serial value the gateway answers that
// maps to no list entry (BAUD=1200, say) keeps this mark and shows as UnreadText, instead of
// passing for a default that the document may happen to hold as well.
void SetCompareStart(TModbusOrvanConfig &config);
void SetCompareStart(THostlinkOrvanConfig &config);
void SetCompareStart(TDF1OrvanConfig &config);

namespace CompareText {
inline constexpr char Identical[] = "The configuration is identical to the one in the Orvan.";
inline constexpr char Unread[] = "(not a known value)";
inline constexpr char TagOrder[] = "Order of the tags";
// "3 differences: 1 in the serial port, 2 in the tags." and the like.
QString Summary(const TConfigDifferences &differences);
// "Changed", "Only in the document", "Only in the Orvan".
QString KindText(TConfigDifference::Kind kind);
// "Serial Port", "E-Mails", "Tags": the pages' titles.
QString SectionText(TConfigDifference::Section section);
}
