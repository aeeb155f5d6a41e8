#pragma once

#include <QString>
#include <QStringList>

// Dotted IPv4 texts as the address fields read and write them.
namespace IPAddress {

// Four boxes read as one text: empty when all are empty; otherwise an empty box reads
// "0" and each box is written as its decimal value (leading zeros dropped) unless
// acceptOctal keeps the boxes' text as typed.
QString joinBoxes(const QStringList &boxes, bool acceptOctal = false);

// A dotted text split into four boxes; an empty text gives four empty boxes.
QStringList splitBoxes(const QString &text);

// Four parts of 1-3 decimal digits, no leading zero, each 0-255; first part not 0, 127,
// 240 or 255; last part not 0 or 255.
bool isValid(const QString &text);

inline const QString Any = QStringLiteral("0.0.0.0");

} // namespace IPAddress
