#pragma once

class TCompare;
class TResultRow;
struct TSearchRecEx;

// What the engine reports during a run, in this slot order. The engine calls
// each operation on the thread that runs Compare and ignores what it does.
class ICompareCallBack {
public:
    virtual ~ICompareCallBack() = default;

    // First thing in Compare, after the reset.
    virtual void OnCompareBegin(TCompare* sender) = 0;
    // After both trees are listed, before the first row. The entry lists are complete.
    virtual void OnListReady(TCompare* sender, int countM, int countS) = 0;
    // After each pairing step, before the row is appended to the results. The
    // counts include this row; one-sided rows count as different. m or s is null
    // for the side the row lacks. The row and entries belong to the engine.
    virtual void OnRowReady(TCompare* sender, int index, int equal, int different,
                            const TSearchRecEx* m, const TSearchRecEx* s,
                            const TResultRow& row) = 0;
    // After the pairing loop, also when it was stopped.
    virtual void OnCompareDone(TCompare* sender, int rows, int equal, int different) = 0;
    // Last thing in Compare, also after a failure.
    virtual void OnCompareEnd(TCompare* sender) = 0;
};
