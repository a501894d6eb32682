#pragma once

#include <QString>
#include <QStringList>

// The four file types the export offers, counted from 1 as the settings key
// "FilterIndex" stores them: 1 comma-separated (.csv), 2 tab-separated (.csv),
// 3 blank-separated (.txt), 4 every file (tab-separated, no extension added).
// Any other index counts as 4.
namespace ExportFileType {

constexpr int Count = 4;
constexpr int DefaultIndex = 2;

// The dialog's filter texts, in index order.
QStringList Filters();
// The field delimiter of a file type.
char Delimiter(int filterIndex);
// The name to write: a name whose last part has an extension (the text from
// the last "." after the last "/", trimmed of blanks) is used as chosen; types
// 1 to 3 add theirs to a name without one, any other type adds nothing.
QString CompleteName(const QString& name, int filterIndex);

}  // namespace ExportFileType
