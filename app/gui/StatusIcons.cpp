// SPDX-License-Identifier: MIT
#include "app/gui/StatusIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ondrel::gui {
namespace {

QPixmap drawSymbol(StatusSymbol symbol, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    QPen pen(Qt::black, 1.4 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawEllipse(QRectF(1.5 * unit, 1.5 * unit, 13 * unit, 13 * unit));
    switch (symbol) {
        case StatusSymbol::paused:
            painter.drawLine(QPointF(6.3 * unit, 5.2 * unit), QPointF(6.3 * unit, 10.8 * unit));
            painter.drawLine(QPointF(9.7 * unit, 5.2 * unit), QPointF(9.7 * unit, 10.8 * unit));
            break;
        case StatusSymbol::watching: {
            QPainterPath check;
            check.moveTo(4.8 * unit, 8.3 * unit);
            check.lineTo(7.0 * unit, 10.5 * unit);
            check.lineTo(11.2 * unit, 5.6 * unit);
            painter.drawPath(check);
            break;
        }
        case StatusSymbol::waiting: {
            QPainterPath question;
            question.moveTo(6.0 * unit, 6.2 * unit);
            question.cubicTo(6.0 * unit, 3.8 * unit, 10.2 * unit, 3.8 * unit, 10.2 * unit, 6.2 * unit);
            question.cubicTo(10.2 * unit, 7.8 * unit, 8.0 * unit, 7.8 * unit, 8.0 * unit, 9.6 * unit);
            painter.drawPath(question);
            painter.setBrush(Qt::black);
            painter.drawEllipse(QPointF(8.0 * unit, 11.6 * unit), 0.5 * unit, 0.5 * unit);
            break;
        }
    }
    return pixmap;
}

}  // namespace

QIcon statusIcon(StatusSymbol symbol) {
    QIcon icon;
    for (int size : {16, 22, 32, 44, 64})
        icon.addPixmap(drawSymbol(symbol, size));
    icon.setIsMask(true);  // a template image: the menu bar tints it to match
    return icon;
}

}  // namespace ondrel::gui
