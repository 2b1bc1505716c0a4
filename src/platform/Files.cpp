#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "base/TextCase.h"

namespace fs = std::filesystem;

namespace platform::files {
namespace {

// std::filesystem takes char strings in the ANSI code page on Windows: go through char8_t.
fs::path ToPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromPath(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// A name part drawn once per process: two copies of the program never share it, and no
// system call is needed to tell them apart.
const std::string& ProcessToken() {
  static const std::string token = [] {
    std::random_device device;
    const unsigned long long value = (static_cast<unsigned long long>(device()) << 32) ^ device();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", value);
    return std::string(text);
  }();
  return token;
}

// A file with no write permission left is one the user chose to keep as it is: it is
// neither replaced nor deleted, although the folder's rights would allow both on Unix
// (and root may do anything). Windows refuses both for a read-only file by itself.
bool IsReadOnlyFile(const fs::path& p) {
  std::error_code ec;
  const fs::file_status st = fs::status(p, ec);
  if (ec || !fs::is_regular_file(st)) return false;
  return (st.permissions() & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
         fs::perms::none;
}

}  // namespace

bool ReadAll(const std::string& path, std::string& bytes) {
  const fs::path p = ToPath(path);
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  // Block reads: a macro file may be tens of megabytes, and reading it a character at a
  // time through stream iterators costs several times as long.
  std::string data;
  std::error_code ec;
  const auto size = fs::file_size(p, ec);
  if (!ec) data.reserve(static_cast<size_t>(size));
  char block[65536];
  while (in) {
    in.read(block, sizeof block);
    data.append(block, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return false;
  bytes = std::move(data);
  return true;
}

void WriteAllReplacing(const std::string& path, const std::string& bytes) {
  const fs::path target = ToPath(path);
  if (IsReadOnlyFile(target)) throw std::runtime_error("Cannot write file \"" + path + "\". The file is read-only.");
  // Named for this process: two copies writing the same file at once must not write into
  // one shared temporary file, or the one renamed into place could hold both writes mixed.
  fs::path temp = target;
  temp += ".tmp~" + ProcessToken();
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignore;
      fs::remove(temp, ignore);
      throw std::runtime_error("Cannot write file \"" + path + "\". " + std::strerror(errno));
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignore;
    fs::remove(temp, ignore);
    throw std::runtime_error("Cannot write file \"" + path + "\". " + ec.message());
  }
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(ToPath(path), ec);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(ToPath(path), ec);
}

bool ForceDirectories(const std::string& path) {
  std::error_code ec;
  const fs::path p = ToPath(path);
  if (fs::is_directory(p, ec)) return true;
  fs::create_directories(p, ec);
  return fs::is_directory(p, ec);
}

void DeleteFile(const std::string& path) {
  if (IsReadOnlyFile(ToPath(path))) throw std::runtime_error("Cannot delete file \"" + path + "\". The file is read-only.");
  std::error_code ec;
  if (!fs::remove(ToPath(path), ec) || ec)
    throw std::runtime_error("Cannot delete file \"" + path + "\". " +
                             (ec ? ec.message() : std::string("The file does not exist.")));
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(ToPath(folder), ec);
  if (ec) throw std::runtime_error("Cannot list the folder \"" + folder + "\". " + ec.message());
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;
    std::string name = FromPath(it->path().filename());
    if (text::EndsWithIgnoreCase(name, extension)) names.push_back(name);
  }
  return names;
}

}  // namespace platform::files
