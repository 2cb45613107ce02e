// Paints the preview circle from its shape model.
#include "qt/ShapeWidget.h"

#include <QPainter>
#include <algorithm>

#include "qt/Colors.h"

namespace qt {

Qt::BrushStyle BrushStyleFor(int fillStyle) {
    static constexpr Qt::BrushStyle kStyles[8] = {
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return (fillStyle >= 0 && fillStyle < 8) ? kStyles[fillStyle] : Qt::NoBrush;
}

ShapeWidget::ShapeWidget(const ui::Shape& model, QWidget* parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
}

QPen ShapeWidget::LinePen() const {
    QColor color = ToQColor(model_.BorderColor());
    QPen pen(color.isValid() ? color : QColor(Qt::black));
    pen.setWidth(std::max(model_.BorderWidth(), 1));
    return pen;
}

QBrush ShapeWidget::FillBrush() const {
    Qt::BrushStyle style = BrushStyleFor(model_.FillStyle());
    QColor color = ToQColor(model_.FillColor());
    if (style == Qt::NoBrush || !color.isValid()) return QBrush(Qt::NoBrush);
    return QBrush(color, style);
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen = LinePen();
    // The circle fits the shorter side, centred, with the whole line inside the widget.
    int diameter = std::min(width(), height()) - pen.width();
    if (diameter <= 0) return;
    QRectF circle((width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter, diameter);
    painter.setPen(pen);
    painter.setBrush(FillBrush());
    painter.drawEllipse(circle);
}

}  // namespace qt
