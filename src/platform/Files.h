#pragma once

#include <string>
#include <vector>

// Files by UTF-8 path, portable (standard library only): the core decodes bytes itself.
namespace platform::files {

// False when the file cannot be opened or read.
bool ReadAll(const std::string& path, std::string& bytes);
// Writes beside the target and then replaces it, so a failure never leaves a half-written
// file in its place. Throws std::runtime_error with the system's text on failure.
void WriteAllReplacing(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder with its missing parents; false on failure.
bool ForceDirectories(const std::string& path);
// Throws std::runtime_error with the system's text on failure.
void DeleteFile(const std::string& path);
// Names (not paths) of the regular files directly in `folder` whose names end with
// `extension` (ignoring letter case), in the order the file system lists them.
// Throws std::runtime_error naming the folder when it cannot be listed.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension);

}  // namespace platform::files
