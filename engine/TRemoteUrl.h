#pragma once

#include <string>
#include <string_view>
#include <vector>

// A side on another machine: ssh://[user@]host[:port]/absolute/path. Only this
// form names a far tree; every other text is a local path, so that no folder
// name changes meaning (a local folder called "ssh:" is reached as ./ssh:/...).
//
// The path is taken byte for byte as it stands after the host (no %-decoding):
// it is what the far machine's file system holds. A host is a name or an
// address, IPv6 in brackets ([::1]); neither user nor host may begin with "-"
// (ssh would read it as an option) or hold blanks, control characters, "/" or
// quotes.
struct TRemoteUrl {
    std::string User;  // empty: ssh's own choice
    std::string Host;  // without brackets
    int Port = 0;      // 0: ssh's own choice
    std::string Path;  // absolute, as given

    // "user@host" or "host", as ssh takes it (IPv6 without brackets).
    std::string Destination() const;
    // "user@host:port" for messages, the port only when one was given.
    std::string HostText() const;
};

// True when text begins with "ssh://": it is meant as a far side, and a
// malformed one is refused rather than read as a local path.
bool IsRemoteUrl(std::string_view text);

// Reads the URL; false when it is not one of the form above.
bool ParseRemoteUrl(std::string_view text, TRemoteUrl& url);

// The word as a POSIX shell on the far side reads it back unchanged: as it
// stands when it holds only characters no shell treats specially, otherwise
// in single quotes, each ' written as '\'' (rsync's quoting). Newlines and
// every other byte stand literally inside the quotes.
std::string QuoteForShell(std::string_view word);

// The words of a program setting such as $TANDRIL_SSH, split on blanks and
// tabs as rsync splits its -e option ("ssh -i key -o BatchMode=yes").
std::vector<std::string> SplitCommandWords(std::string_view text);
