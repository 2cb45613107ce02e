// The preview circle: line colour, line width, fill style and fill colour drawn for real.
#pragma once

#include <QBrush>
#include <QPen>
#include <QWidget>

#include "ui/Controls.h"

namespace qt {

// Qt's brush for a fill style 0-7 (0 solid ... 7 diagonal cross); outside that range none.
Qt::BrushStyle BrushStyleFor(int fillStyle);

class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    ShapeWidget(const ui::Shape& model, QWidget* parent);

    // What the next paint uses, read from the model.
    QPen LinePen() const;
    QBrush FillBrush() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ui::Shape& model_;
};

}  // namespace qt
