#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace fakes {

// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends, even where the test took its rights away.
struct TempFolder {
  std::filesystem::path path;
  explicit TempFolder(const std::string& prefix = "qel-test") {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() /
           (prefix + "-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ec);
    std::filesystem::remove_all(path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path / name).string(); }
};

}  // namespace fakes
