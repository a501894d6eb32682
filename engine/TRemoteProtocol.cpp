#include "TRemoteProtocol.h"

#include <charconv>

namespace RemoteProtocol {

namespace {

bool ParseInt(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9)
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string Greeting(std::string_view programVersion) {
    return std::string(GreetingMark) + std::to_string(Version) + " " + std::string(programVersion);
}

bool ParseGreeting(std::string_view line, int& protocol, std::string& programVersion) {
    if (!line.starts_with(GreetingMark))
        return false;
    line.remove_prefix(GreetingMark.size());
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos || !ParseInt(line.substr(0, blank), protocol))
        return false;
    programVersion = std::string(line.substr(blank + 1));
    return !programVersion.empty() && programVersion.size() <= 64;
}

std::string Failure(int code, std::string_view text) {
    std::string line = std::string(FailureMark) + std::to_string(code) + " ";
    for (char c : text)
        line += c == '\n' || c == '\r' ? ' ' : c;
    return line;
}

bool ParseFailure(std::string_view line, int& code, std::string& text) {
    if (!line.starts_with(FailureMark))
        return false;
    line.remove_prefix(FailureMark.size());
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos || !ParseInt(line.substr(0, blank), code))
        return false;
    text = std::string(line.substr(blank + 1));
    return true;
}

}  // namespace RemoteProtocol
