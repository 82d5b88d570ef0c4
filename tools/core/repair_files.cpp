#include "tools/core/repair_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace repair {

namespace fs = std::filesystem;

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    error = "\"" + path + "\" is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open \"" + path + "\"";
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read \"" + path + "\"";
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  const fs::path target(path);
  std::random_device seed;
  fs::path temp = target;
  temp += ".tmp" + std::to_string(seed() % 1000000);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      error = "cannot write \"" + path + "\"";
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    error = "cannot replace \"" + path + "\"";
    return false;
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec) && !ec) return true;
  const fs::path na = fs::weakly_canonical(fs::absolute(a, ec), ec);
  const fs::path nb = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return na == nb;
}

}  // namespace repair
