#pragma once

#include <string>

// How the far side is reached: the ssh command ($TANDRIL_SSH, split on
// blanks) and the program started there ($TANDRIL_REMOTE_PROGRAM, put into
// the far command line as it stands, so that "nice TandrilB" works as
// rsync's --rsync-path does).
struct TRemoteSettings {
    std::string Ssh = "ssh";
    std::string Program = "TandrilB";

    // The two environment variables, the defaults where unset or empty.
    static TRemoteSettings FromEnvironment();
    bool operator==(const TRemoteSettings&) const = default;
};
