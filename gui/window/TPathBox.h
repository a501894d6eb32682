#pragma once

#include <QComboBox>

class QMimeData;

// A path box: an editable box for a folder with its history of folders used,
// newest first, and drops of files and folders from a file manager. The
// history's limit is the box's maxCount: 0 switches the history off. A drop
// puts its first local file or folder into the box (the text is checked when
// a comparison starts); a drop of plain text is the edit's own.
class TPathBox : public QComboBox {
    Q_OBJECT
public:
    explicit TPathBox(const QString& name, QWidget* parent = nullptr);

    // Sets the history's limit (0..256) and its list.
    void SetHistory(const QStringList& history, int limit);
    QStringList History() const;
    int HistoryLimit() const { return maxCount(); }
    // Puts the text, trimmed of blanks and made absolute (AbsolutePath), at
    // the top of the history and into the box when it names an existing
    // folder or file (a snapshot) (moving it up when the history holds it in any letter case),
    // dropping the oldest entry of a full history.
    void AddHistory(const QString& text);
    // Puts the first local file or folder of a drop into the box. Returns
    // whether the drop held one and the box took it (a disabled box takes none).
    bool DropFiles(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The box's edit would take every drop as text: its drags of files come here.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool DragEvent(QEvent* event);
};
