// Copying the cursor row's entry from one side of the comparison to the other.
#include <QMessageBox>

#include "RowText.h"
#include "RunFileCopy.h"
#include "ShowMessageBox.h"
#include "TCompare.h"
#include "TSearchRec.h"
#include "TfrmMain.h"

namespace {

constexpr int NotCopiedListed = 10;

// The part before the last "/", without it; "/" for an entry of the root.
std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void ReportCopy(TfrmMain* frm, const platform::TCopyResult& result) {
    if (result.Status == platform::TCopyStatus::Failed) {
        ShowMessageBox(frm, QMessageBox::Warning,
                       QStringLiteral("コピー中にエラーが発生しました\r\n") +
                           QString::fromStdString(result.Error));
    }
    if (result.NotCopied.empty())
        return;
    QString text = QStringLiteral("中身のない次の項目はコピーしませんでした");
    for (size_t i = 0; i < result.NotCopied.size() && i < NotCopiedListed; ++i)
        text += QStringLiteral("\r\n") + QString::fromStdString(result.NotCopied[i]);
    if (result.NotCopied.size() > NotCopiedListed)
        text += QStringLiteral("\r\nほか %1 件").arg(result.NotCopied.size() - NotCopiedListed);
    ShowMessageBox(frm, QMessageBox::Warning, text);
}

}  // namespace

void TfrmMain::CopyBetweenSides(TCopyDirection direction) {
    const auto refuse = [this] {
        ShowMessageBox(this, QMessageBox::Warning, QStringLiteral("コピーできません"));
    };
    const int row = CurrentGridRow();
    // TestPaths, not CheckPaths: a running comparison keeps its stop request
    // and status.
    if (row < 1 || Engine()->TestPaths() != CompareStatus::Success) {
        refuse();
        return;
    }
    const bool equal = IsEqualGridRow(row);
    const bool toTarget = direction == TCopyDirection::ToS;
    const TSearchRecEx* giving = RowEntry(row, toTarget ? TSide::M : TSide::S);
    const TSearchRecEx* receiving = RowEntry(row, toTarget ? TSide::S : TSide::M);
    if (giving == nullptr) {
        refuse();
        return;
    }
    const std::string origin = giving->FullPath();
    std::string destination;
    bool createDestination = false;
    if (receiving != nullptr) {
        destination = receiving->FullPath();
        // An equal pair: into the folder that holds the namesake, so that it
        // is replaced (a folder merged) rather than copied into.
        if (equal)
            destination = FolderPart(destination);
    } else {
        // The entry's folder on the receiving side, made when missing.
        const std::string root = toTarget ? Engine()->GetPathS() : Engine()->GetPathM();
        destination = IncludeTrailingDelimiter(root) + std::string(giving->RelDir());
        createDestination = true;
    }
    ReportCopy(this, RunFileCopy(this, origin, destination, createDestination));
}
