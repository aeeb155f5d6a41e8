#pragma once

#include "GatewayState.h"

// Live tag values, alarms and the alarm mailbox. Nothing runs in the background: each READ or
// MAILBOX request brings the state up to the wall-clock time it arrived, so a test can drive
// the same functions with chosen times.
namespace sim {

// Status word parts as the gateway reports them (bits 0-3 state, 4-7 result, 8-11 alarm).
enum : quint16 {
    StatusIdle = 0x0001,
    StatusReadError = 0x0004,
    ResultNoWork = 0x0010,
    ResultNoSuchTag = 0x00A0,
};
constexpr qint64 MailSendMs = 2000; // time one e-mail takes, and how long "Mail sent" shows

// Matches the live list to the tag list (new tags start at rest, removed ones are dropped).
void syncLive(GatewayState &state);
// Moves every tag that is not held to its waveform value at nowMs, then updates alarms and the mailbox.
void advanceLive(GatewayState &state, qint64 nowMs);
// The waveform value of tag index at elapsedMs after the epoch (deterministic).
double waveValue(const GatewayState &state, int index, qint64 elapsedMs);
// Alarm state of one tag after its value changed; queues an e-mail when an alarm starts.
void evaluateAlarm(GatewayState &state, int index);
void advanceMailbox(GatewayState &state, qint64 nowMs);

// READ: the value text and status word of one tag.
QByteArray readValueText(const GatewayState &state, int index);
quint16 readStatus(const GatewayState &state, int index);
// WRITE and ALARMACK: empty when accepted, otherwise the reason of the refusal.
QByteArray writeTag(GatewayState &state, int index, const QByteArray &valueText);
QByteArray acknowledgeAlarm(GatewayState &state, int index);

} // namespace sim
