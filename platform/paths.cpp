#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/cp1252.h"

namespace paths {
namespace {

std::string& Override() {
  static std::string folder;
  return folder;
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) return std::string(buffer, static_cast<size_t>(n));
  char cwd[PATH_MAX];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/kestrovane" : std::string("./kestrovane");
}

std::string StripTrailing(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// Windows-1252 bytes of a name, decoding UTF-8 when the name is valid UTF-8.
std::string AsCp1252(const std::string& name) {
  std::string decoded;
  return cp1252::FromUtf8(name, decoded) ? decoded : name;
}

bool SameName(const std::string& written, const std::string& entry) {
  return cp1252::EqualNoCase(written, entry) || cp1252::EqualNoCase(written, AsCp1252(entry)) ||
         cp1252::EqualNoCase(AsCp1252(written), AsCp1252(entry));
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` that matches `written` ignoring case, or "".
std::string FindEntry(const std::string& folder, const std::string& written) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::vector<std::string> matches;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != ".." && SameName(written, name)) matches.push_back(name);
  }
  ::closedir(dir);
  if (matches.empty()) return {};
  std::sort(matches.begin(), matches.end());  // the same choice on every run
  return matches.front();
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// Resolves the components of `relative` below `base` ("" = working folder).
std::string ResolveComponents(const std::string& base, const std::string& relative) {
  std::string current = base;
  bool lost = false;  // once a component is missing, nothing below can exist
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("/\\", start);
    if (end == std::string::npos) end = relative.size();
    const std::string written = relative.substr(start, end - start);
    start = end + 1;
    if (written.empty()) continue;
    std::string chosen = written;
    if (!lost && written != "." && written != "..") {
      if (!Exists(Join(current, written))) {
        const std::string entry = FindEntry(current, written);
        if (entry.empty()) {
          lost = true;
        } else {
          chosen = entry;
        }
      }
    }
    current = Join(current, chosen);
  }
  return current;
}

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '/' || s.back() == '\\'); }

}  // namespace

const std::string& ProgramPath() {
  static const std::string path = ExecutablePath();
  return path;
}

const std::string& ProgramFolder() {
  if (!Override().empty()) return Override();
  static const std::string folder = [] {
    const std::string& exe = ProgramPath();
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : StripTrailing(exe.substr(0, slash + 1));
  }();
  return folder;
}

void SetProgramFolderForTests(const std::string& folder) { Override() = folder.empty() ? "" : StripTrailing(folder); }

std::string ResolveBelow(const std::string& base, const std::string& relative) {
  std::string result = ResolveComponents(base, relative);
  if (result.empty()) result = base;
  if (EndsWithSeparator(relative) && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

std::string Below(const std::string& relative) {
  const std::string& folder = ProgramFolder();
  std::string result = ResolveComponents(folder, relative);
  if (result == folder) result += '/';  // "\" or "" names the folder itself
  if (EndsWithSeparator(relative) && result.back() != '/') result += '/';
  return result;
}

std::string Resolve(const std::string& path) {
  if (path.empty()) return path;
  const bool absolute = path.front() == '/' || path.front() == '\\';
  return ResolveBelow(absolute ? "/" : "", path);
}

}  // namespace paths
