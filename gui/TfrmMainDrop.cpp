// Files and folders dropped on the path boxes, and the two path labels: their
// hover look and their click. Also routes the resizes of the two hand-placed
// panels to their layout.
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "TfrmMain.h"

namespace {

bool HoldsLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

void TfrmMain::RegisterDropTargets() {
    for (QComboBox* box : {cmbFilePathM, cmbFilePathS}) {
        box->setAcceptDrops(true);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
}

QComboBox* TfrmMain::PathBoxOf(QObject* watched) const {
    for (QComboBox* box : {cmbFilePathM, cmbFilePathS}) {
        if (box != nullptr && (watched == box || watched == box->lineEdit()))
            return box;
    }
    return nullptr;
}

bool TfrmMain::WmDropFiles(QComboBox* box, const QMimeData* data) {
    if (data == nullptr || !box->isEnabled())
        return false;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // A file is taken as well as a folder: the text is checked when a
        // comparison starts.
        box->setEditText(url.toLocalFile());
        return true;
    }
    return false;
}

bool TfrmMain::PathBoxDragEvent(QComboBox* box, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!HoldsLocalFile(drag->mimeData()))
                return false;  // text: the edit's own handling
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!WmDropFiles(box, drop->mimeData()))
                return false;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
        default:
            return false;
    }
}

void TfrmMain::HighlightLabel(QLabel* label) {
    QFont underlined = font();
    underlined.setBold(false);
    underlined.setItalic(false);
    underlined.setStrikeOut(false);
    underlined.setUnderline(true);
    label->setFont(underlined);
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(blue);
}

void TfrmMain::UnhighlightLabel(QLabel* label) {
    // Empty font and palette: the label follows the window's again.
    label->setFont(QFont());
    label->setPalette(QPalette());
}

bool TfrmMain::PathLabelEvent(QLabel* label, QEvent* event) {
    switch (event->type()) {
        case QEvent::Enter:
            HighlightLabel(label);
            return false;
        case QEvent::Leave:
            UnhighlightLabel(label);
            return false;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton ||
                !label->rect().contains(mouse->position().toPoint()))
                return false;
            (label == lblFilePathM ? mnFileOpenM : mnFileOpenS)->trigger();
            return true;
        }
        default:
            return false;
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlPath || watched == pnlBottom) {
        if (event->type() == QEvent::Resize) {
            if (watched == pnlPath)
                LayoutPathArea();
            if (watched == pnlBottom)
                LayoutBottomPanel();
        }
    } else if (watched == lblFilePathM || watched == lblFilePathS) {
        if (PathLabelEvent(static_cast<QLabel*>(watched), event))
            return true;
    } else if (QComboBox* box = PathBoxOf(watched)) {
        if (PathBoxDragEvent(box, event))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
