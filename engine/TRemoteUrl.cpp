#include "TRemoteUrl.h"

#include <charconv>

namespace {

constexpr std::string_view Scheme = "ssh://";

// Characters a user or host name may hold: anything but blanks, controls,
// quotes, "/" and "\" (none of which ssh or a shell would take as part of it).
bool NameCharacter(char c) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7f)
        return false;
    return c != '/' && c != '\\' && c != '\'' && c != '"' && c != '`';
}

bool ValidName(std::string_view name) {
    if (name.empty() || name.front() == '-')
        return false;
    for (char c : name)
        if (!NameCharacter(c))
            return false;
    return true;
}

bool ParsePort(std::string_view text, int& port) {
    if (text.empty() || text.size() > 5)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    std::from_chars(text.data(), text.data() + text.size(), port);
    return port >= 1 && port <= 65535;
}

}  // namespace

std::string TRemoteUrl::Destination() const {
    return User.empty() ? Host : User + "@" + Host;
}

std::string TRemoteUrl::HostText() const {
    std::string host = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    std::string text = User.empty() ? host : User + "@" + host;
    if (Port != 0)
        text += ":" + std::to_string(Port);
    return text;
}

bool IsRemoteUrl(std::string_view text) {
    return text.starts_with(Scheme);
}

bool ParseRemoteUrl(std::string_view text, TRemoteUrl& url) {
    if (!IsRemoteUrl(text))
        return false;
    text.remove_prefix(Scheme.size());
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    std::string_view authority = text.substr(0, slash);
    TRemoteUrl out;
    out.Path = std::string(text.substr(slash));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
        out.User = std::string(authority.substr(0, at));
        if (!ValidName(out.User) || out.User.find('@') != std::string::npos)
            return false;
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with("[")) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        host = authority.substr(1, close - 1);
        std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(":"))
                return false;
            port = rest.substr(1);
            if (port.empty())
                return false;
        }
    } else if (const size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (port.empty())
            return false;
    }
    if (!ValidName(host) || host.find('@') != std::string_view::npos)
        return false;
    if (!port.empty() && !ParsePort(port, out.Port))
        return false;
    out.Host = std::string(host);
    url = std::move(out);
    return true;
}

std::string QuoteForShell(std::string_view word) {
    auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.' || c == '/' || c == ',' || c == ':' || c == '+' ||
               c == '@' || c == '%';
    };
    bool quote = word.empty();
    for (char c : word)
        quote = quote || !plain(c);
    if (!quote)
        return std::string(word);
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::vector<std::string> SplitCommandWords(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        size_t begin = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > begin)
            words.emplace_back(text.substr(begin, i - begin));
    }
    return words;
}
