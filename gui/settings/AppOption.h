#pragma once

#include <cstdint>

#include <QString>
#include <QThread>

#include "TCompareOption.h"

class IniFile;

// The desktop program's user options: two view filters, two window behaviours,
// the nine comparison flags, the worker's priority and three external
// applications. Lives inside the main window, read from the settings file at
// start and written back at closing.
struct AppOption {
    // Sections "View", "Option", "Thread" and "Application".
    bool SameOff = false;    // hide equal rows
    bool DiffOff = false;    // hide different rows
    bool ShowFront = false;  // keep the main window above other windows
    bool EndDialog = false;  // show a dialog when a comparison ends
    // The engine's nine flags, one to one and in this order (TCompareOption).
    bool Size = false;
    bool Attr = false;
    bool AttrR = true;
    bool AttrH = false;
    bool AttrS = false;
    bool AttrA = true;
    bool UpdYmdt = false;
    bool UpdYmdtDir = true;
    bool Naiyou = false;
    // Priority of the comparison's worker thread, 0 (idle) to 6 (time-critical).
    // Only the settings file changes it; 0 until Load, which always follows.
    uint8_t Speed = 0;
    QString Title1;  // external application 1: menu title
    QString Path1;   // and program (empty: not configured)
    QString Title2;  // external application 2
    QString Path2;
    QString CompTitle;  // comparison application: menu caption
    QString CompPath;   // and command template with "?m" and "?s"

    static constexpr uint8_t DefaultSpeed = 2;

    // Reads all twenty keys in order. A missing key or a non-numeric value
    // gives the default; a Speed whose low 8 bits exceed 6 gives 2.
    void Load(const IniFile& ini);
    // Writes all twenty keys in order into the store (not to disk).
    void Save(IniFile& ini) const;

    // The nine comparison flags as the engine takes them.
    TCompareOption CompareOption() const;
};

// The worker thread's priority for a Speed value (0..6): idle, lowest, below
// normal, normal, above normal, highest, time-critical. Out of range: below normal.
QThread::Priority SpeedPriority(uint8_t speed);

// The nice value that makes the same priority effective for a thread on Linux,
// where Qt's thread priorities do nothing under the default scheduler: 19 for
// idle down to -15 for time-critical, 0 for normal. Values below 0 need the
// right to raise priority; a caller that lacks it keeps the normal level.
int SpeedNiceValue(uint8_t speed);
