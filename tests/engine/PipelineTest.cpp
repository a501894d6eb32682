// Contents compared ahead on worker threads: the rows, events, entry numbers
// and stop outcomes must be those of the sequential engine.
#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <set>
#include <thread>

#include "TContentComparer.h"
#include "TPairing.h"
#include "TempTree.h"

namespace {

const std::string Cancelled = "相違: 不明(キャンセルされた)";

std::string Bytes(size_t size, char seed) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(seed + (i * 7) % 26);
    return text;
}

// Two trees with every kind of row: equal and different contents at block
// boundaries, one-sided entries, attribute differences, special files,
// files that cannot be opened, and names that differ only in letter case.
void MakeVariedTrees(TTempTree& m, TTempTree& s) {
    const size_t block = TContentComparer::BlockSize;
    for (int i = 0; i < 60; ++i) {
        std::string dir = "d" + std::to_string(i % 6) + "/";
        std::string name = dir + "f" + std::to_string(i);
        size_t size = (i % 5 == 0) ? block * 2 + size_t(i) : size_t(i) * 97;
        std::string content = Bytes(size, 'a');
        m.File(name, content);
        if (i % 7 == 3)
            continue;  // only in the source
        if (i % 4 == 1 && size > 0)
            content[size - 1] ^= 1;  // differs in the last byte
        if (i % 9 == 2)
            content[0] ^= 1;  // differs in the first byte
        s.File(name, content, i % 11 == 5 ? 1600000100 : 1600000000);
    }
    s.File("only-s/x", "x");
    m.File("grown", Bytes(3000, 'g'));
    s.File("grown", Bytes(5000, 'g'));
    m.File("empty", "");
    s.File("empty", "");
    m.Folder("kind");
    s.File("kind", "");
    m.Fifo("fifo");
    s.Fifo("fifo");
    m.SetTime("fifo", 1600000000);
    s.SetTime("fifo", 1600000000);
    m.Link("dangling", "missing-m");
    s.Link("dangling", "missing-s");
    m.SetTime("dangling", 1600000000);
    s.SetTime("dangling", 1600000000);
    // Alike under IgnoreLineEnds only, by size and by bytes.
    m.File("lines/crlf", "a\r\nb\r\n");
    s.File("lines/crlf", "a\nb\n");
    m.File("lines/blank", "a \n");
    s.File("lines/blank", "a\t\n");
    for (const char* name : {"case/a.txt", "case/A.TXT", "case/b.TXT"})
        m.File(name, name);
    for (const char* name : {"case/a.txt", "case/A.txt", "case/a.TXT", "case/B.txt"})
        s.File(name, name);
}

// What a run shows to its owner.
struct TRunRecord {
    int Status = 0;
    std::vector<std::string> Events;
    std::vector<std::vector<std::string>> Rows;
    std::string Summary;
    std::vector<int> IndexM, IndexS;  // every entry's Index after the run
};

TRunRecord Record(TCompare& engine, TRecorder& recorder, int status) {
    TRunRecord r;
    r.Status = status;
    r.Events = recorder.Events;
    r.Rows = recorder.Rows;
    r.Summary = engine.GetSummary();
    for (int i = 0; engine.GetEntryM(i); ++i)
        r.IndexM.push_back(engine.GetEntryM(i)->Index);
    for (int i = 0; engine.GetEntryS(i); ++i)
        r.IndexS.push_back(engine.GetEntryS(i)->Index);
    return r;
}

TRunRecord RunOnce(const TTempTree& m, const TTempTree& s, bool sequential,
                   const TCompareOption& option = TCompareOption(), int stopAtRow = -1) {
    TRecorder recorder;
    if (stopAtRow >= 0)
        recorder.AtRow = [stopAtRow](TCompare* engine, int row) {
            if (row == stopAtRow)
                engine->RequestStop(true);
        };
    TCompare engine(&recorder);
    engine.SetSequential(sequential);
    int status = RunCompare(engine, m.Path(), s.Path(), option);
    return Record(engine, recorder, status);
}

