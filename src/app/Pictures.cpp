#include "app/Pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cstdlib>

namespace app::pictures {

namespace {

const QColor Slate(0x2f, 0x41, 0x5a);
const QColor SlateLight(0x5b, 0x6f, 0x8a);
const QColor Ochre(0xc8, 0x8a, 0x1e);
const QColor OchreLight(0xe3, 0xb8, 0x62);
const QColor Rock(0xa8, 0x9b, 0x8a);
const QColor RockLine(0x8c, 0x7e, 0x6c);
const QColor Drift(0xf1, 0xf2, 0xef);
const QColor Ink(0x24, 0x24, 0x28);
const QColor Green(0x2e, 0x9d, 0x3c);
const QColor GreenDark(0x1d, 0x6b, 0x28);

// One family that a bare Debian has; pixel sizes so the pictures do not follow the screen's dpi.
QFont font(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

QImage blank(QSize size, const QColor& fill = Qt::transparent) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void antialiased(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// The largest pixel size up to `pixels` at which `text` fits in `width`.
QFont fitted(const QString& text, int pixels, bool bold, int width) {
    QFont f = font(pixels, bold);
    while (pixels > 8 && QFontMetrics(f).horizontalAdvance(text) > width)
        f = font(--pixels, bold);
    return f;
}

// An anchor: a barbed wedge pointing up the hole, its barbs biting the rock.
void drawAnchorMark(QPainter& p, QPointF centre, qreal halfWidth, qreal height, const QColor& fill,
                    const QColor& edge) {
    const qreal top = centre.y() - height / 2;
    const qreal bottom = centre.y() + height / 2;
    QPolygonF wedge;
    wedge << QPointF(centre.x(), top) << QPointF(centre.x() + halfWidth, bottom)
          << QPointF(centre.x(), bottom - height * 0.4) << QPointF(centre.x() - halfWidth, bottom);
    p.setPen(QPen(edge, 1.2));
    p.setBrush(fill);
    p.drawPolygon(wedge);
}

} // namespace

QImage logo() {
    QImage image = blank(QSize(600, 200), Qt::white);
    QPainter p(&image);
    antialiased(p);

    // The emblem: a round window on rock strata with a borehole and three anchors in it.
    const QRectF disc(24, 20, 160, 160);
    QPainterPath clip;
    clip.addEllipse(disc);
    p.save();
    p.setClipPath(clip);
    // Slightly dipping strata read as rock rather than a flag.
    p.save();
    p.translate(disc.center());
    p.rotate(-7);
    const QColor bands[] = {SlateLight, Slate, OchreLight, SlateLight, Slate, Ochre, Slate};
    const qreal bandHeight = (disc.height() + 40) / std::size(bands);
    for (std::size_t i = 0; i < std::size(bands); ++i)
        p.fillRect(QRectF(-120, -100 + i * bandHeight, 240, bandHeight + 1), bands[i]);
    p.restore();
    const qreal axis = disc.center().x();
    const QRectF hole(axis - 9, disc.top() + 22, 18, disc.height());
    p.setBrush(Qt::white);
    p.drawRoundedRect(hole, 9, 9);
    p.setPen(QPen(Slate, 3));
    p.drawLine(QPointF(axis, hole.top() + 14), QPointF(axis, disc.bottom()));
    for (qreal y : {disc.top() + 40, disc.top() + 80, disc.top() + 120})
        drawAnchorMark(p, QPointF(axis, y), 14, 14, Ochre, Slate);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Slate, 6));
    p.drawEllipse(disc.adjusted(3, 3, -3, -3));

