// Exporting the comparison result: the save dialog with its file types and
// encoding, and writing the chosen rows
// through the report writer that the console program uses too.
#include <QFile>
#include <QGuiApplication>
#include <QTableView>

#include "ExportFileType.h"
#include "ShowMessageBox.h"
#include "TCompare.h"
#include "TExportDialog.h"
#include "TReportWriter.h"
#include "TfrmMain.h"

bool TfrmMain::ExportWithDialog(const QString& title, ExportKind kind) {
    const QString chosen = SaveDialog->Execute(title);
    if (chosen.isEmpty())
        return false;
    const int index = SaveDialog->FilterIndex();
    WriteExportFile(ExportFileType::CompleteName(chosen, index), ExportFileType::Delimiter(index),
                    kind, SaveDialog->Encoding());
    return true;
}

bool TfrmMain::WriteExportFile(const QString& name, char delimiter, ExportKind kind,
                               platform::TTextEncoding encoding) {
    TReportWriter file(delimiter, encoding, true);
    if (!file.Open(QFile::encodeName(name).toStdString())) {
        ShowMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("ファイルのオープンに失敗しました"));
        ShowMessageBox(this, QMessageBox::Warning, QString::fromStdString(file.ErrorText()));
        return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    file.WriteHeader();
    const int rows = Engine()->GetRowCount();
    // After a failed write the file drops everything; Close reports it.
    for (int r = 1; r <= rows && !file.HasFailed(); ++r) {
        // Hidden rows are left out, as selection and search skip them.
        if (sgrdSame->isRowHidden(r - 1))
            continue;
        if (kind != ExportKind::All && IsEqualGridRow(r) != (kind == ExportKind::EqualOnly))
            continue;
        const TResultRow* row = Engine()->GetRow(r - 1);
        if (row == nullptr)
            continue;
        file.WriteRow(*row, Engine()->GetRowEntryM(r - 1), Engine()->GetRowEntryS(r - 1));
    }
    const bool written = file.Close();
    QGuiApplication::restoreOverrideCursor();
    if (!written) {
        ShowMessageBox(this, QMessageBox::Warning, QString::fromStdString(file.ErrorText()));
        return false;
    }
    return true;
}
