#pragma once

#include "TCompare.h"

// Result codes of TandrilB: what ParseCommandLine and Run give, and what the
// program entry turns into the exit status.
namespace BatchResult {
constexpr int Success = 0;                  // the comparison ran to its end
constexpr int Usage = 1;                    // no argument, "/?" or "/help": usage text printed
constexpr int OpenFailed = 1;               // the report file could not be created
constexpr int WriteFailed = 4;              // the report file could not be written completely
constexpr int NoFileName = -1;              // no "/file" value
constexpr int NoFromDir = -2;               // no "/fromdir" value
constexpr int NoToDir = -3;                 // no "/todir" value
constexpr int BadFormat = -4;               // "/format" is none of csv, tsv, txt
constexpr int BadEncoding = -5;             // "/encoding" is neither sjis nor utf8
constexpr int NoExcludePattern = -6;        // no "/exclude" value
constexpr int NoExcludeFile = -7;           // no "/excludefrom" value
constexpr int BadExcludePattern = -8;       // a malformed exclude pattern
constexpr int ExcludeNegation = -9;         // a pattern beginning with "!"
constexpr int ExcludeFileUnreadable = -10;  // a "/excludefrom" file cannot be read
constexpr int BadMovedMinSize = -11;        // "/movedmin" is not a whole number of 1 or more
constexpr int BadTimeShift = -12;           // "/timeshift" is not a whole number from 1 to 24
constexpr int BadTimeTolerance = -13;       // "/timetolerance" is not one from 0 to 3600
constexpr int NoSnapshotFile = -14;         // "/snapshot" without a value
constexpr int BadDigest = -15;              // "/digest" is neither sha256 nor xxh128
constexpr int BadPath = -255;               // a folder does not exist
constexpr int Version = 5;                  // "/version": the version printed; exit status 0
constexpr int Help = 7;                     // "--help" or "-h": usage printed; exit status 0
// Exit statuses under "/diffstatus" of the two failures that read 1 otherwise.
constexpr int DiffStatusUsage = 5;       // the usage text was printed
constexpr int DiffStatusOpenFailed = 6;  // the report file could not be created
}  // namespace BatchResult

// The exit status of a result code. Each code has its own status in 0..255 so
// that scripts can tell them apart; a snapshot that cannot be read (13) and
// the failures of a far side (21 to 27) keep their engine status; the other
// engine statuses but -1 (a run stopped by SIGINT or SIGTERM) share 3.
constexpr int ExitStatus(int result) {
    switch (result) {
        case BatchResult::Success:
        case BatchResult::Usage:  // also OpenFailed
        case BatchResult::WriteFailed:
            return result;
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