    // The words, fitted to the room on the right whatever the font's metrics.
    const int left = 212;
    const int room = image.width() - left - 20;
    const QString maker = QStringLiteral("VORNHALD");
    const QFont makerFont = fitted(maker, 72, true, room);
    p.setFont(makerFont);
    p.setPen(Slate);
    p.drawText(left, 108, maker);
    const int makerWidth = QFontMetrics(makerFont).horizontalAdvance(maker);
    p.fillRect(QRectF(left + 2, 122, makerWidth - 4, 4), Ochre);
    const QString product = QStringLiteral("Tolvane \u00b7 borehole extensometers");
    p.setFont(fitted(product, 24, false, room));
    p.setPen(SlateLight);
    p.drawText(left + 2, 156, product);
    return image;
}

QImage alive() {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    p.setPen(QPen(GreenDark, 1.5));
    p.setBrush(Green);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QPainterPath check;
    check.moveTo(9, 16.5);
    check.lineTo(14, 21.5);
    check.lineTo(23, 10.5);
    p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(check);
    return image;
}

QImage dead() {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    p.setPen(QPen(QColor(0x5a, 0x5a, 0x5a), 1.5));
    p.setBrush(QColor(0x9a, 0x9a, 0x9a));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(QColor(0x9b, 0x1c, 0x1c), 3.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(22, 22));
    p.drawLine(QPointF(22, 10), QPointF(10, 22));
    return image;
}

QImage borehole(Head head, QSize size, const BoreholeRows& rows) {
    QImage image = blank(size, Drift);
    if (size.isEmpty()) return image;
    QPainter p(&image);
    antialiased(p);
    const int w = size.width();
    const int h = size.height();
    const qreal axis = w / 3.0;
    const qreal roof = rows.roof;

    // Rock above the roof, with faint dipping strata.
    p.fillRect(QRectF(0, 0, w, roof), Rock);
    p.save();
    p.setClipRect(QRectF(0, 0, w, roof));
    p.setPen(QPen(RockLine, 1));
    for (qreal y = roof - 18; y > -w; y -= 26)
        p.drawLine(QPointF(0, y), QPointF(w, y - w * 0.12));
    p.restore();

    // Marks outside the picture are not drawn: the caller leaves unused rows at 0.
    const auto inside = [h](int y) { return y > 0 && y < h; };
    int highest = inside(rows.head) ? rows.head : h;
    int farthest = rows.head; // the anchor farthest from the head, for the rod's length
    for (int y : rows.anchors) {
        if (!inside(y)) continue;
        highest = std::min(highest, y);
        if (std::abs(y - rows.head) > std::abs(farthest - rows.head)) farthest = y;
    }

    const qreal holeHalf = 7;
    const qreal holeTop = std::max<qreal>(2, std::min<qreal>(highest, roof) - 16);
    const QRectF hole(axis - holeHalf, holeTop, 2 * holeHalf, roof - holeTop);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf6, 0xf1, 0xe7));
    p.drawRect(hole);
    p.setPen(QPen(RockLine.darker(150), 1.2));
    p.drawLine(hole.topLeft(), hole.bottomLeft());
    p.drawLine(hole.topRight(), hole.bottomRight());
    p.drawLine(hole.topLeft(), hole.topRight());

    // The roof line: the drift's roof and the collar of the hole.
    p.setPen(QPen(Ink, 2));
    p.drawLine(QPointF(0, roof), QPointF(hole.left(), roof));
    p.drawLine(QPointF(hole.right(), roof), QPointF(w, roof));

    // Rods from the head to every anchor run along the axis.
    if (inside(rows.head) && farthest != rows.head) {
        p.setPen(QPen(Ink, 1.4));
        p.drawLine(QPointF(axis, rows.head), QPointF(axis, farthest));
    }

    QPen leader(QColor(0x30, 0x30, 0x36), 1, Qt::DashLine);
    leader.setDashPattern({3, 3});
    p.setFont(font(11, true));
    const QFontMetrics metrics(p.font());
    for (std::size_t i = 0; i < rows.anchors.size(); ++i) {
        const int y = rows.anchors[i];
        if (!inside(y)) continue;
        drawAnchorMark(p, QPointF(axis, y), holeHalf + 3, 10, Ochre, Ink);
        p.setPen(leader);
        p.drawLine(QPointF(axis + holeHalf + 5, y), QPointF(w, y));
        p.setPen(Ink);
        const QRectF label(0, y - metrics.height() / 2.0, hole.left() - 6, metrics.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(i + 1));
    }

    if (inside(rows.head)) {
        const QRectF box(axis - 13, rows.head - 8, 26, 16);
        p.setPen(QPen(Ink, 1));
        p.setBrush(Slate);
        p.drawRect(box);
        p.setPen(leader);
        p.drawLine(QPointF(box.right() + 1, rows.head), QPointF(w, rows.head));
        p.setPen(Ink);
        p.setFont(font(11));
        const QRectF label(0, rows.head - 8, box.left() - 3, 16);
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Head"));
    }

    // Where the head is reads from the captions: the head's end in bold.
    const QFont plain = font(10);
    const QFont strong = font(10, true);
    p.setPen(Ink);
    p.setFont(head == Head::Collar ? strong : plain);
    p.drawText(QRectF(hole.right() + 4, roof + 3, w - hole.right() - 4, 14),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("collar"));
    p.setFont(head == Head::Toe ? strong : plain);
    const qreal toeBottom = std::max<qreal>(hole.top() - 1, 13);
    p.drawText(QRectF(axis - 30, toeBottom - 13, 60, 13), Qt::AlignHCenter | Qt::AlignBottom,
               QStringLiteral("toe"));
    return image;
}

