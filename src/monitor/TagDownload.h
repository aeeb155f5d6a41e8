#pragma once

#include "base/DeviceData.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class THttpChannel;

// How a monitored tag's value is read, shown and written.
enum TTagKind : quint8 { KindDigital = 0, KindInteger = 1, KindReal = 2 };

// One tag of the gateway's list as the monitor needs it.
struct TTagEntry
{
    QByteArray Name;
    quint8 ValueKind = KindInteger;

    bool operator==(const TTagEntry &) const = default;
};

// The kind of a tag's value from its TYPE and SCALE as the gateway reports them (SCALE 1 is
// "no scaling"). A TYPE outside the family's table reads as an integer, the kind a failed
// request gives too.
quint8 ValueKindFromType(quint8 protocolFamily, int type, int scale);

// "Digital", "Integer" or "Float": the monitor's list shows it and reads it back at Play.
QString TagKindText(quint8 kind);
quint8 TagKindFromText(const QString &text);

namespace TagDownloadText {
extern const QString Initializing; // "Initializing Tag Configuration Download..."
extern const QString Failed;       // "Error while obtaining Tags."
extern const QString NoTags;       // "No Configured Tags in connected Orvan."
extern const QString Stopped;      // "Download Stopped by user."
extern const QString Done;         // "Done."
// "Getting Tag %d of %d: %s"
QString GettingTag(int number, int count, const QByteArray &name);
// "Done." for a gateway that reported more tags than the list holds.
QString DoneFirstOf(int reported);
}

// Fetches the tag list of a gateway: GETTAGCOUNT, then one GETTAG per tag. The window shows
// the progress; a command line can run the same download without one.
class TTagDownload
{
public:
    static constexpr int MaxEntries = 128;

    struct Hooks
    {
        std::function<bool()> stopRequested;          // asked before every tag
        std::function<void(int count)> started;       // how many tags will be fetched
        std::function<void(int number, int count, const TTagEntry &entry)> fetched; // number from 1
    };
    struct Result
    {
        bool ok = false;
        bool stopped = false;
        int reported = 0;  // the count the gateway gave
        QString message;   // the closing status, or why it failed
    };

    explicit TTagDownload(THttpChannel &channel) : m_channel(channel) {}

    void SetDevice(const TDeviceData &device) { m_device = device; }
    const TDeviceData &Device() const { return m_device; }

    // GETTAGCOUNT: false (count 0) without a TAGCOUNT reply.
    bool GetTagCount(int &count);
    // GETTAG: false (empty name, integer) without a TAGCONFIG reply.
    bool GetTagConfig(int index, TTagEntry &entry);
    // The whole download. The entries fetched before a failure or a stop stay.
    Result PoblateTagsList(const Hooks &hooks = {});

    const QList<TTagEntry> &Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }

private:
    THttpChannel &m_channel;
    TDeviceData m_device;
    QList<TTagEntry> m_entries;
};
