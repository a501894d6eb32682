#pragma once

#include "TCursorRow.h"

class QWidget;
class TCompare;

// Copies the cursor row's entry from one side of the comparison to the other
// (RunFileCopy), into the folder of its namesake or, when the other side has
// none, into the same relative folder under that side's root (made when
// missing). A row it cannot copy, a failure and the empty items left out are
// reported in message boxes owned by owner. The engine gives the roots and is
// only read: a running comparison keeps its stop request and status.
void CopyBetweenSides(QWidget* owner, const TCompare& engine, const TCursorRow& row,
                      TCopyDirection direction);
