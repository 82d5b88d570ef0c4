#pragma once
// Profiles in the INI format as Windows writes them: CR LF line ends,
// case-insensitive section and key names, values taken verbatim (no escapes,
// a trailing backslash is just a character), keys replaced in place or
// appended to their section in the order written, unknown lines kept.
//
// Reading: lines may end in LF or CR LF; names and values are trimmed of
// blanks and tabs; the first section of a name and the first key of a name in
// it count; lines starting with ";" and lines without "=" are kept untouched.
// Bytes are not decoded (profiles hold Windows-1252); names compare with
// Windows-1252 letter case folded.
#include <cstdint>
#include <string>
#include <vector>

class IniFile {
 public:
  enum class LineEnd { CrLf, Lf };

  // Reads the file; a missing or unreadable file gives an empty profile.
  explicit IniFile(std::string path);
  // The same, writing `lineEnd` (Lf for freedesktop files).
  IniFile(std::string path, LineEnd lineEnd);

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // The whole value as a decimal integer, else `def`.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // A value holding a line break is cut at it. An existing key keeps its
  // place and spelling; a new one goes after the last non-blank line of its
  // section; a new section goes at the end, after a blank line.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  bool ValueExists(const std::string& section, const std::string& key) const;

  // Writes the file atomically (temporary file, then rename). False on failure.
  bool Save() const;
  const std::string& Path() const { return path_; }
  // The file's bytes as Save would write them.
  std::string Text() const;
  // Replaces the contents by `text` (as if read from a file).
  void SetText(const std::string& text);

 private:
  // Index of the section's header line, or -1.
  int FindSection(const std::string& section) const;
  // Index of the key's line within the section starting at `header`, or -1.
  int FindKey(int header, const std::string& key) const;

  std::string path_;
  std::vector<std::string> lines_;
  LineEnd lineEnd_ = LineEnd::CrLf;
};
