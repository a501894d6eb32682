#include "TPanelBar.h"

#include <QLabel>
#include <QResizeEvent>

TPanelBar::TPanelBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

int TPanelBar::AddPanel(const QString& text, int width, Qt::Alignment alignment, bool framed) {
    auto* panel = new QLabel(text, this);
    panel->setAlignment(alignment | Qt::AlignVCenter);
    panel->setTextFormat(Qt::PlainText);
    if (framed) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
    }
    // Framed text keeps a little distance from its frame, as status panels do.
    if (framed)
        panel->setContentsMargins(2, 0, 2, 0);
    // Fixed places, not a layout: a layout would make the sum of the widths the
    // window's minimum width.
    panel->setGeometry(PanelsWidth, 0, width, height());
    PanelsWidth += width;
    Panels.append(panel);
    return static_cast<int>(Panels.size()) - 1;
}

QString TPanelBar::PanelText(int index) const {
    const QLabel* panel = Panels.value(index);
    return panel ? panel->text() : QString();
}

void TPanelBar::SetPanelText(int index, const QString& text) {
    if (QLabel* panel = Panels.value(index))
        panel->setText(text);
}

int TPanelBar::PanelWidth(int index) const {
    const QLabel* panel = Panels.value(index);
    return panel ? panel->width() : 0;
}

void TPanelBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QLabel* panel : Panels)
        panel->resize(panel->width(), height());
}

QSize TPanelBar::sizeHint() const {
    return {PanelsWidth, height()};
}
QSize TPanelBar::minimumSizeHint() const {
    return {0, height()};
}
