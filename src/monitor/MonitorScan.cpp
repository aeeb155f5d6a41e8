#include "monitor/MonitorScan.h"

#include "base/ConvertError.h"
#include "base/DscPkt.h"
#include "device/HttpChannel.h"

#include <algorithm>

namespace {

const QByteArray AppScript = "apppost.cgi";
const QByteArray AdminScript = "admpost.cgi";

} // namespace

const QString TMonitorScan::WriteErrorPrefix = QStringLiteral("Tag Write Error.\r\nReason: ");
const QString TMonitorScan::AckErrorPrefix = QStringLiteral("Alarm ackwnoledge error.\r\nReason: ");
const QString TMonitorScan::AckNoResponse = QStringLiteral("Alarm acknowledge error.");

void TMonitorScan::Reset()
{
    m_phase = 0;
    m_writePending = false;
    m_valueToWrite = {};
    m_ackPending = false;
    m_reading = {};
    m_tagIndex = -1;
    m_tagName.clear();
    m_kind = KindInteger;
    ++m_generation;
}

void TMonitorScan::SetTag(int index, const QByteArray &name, quint8 kind)
{
    if (index == m_tagIndex && name == m_tagName && kind == m_kind)
        return;
    m_tagIndex = index;
    m_tagName = name;
    m_kind = kind;
    m_writePending = false;
    m_ackPending = false;
    m_reading.Value.clear();
    m_reading.Number = 0;
    m_reading.Status.clear();
    m_reading.Alarm.clear();
    m_reading.AlarmState = 0;
    ++m_generation;
}

bool TMonitorScan::RequestWrite(const TWriteValue &value)
{
    if (m_writePending)
        return false;
    m_valueToWrite = value;
    m_writePending = true;
    return true;
}

bool TMonitorScan::Send(const QByteArray &script, const TPacket &request, TPacket &reply)
{
    return m_channel.SendHTTPServer(m_device.IPAddress, m_device.RemoteHost, script, request, reply);
}

TScanTick TMonitorScan::Tick()
{
    TScanTick tick;
    tick.Time = QDateTime::currentDateTime();
    tick.TagName = m_tagName;
    tick.ValueKind = m_kind;
    tick.Phase = m_phase;
    const quint64 generation = m_generation;
    switch (m_phase) {
    case 0:
        m_phase = 1;
        ReadValue(tick, generation);
        break;
    case 1:
        m_phase = 2;
        ReadMailboxPhase(tick);
        break;
    default:
        m_phase = 0;
        SendCommand(tick);
        break;
    }
    tick.Reading = m_reading;
    if (m_reading.HasValue()) {
        tick.HasPoint = true;
        tick.PointValue = m_reading.Number;
        tick.PointAlarm = m_reading.AlarmState;
    }
    return tick;
}

void TMonitorScan::ReadValue(TScanTick &tick, quint64 generation)
{
    TPacket request;
    TPacket reply;
    request.NewCommand("READ");
    request.AddInteger("TAG1", m_tagIndex);
    if (!Send(AppScript, request, reply) || !reply.IsCommand("VALUES"))
        return;
    tick.Answered = true;
    if (generation != m_generation) {
        tick.Stale = true;
        return;
    }
    ApplyValue(reply);
}

void TMonitorScan::ApplyValue(const TPacket &reply)
{
    // A malformed number leaves its field as it was, as a failed request would.
    try {
        double number = 0;
        switch (m_kind) {
        case KindDigital:
            number = reply.GetBoolean("VAL1", false) ? 1 : 0;
            break;
        case KindInteger:
            number = reply.GetInteger("VAL1", 0);
            break;
        default:
            number = reply.GetFloat("VAL1", 0);
            break;
        }
        m_reading.Number = number;
        m_reading.Value = TagValueText::Format(m_kind, number);
    } catch (const EConvertError &) {
    }
    try {
        const qint32 word = reply.GetInteger("ST1", 0);
        // The status word is 16 bits; a reply beyond them says nothing reliable about the tag.
        if (word >= 0 && word <= 0xFFFF) {
            m_reading.Status = StatusWord::StatusText(quint16(word));
            m_reading.AlarmState = StatusWord::AlarmState(quint16(word));
            m_reading.Alarm = StatusWord::AlarmText(m_reading.AlarmState);
        }
    } catch (const EConvertError &) {
    }
}

void TMonitorScan::ReadMailboxPhase(TScanTick &tick)
{
    TPacket request;
    TPacket reply;
    request.NewCommand("MAILBOX");
    if (!Send(AdminScript, request, reply))
        return;
    if (const std::optional<TMailboxView> view = ReadMailbox(reply)) {
        tick.Answered = true;
        m_reading.Mailbox = *view;
    }
}

void TMonitorScan::SendCommand(TScanTick &tick)
{
    TPacket request;
    TPacket reply;
    if (m_writePending) {
        m_writePending = false;
        tick.Command = TScanCommand::Write;
        request.NewCommand("WRITE");
        request.AddInteger("TAG", m_tagIndex);
        switch (m_kind) {
        case KindDigital:
            request.AddBoolean("VALUE", m_valueToWrite.BoolValue);
            break;
        case KindInteger:
            request.AddInteger("VALUE", m_valueToWrite.IntValue);
            break;
        default:
            request.AddFloat("VALUE", m_valueToWrite.RealValue);
            break;
        }
        if (!Send(AppScript, request, reply)) {
            // A write that never arrived must not pass for one that did.
            tick.Error = WriteErrorPrefix + QStringLiteral("No Response from Device.");
        } else if (reply.IsCommand("NAK")) {
            tick.Error = WriteErrorPrefix + QString::fromLatin1(reply.GetString("REASON", "Unknown"));
        } else {
            tick.Answered = true;
        }
    } else if (m_ackPending) {
        m_ackPending = false;
        tick.Command = TScanCommand::Acknowledge;
        request.NewCommand("ALARMACK");
        request.AddInteger("TAG", m_tagIndex);
        if (!Send(AppScript, request, reply))
            tick.Error = AckNoResponse;
        else if (reply.IsCommand("NAK"))
            tick.Error = AckErrorPrefix + QString::fromLatin1(reply.GetString("REASON", "Unknown"));
        else
            tick.Answered = true;
    }
}

void TValueHistory::RestartGraphic(quint8 kind)
{
    m_fixedAxis = kind == KindDigital;
    m_points.clear();
    for (int x = 0; x < Length; ++x)
        m_points.append({double(x), 0, StatusWord::AlarmNo});
    m_counter = Length;
}

void TValueHistory::AddPoint2Graph(int alarmState, double y)
{
    if (!m_points.isEmpty())
        m_points.removeFirst();
    m_points.append({double(m_counter), y, alarmState});
    ++m_counter;
}

std::pair<double, double> TValueHistory::VerticalRange() const
{
    if (m_fixedAxis)
        return {-0.5, 1.5};
    if (m_points.isEmpty())
        return {-1, 1};
    const auto [low, high] = std::minmax_element(m_points.cbegin(), m_points.cend(),
                                                 [](const TGraphPoint &a, const TGraphPoint &b) { return a.Y < b.Y; });
    const double span = high->Y - low->Y;
    // A flat line still needs room above and below it.
    const double margin = span > 0 ? span * 0.1 : qMax(1.0, qAbs(low->Y) * 0.1);
    return {low->Y - margin, high->Y + margin};
}
