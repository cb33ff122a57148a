// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
#pragma once

#include <stdlib.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

class TTempFolder {
  public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `name` in the folder.
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    // The folder with a final "/".
    std::string Folder() const { return path_.string() + "/"; }

    // Writes `bytes` as the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::string file = Path(name);
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + file);
        }
        return file;
    }

  private:
    std::filesystem::path path_;
};
