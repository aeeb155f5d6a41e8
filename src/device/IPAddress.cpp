#include "device/IPAddress.h"

namespace IPAddress {

QString joinBoxes(const QStringList &boxes, bool acceptOctal)
{
    bool allEmpty = true;
    for (const QString &box : boxes)
        allEmpty = allEmpty && box.trimmed().isEmpty();
    if (allEmpty)
        return {};
    QStringList parts;
    for (int i = 0; i < 4; ++i) {
        const QString box = i < boxes.size() ? boxes.at(i).trimmed() : QString();
        if (box.isEmpty()) {
            parts << QStringLiteral("0");
        } else if (acceptOctal) {
            parts << box;
        } else {
            bool ok = false;
            const int value = box.toInt(&ok, 10);
            parts << (ok ? QString::number(value) : box);
        }
    }
    return parts.join(QLatin1Char('.'));
}

QStringList splitBoxes(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {QString(), QString(), QString(), QString()};
    QStringList parts = text.trimmed().split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts << QString();
    return parts.mid(0, 4);
}

bool isValid(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.size() > 1 && part.at(0) == QLatin1Char('0'))
            return false;
        values[i] = part.toInt();
        if (values[i] > 255)
            return false;
    }
    if (values[0] == 0 || values[0] == 127 || values[0] == 240 || values[0] == 255)
        return false;
    return values[3] != 0 && values[3] != 255;
}

} // namespace IPAddress