void ExpectSameRun(const TRunRecord& a, const TRunRecord& b) {
    EXPECT_EQ(a.Status, b.Status);
    EXPECT_EQ(a.Events, b.Events);
    EXPECT_EQ(a.Rows, b.Rows);
    EXPECT_EQ(a.Summary, b.Summary);
    EXPECT_EQ(a.IndexM, b.IndexM);
    EXPECT_EQ(a.IndexS, b.IndexS);
}

class Pipeline : public ::testing::Test {
protected:
    TTempTree M, S;
    void SetUp() override { MakeVariedTrees(M, S); }
};

}  // namespace

TEST_F(Pipeline, SameRowsAsSequentialUnderEveryOptionSet) {
    TCompareOption skip;
    skip.SkipContents = true;
    TCompareOption loose;  // sizes and times ignored: contents decide
    loose.IgnoreSize = true;
    loose.IgnoreTime = true;
    loose.IgnoreAttr = true;
    TCompareOption lineEnds;
    lineEnds.IgnoreLineEnds = true;
    for (const TCompareOption& option : {TCompareOption(), skip, loose, lineEnds}) {
        TRunRecord sequential = RunOnce(M, S, true, option);
        ASSERT_EQ(sequential.Status, 0);
        ExpectSameRun(RunOnce(M, S, false, option), sequential);
    }
    // The trees hold every kind of outcome, so the comparison above means something.
    TRunRecord run = RunOnce(M, S, false, loose);
    std::set<std::string> texts;
    for (const auto& row : run.Rows)
        texts.insert(row[4]);
    for (const char* text :
         {"等価", "比較元無し", "比較先無し", "相違: 内容が不一致",
          "相違: 内容が不一致(サイズが一致しなかった)", "相違: フォルダとファイル "})
        EXPECT_TRUE(texts.count(text)) << text;
    bool openFailure = false;
    for (const auto& text : texts)
        openFailure |= text.rfind("相違: バイナリ比較失敗>open file error!!>", 0) == 0;
    const auto rows = RunOnce(M, S, false, lineEnds).Rows;
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const auto& row) { return row[4] == "等価 (改行・空白)"; }),
              2);
    EXPECT_TRUE(openFailure);
}

TEST_F(Pipeline, StopAfterAnyRowLeavesWhatTheSequentialEngineLeaves) {
    const int rows = static_cast<int>(RunOnce(M, S, true).Rows.size());
    for (int stopAt = 0; stopAt < rows; stopAt += 3) {
        SCOPED_TRACE("stop at row " + std::to_string(stopAt));
        TRunRecord sequential = RunOnce(M, S, true, TCompareOption(), stopAt);
        EXPECT_EQ(sequential.Status, 100);
        EXPECT_EQ(sequential.Rows.size(), size_t(stopAt + 1));
        ExpectSameRun(RunOnce(M, S, false, TCompareOption(), stopAt), sequential);
    }
}

// Read from the disk, the pass adds its cold workers; the rows stay those of
// the sequential engine.
TEST_F(Pipeline, TreesReadFromTheDiskGiveTheSameRows) {
    TCompareOption loose;
    loose.IgnoreSize = true;
    loose.IgnoreTime = true;
    const TRunRecord sequential = RunOnce(M, S, true, loose);
    M.Evict();
    S.Evict();
    ExpectSameRun(RunOnce(M, S, false, loose), sequential);
}

// Every lookahead shape, including more workers than pairs and a window of
// two, gives the sequential rows.
TEST_F(Pipeline, AnyWindowAndWorkerCountGivesTheSameRows) {
    TSortedTrees trees(M.Path(), S.Path());
    TEntryList& listM = trees.ListM;
    TEntryList& listS = trees.ListS;
    std::atomic<bool> noStop{false};
    std::vector<std::vector<std::string>> expected;
    for (TLookahead shape : {TLookahead{1, 0}, TLookahead{2, 1}, TLookahead{3, 3},
                             TLookahead{128, 1}, TLookahead{128, 0}, TLookahead{1000, 2}}) {
        SCOPED_TRACE(std::to_string(shape.Window) + " " + std::to_string(shape.Workers));
        TRecorder recorder;
        TResultList results(trees.M, trees.S);
        TContentComparer contents(nullptr);
        TPairing pairing(nullptr, &recorder, TCompareOption(), noStop, contents, shape);
        TPairingResult result = pairing.Run(listM, listS, results);
        EXPECT_FALSE(result.Stopped);
        EXPECT_EQ(result.Rows, static_cast<int>(recorder.Rows.size()));
        if (expected.empty())
            expected = recorder.Rows;
        EXPECT_EQ(recorder.Rows, expected);
    }
}

