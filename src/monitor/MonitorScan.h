#pragma once

#include "base/DeviceData.h"
#include "monitor/MonitorText.h"
#include "monitor/TagDownload.h"

#include <QDateTime>
#include <QList>

class THttpChannel;

// What the monitor shows of the watched tag and the mailbox after a tick.
struct TMonitorReading
{
    QString Value;       // as shown; empty until a value was read
    double Number = 0;   // the same value as a number, for the graph
    QString Status;      // status word text
    QString Alarm;       // alarm text
    int AlarmState = 0;  // alarm nibble of the last status word read
    TMailboxView Mailbox;

    bool HasValue() const { return !Value.isEmpty(); }
    bool operator==(const TMonitorReading &) const = default;
};

enum class TScanCommand { None, Write, Acknowledge };

// One tick of the scan: what it asked, what came back, and the point it adds to the graph.
// A plain value, so a log can write it as it stands.
struct TScanTick
{
    QDateTime Time;          // when the tick began
    QByteArray TagName;      // the watched tag, as the gateway names it
    quint8 ValueKind = KindInteger;
    int Phase = 0;           // 0 value, 1 mailbox, 2 commands
    TScanCommand Command = TScanCommand::None; // phase 2: what went out
    bool Answered = false;   // the request got the reply it expects (phase 2: no NAK)
    QString Error;           // phase 2: the message of a refused or unanswered command
    bool Stale = false;      // another tag was chosen while the request waited: nothing applied
    TMonitorReading Reading; // what the fields show after the tick
    bool HasPoint = false;   // every tick adds a point once a value is shown
    double PointValue = 0;
    int PointAlarm = 0;      // colours the point
};

// The scan's fixed cycle of three requests to one tag: READ, MAILBOX, then a pending WRITE
// or ALARMACK. One call to Tick() makes one request; the caller owns the timing.
class TMonitorScan
{
public:
    explicit TMonitorScan(THttpChannel &channel) : m_channel(channel) {}

    void SetDevice(const TDeviceData &device) { m_device = device; }
    const TDeviceData &Device() const { return m_device; }

    // A new showing: phase 0, nothing pending, nothing read.
    void Reset();
    // The tag to watch (at Play). The same tag keeps the phase, the pending commands and the
    // fields; another tag keeps the phase only, so a command asked for one tag never reaches
    // another and its value is never shown as the new one's.
    void SetTag(int index, const QByteArray &name, quint8 kind);
    int TagIndex() const { return m_tagIndex; }
    const QByteArray &TagName() const { return m_tagName; }
    quint8 ValueKind() const { return m_kind; }
    int Phase() const { return m_phase; }

    // False (and ignored) while a write is pending.
    bool RequestWrite(const TWriteValue &value);
    void RequestAcknowledge() { m_ackPending = true; }
    bool WritePending() const { return m_writePending; }
    bool AcknowledgePending() const { return m_ackPending; }
    const TWriteValue &ValueToWrite() const { return m_valueToWrite; }

    const TMonitorReading &Reading() const { return m_reading; }

    // Runs the current phase and moves to the next.
    TScanTick Tick();

    static const QString WriteErrorPrefix;     // "Tag Write Error.\r\nReason: "
    static const QString AckErrorPrefix;       // "Alarm ackwnoledge error.\r\nReason: "
    static const QString AckNoResponse;        // "Alarm acknowledge error."

private:
    bool Send(const QByteArray &script, const TPacket &request, TPacket &reply);
    void ReadValue(TScanTick &tick, quint64 generation);
    void ReadMailboxPhase(TScanTick &tick); // the gateway's mailbox, whatever the tag
    void SendCommand(TScanTick &tick);
    void ApplyValue(const TPacket &reply);

    THttpChannel &m_channel;
    TDeviceData m_device;
    int m_tagIndex = -1;
    QByteArray m_tagName;
    quint8 m_kind = KindInteger;
    quint64 m_generation = 0; // grows when the watched tag changes
    int m_phase = 0;
    bool m_writePending = false;
    TWriteValue m_valueToWrite;
    bool m_ackPending = false;
    TMonitorReading m_reading;
};

// The graph's points: always the last 25, x counting the seconds of monitoring.
struct TGraphPoint
{
    double X = 0;
    double Y = 0;
    int AlarmState = 0;

    bool operator==(const TGraphPoint &) const = default;
};

class TValueHistory
{
public:
    static constexpr int Length = 25;

    // 25 points at zero, not in alarm; a digital tag gets the fixed axis -0.5..1.5.
    void RestartGraphic(quint8 kind);
    // Drops the oldest point and adds (counter, y); the counter grows by one.
    void AddPoint2Graph(int alarmState, double y);

    const QList<TGraphPoint> &Points() const { return m_points; }
    int PointCounter() const { return m_counter; }
    bool FixedAxis() const { return m_fixedAxis; }
    // The vertical range to show: fixed for digital tags, else the points' own with a margin.
    std::pair<double, double> VerticalRange() const;

private:
    QList<TGraphPoint> m_points;
    int m_counter = 0;
    bool m_fixedAxis = false;
};
