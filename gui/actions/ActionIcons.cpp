#include "ActionIcons.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>

#include "TMainActions.h"

namespace {

const QColor Outline(0x40, 0x40, 0x40);
const QColor Paper(0xff, 0xff, 0xff);
const QColor Source(0x2f, 0x6f, 0xbf);
const QColor Target(0xe0, 0x8a, 0x1e);
const QColor Go(0x2e, 0x9d, 0x3a);
const QColor Stop(0xcc, 0x33, 0x33);
const QColor Tag(0xf2, 0xd4, 0x6b);
const QColor Folder(0xf0, 0xc8, 0x50);

using Drawing = std::function<void(QPainter&)>;

QIcon MakeIcon(const Drawing& draw) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / 16.0, size / 16.0);
        p.setPen(QPen(Outline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A sheet of paper with a folded corner, inside the rectangle.
void Page(QPainter& p, const QRectF& r) {
    const qreal fold = 3;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(Paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void TextLines(QPainter& p, qreal left, qreal right, std::initializer_list<qreal> ys,
               const QColor& color = QColor(0x90, 0x90, 0x90)) {
    p.save();
    p.setPen(QPen(color, 1.0));
    for (qreal y : ys)
        p.drawLine(QPointF(left, y), QPointF(right, y));
    p.restore();
}

// A letter or kanji centred in the rectangle.
void Letter(QPainter& p, const QRectF& r, const QString& text, const QColor& color,
            qreal pixelSize = 8) {
    p.save();
    QFont font(QStringLiteral("IPAPGothic"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.save();
    p.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - 3 * d + 3 * n);
    p.drawLine(to, to - 3 * d - 3 * n);
    p.restore();
}

// The label shape of the attribute options, with a letter on it.
void AttributeTag(QPainter& p, const QString& letter) {
    QPainterPath path;
    path.moveTo(0.5, 8);
    path.lineTo(4, 2.5);
    path.lineTo(15.5, 2.5);
    path.lineTo(15.5, 13.5);
    path.lineTo(4, 13.5);
    path.closeSubpath();
    p.setBrush(Tag);
    p.drawPath(path);
    p.setBrush(Outline);
    p.drawEllipse(QPointF(3.5, 8), 0.8, 0.8);
    Letter(p, QRectF(4.5, 2.5, 11, 11), letter, Outline, 10);
}

void Clock(QPainter& p, QPointF centre, qreal radius) {
    p.setBrush(Paper);
    p.drawEllipse(centre, radius, radius);
    p.save();
    p.setPen(QPen(Source, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(0, -radius * 0.7));
    p.drawLine(centre, centre + QPointF(radius * 0.55, 0));
    p.restore();
}

void Window(QPainter& p, const QRectF& r, const QColor& title) {
    p.setBrush(Paper);
    p.drawRect(r);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(title);
    p.drawRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, 2.5));
    p.restore();
}

void CopyPages(QPainter& p) {
    Page(p, QRectF(1.5, 1.5, 8, 10));
    Page(p, QRectF(6.5, 4.5, 8, 10));
}

// The window's style, but a checked tool button gets a panel that shows.
class TPressedToggleStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_PanelButtonTool || !(option->state & State_On)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QColor edge = option->palette.color(QPalette::Highlight);
        QColor fill = edge;
        fill.setAlpha(56);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(edge);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
    }
};

}  // namespace

void ShowPressedToggles(QToolBar* bar) {
    auto* style = new TPressedToggleStyle(QStyleFactory::create(bar->style()->name()));
    style->setParent(bar);
    for (QAction* action : bar->actions()) {
        if (action->isCheckable()) {
            if (QWidget* button = bar->widgetForAction(action))
                button->setStyle(style);
        }
    }
}

void SetActionIcons(TMainActions& a) {
    a.mnFileNew->setIcon(MakeIcon([](QPainter& p) { Page(p, QRectF(3.5, 1.5, 9, 13)); }));

    a.mnFileComp->setIcon(MakeIcon([](QPainter& p) {
        QPainterPath play;
        play.moveTo(4, 2.5);
        play.lineTo(13.5, 8);
        play.lineTo(4, 13.5);
        play.closeSubpath();
        p.setBrush(Go);
        p.drawPath(play);
    }));

    a.mnFileCompStop->setIcon(MakeIcon([](QPainter& p) {
        p.setBrush(Stop);
        p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.5, 1.5);
    }));

    a.mnFileExpCsv->setIcon(MakeIcon([](QPainter& p) {
        Page(p, QRectF(1.5, 1.5, 9, 13));
        TextLines(p, 3.5, 8.5, {5.5, 8.0, 10.5});
        Arrow(p, QPointF(7.5, 11.5), QPointF(14.5, 11.5), Go);
    }));

    a.mnEditCopyRow->setIcon(MakeIcon([](QPainter& p) {
        CopyPages(p);
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Source);
        p.drawRect(QRectF(7.5, 8, 3.5, 3));
        p.setBrush(Target);
        p.drawRect(QRectF(11, 8, 3.5, 3));
        p.restore();
    }));

    // The copied side's colour fills the front page.
    a.mnEditCopyM->setIcon(MakeIcon([](QPainter& p) {
        CopyPages(p);
        p.setBrush(Source);
        p.drawRect(QRectF(8.5, 7.5, 4, 5));
    }));

    a.mnEditCopyS->setIcon(MakeIcon([](QPainter& p) {
        CopyPages(p);
        p.setBrush(Target);
        p.drawRect(QRectF(8.5, 7.5, 4, 5));
    }));

    a.mnViewFront->setIcon(MakeIcon([](QPainter& p) {
        Window(p, QRectF(1.5, 1.5, 9, 8), QColor(0xa0, 0xa0, 0xa0));
        Window(p, QRectF(5.5, 5.5, 9, 8), Source);
    }));

    a.mnViewEndInfo->setIcon(MakeIcon([](QPainter& p) {
        Window(p, QRectF(1.5, 2.5, 13, 11), Source);
        p.setBrush(Source);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(8, 9), 3.2, 3.2);
        Letter(p, QRectF(4.5, 5.5, 7, 7), QStringLiteral("i"), Paper, 7);
    }));

    a.mnHelpContents->setIcon(MakeIcon([](QPainter& p) {
        p.setBrush(Source);
        p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1, 1);
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 1.5, 0.01, 13));
        Letter(p, QRectF(4.5, 2.5, 9, 11), QStringLiteral("?"), Paper, 10);
    }));

    a.mnHelpVersionInfo->setIcon(MakeIcon([](QPainter& p) {
        p.setBrush(Source);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        Letter(p, QRectF(2, 2, 12, 12), QStringLiteral("i"), Paper, 10);
    }));

    a.mnOptSize->setIcon(MakeIcon([](QPainter& p) {
        p.setBrush(Tag);
        p.drawRect(QRectF(1.5, 9.5, 13, 4));
        for (qreal x : {4.5, 7.5, 10.5})
            p.drawLine(QPointF(x, 9.5), QPointF(x, 11.5));
        Arrow(p, QPointF(8, 5), QPointF(14, 5), Outline);
        Arrow(p, QPointF(8, 5), QPointF(2, 5), Outline);
    }));

    a.mnOptAttr->setIcon(MakeIcon([](QPainter& p) { AttributeTag(p, QStringLiteral("*")); }));
    a.mnOptAttrR->setIcon(MakeIcon([](QPainter& p) { AttributeTag(p, QStringLiteral("R")); }));
    a.mnOptAttrH->setIcon(MakeIcon([](QPainter& p) { AttributeTag(p, QStringLiteral("H")); }));
    a.mnOptAttrS->setIcon(MakeIcon([](QPainter& p) { AttributeTag(p, QStringLiteral("S")); }));
    a.mnOptAttrA->setIcon(MakeIcon([](QPainter& p) { AttributeTag(p, QStringLiteral("A")); }));

    a.mnOptUpdYmdt->setIcon(MakeIcon([](QPainter& p) { Clock(p, QPointF(8, 8), 6.5); }));

    a.mnOptUpdYmdtDir->setIcon(MakeIcon([](QPainter& p) {
        QPainterPath folder;
        folder.moveTo(1.5, 3.5);
        folder.lineTo(6, 3.5);
        folder.lineTo(7.5, 5);
        folder.lineTo(14.5, 5);
        folder.lineTo(14.5, 13.5);
        folder.lineTo(1.5, 13.5);
        folder.closeSubpath();
        p.setBrush(Folder);
        p.drawPath(folder);
        Clock(p, QPointF(10, 10), 4);
    }));

    a.mnOptNaiyou->setIcon(MakeIcon([](QPainter& p) {
        Page(p, QRectF(2.5, 1.5, 10, 13));
        TextLines(p, 4.5, 10.5, {5.5, 8.0, 10.5});
        p.save();
        p.setPen(QPen(Stop, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10.5, 10.5), 4, 4);
        p.drawLine(QPointF(7.7, 13.3), QPointF(13.3, 7.7));
        p.restore();
    }));

    // A page whose lines end in a return mark.
    a.mnOptKaigyou->setIcon(MakeIcon([](QPainter& p) {
        Page(p, QRectF(1.5, 1.5, 10, 13));
        TextLines(p, 3.5, 7.5, {4.5, 7.0, 9.5, 12.0});
        p.save();
        p.setPen(QPen(Go, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath mark;
        mark.moveTo(14.0, 5.0);
        mark.lineTo(14.0, 10.5);
        mark.lineTo(8.5, 10.5);
        mark.moveTo(10.5, 8.5);
        mark.lineTo(8.5, 10.5);
        mark.lineTo(10.5, 12.5);
        p.drawPath(mark);
        p.restore();
    }));

    // A page that an arrow carries to the right.
    a.mnOptIdou->setIcon(MakeIcon([](QPainter& p) {
        Page(p, QRectF(1.5, 3.5, 8, 11));
        p.save();
        p.setPen(QPen(Go, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(7.0, 8.0);
        arrow.lineTo(14.5, 8.0);
        arrow.moveTo(12.0, 5.5);
        arrow.lineTo(14.5, 8.0);
        arrow.lineTo(12.0, 10.5);
        p.drawPath(arrow);
        p.restore();
    }));

    // A clock with a turn of the hour hand around it.
    a.mnOptJisa->setIcon(MakeIcon([](QPainter& p) {
        Clock(p, QPointF(8, 8), 5);
        p.save();
        p.setPen(QPen(Go, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.8, 0.8, 14.4, 14.4), 30 * 16, 120 * 16);
        p.restore();
    }));

    // A clock beside a "±".
    a.mnOptKyoyou->setIcon(MakeIcon([](QPainter& p) {
        Clock(p, QPointF(6, 9), 5);
        p.save();
        p.setPen(QPen(Go, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11.5, 3.5), QPointF(15.0, 3.5));
        p.drawLine(QPointF(13.25, 1.75), QPointF(13.25, 5.25));
        p.drawLine(QPointF(11.5, 7.0), QPointF(15.0, 7.0));
        p.restore();
    }));

    // A capital and a small letter.
    a.mnOptDaishou->setIcon(MakeIcon([](QPainter& p) {
        p.save();
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0x30, 0x30, 0x30));
        p.drawText(QRectF(0, 1, 16, 14), Qt::AlignCenter, QStringLiteral("Aa"));
        p.restore();
    }));

    // In the menus a toggle shows its state as a check mark: beside an icon
    // the style would only frame the icon, which hardly shows.
    for (QAction* action : a.AllActions()) {
        if (action->isCheckable() && !action->icon().isNull())
            action->setIconVisibleInMenu(false);
    }
}
