#include "platform/user_fonts.h"

#include "platform/file_io.h"

std::string UserFontFolder(const std::string& dataHome) { return dataHome + "/fonts/kestrovane"; }

FontInstallStatus InstallUserFont(const std::string& fontFile, const std::string& dataHome, DatabaseTools tools) {
  FontInstallStatus status;
  std::string font;
  if (!file_io::ReadFile(fontFile, font) || font.empty()) return status;
  const std::string folder = UserFontFolder(dataHome);
  const std::string target = folder + "/" + fontFile.substr(fontFile.rfind('/') + 1);
  std::string there;
  if (file_io::ReadFile(target, there) && there == font) {
    status.installed = true;
    return status;
  }
  status.copied = file_io::MakeFolders(folder) && file_io::WriteFileAtomic(target, font);
  status.installed = status.copied;
  if (status.copied) status.cacheRefreshed = RunDatabaseTool("fc-cache", folder, tools);
  return status;
}

FontInstallStatus InstallUserFont(const std::string& fontFile) {
  return InstallUserFont(fontFile, file_io::DataHome(), DatabaseTools::Start);
}
