#pragma once

#include <QFont>

// The program's font: IPA P Gothic, 12 pixels high, falling back to the
// system's Japanese sans-serif font where it is not installed.
QFont MainFont();
