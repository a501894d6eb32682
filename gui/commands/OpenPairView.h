#pragma once

#include "TCursorRow.h"
#include "pairview/TPairDiff.h"

class QWidget;
class TfrmPairView;

// Whether the row pairs two files (an entry on each side, neither a folder):
// the rows 内容を比較 serves.
bool PairsTwoFiles(const TCursorRow& row);

// Opens a pair view on the row's two files as a window of owner's (closed with
// it; several may be open) and returns it; null, and nothing shown, for a row
// that does not pair two files.
TfrmPairView* OpenPairView(QWidget* owner, const TCursorRow& row, const TPairDiffOptions& options);
