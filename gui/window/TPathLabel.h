#pragma once

#include <QLabel>

// The caption of a path box: its accelerator moves the focus to the box, and
// it looks like a link, underlined in blue while the mouse is over it. A
// click with the left button, released over the label, emits clicked().
class TPathLabel : public QLabel {
    Q_OBJECT
public:
    TPathLabel(const QString& text, QWidget* buddy, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
