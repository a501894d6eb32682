// Exporting the comparison result: the save dialog with its file types and
// encoding, "FilterIndex" in the settings file, and writing the chosen rows
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
#include "settings/IniFile.h"

namespace {

constexpr const char* FormSection = "Form";
constexpr const char* FilterIndexKey = "FilterIndex";
constexpr const char* EncodingKey = "ExportEncoding";

// The settings file's word for an encoding, as the console program's
// "/encoding" option spells it.
QString EncodingName(platform::TTextEncoding encoding) {
    return encoding == platform::TTextEncoding::Utf8 ? QStringLiteral("utf8")
                                                     : QStringLiteral("sjis");
}

}  // namespace

void TfrmMain::ExportResults(const QString& title, ExportKind kind) {
    if (SaveDialog == nullptr)
        SaveDialog = new TExportDialog(this);
    IniFile ini;
    // A settings file that exists but cannot be read leaves the dialog as it
    // is and is never written over.
    const bool settingsRead = ini.Load(SettingsFile);
    if (settingsRead) {
        SaveDialog->SetFilterIndex(
            ini.ReadInteger(FormSection, FilterIndexKey, ExportFileType::DefaultIndex));
        SaveDialog->SetEncoding(ini.ReadString(FormSection, EncodingKey, {}) ==
                                        EncodingName(platform::TTextEncoding::Utf8)
                                    ? platform::TTextEncoding::Utf8
                                    : platform::TTextEncoding::Cp932);
    }
    const QString chosen = SaveDialog->Execute(title);
    if (chosen.isEmpty())
        return;
    const int index = SaveDialog->FilterIndex();
    WriteExportFile(ExportFileType::CompleteName(chosen, index), ExportFileType::Delimiter(index),
                    kind, SaveDialog->Encoding());
    // Remembered at once, also when the file could not be written.
    if (!settingsRead)
        return;
    ini.WriteInteger(FormSection, FilterIndexKey, index);
    ini.WriteString(FormSection, EncodingKey, EncodingName(SaveDialog->Encoding()));
    ini.Save(SettingsFile);  // a failure only means the choice is not remembered
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
