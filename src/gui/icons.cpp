#include "gui/icons.h"

#include "model/item.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace kestro::gui {

namespace {

// Every picture is drawn on a 16 by 16 grid and rendered at two scales.
using Drawing = void (*)(QPainter&);

QIcon Render(Drawing draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen Outline(const QColor& colour, qreal width = 1.0)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A sheet of paper with a folded corner, the base of every file picture.
void Page(QPainter& p, const QColor& fill = Qt::white, Qt::PenStyle style = Qt::SolidLine, qreal left = 2.5)
{
    QPainterPath path;
    path.moveTo(left, 1.5);
    path.lineTo(left + 6.5, 1.5);
    path.lineTo(left + 10, 5);
    path.lineTo(left + 10, 14.5);
    path.lineTo(left, 14.5);
    path.closeSubpath();
    QPen pen = Outline(QColor(70, 70, 70));
    pen.setStyle(style);
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(left + 6.5, 1.5), QPointF(left + 6.5, 5), QPointF(left + 10, 5)}));
}

void TextLines(QPainter& p, qreal left = 4.5, qreal right = 10.5)
{
    p.setPen(Outline(QColor(150, 150, 150)));
    for (const qreal y : {7.0, 9.0, 11.0})
        p.drawLine(QPointF(left, y), QPointF(right, y));
}

// A round badge in the lower right corner that carries a file's state.
void Badge(QPainter& p, const QColor& colour)
{
    p.setPen(Outline(colour.darker(140)));
    p.setBrush(colour);
    p.drawEllipse(QRectF(8, 8, 7.5, 7.5));
}

void Padlock(QPainter& p, qreal x, qreal y)
{
    p.setPen(Outline(QColor(120, 0, 0), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x + 1.2, y, 4.6, 5.5), 0, 180 * 16);
    p.drawLine(QPointF(x + 1.2, y + 2.7), QPointF(x + 1.2, y + 3.6));
    p.drawLine(QPointF(x + 5.8, y + 2.7), QPointF(x + 5.8, y + 3.6));
    p.setPen(Outline(QColor(120, 0, 0)));
    p.setBrush(QColor(220, 30, 30));
    p.drawRect(QRectF(x, y + 3.5, 7, 4.5));
}

void Drum(QPainter& p, qreal x, qreal y, const QColor& colour)
{
    p.setPen(Outline(colour.darker(150)));
    p.setBrush(colour);
    QPainterPath body;
    body.moveTo(x, y + 1.5);
    body.lineTo(x, y + 6.5);
    body.arcTo(QRectF(x, y + 5, 7, 3), 180, 180);
    body.lineTo(x + 7, y + 1.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(colour.lighter(130));
    p.drawEllipse(QRectF(x, y, 7, 3));
}

void Circle(QPainter& p, const QColor& colour, const QRectF& box = QRectF(3, 3, 10, 10))
{
    p.setPen(Outline(colour.darker(150)));
    p.setBrush(colour);
    p.drawEllipse(box);
}

void UpTriangle(QPainter& p, const QColor& colour)
{
    p.setPen(Outline(colour.darker(150)));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
}

void Tag(QPainter& p, const QRectF& box, const QColor& colour)
{
    const qreal point = box.height() / 2;
    QPainterPath tag;
    tag.moveTo(box.left(), box.top() + point);
    tag.lineTo(box.left() + point, box.top());
    tag.lineTo(box.right(), box.top());
    tag.lineTo(box.right(), box.bottom());
    tag.lineTo(box.left() + point, box.bottom());
    tag.closeSubpath();
    p.setPen(Outline(colour.darker(170)));
    p.setBrush(colour);
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(box.left() + point + 0.8, box.top() + point), 1.0, 1.0);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.setPen(Outline(colour, 2.2));
    p.drawLine(from, to);
    const QPointF direction = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF side(-direction.y(), direction.x());
    p.setPen(Outline(colour));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to + direction * 2.5, to - direction * 1.5 + side * 3, to - direction * 1.5 - side * 3}));
}

// Status images, indexed by status code.

void ProjectImage(QPainter& p)
{
    p.setPen(Outline(QColor(20, 50, 120)));
    p.setBrush(QColor(60, 110, 210));
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 10), 1.5, 1.5);
    p.setBrush(QColor(110, 160, 240));
    p.drawRoundedRect(QRectF(1.5, 2.5, 6, 3), 1, 1);
}

void NewFileImage(QPainter& p)
{
    Page(p);
    Badge(p, QColor(40, 170, 60));
    p.setPen(Outline(Qt::white, 1.4));
    p.drawLine(QPointF(11.75, 9.6), QPointF(11.75, 13.9));
    p.drawLine(QPointF(9.6, 11.75), QPointF(13.9, 11.75));
}

