#include "TFolderSource.h"

#include "ContentText.h"
#include "TContentComparer.h"
#include "TFolderLister.h"

TListOutcome TFolderSource::List(TEntryList& list, const TListRequest& request) {
    TFolderLister lister(list, request.Stop, request.Exclude, request.Facts);
    lister.SetOnListed(request.Listed);
    TListOutcome outcome;
    outcome.Result = lister.ListTree(Root);
    outcome.Delivered = lister.RootDelivered();
    return outcome;
}

int TFolderSource::Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
                          platform::TDigestValue& out, std::string& reason) {
    const platform::TDirectory* folder = nullptr;
    try {
        folder = work.FolderHandle(*entry.Folder);
    } catch (...) {
        // Without the folder's handle the file is opened by its path.
    }
    return DigestFile(entry.FullPath(), entry.Kind, kind, work, out, reason, folder, &entry);
}

int TFolderSource::DigestFile(const std::string& path, TFileKind kind, platform::TDigestKind digest,
                              TDigestWork& work, platform::TDigestValue& out, std::string& reason,
                              const platform::TDirectory* folder, const TSearchRecEx* entry) {
    using platform::TFileReader;
    auto end = [&work](int code) {
        work.Reader.Close();
        return code;
    };
    try {
        reason.clear();
        TFileKind found = kind;
        // Opened in its folder with the listed size, no status call is made
        // while the reads agree with the listing.
        const TFileReader::TOpenResult opened =
            folder && entry ? work.Reader.OpenAt(*folder, entry->Name.c_str(), path, found,
                                                 kind == TFileKind::Regular ? entry->Size : -1)
                            : work.Reader.Open(path, found);
        if (opened == TFileReader::TOpenResult::Failed) {
            reason = std::string(ContentText::OpenFailed) + "ファイル " + path + " は開けません";
            return end(ContentResult::OpenFailed);
        }
        work.Digester.Start(digest);
        const size_t block = work.Buffer.Size();
        // Replaced since it was listed by a FIFO, a device or a socket: not read.
        bool special = opened == TFileReader::TOpenResult::Special;
        while (!special) {
            if (work.StopRequested && work.StopRequested()) {
                reason = ContentText::Cancelled;
                return end(ContentResult::Cancelled);
            }
            const int64_t count = work.Reader.ReadFull(work.Buffer.Data(), block);
            if (count == TFileReader::NotAFile) {
                special = true;
            } else if (count < 0) {
                reason = ContentText::CheckFailed + work.Reader.Error();
                return end(ContentResult::ReadFailed);
            } else {
                work.Digester.Update(work.Buffer.Data(), static_cast<size_t>(count));
                if (static_cast<size_t>(count) < block)
                    break;
            }
        }
        if (special) {
            reason = ContentText::Mismatch;
            return end(ContentResult::Different);
        }
        out = work.Digester.Finish();
        return end(ContentResult::Equal);
    } catch (const std::exception& e) {
        reason = e.what();
        return end(ContentResult::Cancelled);
    }
}
