// The mtree(5) text: escapes, the reader fed in pieces, what it refuses, and
// what the writer writes reading back the same.
#include <gtest/gtest.h>

#include "MtreeText.h"
#include "TMtreeParser.h"
#include "TMtreeWriter.h"

namespace {

// Every record as "path kind size digest-kind", or the refusal as "line N: reason".
struct TParsed {
    std::vector<std::string> Records;
    std::string Refusal;
};

TParsed Parse(std::string_view text, size_t piece = 0) {
    TParsed parsed;
    TMtreeParser parser([&](const TMtreeRecord& r, std::string&) {
        parsed.Records.push_back(r.Path + " " + std::to_string(int(r.Kind)) + " " +
                                 std::to_string(r.Size) + " " +
                                 std::to_string(int(r.Facts.Digest.Kind)) +
                                 (r.LinkTarget.empty() ? "" : " -> " + r.LinkTarget));
        return true;
    });
    bool ok = true;
    for (size_t i = 0; ok && i < text.size(); i += piece ? piece : text.size())
        ok = parser.Feed(text.substr(i, piece ? piece : text.size()));
    if (!ok || !parser.Finish())
        parsed.Refusal = "line " + std::to_string(parser.ErrorLine()) + ": " + parser.ErrorText();
    return parsed;
}

const std::string kSha(64, 'a');

}  // namespace

TEST(Mtree, EscapedNamesDecodeToEveryByte) {
    std::string name;
    for (int c = 1; c < 256; ++c)
        if (c != '/')
            name.push_back(static_cast<char>(c));
    std::string escaped, decoded;
    AppendEscapedName(escaped, name);
    EXPECT_EQ(escaped.find_first_of(" \t\n#=*?[]"), std::string::npos);
    ASSERT_TRUE(DecodeVis(escaped, decoded));
    EXPECT_EQ(decoded, name);

    // The forms NetBSD's mtree and vis(3) write, and what is refused.
    const struct {
        const char* Text;
        const char* Decoded;  // null: refused
    } cases[] = {
        {"b\\sc", "b c"},
        {"bs\\\\x", "bs\\x"},
        {"\\040\\1011", " A1"},
        {"\\M-f\\M^W\\M-%", "\xe6\x97\xa5"},
        {"\\M^\\\\M-,", "\x9c\xac"},
        {"\\M^?bad",
         "\xff"
         "bad"},
        {"\\^?\\^A\\E", "\x7f\x01\x1b"},
        {"a\\$b\\x41", "abA"},
        {"\\n\\t\\r", "\n\t\r"},   {"\\#h\\*\\[", "#h*["},
        {"\\", nullptr},
        {"\\q", nullptr},
        {"\\000", nullptr},
        {"\\M", nullptr},
        {"\\400", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(DecodeVis(c.Text, decoded), c.Decoded != nullptr);
        if (c.Decoded) {
            EXPECT_EQ(decoded, c.Decoded);
        }
    }
}

TEST(Mtree, BothStylesReadAliveInAnyPieces) {
    // NetBSD's mtree -c: /set, names relative to the current folder, "..",
    // continued lines, "sha256=".
    const std::string hierarchical =
        "#\t   user: root\n"
        "/set type=file uid=0 gid=0 mode=0644 nlink=1\n"
        ".               type=dir mode=0755 nlink=3 time=1700000000.000000000\n"
        "    a.txt       size=3 time=1700000000.5 \\\n"
        "                sha256=" +
        kSha +
        "\n"
        "    lnk         type=link mode=0777 link=a\\stxt\n"
        "sub             type=dir time=1700000000.0\n"
        "    b\\sc        size=1 time=1700000000.0\n"
        "deeper          type=dir\n"
        "    f           size=2\n"
        "..\n"
        "..\n"
        "/unset size\n"
        "top             \n"
        "..\n";
    // bsdtar --format=mtree and TandrilB: one line per entry, from the root.
    const std::string full =
        "#mtree\n"
        ". type=dir\n"
        "./a.txt type=file size=3 sha256digest=" +
        kSha +
        "\n"
        "./sub/b\\040c type=file size=1 tandril_xxh128=" +
        std::string(32, 'F') +
        "\n"
        "sub/x type=fifo\n";
    const std::vector<std::string> hierarchicalRecords = {
        " 1 0 0",        "a.txt 0 3 1",      "lnk 8 0 0 -> a txt", "sub 1 0 0",
        "sub/b c 0 1 0", "sub/deeper 1 0 0", "sub/deeper/f 0 2 0", "top 0 0 0"};
    const std::vector<std::string> fullRecords = {" 1 0 0", "a.txt 0 3 1", "sub/b c 0 1 2",
                                                  "sub/x 2 0 0"};
    for (size_t piece : {0, 1, 7}) {
        SCOPED_TRACE(piece);
        TParsed h = Parse(hierarchical, piece);
        EXPECT_EQ(h.Refusal, "");
        EXPECT_EQ(h.Records, hierarchicalRecords);
        TParsed f = Parse(full, piece);
        EXPECT_EQ(f.Refusal, "");
        EXPECT_EQ(f.Records, fullRecords);
    }
}

TEST(Mtree, HostileTextIsRefusedWithLineAndReason) {
    const std::string tandril = "#mtree\n#\t   tool: TandrilB 1.1.2.0\n. type=dir\n";
    const std::string longLine = ". type=dir\n./" + std::string(TMtreeParser::MaxLine, 'x') + "\n";
    const struct {
        std::string Text;
        std::string Refusal;
    } cases[] = {
        {"", "line 1: 空のファイルです"},
        {"# only a comment\n\n", "line 2: 項目がありません"},
        {". type=dir\n./a type=file", "line 2: 途中で切れています (最後の行が終わっていません)"},
        {". type=dir\n./a type=file \\\n",
         "line 2: 途中で切れています (最後の行が終わっていません)"},
        {tandril + "./a type=file\n", "line 5: 途中で切れています (項目数の行がありません)"},
        {tandril + "#\tentries: 3\n", "line 4: 項目数の行 (3 件) と項目の数 (1 件) が合いません"},
        {tandril + "#\tentries: 1\n./a type=file\n", "line 5: 項目数の行の後に項目があります"},
        {longLine, "line 2: 行が長すぎます (1 MiB を超えています)"},
        {std::string(". type=dir\nab\0cd\n", 17),
         "line 2: NUL 文字があります (バイナリファイルです)"},
        {". type=dir\n\x01\x02\x03\n", "line 2: 制御文字があります (バイナリファイルです)"},
        {"/etc/passwd type=file\n", "line 1: 絶対パスは使えません: /etc/passwd"},
        {"./a/../../b type=file\n", "line 1: .. を含むパスは使えません"},
        {"./a//b type=file\n", "line 1: 名前が不正です: "},
        {"./a\\q type=file\n", "line 1: 名前のエスケープが不正です: a\\q"},
        {"./a type=file color=red\n", "line 1: 不明なキーワードです: color=red"},
        {"./a type=pipe\n", "line 1: type が不正です: type=pipe"},
        {"./a\n", "line 1: type がありません"},
        {"./a type=file size=9223372036854775808\n",
         "line 1: サイズが範囲外か不正です: size=9223372036854775808"},
        {"./a type=file size=-1\n", "line 1: サイズが範囲外か不正です: size=-1"},
        {"./a type=file time=253402300800.0\n",
         "line 1: 時刻が範囲外か不正です: time=253402300800.0"},
        {"./a type=file time=1.0000000001\n", "line 1: 時刻が範囲外か不正です: time=1.0000000001"},
        {"./a type=file mode=10000\n", "line 1: mode が範囲外か不正です: mode=10000"},
        {"./a type=file sha256digest=abc\n",
         "line 1: ダイジェストの長さが不正です: sha256digest=abc"},
        {"./a type=file sha256=" + std::string(63, 'a') + "g\n",
         "line 1: ダイジェストに 16 進数字以外の文字があります: sha256=" + std::string(57, 'a') +
             "..."},
        {". type=dir\n.. extra\n", "line 2: .. の後に何か書かれています"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 80));
        EXPECT_EQ(Parse(c.Text).Refusal.substr(0, c.Refusal.size()), c.Refusal);
    }
    // A long line is refused before it is kept whole.
    TMtreeParser parser([](const TMtreeRecord&, std::string&) { return true; });
    const std::string block(64 * 1024, 'x');
    size_t fed = 0;
    while (parser.Feed(block))
        fed += block.size();
    EXPECT_LE(fed, TMtreeParser::MaxLine);
}

