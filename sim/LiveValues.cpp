#include "LiveValues.h"

#include "TagKeys.h"

#include <cmath>
#include <numbers>

namespace sim {

namespace {

struct Range
{
    double low;
    double high;
};

// Where a numeric tag's value plausibly moves: around its alarm band (reaching past it now and
// then, so alarms happen), inside its write limits, or over a raw span that its scale converts.
Range plausibleRange(int family, const Keys &tag, ValueKind kind)
{
    if (tagFlag(tag, "ALARM")) {
        const double lo = tagNumber(tag, "ALLO");
        const double hi = tagNumber(tag, "ALHI");
        if (hi > lo) {
            const double margin = (hi - lo) * 0.2;
            return {lo - margin, hi + margin};
        }
    }
    if (tagFlag(tag, "LIMITS")) {
        const double lo = tagNumber(tag, "WRLO");
        const double hi = tagNumber(tag, "WRHI");
        if (hi > lo) {
            const double margin = (hi - lo) * 0.1;
            return {lo + margin, hi - margin};
        }
    }
    const int type = int(tagNumber(tag, "TYPE"));
    const bool isFloatType = family == Modbus ? (type == 4 || type == 5) : type == 3;
    Range raw = isFloatType ? Range{0, 100} : Range{0, 1000};
    if (kind == Real && !isFloatType && GatewayState::keyValue(tag, "SCALE") == "2") {
        const double a = tagNumber(tag, "FACT_A");
        const double b = tagNumber(tag, "FACT_B");
        const double x = a * raw.low + b;
        const double y = a * raw.high + b;
        raw = {std::min(x, y), std::max(x, y)};
    }
    return raw;
}

bool abnormal(ValueKind kind, const Keys &tag, double value)
{
    if (!tagFlag(tag, "ALARM"))
        return false;
    if (kind == Digital) {
        if (tagFlag(tag, "ALLO")) // positive edge
            return value != 0;
        if (tagFlag(tag, "ALHI")) // negative edge
            return value == 0;
        return false;
    }
    return value < tagNumber(tag, "ALLO") || value > tagNumber(tag, "ALHI");
}

bool validIndex(const GatewayState &state, int index)
{
    return index >= 0 && index < state.tags.size() && index < state.live.size();
}

} // namespace

void syncLive(GatewayState &state)
{
    while (state.live.size() < state.tags.size())
        state.live.append(TagLive());
    while (state.live.size() > state.tags.size())
        state.live.removeLast();
}

double waveValue(const GatewayState &state, int index, qint64 elapsedMs)
{
    const int family = state.protocolFamily();
    const Keys &tag = state.tags.at(index);
    const ValueKind kind = tagValueKind(family, tag);
    if (kind == Digital) {
        const qint64 halfPeriodMs = (3 + index % 5) * 1000;
        return double((elapsedMs / halfPeriodMs + index) % 2);
    }
    const Range r = plausibleRange(family, tag, kind);
    const double periodMs = (60.0 + 7.0 * index) * 1000.0;
    const double phase = 0.9 * index;
    const double centre = (r.low + r.high) / 2;
    const double amplitude = (r.high - r.low) / 2;
    const double v = centre + amplitude * std::sin(2 * std::numbers::pi * double(elapsedMs) / periodMs + phase);
    return kind == Integer ? std::round(v) : v;
}

void evaluateAlarm(GatewayState &state, int index)
{
    TagLive &live = state.live[index];
    const Keys &tag = state.tags.at(index);
    if (abnormal(tagValueKind(state.protocolFamily(), tag), tag, live.value)) {
        if (live.alarm == 0) {
            live.alarm = 1;
            if (tagFlag(tag, "EMAIL"))
                state.mailboxCount = std::min(state.mailboxCount + 1, 128);
        }
    } else {
        live.alarm = 0;
    }
}

void advanceLive(GatewayState &state, qint64 nowMs)
{
    syncLive(state);
    if (state.liveEpochMs == 0)
        state.liveEpochMs = nowMs;
    const qint64 elapsed = state.liveMotion ? nowMs - state.liveEpochMs : 0;
    for (int i = 0; i < state.tags.size(); ++i) {
        // A stopped gateway polls nothing, so its values freeze.
        if (!state.live[i].held && state.running)
            state.live[i].value = waveValue(state, i, elapsed);
        evaluateAlarm(state, i);
        state.live[i].status = readStatus(state, i); // what a READ reports, for state readers
    }
    advanceMailbox(state, nowMs);
}

void advanceMailbox(GatewayState &state, qint64 nowMs)
{
    const Keys smtp = smtpKeys(state);
    if (!tagFlag(smtp, "ENABLE")) {
        state.mailboxStatus = 0;
        state.mailboxTo = 1;
        state.mailboxRetry = 1;
        return;
    }
    if (state.mailboxStatus == 0) {
        state.mailboxStatus = 3;
        state.mailboxSinceMs = nowMs;
    }
    const qint64 elapsed = nowMs - state.mailboxSinceMs;
    if (state.mailboxCount > 0) {
        if (state.mailboxStatus != 1) {
            state.mailboxStatus = 1;
            state.mailboxTo = 1;
            for (int i = 0; i < 5; ++i) {
                if (!state.recipients[size_t(i)].isEmpty()) {
                    state.mailboxTo = i + 1;
                    break;
                }
            }
            state.mailboxRetry = 1;
            state.mailboxSinceMs = nowMs;
            return;
        }
        if (elapsed < MailSendMs)
            return;
        state.mailboxSinceMs = nowMs;
        if (GatewayState::keyValue(smtp, "SERVER").isEmpty()) {
            // No server to resolve: retry as configured, then give the mail up.
            state.mailboxError = 1;
            if (state.mailboxRetry < std::max(1, int(tagNumber(smtp, "RETRIES")))) {
                ++state.mailboxRetry;
                return;
            }
            --state.mailboxCount;
            state.mailboxStatus = 3;
            return;
        }
        --state.mailboxCount;
        state.mailboxError = 0;
        state.mailboxStatus = 2;
        return;
    }
    if (state.mailboxStatus == 1 || (state.mailboxStatus == 2 && elapsed >= MailSendMs)) {
        state.mailboxStatus = 3;
        state.mailboxSinceMs = nowMs;
    }
}

QByteArray readValueText(const GatewayState &state, int index)
{
    if (!validIndex(state, index))
        return "0";
    return formatValue(tagValueKind(state.protocolFamily(), state.tags.at(index)), state.live.at(index).value);
}

quint16 readStatus(const GatewayState &state, int index)
{
    if (!validIndex(state, index))
        return StatusReadError | ResultNoSuchTag;
    const quint16 base = state.running ? quint16(StatusIdle) : quint16(StatusIdle | ResultNoWork);
    return quint16(base | (state.live.at(index).alarm & 0xF) << 8);
}

QByteArray writeTag(GatewayState &state, int index, const QByteArray &valueText)
{
    syncLive(state);
    if (!validIndex(state, index))
        return "No such Tag";
    const Keys &tag = state.tags.at(index);
    if (tagFlag(tag, "READONLY"))
        return "Tag is Read Only";
    const ValueKind kind = tagValueKind(state.protocolFamily(), tag);
    double value = 0;
    if (!parseValue(kind, valueText, value))
        return "Invalid Value";
    if (kind != Digital && tagFlag(tag, "LIMITS")
        && (value < tagNumber(tag, "WRLO") || value > tagNumber(tag, "WRHI")))
        return "Value out of Limits";
    state.live[index].value = value;
    state.live[index].held = true;
    evaluateAlarm(state, index);
    state.live[index].status = readStatus(state, index);
    return {};
}

QByteArray acknowledgeAlarm(GatewayState &state, int index)
{
    syncLive(state);
    if (!validIndex(state, index))
        return "No such Tag";
    if (!tagFlag(state.tags.at(index), "ALARM"))
        return "Tag has no Alarm";
    if (state.live[index].alarm == 1)
        state.live[index].alarm = 2;
    state.live[index].status = readStatus(state, index);
    return {};
}

} // namespace sim
