#include "app/ui/KovaIcons.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

const QColor kBlue(0x1f, 0x5f, 0xa8);
const QColor kGreen(0x2e, 0x8b, 0x3e);
const QColor kRed(0xc0, 0x39, 0x2b);
const QColor kAmber(0xe0, 0x9b, 0x1a);
const QColor kGrey(0x55, 0x5d, 0x66);

using Painter = std::function<void(QPainter &)>;

// Draws on a 16x16 grid scaled to each size the icon is asked for.
QIcon drawn(const Painter &draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void page(QPainter &p, const QColor &fold = kGrey)
{
    QPainterPath path;
    path.moveTo(3, 1);
    path.lineTo(10, 1);
    path.lineTo(13, 4);
    path.lineTo(13, 15);
    path.lineTo(3, 15);
    path.closeSubpath();
    p.setPen(QPen(kGrey, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(fold);
    p.drawPolygon(QPolygonF({QPointF(10, 1), QPointF(10, 4), QPointF(13, 4)}));
}

void tag(QPainter &p)
{
    QPainterPath path;
    path.moveTo(1, 6);
    path.lineTo(5, 2);
    path.lineTo(12, 2);
    path.lineTo(12, 10);
    path.lineTo(5, 10);
    path.closeSubpath();
    p.setPen(QPen(kGrey, 0.8));
    p.setBrush(kAmber);
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(4.5, 6), 1.1, 1.1);
}

// A sheet of rows and columns: a tag table as a file.
void table(QPainter &p)
{
    p.setPen(QPen(kGrey, 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1, 2, 12, 11));
    p.setBrush(kAmber);
    p.drawRect(QRectF(1, 2, 12, 2.5));
    p.setPen(QPen(kGrey, 0.5));
    for (qreal y : {7.0, 9.5})
        p.drawLine(QPointF(1, y), QPointF(13, y));
    p.drawLine(QPointF(5, 4.5), QPointF(5, 13));
}

void globe(QPainter &p)
{
    p.setPen(QPen(kBlue, 0.9));
    p.setBrush(QColor(0xd6, 0xe8, 0xfa));
    p.drawEllipse(QPointF(7, 8), 5.5, 5.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 8), 2.4, 5.5);
    p.drawLine(QPointF(1.5, 8), QPointF(12.5, 8));
}

// A small badge in the lower right corner: plus, cross, arrow...
void badge(QPainter &p, const QColor &color, const Painter &mark)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(12, 12), 3.8, 3.8);
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    mark(p);
}

void plus(QPainter &p) { p.drawLine(QPointF(10, 12), QPointF(14, 12)); p.drawLine(QPointF(12, 10), QPointF(12, 14)); }
void cross(QPainter &p) { p.drawLine(QPointF(10.5, 10.5), QPointF(13.5, 13.5)); p.drawLine(QPointF(13.5, 10.5), QPointF(10.5, 13.5)); }
void pencil(QPainter &p) { p.drawLine(QPointF(10.3, 13.7), QPointF(13.7, 10.3)); }
void up(QPainter &p) { p.drawLine(QPointF(12, 14), QPointF(12, 10)); p.drawLine(QPointF(10.4, 11.6), QPointF(12, 10)); p.drawLine(QPointF(13.6, 11.6), QPointF(12, 10)); }
void down(QPainter &p) { p.drawLine(QPointF(12, 10), QPointF(12, 14)); p.drawLine(QPointF(10.4, 12.4), QPointF(12, 14)); p.drawLine(QPointF(13.6, 12.4), QPointF(12, 14)); }
// Two arrows, one each way: the document against the gateway.
void both(QPainter &p) { p.drawLine(QPointF(10, 11), QPointF(14, 11)); p.drawLine(QPointF(12.6, 9.8), QPointF(14, 11)); p.drawLine(QPointF(10, 13.2), QPointF(14, 13.2)); p.drawLine(QPointF(11.4, 14.4), QPointF(10, 13.2)); }
void eye(QPainter &p) { p.drawPoint(QPointF(12, 12)); p.drawEllipse(QPointF(12, 12), 1.8, 1.0); }

void gateway(QPainter &p)
{
    p.setPen(QPen(kGrey, 0.8));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1, 4, 12, 7), 1.5, 1.5);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(3.5, 7.5), 1, 1);
    p.setBrush(kAmber);
    p.drawEllipse(QPointF(6.5, 7.5), 1, 1);
}

void plug(QPainter &p, bool joined)
{
    p.setPen(QPen(kGrey, 1.2, Qt::SolidLine, Qt::RoundCap));
    const qreal gap = joined ? 0 : 2.5;
    p.drawLine(QPointF(1, 8), QPointF(4, 8));
    p.drawLine(QPointF(12, 8), QPointF(15, 8));
    p.setPen(QPen(kGrey, 0.8));
    p.setBrush(joined ? kGreen : kRed);
    p.drawRoundedRect(QRectF(4, 5, 4 - gap / 2, 6), 1, 1);
    p.drawRoundedRect(QRectF(8 + gap / 2, 5, 4 - gap / 2, 6), 1, 1);
    p.setPen(QPen(kGrey, 1));
    p.drawLine(QPointF(8 + gap / 2, 6.5), QPointF(7 - gap / 2, 6.5));
    p.drawLine(QPointF(8 + gap / 2, 9.5), QPointF(7 - gap / 2, 9.5));
}

} // namespace