void MissingFileImage(QPainter& p)
{
    Page(p, QColor(235, 235, 235), Qt::DotLine);
    p.setPen(Outline(QColor(210, 20, 20), 2.2));
    p.drawLine(QPointF(4, 5), QPointF(12, 13));
    p.drawLine(QPointF(12, 5), QPointF(4, 13));
}

void OnlyInRcsImage(QPainter& p)
{
    Page(p, QColor(225, 225, 235), Qt::DashLine, 1.5);
    Drum(p, 7.5, 6.5, QColor(140, 80, 200));
}

void ModifiedImage(QPainter& p)
{
    Page(p);
    TextLines(p, 4.5, 8.5);
    p.setPen(Outline(QColor(150, 80, 0)));
    p.setBrush(QColor(255, 150, 20));
    p.drawPolygon(QPolygonF({QPointF(14.5, 6), QPointF(15.5, 7.2), QPointF(9, 14), QPointF(7, 15), QPointF(7.8, 12.8)}));
}

void CheckedInImage(QPainter& p)
{
    Page(p);
    p.setPen(Outline(QColor(20, 150, 40), 2.4));
    p.drawPolyline(QPolygonF({QPointF(4.5, 9), QPointF(7.2, 12), QPointF(12, 5.5)}));
}

void ReleaseRevisionImage(QPainter& p)
{
    p.setPen(Outline(QColor(0, 90, 90)));
    p.setBrush(QColor(0, 170, 170));
    p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(14.5, 8), QPointF(8, 14.5), QPointF(1.5, 8)}));
}

void LockedRevisionImage(QPainter& p)
{
    Circle(p, QColor(60, 110, 210), QRectF(1, 1, 10, 10));
    Padlock(p, 8, 7);
}

void RevisionImage(QPainter& p)
{
    Circle(p, QColor(60, 110, 210));
}

void LockedTipImage(QPainter& p)
{
    p.save();
    p.translate(-1.5, -1.5);
    p.scale(0.8, 0.8);
    UpTriangle(p, QColor(40, 170, 60));
    p.restore();
    Padlock(p, 8, 7);
}

void TipImage(QPainter& p)
{
    UpTriangle(p, QColor(40, 170, 60));
}

void ReleaseImage(QPainter& p)
{
    Tag(p, QRectF(1.5, 3.5, 13, 9), QColor(235, 185, 30));
}

void ReleaseRootImage(QPainter& p)
{
    p.setPen(Outline(QColor(90, 50, 10)));
    p.setBrush(QColor(160, 100, 40));
    p.drawRect(QRectF(1.5, 7.5, 13, 7));
    Tag(p, QRectF(2.5, 1.5, 9, 5), QColor(235, 185, 30));
    Tag(p, QRectF(5.5, 4.5, 9, 5), QColor(235, 185, 30));
}

// Toolbar pictures.

void NewPicture(QPainter& p)
{
    Page(p);
    p.setPen(Outline(QColor(200, 150, 0)));
    p.setBrush(QColor(255, 215, 0));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 ? 1.6 : 3.6;
        const qreal angle = i * 3.14159265 / 5 - 3.14159265 / 2;
        star << QPointF(11.5 + radius * std::cos(angle), 4.5 + radius * std::sin(angle));
    }
    p.drawPolygon(star);
}

void OpenPicture(QPainter& p)
{
    p.setPen(Outline(QColor(140, 100, 0)));
    p.setBrush(QColor(230, 180, 50));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(13, 5), QPointF(13, 13.5),
                             QPointF(1.5, 13.5)}));
    p.setBrush(QColor(255, 215, 100));
    p.drawPolygon(QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13, 13.5)}));
}

void SavePicture(QPainter& p)
{
    p.setPen(Outline(QColor(20, 40, 100)));
    p.setBrush(QColor(60, 90, 180));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void CutPicture(QPainter& p)
{
    p.setPen(Outline(QColor(60, 60, 60), 1.3));
    p.drawLine(QPointF(5, 1.5), QPointF(10.5, 11));
    p.drawLine(QPointF(11, 1.5), QPointF(5.5, 11));
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(200, 30, 30), 1.4));
    p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void CopyPicture(QPainter& p)
{
    p.save();
    p.translate(-1.5, -1);
    p.scale(0.8, 0.8);
    Page(p);
    p.restore();
    p.save();
    p.translate(3, 2.5);
    p.scale(0.8, 0.8);
    Page(p);
    p.restore();
}

