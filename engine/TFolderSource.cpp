#include "TFolderSource.h"

#include "ContentText.h"
#include "TContentComparer.h"
#include "TFolderLister.h"

TListOutcome TFolderSource::List(TEntryList& list, const TListRequest& request) {
    TFolderLister lister(list, request.Stop, request.Exclude, request.Facts);
    TListOutcome outcome;
    outcome.Result = lister.ListTree(Root);
    outcome.Delivered = lister.RootDelivered();
    return outcome;
}

int TFolderSource::Digest(const TSearchRecEx& entry, platform::TDigestKind kind, TDigestWork& work,
                          platform::TDigestValue& out, std::string& reason) {
    return DigestFile(entry.FullPath(), entry.Kind, kind, work, out, reason);
}

int TFolderSource::DigestFile(const std::string& path, TFileKind kind, platform::TDigestKind digest,
                              TDigestWork& work, platform::TDigestValue& out, std::string& reason) {
    using platform::TFileReader;
    try {
        reason.clear();
        TFileKind found = kind;
        const TFileReader::TOpenResult opened = work.Reader.Open(path, found);
        if (opened == TFileReader::TOpenResult::Failed) {
            reason = std::string(ContentText::OpenFailed) + "ファイル " + path + " は開けません";
            return ContentResult::OpenFailed;
        }
        // Replaced since it was listed by a FIFO, a device or a socket: not read.
        if (opened == TFileReader::TOpenResult::Special) {
            reason = ContentText::Mismatch;
            return ContentResult::Different;
        }
        work.Digester.Start(digest);
        const size_t block = work.Buffer.Size();
        while (true) {
            if (work.StopRequested && work.StopRequested()) {
                work.Reader.Close();
                reason = ContentText::Cancelled;
                return ContentResult::Cancelled;
            }
            const int64_t count = work.Reader.ReadFull(work.Buffer.Data(), block);
            if (count < 0) {
                reason = ContentText::CheckFailed + work.Reader.Error();
                work.Reader.Close();
                return ContentResult::ReadFailed;
            }
            work.Digester.Update(work.Buffer.Data(), static_cast<size_t>(count));
            if (static_cast<size_t>(count) < block)
                break;
        }
        work.Reader.Close();
        out = work.Digester.Finish();
        return ContentResult::Equal;
    } catch (const std::exception& e) {
        work.Reader.Close();
        reason = e.what();
        return ContentResult::Cancelled;
    }
}