QImage plusIcon() {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    QPainterPath plus;
    plus.setFillRule(Qt::WindingFill);
    plus.addRoundedRect(QRectF(12, 4, 8, 24), 1.5, 1.5);
    plus.addRoundedRect(QRectF(4, 12, 24, 8), 1.5, 1.5);
    p.setPen(QPen(GreenDark, 1.5));
    p.setBrush(Green);
    p.drawPath(plus.simplified());
    return image;
}

QImage globeIcon() {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    const QRectF ball(3, 3, 26, 26);
    p.setPen(QPen(Slate, 1.5));
    p.setBrush(QColor(0x4a, 0x90, 0xd9));
    p.drawEllipse(ball);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1.2));
    p.drawEllipse(QRectF(10, 3, 12, 26));
    p.drawLine(QPointF(16, 3), QPointF(16, 29));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(5.5, 9.5), QPointF(26.5, 9.5));
    p.drawLine(QPointF(5.5, 22.5), QPointF(26.5, 22.5));
    return image;
}

QImage databaseIcon() {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    p.setPen(QPen(Slate, 1.5));
    // Three stacked discs: the usual picture of a database file.
    for (int i = 2; i >= 0; --i) {
        const qreal top = 5 + i * 7;
        QPainterPath drum;
        drum.moveTo(5, top + 4);
        drum.lineTo(5, top + 11);
        drum.arcTo(QRectF(5, top + 7, 22, 8), 180, 180);
        drum.lineTo(27, top + 4);
        drum.closeSubpath();
        p.setBrush(i == 0 ? OchreLight : Ochre);
        p.drawPath(drum);
        p.drawEllipse(QRectF(5, top, 22, 8));
    }
    return image;
}

QImage filterIcon(bool remove) {
    QImage image = blank(QSize(32, 32));
    QPainter p(&image);
    antialiased(p);
    QPolygonF funnel;
    funnel << QPointF(4, 5) << QPointF(28, 5) << QPointF(18.5, 16) << QPointF(18.5, 25)
           << QPointF(13.5, 28) << QPointF(13.5, 16);
    p.setPen(QPen(QColor(0x17, 0x3f, 0x8a), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(QColor(0x3b, 0x78, 0xd8));
    p.drawPolygon(funnel);
    if (remove) {
        // A white halo keeps the cross readable where it crosses the funnel.
        const QLineF a(QPointF(17, 17), QPointF(28, 28));
        const QLineF b(QPointF(28, 17), QPointF(17, 28));
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a);
        p.drawLine(b);
        p.setPen(QPen(QColor(0xd0, 0x1e, 0x1e), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a);
        p.drawLine(b);
    }
    return image;
}

QImage tickBox(bool ticked) {
    QImage image = blank(QSize(16, 16));
    QPainter p(&image);
    p.setPen(QPen(Ink, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    if (ticked) {
        antialiased(p);
        QPainterPath check;
        check.moveTo(4, 8);
        check.lineTo(7, 11);
        check.lineTo(12, 4.5);
        p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(check);
    }
    return image;
}

} // namespace app::pictures
