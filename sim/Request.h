#pragma once

#include "GatewayState.h"

#include <optional>

// One request packet taken apart, and reply packets put together.
namespace sim {

struct Request
{
    QByteArray command;
    Keys keys; // unescaped values, in the order they came
};

// COMMAND(KEY=value,...,); with the trailing comma optional. nullopt when the text is not a
// packet: no "(", no ");" at the end, an empty or non-alphanumeric command, a parameter without "=".
std::optional<Request> parseRequest(const QByteArray &body);
// Reads the KEY=value,... part of a packet (also the gateways file's key lists).
std::optional<Keys> parseKeyList(const QByteArray &text);

QByteArray buildPacket(const QByteArray &command, const Keys &keys = {});
QByteArray nak(const QByteArray &reason);

} // namespace sim
