#include "TContentComparer.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {

constexpr const char* TextSizeMismatch = "内容が不一致(サイズが一致しなかった)";
constexpr const char* TextMismatch = "内容が不一致";
constexpr const char* TextCancelled = "不明(キャンセルされた)";
constexpr const char* TextOpenFailed = "バイナリ比較失敗>open file error!!>";
constexpr const char* TextOpenError = "比較失敗>open file error!!";
constexpr const char* TextCheckFailed = "バイナリ比較失敗>check file error!!>";

// Bytes that cycle `offset` takes from a block holding `count` bytes.
size_t CycleCount(int64_t count, size_t offset) {
    if (count <= static_cast<int64_t>(offset))
        return 0;
    return std::min(TContentComparer::CycleSize, static_cast<size_t>(count) - offset);
}

}  // namespace

TContentComparer::TContentComparer(std::function<bool()> stopRequested)
    : StopRequested(std::move(stopRequested)), BufferM(BlockSize), BufferS(BlockSize) {}

TContentComparer::~TContentComparer() = default;

int TContentComparer::Compare(const std::string& pathM, TFileKind kindM, const std::string& pathS,
                              TFileKind kindS, std::string& reason) {
    TSide m{ReaderM, nullptr, nullptr, pathM, kindM, -1};
    TSide s{ReaderS, nullptr, nullptr, pathS, kindS, -1};
    return Run(m, s, reason);
}

bool TContentComparer::TFolderCache::Keeps(const TFolder& folder, const TFolder& kept) const {
    for (const TFolder* held : Folders)
        if (held == &folder)
            return true;
    return Folders[Next] != &kept;
}

const platform::TDirectory* TContentComparer::TFolderCache::Get(const TFolder& folder) {
    for (size_t i = 0; i < Size; ++i)
        if (Folders[i] == &folder)
            return Handles[i].IsOpen() ? &Handles[i] : nullptr;
    size_t slot = Next;
    Next = (Next + 1) % Size;
    Folders[slot] = nullptr;  // the handle is not that of the old folder any more
    Handles[slot].OpenPath(folder.Dir);
    Folders[slot] = &folder;
    return Handles[slot].IsOpen() ? &Handles[slot] : nullptr;
}

int TContentComparer::Compare(const TSearchRecEx& m, const TSearchRecEx& s, std::string& reason) {
    if (TDigestComparer::Needed(m, s)) {
        Uncached = false;
        try {
            if (!Digests)
                Digests = std::make_unique<TDigestComparer>(ReaderM, BufferM, StopRequested);
        } catch (const std::exception& e) {
            reason = e.what();
            return ContentResult::Cancelled;
        }
        return Digests->Compare(m, s, reason);
    }
    PathM.assign(m.Dir()).append(m.Name);
    PathS.assign(s.Dir()).append(s.Name);
    const platform::TDirectory* folderM = nullptr;
    const platform::TDirectory* folderS = nullptr;
    try {
        folderM = FoldersM.Get(*m.Folder);
        folderS = FoldersS.Get(*s.Folder);
    } catch (...) {
        // Without a folder handle the file is opened by its path.
    }
    // What the listing found stands for a regular file until its reads say
    // otherwise: no status call per opened file.
    auto listed = [](const TSearchRecEx& e) { return e.Kind == TFileKind::Regular ? e.Size : -1; };
    TSide sideM{ReaderM, folderM, m.Name.c_str(), PathM, m.Kind, listed(m)};
    TSide sideS{ReaderS, folderS, s.Name.c_str(), PathS, s.Kind, listed(s)};
    return Run(sideM, sideS, reason);
}

int TContentComparer::Run(TSide& m, TSide& s, std::string& reason) {
    int code = ContentResult::Equal;
    Uncached = false;
    try {
        reason.clear();
        code = Open(m, s, reason);
        if (code == ContentResult::Equal && !IsSpecial(m.Kind) && !IsSpecial(s.Kind)) {
            try {
                code = CompareBytes(reason);
            } catch (const std::exception& e) {
                reason = std::string(TextCheckFailed) + e.what();
                code = ContentResult::ReadFailed;
            }
        }
    } catch (const std::exception& e) {
        reason = e.what();
        code = ContentResult::Cancelled;
    } catch (...) {
        reason.clear();
        code = ContentResult::Cancelled;
    }
    ReaderM.Close();
    ReaderS.Close();
    return code;
}

