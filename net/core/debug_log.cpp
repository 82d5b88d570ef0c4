#include "net/core/debug_log.h"

namespace net {

void DebugLog::Add(std::string_view open, std::string_view text, std::string_view close) {
  if (!on || full_) return;
  const size_t size = open.size() + text.size() + close.size();
  if (text_.size() + size > kMaxBytes) {
    full_ = true;
    text_ += kFullNote;
    return;
  }
  // Room for all of it at once: a text grown by doubling would leave the
  // smaller copies it outgrew in the heap, twice its size and more.
  if (text_.capacity() < kMaxBytes + kFullNote.size()) text_.reserve(kMaxBytes + kFullNote.size());
  text_ += open;
  text_ += text;
  text_ += close;
}

void DebugLog::Clear() {
  text_.clear();
  full_ = false;
}

}  // namespace net
