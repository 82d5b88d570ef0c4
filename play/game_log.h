#pragma once
// The files the game-record pane is written to: the daily log a new game
// appends the finished one to, "Save BPGN Now", and the debug file of
// "Save ClientLog". Qt-free.
#include <string>

namespace game_log {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// The local time file names are made from; tests put a fixed one in place.
extern LocalTime (*Now)();
LocalTime SystemNow();

// "yyyymmdd_hhmmss".
std::string Stamp(const LocalTime& t);
// "KVXN" + yyyymmdd + ".BPGN": the day's log file.
std::string DailyLogName(const LocalTime& t);

// Appends `record` + "\r\n\r\n" to the day's log file in `folder`, creating
// the folder and the file as needed. A write that fails leaves the file as it
// was; false then, with `error` saying why.
bool AppendToDailyLog(const std::string& folder, const std::string& record, std::string& error);

// `text` with every line ended by CR LF, a final one added when missing.
std::string AsCrLfLines(const std::string& text);
// The saved debug file: the client log and the two panes under their tags.
std::string DebugFileText(const std::string& clientLog, const std::string& record, const std::string& chat);

}  // namespace game_log