TEST(Mtree, WrittenEntriesReadBackAsTheyWere) {
    std::string text;
    TMtreeWriter writer([&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    writer.WriteHeader(
        {"TandrilB 9", "/srv/data\nx", "host", "2026-01-01T00:00:00Z", "/digest sha256"});
    TEntryFacts facts;
    facts.Recorded = TEntryFacts::HasSize | TEntryFacts::HasTime | TEntryFacts::HasMode;
    facts.Mode = 0444;
    facts.Seconds = -5;
    facts.Nanoseconds = 7;
    platform::ParseDigestHex(kSha, platform::TDigestKind::Sha256, facts.Digest);
    writer.WriteEntry("", "", TFileKind::Directory, 0, TEntryFacts{});
    writer.WriteEntry("sub dir/x", "new\nline\\#*", TFileKind::Regular, 42, facts);
    writer.WriteComment("reason\nwith a line break");
    const std::string target = "../t a";
    TEntryFacts link;
    link.LinkTarget = &target;
    writer.WriteEntry("", "lnk", TFileKind::Link, 0, link);
    ASSERT_TRUE(writer.Finish());
    EXPECT_NE(text.find("./sub\\040dir/x/new\\012line\\134\\043\\052 type=file mode=0444 "
                        "size=42 time=-5.000000007 sha256digest=" +
                        kSha + "\n"),
              std::string::npos);
    EXPECT_NE(text.find("#\t   tree: /srv/data\\012x\n"), std::string::npos);

    std::vector<TMtreeRecord> records;
    TMtreeParser parser([&records](const TMtreeRecord& r, std::string&) {
        records.push_back(r);
        return true;
    });
    ASSERT_TRUE(parser.Feed(text) && parser.Finish()) << parser.ErrorText();
    EXPECT_TRUE(parser.FromTandril());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].Path, "sub dir/x/new\nline\\#*");
    EXPECT_EQ(records[1].Size, 42);
    EXPECT_EQ(records[1].Facts.Seconds, -5);
    EXPECT_EQ(records[1].Facts.Nanoseconds, 7u);
    EXPECT_EQ(records[1].Facts.Mode, 0444);
    EXPECT_TRUE(records[1].Facts.Digest == facts.Digest);
    EXPECT_EQ(records[2].LinkTarget, target);

    // A Tandril snapshot cut after any whole line is refused.
    const size_t lastEntry = text.find("./lnk");
    EXPECT_NE(Parse(text.substr(0, lastEntry)).Refusal, "");
}
