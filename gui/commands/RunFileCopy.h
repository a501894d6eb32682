#pragma once

#include <string>
#include <vector>

#include "platform/FileCopy.h"

class QWidget;

// What a copy between the sides leaves out: the entries the comparison's
// exclude patterns leave out of it, by their path below the giving side's
// root (Root, ending in "/").
struct TCopyExclusion {
    std::string Root;
    std::vector<std::string> Patterns;
    bool CaseSensitive = false;
};

// Runs one copy (platform::TFileCopy) on a worker thread while the window's
// thread stays responsive: each replacement is asked in a box owned by owner
// (はい, すべてはい, いいえ, キャンセル), and a copy that has run for half a
// second with no question open shows a progress dialog whose cancel button
// stops it after the block in hand; later questions stand above that dialog.
// A question stays answerable however long it is left open, and names the
// exclude patterns when there are any: what they match is not copied. Returns
// when the copy has ended, with its result.
platform::TCopyResult RunFileCopy(QWidget* owner, const std::string& origin,
                                  const std::string& destination, bool createDestination,
                                  const TCopyExclusion& exclusion = {});
