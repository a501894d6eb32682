#include <gtest/gtest.h>

#include "TCompare.h"
#include "TempTree.h"

TEST(CheckPaths, EmptySourceIsReportedFirst) {
    TCompare engine(nullptr);
    EXPECT_EQ(engine.CheckPaths(), 1);
    EXPECT_EQ(engine.GetErrorMessage(), "比較元のパスが不正です");
}

TEST(CheckPaths, EachSideIsTestedInTurn) {
    TTempTree tree;
    tree.Fifo("fifo");
    tree.Folder("dir");
    tree.Link("dir-link", "dir");
    TCompare engine(nullptr);
    // A FIFO is neither a folder nor a snapshot file (a regular file).
    engine.SetPathM(tree.Path("fifo"));
    engine.SetPathS(tree.Path("missing"));
    EXPECT_EQ(engine.CheckPaths(), 1);  // both bad: only the source is reported
    engine.SetPathM(tree.Path("dir-link"));
    EXPECT_EQ(engine.CheckPaths(), 2);
    EXPECT_EQ(engine.GetErrorMessage(), "比較先のパスが不正です");
    EXPECT_EQ(engine.TestPaths(), 2);
    engine.SetPathS(tree.Path("dir") + "/");
    EXPECT_EQ(engine.CheckPaths(), 0);
    EXPECT_EQ(engine.GetErrorMessage(), "");
}

TEST(CheckPaths, TestPathsLeavesARunsStateAlone) {
    TTempTree tree;
    TCompare engine(nullptr);
    engine.SetPathM(tree.Path());
    engine.SetPathS(tree.Path("missing"));
    engine.RequestStop(true);
    EXPECT_EQ(engine.TestPaths(), 2);
    EXPECT_TRUE(engine.IsStopRequested());
    EXPECT_EQ(engine.GetStatus(), 0);
}

TEST(CompareFailure, ThrowingReceiverEndsTheRunWithItsMessage) {
    struct TThrower : TRecorder {
        void OnListReady(TCompare* sender, int m, int s) override {
            TRecorder::OnListReady(sender, m, s);
            throw std::runtime_error("receiver failed");
        }
    } recorder;
    TTempTree m, s;
    TCompare engine(&recorder);
    EXPECT_EQ(RunCompare(engine, m.Path(), s.Path()), -1);
    EXPECT_EQ(engine.GetErrorMessage(), "receiver failed");
    EXPECT_EQ(engine.GetSummary(), "");
    std::vector<std::string> expected = {"begin", "list 0 0", "end"};
    EXPECT_EQ(recorder.Events, expected);
}
