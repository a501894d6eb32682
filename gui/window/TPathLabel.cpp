#include "TPathLabel.h"

#include <QMouseEvent>

TPathLabel::TPathLabel(const QString& text, QWidget* buddy, QWidget* parent)
    : QLabel(text, parent) {
    setBuddy(buddy);
    setCursor(Qt::PointingHandCursor);
}

void TPathLabel::enterEvent(QEnterEvent* event) {
    QFont underlined = parentWidget() ? parentWidget()->font() : font();
    underlined.setBold(false);
    underlined.setItalic(false);
    underlined.setStrikeOut(false);
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(blue);
    QLabel::enterEvent(event);
}

void TPathLabel::leaveEvent(QEvent* event) {
    // Empty font and palette: the label follows its parent's again.
    setFont(QFont());
    setPalette(QPalette());
    QLabel::leaveEvent(event);
}

void TPathLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
