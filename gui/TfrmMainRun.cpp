// TO BE FILLED by the comparison-run work: starting and stopping a run on the
// worker thread ThreadComp, and the window's side of the engine's callbacks
// (progress bar, rows into the grid, counts, path histories, end dialog,
// running state). Until then a start does nothing.
#include "TfrmMain.h"

void TfrmMain::StartComparison() {}

void TfrmMain::StopComparison() {}

void TfrmMain::OnCompareBegin(TCompare*) {}

void TfrmMain::OnListReady(TCompare*, int, int) {}

void TfrmMain::OnRowReady(TCompare*, int, int, int, const TSearchRecEx*, const TSearchRecEx*,
                          const TResultRow&) {}

void TfrmMain::OnCompareDone(TCompare*, int, int, int) {}

void TfrmMain::OnCompareEnd(TCompare*) {}
