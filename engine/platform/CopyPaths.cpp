#include "platform/CopyPaths.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/FileCopy.h"
#include "platform/FileReader.h"

namespace platform {

std::string CallError(const char* call, const std::string& path, int error) {
    return std::string(call) + "(" + path + "): " + ErrorString(error);
}

std::string StripTrailingDelimiters(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

TIdentity IdentityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

std::set<TIdentity> IdentitiesUpFrom(std::string path) {
    std::set<TIdentity> ids;
    while (true) {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0)
            ids.insert(IdentityOf(st));
        if (path == "/" || path == ".")
            return ids;
        path = DirName(path);
    }
}

bool MakeFolders(const std::string& path, std::vector<std::string>& created, std::string& error) {
    const std::string folder = StripTrailingDelimiters(path);
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        error = CallError("mkdir", folder, EEXIST);
        return false;
    }
    if (folder != "/" && folder != "." && !MakeFolders(DirName(folder), created, error))
        return false;
    if (::mkdir(folder.c_str(), 0777) == 0) {
        created.push_back(folder);
        return true;
    }
    const int made = errno;
    // Made by someone else meanwhile: as good.
    if (made == EEXIST && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    error = CallError("mkdir", folder, made);
    return false;
}

}  // namespace platform
