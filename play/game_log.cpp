#include "play/game_log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/bpgn_file.h"
#include "platform/file_io.h"

namespace game_log {

LocalTime (*Now)() = SystemNow;

LocalTime SystemNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

namespace {

std::string Digits(int value, int width) {
  std::string out = std::to_string(value);
  if (static_cast<int>(out.size()) < width) out.insert(0, static_cast<size_t>(width) - out.size(), '0');
  return out;
}

std::string DateDigits(const LocalTime& t) { return Digits(t.year, 4) + Digits(t.month, 2) + Digits(t.day, 2); }

}  // namespace

std::string Stamp(const LocalTime& t) {
  return DateDigits(t) + "_" + Digits(t.hour, 2) + Digits(t.minute, 2) + Digits(t.second, 2);
}

std::string DailyLogName(const LocalTime& t) { return "KVXN" + DateDigits(t) + ".BPGN"; }

bool AppendToDailyLog(const std::string& folder, const std::string& record, std::string& error) {
  if (!file_io::MakeFolders(folder)) {
    error = "cannot create the folder " + folder;
    return false;
  }
  const std::string path = folder + "/" + DailyLogName(Now());
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat before {};
  const off_t oldSize = ::fstat(::fileno(f), &before) == 0 ? before.st_size : -1;
  const std::string text = record + "\r\n\r\n";
  errno = 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fflush(f) == 0 && ok;
  if (ok) ok = ::fsync(::fileno(f)) == 0;
  if (!ok) {
    error = "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
    // No half record: the file goes back to what it held.
    if (oldSize >= 0 && ::ftruncate(::fileno(f), oldSize) != 0) error += " (the file keeps part of the record)";
  }
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    error = "cannot write " + path + ": " + std::strerror(errno);
  }
  return ok;
}

std::string AsCrLfLines(const std::string& text) {
  // The lines as a file of lines holds them: each ends with CR LF.
  std::string out = CBpgn::JoinLines(text);
  return out.empty() ? "\r\n" : out;
}

std::string DebugFileText(const std::string& clientLog, const std::string& record, const std::string& chat) {
  return AsCrLfLines("<sClientLog>\r\n" + clientLog + "\r\n<reBPGNGames>\r\n" + record + "\r\n<reNetGameLog>\r\n" +
                     chat);
}

}  // namespace game_log
