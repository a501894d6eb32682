// TO BE FILLED by the copy work: copying the cursor row's entry from one side
// to the other.
#include "TfrmMain.h"

void TfrmMain::CopyBetweenSides(TCopyDirection) {}
