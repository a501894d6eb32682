// TO BE FILLED by the search and information-bar work: the find buttons'
// search, the two entry bars and the counts bar. Until then the bars keep the
// texts they were made with.
#include "TfrmMain.h"

void TfrmMain::FindRow(int, TFindWanted) {}

void TfrmMain::ShowEntryInfo(TPanelBar*, const TSearchRecEx*) {}

void TfrmMain::ShowCounts(int, int, int, int) {}
