#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

// A fresh folder below the system's temporary folder, removed with everything
// in it when the test ends.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tandril-bench-XXXXXX");
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TTempFolder() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
