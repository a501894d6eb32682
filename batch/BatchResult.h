#pragma once

#include "TCompare.h"

// Result codes of TandrilB: what ParseCommandLine and Run give (Run also
// gives the engine's status, CompareStatus), and what the program entry turns
// into the exit status. Each outcome has a value of its own, apart from the
// engine's statuses but -1, which NoFileName shares as both read 255; the
// values that the exit statuses do not follow lie above 1000.
namespace BatchResult {
enum TCode : int {
    Success = 0,                  // the comparison ran to its end
    Usage = 1,                    // no argument, "/?" or "/help": usage text printed
    WriteFailed = 4,              // the report file could not be written completely
    NoFileName = -1,              // no "/file" value
    NoFromDir = -2,               // no "/fromdir" value
    NoToDir = -3,                 // no "/todir" value
    BadFormat = -4,               // "/format" is none of csv, tsv, txt
    BadEncoding = -5,             // "/encoding" is neither sjis nor utf8
    NoExcludePattern = -6,        // no "/exclude" value
    NoExcludeFile = -7,           // no "/excludefrom" value
    BadExcludePattern = -8,       // a malformed exclude pattern
    ExcludeNegation = -9,         // a pattern beginning with "!"
    ExcludeFileUnreadable = -10,  // a "/excludefrom" file cannot be read
    BadMovedMinSize = -11,        // "/movedmin" is not a whole number of 1 or more
    BadTimeShift = -12,           // "/timeshift" is not a whole number from 1 to 24
    BadTimeTolerance = -13,       // "/timetolerance" is not one from 0 to 3600
    NoSnapshotFile = -14,         // "/snapshot" without a value
    BadDigest = -15,              // "/digest" is neither sha256 nor xxh128
    BadPath = -255,               // a folder does not exist
    OpenFailed = 1001,            // the report file could not be created: exit status 1
    Version = 1002,               // "/version": the version printed; exit status 0
    Help = 1003,                  // "--help" or "-h": usage printed; exit status 0
};
}  // namespace BatchResult

// Exit statuses under "/diffstatus" of the two failures that read 1 otherwise.
constexpr int DiffStatusUsage = 5;       // the usage text was printed
constexpr int DiffStatusOpenFailed = 6;  // the report file could not be created

// The exit status of a result code. Each code has its own status in 0..255 so
// that scripts can tell them apart; a snapshot that cannot be read (13) and
// the failures of a far side (21 to 27) keep their engine status; the other
// engine statuses but -1 (a run stopped by SIGINT or SIGTERM) share 3.
constexpr int ExitStatus(int result) {
    switch (result) {
        case BatchResult::Success:
        case BatchResult::Usage:
        case BatchResult::WriteFailed:
            return result;
        case BatchResult::OpenFailed:
            return 1;
        case BatchResult::Version:
        case BatchResult::Help:
            return 0;
        case BatchResult::NoFileName:  // also the engine's runtime failure
        case BatchResult::NoFromDir:
        case BatchResult::NoToDir:
        case BatchResult::BadFormat:
        case BatchResult::BadEncoding:
        case BatchResult::NoExcludePattern:
        case BatchResult::NoExcludeFile:
        case BatchResult::BadExcludePattern:
        case BatchResult::ExcludeNegation:
        case BatchResult::ExcludeFileUnreadable:
        case BatchResult::BadMovedMinSize:
        case BatchResult::BadTimeShift:
        case BatchResult::BadTimeTolerance:
        case BatchResult::NoSnapshotFile:
        case BatchResult::BadDigest:
            return 256 + result;
        case BatchResult::BadPath:
            return 2;
        case CompareStatus::BadSnapshot:
        case CompareStatus::RemoteSshFailed:
        case CompareStatus::RemoteRefused:
        case CompareStatus::RemoteHostKey:
        case CompareStatus::RemoteNoProgram:
        case CompareStatus::RemoteVersion:
        case CompareStatus::RemoteDropped:
        case CompareStatus::RemoteBadData:
            return result;
        default:
            return 3;
    }
}
