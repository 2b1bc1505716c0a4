#include "settings/DataFolder.h"

#include "base/AppInfo.h"
#include "platform/Files.h"

namespace settings {
namespace {

std::string WithDelimiter(std::string folder, char delimiter) {
  if (folder.empty() || folder.back() != delimiter) folder += delimiter;
  return folder;
}

}  // namespace

std::string GetDataFolder(platform::Environment& env) {
  std::string base = env.GetVariable("APPDATA");
  if (base.empty()) base = env.UserConfigFolder();
  if (base.empty()) base = env.ExecutableFolder();
  const std::string folder = WithDelimiter(base, env.PathDelimiter()) + app::kAppTitle;
  platform::files::ForceDirectories(folder);  // a failure surfaces when the file is written
  return folder;
}

std::string GetSettingsFileName(platform::Environment& env) {
  return GetDataFolder(env) + env.PathDelimiter() + "settings.ini";
}

std::string GetMacrosFolder(platform::Environment& env) {
  const std::string folder = GetDataFolder(env) + env.PathDelimiter() + "Macros";
  platform::files::ForceDirectories(folder);
  return folder;
}

}  // namespace settings
