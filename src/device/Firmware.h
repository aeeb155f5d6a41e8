#pragma once

#include <QByteArray>
#include <QtGlobal>

// The firmware versions Kova was built against, per protocol family.
struct FirmwareBounds
{
    QByteArray lowest;
    QByteArray highest;
};

// "2.0.3" (Modbus, Hostlink) or "2.0.5" (DF1) up to "3.0.99".
FirmwareBounds GetFirmwareBounds(quint8 protocolFamily);

// Compares dotted versions number by number ("2.0.10" > "2.0.9"). Each part counts by its
// leading digits, so "2.1.0-TS" reads as 2.1.0; missing parts count as 0.
int CompareVersions(const QByteArray &a, const QByteArray &b);

// False only for a version that reads as a number and lies outside the family's bounds;
// a version without any number (unknown) is not judged.
bool IsFirmwareCompatible(const QByteArray &version, quint8 protocolFamily);
