#pragma once

#include <cstdint>
#include <span>

#include <QList>
#include <QString>

#include "TCompareOption.h"
#include "TRemoteSettings.h"

class IniFile;
class QAction;
struct TMainActions;

// The desktop program's user options: two view filters, two window behaviours,
// the comparison's options as the engine takes them, the worker's priority and
// three external applications. Lives inside the main window, read from the
// settings file at start and written back at closing.
struct AppOption {
    // Sections "View", "Option", "Thread" and "Application".
    bool SameOff = false;    // hide equal rows
    bool DiffOff = false;    // hide different rows
    bool ShowFront = false;  // keep the main window above other windows
    bool EndDialog = false;  // show a dialog when a comparison ends
    // Handed to the engine as it stands at each start. Its ten flags are the
    // keys "Size" to "Kaigyou" of "Option" (OptionFlags); a member added to it
    // gets its keys in Load and Save beside them.
    TCompareOption Compare;
    // The opt-in verdicts of "Option": "Idou" (Compare.DetectMoved, with
    // "IdouMin" its least size), "Jisa" with "JisaH" (hours, 1 to 24), "Kyoyou"
    // with "KyoyouS" (seconds, 0 to 3600) and "Daishou" (Compare.CaseSensitive).
    // Their keys are written only when they differ from the defaults, so that
    // a settings file stays as it was until they are used.
    bool TimeShiftOn = false;
    int TimeShiftHours = 1;
    bool TimeToleranceOn = false;
    int TimeToleranceSeconds = 2;
    // Priority of the comparison's worker thread, 0 (idle) to 6 (time-critical).
    // Only the settings file changes it; 0 until Load, which always follows.
    uint8_t Speed = 0;
    QString Title1;  // external application 1: menu title
    QString Path1;   // and program (empty: not configured)
    QString Title2;  // external application 2
    QString Path2;
    QString CompTitle;  // comparison application: menu caption
    QString CompPath;   // and command template with "?m" and "?s"
    // Section "PairView": Enter and a double click on a row start the
    // comparison application ("Enter" 1, when one is configured) or the pair
    // view (0); files larger than ViewLimitMB megabytes ("Limit", 1 to 65536)
    // are shown as bytes there, not compared by lines.
    bool EnterStartsCompApp = false;
    // Far sides (ssh://...): the ssh command and the far program, section
    // "Remote" keys "Ssh" and "Program", written only while set. Empty: the
    // environment's $TANDRIL_SSH and $TANDRIL_REMOTE_PROGRAM, or ssh and
    // TandrilB.
    QString Ssh;
    QString RemoteProgram;
    int ViewLimitMB = DefaultViewLimitMB;

    static constexpr uint8_t DefaultSpeed = 2;
    static constexpr int DefaultViewLimitMB = 256;
    static constexpr int MaxViewLimitMB = 65536;

    // Compare with the time shift and tolerance as they are switched: what
    // the engine is given at each start.
    TCompareOption EngineOption() const;
    // How the engine reaches far sides: Ssh and RemoteProgram where set, the
    // environment's otherwise.
    TRemoteSettings RemoteSettings() const;

    // Reads all twenty-three keys in order, and the exclude patterns ("Option"
    // "Exclude", one a line). A missing key or a non-numeric value gives the
    // default; a Speed whose low 8 bits exceed 6 gives 2.
    void Load(const IniFile& ini);
    // Writes all twenty-three keys in order into the store (not to disk), and the
    // exclude patterns when there are any (else their key is removed).
    void Save(IniFile& ini) const;
};

// One truth value of the options: its settings key, the field that holds it,
// and the toggle action that shows and flips it.
struct TOptionFlag {
    // Hide: the two view filters, never both set; checked from the record
    // whenever the results are cleared, like Compare.
    // Window: a behaviour of the window, checked from the record at start.
    // Compare: a comparison flag, disabled while a comparison runs.
    enum class TGroup { Hide, Window, Compare };

    const char* Section;
    const char* Key;
    bool AppOption::*ViewField;          // set for Hide and Window
    bool TCompareOption::*CompareField;  // set for Compare
    QAction* TMainActions::*Action;
    TGroup Group;
    bool UpdatesStates;  // whether the enabling rules of the actions read it
    bool OptIn = false;  // its key is written only when set

    bool& In(AppOption& option) const {
        return ViewField ? option.*ViewField : option.Compare.*CompareField;
    }
    bool In(const AppOption& option) const {
        return ViewField ? option.*ViewField : option.Compare.*CompareField;
    }
};

// The eighteen truth values in the order of the settings file.
std::span<const TOptionFlag> OptionFlags();

// The toggle actions of one group of flags, in the order of the settings file.
QList<QAction*> OptionActions(const TMainActions& actions, TOptionFlag::TGroup group);

// The worker thread's nice value for a Speed value (0..6: idle, lowest, below
// normal, normal, above normal, highest, time-critical), as Qt's thread
// priorities do nothing under Linux's default scheduler: 19 for idle down to
// -15 for time-critical, 0 for normal; out of range, the default's. Values below 0 need the
// right to raise priority; a caller that lacks it keeps the normal level.
int SpeedNiceValue(uint8_t speed);