class PipelineLarge : public ::testing::Test {
protected:
    TTempTree M, S;
    static constexpr size_t Large = 16 * 1024 * 1024;
    // A small pair first, then large equal pairs that take a while to compare.
    void SetUp() override {
        M.File("a-small", "x");
        S.File("a-small", "x");
        const std::string big = Bytes(Large, 'k');
        for (const char* name : {"b-large", "c-large", "d-large", "e-large"}) {
            M.File(name, big);
            S.File(name, big);
        }
    }
};

TEST_F(PipelineLarge, ComparisonsCutShortAheadAreNeverDelivered) {
    // The stop comes while the workers are inside the large pairs ahead; the
    // next step sees it, so only the first row is delivered, as sequentially.
    TRunRecord run = RunOnce(M, S, false, TCompareOption(), 0);
    ExpectSameRun(run, RunOnce(M, S, true, TCompareOption(), 0));
    ASSERT_EQ(run.Rows.size(), 1u);
    EXPECT_EQ(run.Rows[0][4], "等価");
}

TEST_F(PipelineLarge, StopFromAnotherThreadCutsAtMostTheRowDue) {
    const TRunRecord full = RunOnce(M, S, true);
    ASSERT_EQ(full.Status, 0);
    for (int delayMs : {0, 1, 2, 4, 8, 16, 32}) {
        SCOPED_TRACE("stop after " + std::to_string(delayMs) + " ms");
        TRecorder recorder;
        TCompare engine(&recorder);
        std::thread stopper;
        recorder.AtBegin = [&](TCompare* sender) {
            stopper = std::thread([sender, delayMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                sender->RequestStop(true);
            });
        };
        int status = RunCompare(engine, M.Path(), S.Path());
        stopper.join();
        TRunRecord run = Record(engine, recorder, status);
        // The rows are the sequential ones up to the stop; only the last may
        // have been cut inside its contents, and then the pass ended there.
        ASSERT_LE(run.Rows.size(), full.Rows.size());
        for (size_t i = 0; i < run.Rows.size(); ++i) {
            if (i + 1 == run.Rows.size() && run.Rows[i][4] == Cancelled) {
                std::vector<std::string> cut = full.Rows[i];
                cut[4] = Cancelled;
                EXPECT_EQ(run.Rows[i], cut);
            } else {
                EXPECT_EQ(run.Rows[i], full.Rows[i]);
            }
        }
        if (status == 0)
            ExpectSameRun(run, full);
        else
            EXPECT_TRUE(status == 11 || status == 12 || status == 100) << status;
        if (status == 100 && !run.Rows.empty()) {
            // Entries after the last row delivered keep Index 0.
            for (size_t i = run.Rows.size(); i < run.IndexM.size(); ++i)
                EXPECT_EQ(run.IndexM[i], 0);
        }
    }
}

TEST_F(PipelineLarge, FailureInACallbackEndsTheWorkersToo) {
    TRecorder recorder;
    recorder.AtRow = [](TCompare*, int) { throw std::runtime_error("receiver failed"); };
    TCompare engine(&recorder);
    EXPECT_EQ(RunCompare(engine, M.Path(), S.Path()), -1);
    EXPECT_EQ(engine.GetErrorMessage(), "receiver failed");
    EXPECT_EQ(engine.GetRowCount(), 0);
    // The same engine runs again at once, undisturbed by the earlier workers.
    recorder.AtRow = nullptr;
    recorder.Rows.clear();
    EXPECT_EQ(RunCompare(engine, M.Path(), S.Path()), 0);
    EXPECT_EQ(recorder.Rows.size(), 5u);
}
