// Skeleton: the listing, pairing and content comparison arrive with the engine work.
#include "TCompare.h"

#include <sys/stat.h>

class TEntryList {};
class TResultList {};

TCompare::TCompare(ICompareCallBack* callback) { Reset(); Callback = callback; }
TCompare::~TCompare() = default;

static bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int TCompare::TestPaths() const {
    if (!IsFolder(PathM)) return CompareStatus::BadPathM;
    if (!IsFolder(PathS)) return CompareStatus::BadPathS;
    return CompareStatus::Success;
}

int TCompare::CheckPaths() {
    Reset();
    Status = TestPaths();
    if (Status == CompareStatus::BadPathM) ErrorMessage = "比較元のパスが不正です";
    if (Status == CompareStatus::BadPathS) ErrorMessage = "比較先のパスが不正です";
    return Status;
}

int TCompare::Compare() {
    Reset();
    if (Callback) Callback->OnCompareBegin(this);
    if (Callback) Callback->OnCompareEnd(this);
    return Status;
}

void TCompare::RequestStop(bool stop) {
    if (!StopFlag.load()) StopFlag.store(stop);
}
int TCompare::GetRowCount() const { return 0; }
const TResultRow* TCompare::GetRow(int) const { return nullptr; }
const TSearchRecEx* TCompare::GetEntryM(int) const { return nullptr; }
const TSearchRecEx* TCompare::GetEntryS(int) const { return nullptr; }
const TSearchRecEx* TCompare::GetRowEntryM(int) const { return nullptr; }
const TSearchRecEx* TCompare::GetRowEntryS(int) const { return nullptr; }
void TCompare::Clear() { Reset(); }
void TCompare::Reset() {
    StopFlag.store(false);
    Status = 0;
    ErrorMessage.clear();
    Summary.clear();
}
std::string TCompare::HeaderText() {
    return "比較元ファイル,フォルダ,比較先ファイル,フォルダ,比較結果,比較元番号,比較先番号";
}
std::string TCompare::AppendixHeaderText() { return HeaderText(); }
void TCompare::AddAppendix(std::vector<std::string>&, const TSearchRecEx*, const TSearchRecEx*) {}