int TContentComparer::Open(TSide& m, TSide& s, std::string& reason) {
    try {
        // Source first, then target: the first file that cannot be opened is named.
        for (TSide* side : {&m, &s}) {
            if (IsSpecial(side->Kind))
                continue;
            TFileKind found = side->Kind;
            auto result = side->Folder ? side->Reader.OpenAt(*side->Folder, side->Name, side->Path,
                                                             found, side->ListedSize)
                                       : side->Reader.Open(side->Path, found);
            if (result == platform::TFileReader::TOpenResult::Failed) {
                reason = std::string(TextOpenFailed) + "ファイル " + side->Path + " は開けません";
                return ContentResult::OpenFailed;
            }
            if (result == platform::TFileReader::TOpenResult::Special)
                side->Kind = found;
        }
        if (IsSpecial(m.Kind) || IsSpecial(s.Kind)) {
            if (m.Kind == s.Kind)
                return ContentResult::Equal;
            reason = TextMismatch;
            return ContentResult::Different;
        }
        return ContentResult::Equal;
    } catch (...) {
        reason = TextOpenError;
        return ContentResult::OpenError;
    }
}

int TContentComparer::CompareBytes(std::string& reason) {
    char* blockM = BufferM.Data();
    char* blockS = BufferS.Data();
    while (true) {
        // The probe before a block read is the probe of the block's first cycle.
        if (StopRequested && StopRequested()) {
            reason = TextCancelled;
            return ContentResult::Cancelled;
        }
        // Both reads are under way before either is waited for: on a cold
        // cache the disk reads the two files at once.
        ReaderM.Start(blockM, BlockSize);
        ReaderS.Start(blockS, BlockSize);
        Uncached = Uncached || ReaderM.Missed() || ReaderS.Missed();
        const int64_t countM = ReaderM.Finish();
        const int64_t countS = ReaderS.Finish();
        if (countM == platform::TFileReader::NotAFile || countS == platform::TFileReader::NotAFile)
            return CompareKinds(reason);
        if (countM < 0) {
            reason = TextCheckFailed + ReaderM.Error();
            return ContentResult::ReadFailed;
        }
        if (countS < 0) {
            reason = TextCheckFailed + ReaderS.Error();
            return ContentResult::ReadFailed;
        }
        int code = ContentResult::Equal;
        if (CompareBlock(blockM, countM, blockS, countS, code, reason))
            return code;
    }
}

bool TContentComparer::CompareBlock(const char* blockM, int64_t countM, const char* blockS,
                                    int64_t countS, int& code, std::string& reason) {
    for (size_t offset = 0; offset < BlockSize; offset += CycleSize) {
        if (offset > 0 && StopRequested && StopRequested()) {
            reason = TextCancelled;
            code = ContentResult::Cancelled;
            return true;
        }
        size_t cycleM = CycleCount(countM, offset);
        size_t cycleS = CycleCount(countS, offset);
        if (cycleM == 0 && cycleS == 0) {
            code = ContentResult::Equal;
            return true;
        }
        if (cycleM != cycleS) {
            reason = TextSizeMismatch;
            code = ContentResult::Different;
            return true;
        }
        if (std::memcmp(blockM + offset, blockS + offset, cycleM) != 0) {
            reason = TextMismatch;
            code = ContentResult::Different;
            return true;
        }
    }
    return false;
}

int TContentComparer::CompareKinds(std::string& reason) {
    if (ReaderM.FoundKind() == ReaderS.FoundKind())
        return ContentResult::Equal;
    reason = TextMismatch;
    return ContentResult::Different;
}

bool TContentComparer::Stopped(int& code, std::string& reason) {
    if (!StopRequested || !StopRequested())
        return false;
    reason = TextCancelled;
    code = ContentResult::Cancelled;
    return true;
}
