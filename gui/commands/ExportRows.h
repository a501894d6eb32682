#pragma once

#include <optional>
#include <span>

#include <QString>

#include "TResultRow.h"
#include "platform/Encoding.h"

class QWidget;
class TExportDialog;

// Exporting result rows: the lines that `TandrilB /Appendix` writes, through
// the same report writer, for the rows of a kind among those given.

// Writes the header and the rows of verdict `only` (every row when it holds
// none) to the file `name` with the delimiter, in the encoding; a failure is
// reported in message boxes owned by owner. Returns whether the whole file was
// written.
bool WriteExportFile(QWidget* owner, const QString& name, char delimiter,
                     std::optional<TVerdict> only, platform::TTextEncoding encoding,
                     std::span<const TResultRow* const> rows);

// True when rows holds a row of verdict `only` (any row when it holds none).
bool AnyRowToExport(std::span<const TResultRow* const> rows, std::optional<TVerdict> only);

// Asks for the file in the save dialog (titled title) and writes the rows of
// verdict `only` there, with the file type and encoding chosen, as
// WriteExportFile does; false when the dialog was cancelled.
bool ExportWithDialog(QWidget* owner, TExportDialog& dialog, const QString& title,
                      std::optional<TVerdict> only, std::span<const TResultRow* const> rows);
