#pragma once

// The reason texts of a content comparison that compares by digest: the
// byte comparer's texts for the same events, and two of its own for what a
// digest cannot tell.
namespace ContentText {
constexpr const char* SizeMismatch = "内容が不一致(サイズが一致しなかった)";
constexpr const char* Mismatch = "内容が不一致";
constexpr const char* Cancelled = "不明(キャンセルされた)";
constexpr const char* OpenFailed = "バイナリ比較失敗>open file error!!>";
constexpr const char* CheckFailed = "バイナリ比較失敗>check file error!!>";
// A snapshot recorded no digest for the file: its contents were never compared.
constexpr const char* NoDigest = "不明(ダイジェストが無い)";
// Two snapshots recorded digests of different kinds.
constexpr const char* OtherDigest = "不明(ダイジェストの種類が違う)";
}  // namespace ContentText
