#pragma once
// The client log text that "Make Debug Logs" fills. Bounded: once kMaxBytes
// are reached a note is appended and logging stops until Clear(), which every
// new game calls.
#include <cstddef>
#include <string>
#include <string_view>

namespace net {

class DebugLog {
 public:
  static constexpr size_t kMaxBytes = 16 * 1024 * 1024;
  static constexpr std::string_view kFullNote =
      "<DebugLogFull>logging stopped at 16 MiB until the next game</DebugLogFull>\r\n";

  bool on = false;
  // Appends open + text + close when on.
  void Add(std::string_view open, std::string_view text, std::string_view close);
  const std::string& Text() const { return text_; }
  bool Full() const { return full_; }
  void Clear();

 private:
  std::string text_;
  bool full_ = false;
};

}  // namespace net