void PastePicture(QPainter& p)
{
    p.setPen(Outline(QColor(90, 50, 10)));
    p.setBrush(QColor(180, 120, 50));
    p.drawRoundedRect(QRectF(2, 2.5, 10, 12), 1, 1);
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(4.5, 1.5, 5, 2.5));
    p.save();
    p.translate(6, 5);
    p.scale(0.65, 0.65);
    Page(p);
    p.restore();
}

void InsertPicture(QPainter& p)
{
    NewFileImage(p);
}

void DeletePicture(QPainter& p)
{
    p.setPen(Outline(QColor(200, 20, 20), 2.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void CheckinPicture(QPainter& p)
{
    Drum(p, 4.5, 8, QColor(140, 80, 200));
    Arrow(p, QPointF(8, 1), QPointF(8, 5.5), QColor(20, 150, 40));
}

void CheckoutPicture(QPainter& p)
{
    Drum(p, 4.5, 8, QColor(140, 80, 200));
    Arrow(p, QPointF(8, 7), QPointF(8, 2.5), QColor(30, 90, 200));
}

void ComparePicture(QPainter& p)
{
    p.save();
    p.translate(-1.8, 0);
    p.scale(0.75, 1);
    Page(p);
    p.restore();
    p.save();
    p.translate(6.5, 0);
    p.scale(0.75, 1);
    Page(p);
    p.restore();
    p.setPen(Outline(QColor(200, 30, 30), 1.4));
    p.drawLine(QPointF(1.5, 8), QPointF(5, 8));
    p.setPen(Outline(QColor(20, 150, 40), 1.4));
    p.drawLine(QPointF(9.5, 10), QPointF(13, 10));
}

void ReportPicture(QPainter& p)
{
    Page(p);
    TextLines(p);
    p.setPen(Outline(QColor(150, 150, 150)));
    p.drawLine(QPointF(4.5, 13), QPointF(8.5, 13));
}

void FreezePicture(QPainter& p)
{
    p.setPen(Outline(QColor(30, 140, 210), 1.5));
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(8, 8);
        p.rotate(60.0 * i);
        p.drawLine(QPointF(0, -6.5), QPointF(0, 6.5));
        for (const qreal end : {-6.5, 6.5}) {
            const qreal sign = end < 0 ? -1 : 1;
            p.drawLine(QPointF(0, end * 0.6), QPointF(-2, end * 0.6 + sign * 2));
            p.drawLine(QPointF(0, end * 0.6), QPointF(2, end * 0.6 + sign * 2));
        }
        p.restore();
    }
}

void LockedPicture(QPainter& p)
{
    p.save();
    p.translate(1, 0.5);
    p.scale(2, 1.85);
    Padlock(p, 0, 0);
    p.restore();
}

void OutputPicture(QPainter& p)
{
    p.setPen(Outline(QColor(40, 40, 40)));
    p.setBrush(QColor(30, 30, 30));
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1, 1);
    p.setPen(Outline(QColor(80, 220, 80), 1.2));
    p.drawPolyline(QPolygonF({QPointF(3.5, 5.5), QPointF(5.5, 7.5), QPointF(3.5, 9.5)}));
    p.drawLine(QPointF(7, 10.5), QPointF(11, 10.5));
}

void AboutPicture(QPainter& p)
{
    Circle(p, QColor(40, 100, 200), QRectF(1.5, 1.5, 13, 13));
    p.setPen(Outline(Qt::white, 2));
    p.drawLine(QPointF(8, 7), QPointF(8, 11.5));
    p.drawPoint(QPointF(8, 4.5));
}

} // namespace

QIcon StatusIcon(int statusCode)
{
    static const std::array<Drawing, 13> drawings = {
        ProjectImage,        NewFileImage,   MissingFileImage, OnlyInRcsImage, ModifiedImage,
        CheckedInImage,      ReleaseRevisionImage, LockedRevisionImage, RevisionImage, LockedTipImage,
        TipImage,            ReleaseImage,   ReleaseRootImage,
    };
    if (statusCode < 0 || statusCode >= static_cast<int>(drawings.size()))
        statusCode = RootItem;
    return Render(drawings[static_cast<std::size_t>(statusCode)]);
}

QIcon ToolbarIcon(ToolbarPicture picture)
{
    static const Drawing drawings[] = {
        NewPicture,     OpenPicture,   SavePicture,    CutPicture,    CopyPicture,   PastePicture,
        InsertPicture,  DeletePicture, CheckinPicture, CheckoutPicture, ComparePicture, ReportPicture,
        FreezePicture,  LockedPicture, OutputPicture,  AboutPicture,
    };
    return Render(drawings[static_cast<int>(picture)]);
}

} // namespace kestro::gui
