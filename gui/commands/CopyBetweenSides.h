#pragma once

#include <optional>

#include <QString>

#include "TCursorRow.h"
#include "platform/FileCopy.h"

class QWidget;
class TCompare;

// Copies the cursor row's entry from one side of the comparison to the other
// (RunFileCopy), into the folder of its namesake or, when the other side has
// none, into the same relative folder under that side's root (made when
// missing), leaving out what the comparison's exclude patterns leave out. A
// row it cannot copy, a failure and the empty items left out are reported in
// message boxes owned by owner. The engine gives the roots and the patterns
// and is only read: a running comparison keeps its stop request and status.
// Returns the copy's result; none when the row was refused.
std::optional<platform::TCopyResult> CopyBetweenSides(QWidget* owner, const TCompare& engine,
                                                      const TCursorRow& row,
                                                      TCopyDirection direction);

// The status bar's account of a copy: what was copied, kept, left out, and
// whether it was cancelled or failed.
QString CopyOutcomeText(const platform::TCopyResult& result);

// False when either side of the engine's comparison is a snapshot file or a
// tree on another machine: neither holds a file to copy here, and none can be
// copied into it.
bool CopiesBetweenSides(const TCompare& engine);
