#pragma once

#include <QList>
#include <QWidget>

class QLabel;

// A status bar of fixed-width text panels laid out from the left edge, as the
// window's information, message and counts bars use them. Panels keep their
// widths whatever the bar's width: those that do not fit are cut off at the
// right, and the bar never forces the window wider.
class TPanelBar : public QWidget {
    Q_OBJECT
public:
    explicit TPanelBar(QWidget* parent = nullptr);

    // Appends a panel and returns its index. A framed panel has a sunken border.
    int AddPanel(const QString& text, int width, Qt::Alignment alignment, bool framed = true);

    int PanelCount() const { return static_cast<int>(Panels.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    int PanelWidth(int index) const;
    QLabel* Panel(int index) const { return Panels.value(index); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<QLabel*> Panels;
    int PanelsWidth = 0;
};
