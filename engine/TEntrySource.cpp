#include "TEntrySource.h"

#include "TFolderSource.h"
#include "TSnapshotSource.h"
#include "platform/Directory.h"

bool IsSnapshotPath(const std::string& path) {
    return !platform::IsFolder(path) && platform::IsReadableFile(path);
}

std::shared_ptr<TEntrySource> MakeEntrySource(const std::string& path) {
    if (IsSnapshotPath(path))
        return std::make_shared<TSnapshotSource>(path);
    return std::make_shared<TFolderSource>(path);
}

const platform::TDirectory* TDigestWork::FolderHandle(const TFolder& folder) {
    if (Folder != &folder) {
        Folder = nullptr;  // the handle is not that of the old folder any more
        Handle.OpenPath(folder.Dir);
        Folder = &folder;
    }
    return Handle.IsOpen() ? &Handle : nullptr;
}

bool IsComparableSide(const std::string& path) {
    return platform::IsFolder(path) || platform::IsReadableFile(path);
}
