#include "CopyBetweenSides.h"

#include <QMessageBox>

#include "RowText.h"
#include "RunFileCopy.h"
#include "ShowMessageBox.h"
#include "TCompare.h"
#include "TEntrySource.h"
#include "TRemoteUrl.h"

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

bool CopiesBetweenSides(const TCompare& engine) {
    for (const std::string& path : {engine.GetPathM(), engine.GetPathS()})
        if (IsRemoteUrl(path) || IsSnapshotPath(path))
            return false;
    return true;
}

std::optional<platform::TCopyResult> CopyBetweenSides(QWidget* owner, const TCompare& engine,
                                                      const TCursorRow& row,
                                                      TCopyDirection direction) {
    const auto refuse = [owner] {
        ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("コピーできません"));
        return std::nullopt;
    };
    if (row.Row < 0 || engine.TestPaths() != CompareStatus::Success)
        return refuse();
    // A snapshot holds no file to copy, and no file can be copied into it.
    if (!CopiesBetweenSides(engine)) {
        // A far side's files are on another machine: a local copy would make
        // a folder named after the URL instead.
        if (IsRemoteUrl(engine.GetPathM()) || IsRemoteUrl(engine.GetPathS())) {
            ShowMessageBox(owner, QMessageBox::Warning,
                           QStringLiteral("別のマシンの側とはコピーできません"));
            return std::nullopt;
        }
        ShowMessageBox(owner, QMessageBox::Warning,
                       QStringLiteral("スナップショットの側とはコピーできません\r\n"
                                      "(スナップショットにはコピーするファイルがありません)"));
        return std::nullopt;
    }
    const bool toTarget = direction == TCopyDirection::ToS;
    const TSearchRecEx* giving = row.Entry(toTarget ? TSide::M : TSide::S);
    const TSearchRecEx* receiving = row.Entry(toTarget ? TSide::S : TSide::M);
    if (giving == nullptr)
        return refuse();
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
    // The patterns of the comparison whose rows these are, below the giving root.
    const TCompareOption& option = engine.GetOption();
    const TCopyExclusion exclusion{
        IncludeTrailingDelimiter(toTarget ? engine.GetPathM() : engine.GetPathS()), option.Exclude,
        option.CaseSensitive};
    platform::TCopyResult result =
        RunFileCopy(owner, origin, destination, createDestination, exclusion);
    ReportCopy(owner, result);
    return result;
}

QString CopyOutcomeText(const platform::TCopyResult& result) {
    QString text;
    switch (result.Status) {
        case platform::TCopyStatus::Done:
            text = QStringLiteral("コピーしました: ファイル %1 個").arg(result.FilesCopied);
            break;
        case platform::TCopyStatus::Cancelled:
            text = QStringLiteral("コピーを中止しました: ファイル %1 個をコピー済み")
                       .arg(result.FilesCopied);
            break;
        case platform::TCopyStatus::Failed:
            text = QStringLiteral("コピーに失敗しました: ファイル %1 個をコピー済み")
                       .arg(result.FilesCopied);
            break;
    }
    if (result.FilesDeclined > 0)
        text += QStringLiteral("、置き換えなかったファイル %1 個").arg(result.FilesDeclined);
    if (result.LeftOut > 0)
        text += QStringLiteral("、除外 %1 個").arg(result.LeftOut);
    if (!result.NotCopied.empty())
        text += QStringLiteral("、中身のない項目 %1 個").arg(result.NotCopied.size());
    return text;
}
