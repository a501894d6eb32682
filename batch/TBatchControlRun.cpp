// The run of TandrilB: the report file, the engine's callbacks and the lines
// they write.
#include <cstdio>

#include "BatchResult.h"
#include "ConsoleOutput.h"
#include "TBatchControl.h"
#include "TRemoteUrl.h"
#include "platform/Directory.h"
#include "platform/StopSignals.h"

namespace {

// The engine that SIGINT and SIGTERM stop.
TCompare* StopTarget = nullptr;

void StopOnSignal() {
    if (StopTarget)
        StopTarget->RequestStop(true);
}

}  // namespace

int TBatchControl::Run() {
    if (SnapshotGiven)
        return RunSnapshot();
    Message.clear();
    DeferredReport = OpenReportWhenListed();
    ReportFailed = false;
    if (!DeferredReport && OpenReport(FileName) != 0)
        return BatchResult::OpenFailed;

    // With a far side, SIGINT and SIGTERM stop the run in order, so that ssh
    // and the far side end with it and the run says it was cut off. A
    // comparison of two local folders ends at the signal, as it always did.
    if (IsRemoteUrl(FromDir) || IsRemoteUrl(ToDir)) {
        Engine->SetRemoteSettings(TRemoteSettings::FromEnvironment());
        StopTarget = Engine.get();
        platform::CallOnStopSignals(StopOnSignal);
    }
    // No failure escapes Compare: it ends in the engine's status.
    Engine->Compare();

    if (ReportFailed)
        return BatchResult::OpenFailed;
    if (Engine->GetStatus() != CompareStatus::Success) {
        // The report keeps the lines written so far and is closed with this
        // object; on standard output they go out now, before the message.
        if (ReportOnConsole && Report)
            Report->Close();
        Message = Engine->GetErrorMessage();
        // A far folder that is none is known only once the far side answers.
        const int status = Engine->GetStatus();
        const bool badPath = status == CompareStatus::BadPathM || status == CompareStatus::BadPathS;
        return badPath ? BatchResult::BadPath : status;
    }
    if (!Engine->GetSummary().empty()) {
        WriteLine("\r\n正常に処理が完了しました\r\n", LineKind::Comment);
    }
    // A report that lost lines (disk full, I/O error) must not pass for a
    // complete one: the failure of any write, the flush or the close ends the
    // run with its own result.
    bool written = Report->Close();
    Report.reset();
    PrintPendingCountLine();
    if (!written) {
        Message = "ファイルの書き込みに失敗しました\r\nファイル " + FileName + " に書き込めません";
        return BatchResult::WriteFailed;
    }
    return BatchResult::Success;
}

bool TBatchControl::OpenReportWhenListed() {
    auto snapshot = [](const std::string& path) {
        return !IsRemoteUrl(path) && !platform::IsFolder(path);
    };
    return snapshot(FromDir) || snapshot(ToDir);
}

int TBatchControl::OpenReport(const std::string& name) {
    auto file = std::make_unique<TReportWriter>(Delimiter(), Encoding, Appendix);
    // A second open of standard output's file would start at its offset 0,
    // and the count line would overwrite the report's first bytes.
    ReportOnConsole = name == StandardOutputName || platform::IsStandardOutput(name);
    if (ReportOnConsole) {
        file->OpenStandardOutput(name);
    } else if (!file->Open(name)) {
        Message = "ファイルのオープンに失敗しました\r\nファイル " + name + " を作成できません";
        return 1;
    }
    Report = std::move(file);
    return 0;
}

bool TBatchControl::IsWritten(LineKind kind) const {
    if ((kind == LineKind::Comment && !Comment) || (kind == LineKind::Header && !Header))
        return false;
    return Report != nullptr;
}

void TBatchControl::WriteLine(const std::string& text, LineKind kind) {
    // After a failure the file drops every further write; Run reports it.
    if (IsWritten(kind))
        Report->WriteText(text);
}

void TBatchControl::OnCompareBegin(TCompare*) {}

void TBatchControl::OnListReady(TCompare* sender, int, int) {
    if (DeferredReport && !Report && OpenReport(FileName) != 0) {
        // Nothing of the run can reach the report: it ends at the first row.
        ReportFailed = true;
        sender->RequestStop(true);
        return;
    }
    WriteLine("比較元: " + FromDir + "\r\n比較先: " + ToDir + "\r\n\r\n--", LineKind::Comment);
    if (IsWritten(LineKind::Header))
        Report->WriteHeader();
}

void TBatchControl::OnRowReady(TCompare*, int, int, int, const TSearchRecEx* m,
                               const TSearchRecEx* s, const TResultRow& row) {
    if (IsWritten(LineKind::Detail))
        Report->WriteRow(row, m, s);
}

void TBatchControl::OnCompareDone(TCompare* sender, int rows, int equal, int different) {
    if (ReportFailed)
        return;
    Different = different;
    char text[256];
    std::snprintf(text, sizeof text,
                  "--\r\n比較回数 :%6d 件\r\n等価     :%6d 件\r\n相違     :%6d 件", rows, equal,
                  different);
    WriteLine(text, LineKind::Comment);
    // A run cut off midway (stopped, or its far side gone) must not pass for
    // a whole one.
    const bool whole = sender->GetStatus() == CompareStatus::Success;
    std::snprintf(text, sizeof text, "%s. 比較回数 : %d 件  等価 : %d 件  相違 : %d 件\r\n",
                  whole ? "処理が完了しました" : "処理が中断されました", rows, equal, different);
    PendingCountLine = text;
    if (!ReportOnConsole)
        PrintPendingCountLine();
}

void TBatchControl::PrintPendingCountLine() {
    PrintConsole(PendingCountLine, Console);
    PendingCountLine.clear();
}

void TBatchControl::OnCompareEnd(TCompare*) {}
