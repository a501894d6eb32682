// "/snapshot": TandrilB writes the snapshot of a folder instead of comparing.
#include <atomic>
#include <cinttypes>
#include <cstdio>

#include "BatchResult.h"
#include "ConsoleOutput.h"
#include "TBatchControl.h"
#include "TRemoteUrl.h"
#include "TSnapshotWriter.h"
#include "platform/OutputFile.h"
#include "platform/StopSignals.h"

int TBatchControl::RunSnapshot() {
    Message.clear();
    platform::OutputFile file;
    if (SnapshotFile == StandardOutputName) {
        file.OpenStandardOutput(SnapshotFile);
    } else if (!file.OpenReplacing(SnapshotFile)) {
        Message =
            "ファイルのオープンに失敗しました\r\nファイル " + SnapshotFile + " を作成できません";
        return BatchResult::OpenFailed;
    }

    // Only a snapshot of a far tree is stopped by SIGINT and SIGTERM, so that
    // ssh and the far side end with the run; a local one ends at the signal.
    static std::atomic<bool> Stopped{false};
    TSnapshotWriter writer(Stopped);
    if (IsRemoteUrl(FromDir)) {
        writer.SetRemoteSettings(TRemoteSettings::FromEnvironment());
        platform::CallOnStopSignals([] { Stopped.store(true); });
    }
    const platform::TDigestKind kind = *DigestKind(Digest);
    std::string options =
        kind == platform::TDigestKind::Xxh128 ? "/digest xxh128" : "/digest sha256";
    for (const std::string& pattern : Option.Exclude)
        options += " /exclude " + pattern;
    writer.SetDigest(kind);
    writer.SetExclude(Option.Exclude);
    writer.SetHeader(std::string("TandrilB ") + TANDRIL_VERSION, options);
    const TSnapshotWriter::TResult result =
        writer.Write(FromDir, [&file](std::string_view bytes) { return file.Write(bytes); });

    if (result == TSnapshotWriter::TResult::Refused || result == TSnapshotWriter::TResult::Failed) {
        file.Abandon();
        Message = writer.Message();
        if (result == TSnapshotWriter::TResult::Failed)
            return CompareStatus::RuntimeFailure;
        // A far folder that is none is known only once the far side answers.
        if (writer.Status() == CompareStatus::BadPathM) {
            Message = "比較元のパスが不正です (" + Message + ")";
            return BatchResult::BadPath;
        }
        return writer.Status();
    }
    if (result == TSnapshotWriter::TResult::Stopped) {
        file.Abandon();
        Message = "処理が中断されました";
        return CompareStatus::PairingStopped;
    }
    // A snapshot that lost bytes must not pass for a whole one: it is removed.
    if (result != TSnapshotWriter::TResult::Written || !file.Close()) {
        file.Abandon();
        Message =
            "ファイルの書き込みに失敗しました\r\nファイル " + SnapshotFile + " に書き込めません";
        return BatchResult::WriteFailed;
    }
    char text[256];
    std::snprintf(text, sizeof text, "スナップショットを保存しました. 項目 : %" PRId64 " 件",
                  writer.Entries());
    std::string line = text;
    if (writer.Unreadable() > 0) {
        std::snprintf(text, sizeof text, "  読めなかったファイル : %" PRId64 " 件",
                      writer.Unreadable());
        line += text;
    }
    if (writer.UnreadableFolders() > 0) {
        std::snprintf(text, sizeof text, "  読めなかったフォルダ : %" PRId64 " 件",
                      writer.UnreadableFolders());
        line += text;
    }
    PrintConsole(line + "\r\n", Console);
    return BatchResult::Success;
}
