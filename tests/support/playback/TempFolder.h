#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        auto base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            path_ = base / ("sonorbox-test-" + std::to_string(::getpid()) + "-" + std::to_string(i));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    std::string write(const std::string& name, const std::string& content) const
    {
        std::filesystem::create_directories((path_ / name).parent_path());
        std::ofstream(path_ / name, std::ios::binary) << content;
        return file(name);
    }

private:
    std::filesystem::path path_;
};
