#include "device/Firmware.h"

#include "base/DeviceData.h"

#include <QList>

namespace {

QList<qint64> versionParts(const QByteArray &version)
{
    QList<qint64> parts;
    for (const QByteArray &piece : version.trimmed().split('.')) {
        qint64 value = 0;
        for (qsizetype i = 0; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i)
            value = qMin<qint64>(value * 10 + (piece[i] - '0'), 1'000'000'000);
        parts.append(value);
    }
    return parts;
}

} // namespace

FirmwareBounds GetFirmwareBounds(quint8 protocolFamily)
{
    return {protocolFamily == FamilyDF1 ? QByteArray("2.0.5") : QByteArray("2.0.3"), QByteArray("3.0.99")};
}

int CompareVersions(const QByteArray &a, const QByteArray &b)
{
    const QList<qint64> left = versionParts(a);
    const QList<qint64> right = versionParts(b);
    for (qsizetype i = 0; i < qMax(left.size(), right.size()); ++i) {
        const qint64 l = i < left.size() ? left[i] : 0;
        const qint64 r = i < right.size() ? right[i] : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
}

bool IsFirmwareCompatible(const QByteArray &version, quint8 protocolFamily)
{
    const QByteArray text = version.trimmed();
    if (text.isEmpty() || text[0] < '0' || text[0] > '9')
        return true;
    const FirmwareBounds bounds = GetFirmwareBounds(protocolFamily);
    return CompareVersions(text, bounds.lowest) >= 0 && CompareVersions(text, bounds.highest) <= 0;
}
