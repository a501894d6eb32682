#include "ExportRows.h"

#include <algorithm>

#include <QFile>
#include <QGuiApplication>

#include "ExportFileType.h"
#include "ShowMessageBox.h"
#include "TReportWriter.h"
#include "dialogs/TExportDialog.h"

bool WriteExportFile(QWidget* owner, const QString& name, char delimiter,
                     std::optional<TVerdict> only, platform::TTextEncoding encoding,
                     std::span<const TResultRow* const> rows) {
    TReportWriter file(delimiter, encoding, true);
    if (!file.Open(QFile::encodeName(name).toStdString())) {
        ShowMessageBox(owner, QMessageBox::Warning,
                       QStringLiteral("ファイルのオープンに失敗しました"));
        ShowMessageBox(owner, QMessageBox::Warning, QString::fromStdString(file.ErrorText()));
        return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    file.WriteHeader();
    // After a failed write the file drops everything; Close reports it.
    for (const TResultRow* row : rows) {
        if (file.HasFailed())
            break;
        if (only && row->Verdict() != *only)
            continue;
        file.WriteRow(*row, row->EntryM(), row->EntryS());
    }
    const bool written = file.Close();
    QGuiApplication::restoreOverrideCursor();
    if (!written) {
        ShowMessageBox(owner, QMessageBox::Warning, QString::fromStdString(file.ErrorText()));
        return false;
    }
    return true;
}

bool AnyRowToExport(std::span<const TResultRow* const> rows, std::optional<TVerdict> only) {
    return std::any_of(rows.begin(), rows.end(),
                       [only](const TResultRow* row) { return !only || row->Verdict() == *only; });
}

bool ExportWithDialog(QWidget* owner, TExportDialog& dialog, const QString& title,
                      std::optional<TVerdict> only, std::span<const TResultRow* const> rows) {
    const QString chosen = dialog.Execute(title);
    if (chosen.isEmpty())
        return false;
    const int index = dialog.FilterIndex();
    WriteExportFile(owner, ExportFileType::CompleteName(chosen, index),
                    ExportFileType::Delimiter(index), only, dialog.Encoding(), rows);
    return true;
}
