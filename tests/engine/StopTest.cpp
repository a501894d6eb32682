// Stop requests from a callback: during the listings, during pairing, during a
// content comparison, and the rule that the first request stands.
#include <gtest/gtest.h>

#include "TContentComparer.h"
#include "TPairing.h"
#include "TempTree.h"

namespace {

class Stop : public ::testing::Test {
protected:
    TTempTree M, S;
    TRecorder Recorder;
    TCompare Engine{&Recorder};

    void SetUp() override {
        M.File("a.txt", "1");
        M.File("b.txt", "2");
        S.File("a.txt", "1");
        S.File("b.txt", "2");
    }
    void StopAtBegin() {
        Recorder.AtBegin = [](TCompare* engine) { engine->RequestStop(true); };
    }
};

}  // namespace

TEST_F(Stop, DuringListingStopsTheTargetListingToo) {
    EXPECT_EQ(RunCompare(Engine, M.Path(), S.Path()), 0);
    ASSERT_EQ(Engine.GetRowCount(), 2);
    const TResultRow* before = Engine.GetRow(1);

    StopAtBegin();
    Recorder.Events.clear();
    EXPECT_EQ(RunCompare(Engine, M.Path(), S.Path()), 12);
    EXPECT_EQ(Engine.GetErrorMessage(), "比較先のファイルリスト取得中に処理が中断されました");
    std::vector<std::string> expected = {"begin", "end"};
    EXPECT_EQ(Recorder.Events, expected);
    EXPECT_EQ(Engine.GetSummary(), "");
    // The rows of the earlier run stay, and still read as before.
    ASSERT_EQ(Engine.GetRowCount(), 2);
    EXPECT_EQ(Engine.GetRow(1), before);
    EXPECT_EQ((*before)[0], "b.txt");
}

TEST_F(Stop, EmptyTargetFolderStillDeliversItsDots) {
    TTempTree empty;
    StopAtBegin();
    EXPECT_EQ(RunCompare(Engine, M.Path(), empty.Path()), 12);
}

TEST_F(Stop, TargetThatDeliversNothingLeavesTheSourceStop) {
    StopAtBegin();
    EXPECT_EQ(RunCompare(Engine, M.Path(), S.Path("missing")), 11);
    EXPECT_EQ(Engine.GetErrorMessage(), "比較元のファイルリスト取得中に処理が中断されました");
    // Roots that deliver nothing are no stop either; pairing then meets it.
    EXPECT_EQ(RunCompare(Engine, M.Path("missing"), S.Path("missing")), 100);
    EXPECT_EQ(Engine.GetErrorMessage(), "処理が中断されました");
    EXPECT_EQ(Engine.GetSummary(), "相違はありませんでした");
}

TEST_F(Stop, UnreadableTargetDeliversNothing) {
    S.Mode("", 0);
    std::string status = RunUnprivileged([&] {
        TRecorder recorder;
        recorder.AtBegin = [](TCompare* engine) { engine->RequestStop(true); };
        TCompare engine(&recorder);
        return std::to_string(RunCompare(engine, M.Path(), S.Path()));
    });
    EXPECT_EQ(status, "11");
}

TEST_F(Stop, DuringPairingKeepsTheRowsSoFar) {
    Recorder.AtRow = [](TCompare* engine, int) { engine->RequestStop(true); };
    EXPECT_EQ(RunCompare(Engine, M.Path(), S.Path()), 100);
    EXPECT_EQ(Engine.GetErrorMessage(), "処理が中断されました");
    std::vector<std::string> expected = {"begin", "list 2 2", "row 0 1 0", "done 1 1 0", "end"};
    EXPECT_EQ(Recorder.Events, expected);
    EXPECT_EQ(Engine.GetRowCount(), 1);
    EXPECT_EQ(Engine.GetSummary(), "相違はありませんでした");
    // Entries after the stop were never reached.
    EXPECT_EQ(Engine.GetEntryM(1)->Index, 0);
}

TEST_F(Stop, FirstRequestStandsUntilTheNextReset) {
    Engine.RequestStop(false);
    EXPECT_FALSE(Engine.IsStopRequested());
    Engine.RequestStop(true);
    Engine.RequestStop(false);
    EXPECT_TRUE(Engine.IsStopRequested());
    // Compare begins with a reset, so an earlier request has no effect on it.
    EXPECT_EQ(RunCompare(Engine, M.Path(), S.Path()), 0);
    EXPECT_EQ(Engine.GetRowCount(), 2);
    EXPECT_FALSE(Engine.IsStopRequested());
}

TEST_F(Stop, DuringContentComparisonNamesTheCancelledPair) {
    TSortedTrees trees(M.Path(), S.Path());
    TEntryList& listM = trees.ListM;
    TEntryList& listS = trees.ListS;
    std::atomic<bool> noStop{false};
    TResultList results(trees.M, trees.S);
    // The stop arrives after the pairing step began, before the first cycle.
    TContentComparer contents([] { return true; });
    TPairing pairing(&Engine, &Recorder, TCompareOption(), noStop, contents);
    TPairingResult result = pairing.Run(listM, listS, results);
    EXPECT_EQ(result.Rows, 2);
    EXPECT_EQ(result.Equal, 0);
    EXPECT_EQ(results.Row(0)->Result(), "相違: 不明(キャンセルされた)");
}
