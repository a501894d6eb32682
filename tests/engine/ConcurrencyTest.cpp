// Reads from another thread while a comparison runs, as the window does.
#include <gtest/gtest.h>

#include <thread>

#include "TempTree.h"

TEST(Concurrency, RowsAndEntriesReadWhileARunGoesOn) {
    TTempTree m, s;
    for (int i = 0; i < 400; ++i) {
        m.File("d" + std::to_string(i % 7) + "/f" + std::to_string(i), std::to_string(i));
        if (i % 3)
            s.File("d" + std::to_string(i % 7) + "/f" + std::to_string(i), "x");
    }
    TRecorder recorder;
    TCompare engine(&recorder);
    std::atomic<int> problems{0};
    // As the window does: Clear, then a run with a reader on another thread.
    // Rows and entries handed out stay valid during the run that replaces
    // them, not past its end.
    for (int run = 0; run < 3; ++run) {
        engine.Clear();
        std::atomic<bool> done{false};
        std::thread reader([&] {
            while (!done.load()) {
                int count = engine.GetRowCount();
                for (int i = std::max(0, count - 20); i < count; ++i) {
                    const TResultRow* row = engine.GetRow(i);
                    if (!row || row->Result().empty())
                        problems++;
                }
                for (int i = 0; i < 50; ++i) {
                    const TSearchRecEx* e = engine.GetEntryM(i);
                    if (e && e->Name.empty())
                        problems++;
                    if (e)
                        (void)e->Index.load();
                }
            }
        });
        EXPECT_EQ(RunCompare(engine, m.Path(), s.Path()), 0);
        done = true;
        reader.join();
    }
    EXPECT_EQ(problems.load(), 0);
    EXPECT_EQ(engine.GetRowCount(), 407);
}
