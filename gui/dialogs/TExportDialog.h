#pragma once

#include <QFileDialog>

#include "platform/Encoding.h"

class QComboBox;

// The export's save dialog: the four file types, and beside them the choice
// of the file's encoding (Shift_JIS or UTF-8). It never asks before replacing
// a file and adds no extension itself. Kept by the window between exports, it
// offers the last file name chosen again.
class TExportDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TExportDialog(QWidget* parent);

    QComboBox* cmbEncoding = nullptr;

    // The selected file type, from 1.
    int FilterIndex() const;
    // Selects a file type; an index outside 1..4 selects the fourth.
    void SetFilterIndex(int index);
    platform::TTextEncoding Encoding() const;
    void SetEncoding(platform::TTextEncoding encoding);

    // Shows the dialog modally with this title, offering the last name chosen.
    // Returns the chosen file name, or an empty text when cancelled.
    QString Execute(const QString& title);
};
