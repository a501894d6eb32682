#include "CopyBetweenSides.h"

#include <QMessageBox>

#include "RowText.h"
#include "RunFileCopy.h"
#include "ShowMessageBox.h"
#include "TCompare.h"

namespace {

constexpr int NotCopiedListed = 10;

// The part before the last "/", without it; "/" for an entry of the root.
std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void ReportCopy(QWidget* owner, const platform::TCopyResult& result) {
    if (result.Status == platform::TCopyStatus::Failed) {
        ShowMessageBox(owner, QMessageBox::Warning,
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
    ShowMessageBox(owner, QMessageBox::Warning, text);
}

}  // namespace

void CopyBetweenSides(QWidget* owner, const TCompare& engine, const TCursorRow& row,
                      TCopyDirection direction) {
    const auto refuse = [owner] {
        ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("コピーできません"));
    };
    if (row.Row < 0 || engine.TestPaths() != CompareStatus::Success) {
        refuse();
        return;
    }
    const bool toTarget = direction == TCopyDirection::ToS;
    const TSearchRecEx* giving = row.Entry(toTarget ? TSide::M : TSide::S);
    const TSearchRecEx* receiving = row.Entry(toTarget ? TSide::S : TSide::M);
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
        if (row.Verdict() == TVerdict::Equal)
            destination = FolderPart(destination);
    } else {
        // The entry's folder on the receiving side, made when missing.
        const std::string root = toTarget ? engine.GetPathS() : engine.GetPathM();
        destination = IncludeTrailingDelimiter(root) + std::string(giving->RelDir());
        createDestination = true;
    }
    ReportCopy(owner, RunFileCopy(owner, origin, destination, createDestination));
}