QIcon KovaIcons::action(const QString &name)
{
    static const QHash<QString, Painter> painters = {
        {QStringLiteral("FileNew"), [](QPainter &p) { page(p); badge(p, kGreen, plus); }},
        {QStringLiteral("FileOpen"),
         [](QPainter &p) {
             p.setPen(QPen(kGrey, 0.8));
             p.setBrush(kAmber);
             p.drawRect(QRectF(1, 4, 13, 10));
             p.setBrush(QColor(0xf6, 0xc8, 0x5f));
             p.drawPolygon(QPolygonF({QPointF(3, 7), QPointF(15, 7), QPointF(13, 14), QPointF(1, 14)}));
         }},
        {QStringLiteral("FileSave"),
         [](QPainter &p) {
             p.setPen(QPen(kGrey, 0.8));
             p.setBrush(kBlue);
             p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4, 2, 8, 5));
             p.setBrush(QColor(0xcc, 0xcc, 0xcc));
             p.drawRect(QRectF(4.5, 9.5, 7, 5));
         }},
        {QStringLiteral("DevicesSearchLocal"),
         [](QPainter &p) {
             p.setPen(QPen(kGrey, 1.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
             p.setPen(QPen(kGrey, 1));
             p.setBrush(QColor(0xd6, 0xe8, 0xfa));
             p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
         }},
        {QStringLiteral("DevicesProperties"),
         [](QPainter &p) { gateway(p); badge(p, kGrey, pencil); }},
        {QStringLiteral("ConfigurationAddTag"), [](QPainter &p) { tag(p); badge(p, kGreen, plus); }},
        {QStringLiteral("ConfigurationEditTag"), [](QPainter &p) { tag(p); badge(p, kBlue, pencil); }},
        {QStringLiteral("ConfigurationRemoveTag"), [](QPainter &p) { tag(p); badge(p, kRed, cross); }},
        {QStringLiteral("ConfigurationExportTags"), [](QPainter &p) { table(p); badge(p, kBlue, up); }},
        {QStringLiteral("ConfigurationImportTags"), [](QPainter &p) { table(p); badge(p, kGreen, down); }},
        {QStringLiteral("ConfigurationSendToOrvan"), [](QPainter &p) { page(p, kAmber); badge(p, kBlue, up); }},
        {QStringLiteral("ConfigurationGetFromOrvan"), [](QPainter &p) { page(p, kAmber); badge(p, kGreen, down); }},
        {QStringLiteral("ConfigurationCompareWithOrvan"), [](QPainter &p) { page(p, kAmber); badge(p, kAmber, both); }},
        {QStringLiteral("WebSiteAddFile"), [](QPainter &p) { globe(p); badge(p, kGreen, plus); }},
        {QStringLiteral("WebSiteExtractFile"), [](QPainter &p) { globe(p); badge(p, kAmber, down); }},
        {QStringLiteral("WebSiteViewFile"), [](QPainter &p) { globe(p); badge(p, kGrey, eye); }},
        {QStringLiteral("WebSiteRemoveFile"), [](QPainter &p) { globe(p); badge(p, kRed, cross); }},
        {QStringLiteral("WebSiteSendToOrvan"), [](QPainter &p) { globe(p); badge(p, kBlue, up); }},
        {QStringLiteral("WebSiteGetFromOrvan"), [](QPainter &p) { globe(p); badge(p, kGreen, down); }},
    };
    const auto it = painters.constFind(name);
    return it == painters.constEnd() ? QIcon() : drawn(*it);
}

QIcon KovaIcons::connect(bool connected)
{
    return drawn([connected](QPainter &p) { plug(p, connected); });
}

QIcon KovaIcons::documentKind(int kind)
{
    static const char *letters[] = {"MB", "HL", "DF1", ""};
    return drawn([kind](QPainter &p) {
        if (kind == 3) {
            globe(p);
            return;
        }
        page(p, kAmber);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(4);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kBlue);
        p.drawText(QRectF(3, 7, 10, 6), Qt::AlignCenter, QString::fromLatin1(letters[kind % 4]));
    });
}

QPixmap KovaIcons::logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    gateway(p);
    p.setPen(QPen(kBlue, 0.7));
    p.setBrush(Qt::NoBrush);
    for (qreal r : {2.0, 3.5})
        p.drawArc(QRectF(13 - r, 3 - r, 2 * r, 2 * r), 180 * 16, -90 * 16);
    return pixmap;
}

QPixmap KovaIcons::splash()
{
    QPixmap pixmap(400, 300);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(0x12, 0x3e, 0x72));
    sky.setColorAt(1, QColor(0x2b, 0x76, 0xc4));
    p.fillRect(pixmap.rect(), sky);
    p.drawPixmap(24, 40, logo(112));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(38);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(150, 48, 240, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Orvan-TS"));
    font.setPixelSize(20);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRect(152, 98, 240, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Configuration"));
    p.drawText(QRect(152, 124, 240, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Manager"));
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(0xd6, 0xe8, 0xfa));
    p.drawText(QRect(24, 230, 352, 20), Qt::AlignLeft, QStringLiteral("Kova - Version 3.0.3"));
    p.drawText(QRect(24, 252, 352, 20), Qt::AlignLeft, QStringLiteral("Loading..."));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}
