#pragma once

#include <string>
#include <vector>

class TPanelBar;

// The message bar's second panel: the exclude patterns in force, so that a
// user sees that some names are left out of the comparison ("除外: a, b"; the
// whole list as its tool tip). Empty when there are none.
void ShowExcludeStatus(TPanelBar* bar, const std::vector<std::string>& patterns);
