#include "ExcludeStatus.h"

#include <QLabel>

#include "TPanelBar.h"
#include "settings/ExcludePatterns.h"

void ShowExcludeStatus(TPanelBar* bar, const std::vector<std::string>& patterns) {
    bar->SetPanelText(1, ExcludeSummary(patterns));
    bar->Panel(1)->setToolTip(ExcludePatternsText(patterns));
}
