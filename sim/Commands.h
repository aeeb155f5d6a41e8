#pragma once

#include "GatewayState.h"
#include "Request.h"

// The gateway's answers: one request packet in, one reply packet out, over the gateway's state.
namespace sim {

enum class Script { Admin, App }; // admpost.cgi, apppost.cgi

constexpr int MaxTags = 128;

// The reply to a request that arrived on a script; changes the state as the command says.
// nowMs is the wall-clock time of the request (live values, clock).
QByteArray handleCommand(GatewayState &state, Script script, const Request &request, qint64 nowMs);
// The whole exchange on the packet level: malformed bodies get a NAK too.
QByteArray handleBody(GatewayState &state, Script script, const QByteArray &body, qint64 nowMs);

// SETNET settings come into effect here (the gateway restarts on RESET).
void applyNetwork(GatewayState &state, const Keys &keys);

} // namespace sim
