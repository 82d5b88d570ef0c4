#include "platform/file_type_registration.h"

#include <sys/stat.h>

#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace {

constexpr const char* kProgId = "HKEY_CLASSES_ROOT\\bpgnview.2";

void WriteRegistryKeys(const std::string& program, Registry& registry) {
  const std::string progId = kProgId;
  const std::string command = "\"" + program + "\" \"%1\"";
  registry.WriteString("HKEY_CLASSES_ROOT\\.BPGN", "", "bpgnview.2");
  registry.WriteString(progId, "", "Bughouse Kestro Portable Game Notation");
  registry.WriteString(progId + "\\DefaultIcon", "", program + ",0");
  // Another viewer's open command is kept under its own verb.
  if (registry.KeyExists(progId + "\\Shell\\Open\\Command")) {
    registry.MoveKey(progId + "\\Shell\\Open", progId + "\\Shell\\Open with BPGNView");
  }
  registry.WriteString(progId + "\\Shell\\Open\\Command", "", command);
  registry.WriteString(progId + "\\Shell\\Open with Kestrovane\\Command", "", command);
  registry.WriteString("HKEY_LOCAL_MACHINE\\Software\\Bughouse\\Kestrovane", "Lastver", program);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindIcon(const std::string& folder) {
  for (const char* name : {"Kestrovane.png", "Sys/Kestrovane.png", "Kestrovane.svg", "Sys/Kestrovane.svg",
                           "Kestrovane.xpm", "Sys/Kestrovane.xpm"}) {
    const std::string path = paths::ResolveBelow(folder, name);
    if (IsFile(path)) return path;
  }
  return {};
}

std::string MimePackage() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         kBpgnMimeType +
         "\">\n"
         "    <comment>Bughouse Kestro Portable Game Notation</comment>\n"
         "    <sub-class-of type=\"text/plain\"/>\n"
         "    <glob pattern=\"*.bpgn\" case-sensitive=\"false\"/>\n"
         "    <glob pattern=\"*.BPGN\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

// A desktop entry string value: backslash and control characters escaped.
std::string DesktopString(const std::string& s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

std::string DesktopEntry(const std::string& program, const std::string& icon) {
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Version=1.0\n"
      "Name=Kestrovane\n"
      "GenericName=Bughouse Chess\n"
      "Comment=Play, view and repair bughouse chess games\n";
  text += "Exec=" + DesktopExec(program) + "\n";
  if (!icon.empty()) text += "Icon=" + DesktopString(icon) + "\n";
  text += std::string("Terminal=false\nCategories=Game;BoardGame;\nMimeType=") + kBpgnMimeType + ";\n";
  return text;
}

// `first` followed by the other entries of a ";"-separated list.
std::string WithFirst(const std::string& first, const std::string& list) {
  std::string out = first + ";";
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(start, end - start);
    if (!item.empty() && item != first) out += item + ";";
    start = end + 1;
  }
  return out;
}

bool SetDefaultApplication(const std::string& configHome) {
  if (!file_io::MakeFolders(configHome)) return false;
  IniFile list(configHome + "/mimeapps.list", IniFile::LineEnd::Lf);
  for (const char* section : {"Default Applications", "Added Associations"}) {
    list.WriteString(section, kBpgnMimeType, WithFirst(kDesktopFileName, list.ReadString(section, kBpgnMimeType, "")));
  }
  return list.Save();
}

bool WriteInFolder(const std::string& folder, const std::string& name, const std::string& text) {
  return file_io::MakeFolders(folder) && file_io::WriteFileAtomic(folder + "/" + name, text);
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() { return {file_io::DataHome(), file_io::ConfigHome()}; }

std::string DesktopExec(const std::string& programPath) {
  std::string quoted = "\"";
  for (const char c : programPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  quoted += "\"";
  return DesktopString(quoted) + " %f";
}

RegistrationStatus RegisterBpgnFileType(const std::string& programPath, Registry& registry) {
  return RegisterBpgnFileType(programPath, registry, XdgFolders::FromEnvironment(), DatabaseTools::Start);
}

RegistrationStatus RegisterBpgnFileType(const std::string& programPath, Registry& registry, const XdgFolders& xdg,
                                        DatabaseTools tools) {
  RegistrationStatus status;
  WriteRegistryKeys(programPath, registry);
  status.registrySaved = registry.Save();

  const std::string mime = xdg.dataHome + "/mime";
  const std::string applications = xdg.dataHome + "/applications";
  status.mimePackageWritten = WriteInFolder(mime + "/packages", kMimePackageName, MimePackage());
  status.desktopFileWritten =
      WriteInFolder(applications, kDesktopFileName, DesktopEntry(programPath, FindIcon(FolderOf(programPath))));
  status.defaultApplicationSet = SetDefaultApplication(xdg.configHome);
  if (status.mimePackageWritten) status.mimeDatabaseUpdated = RunDatabaseTool("update-mime-database", mime, tools);
  if (status.desktopFileWritten) {
    status.desktopDatabaseUpdated = RunDatabaseTool("update-desktop-database", applications, tools);
  }
  return status;
}
