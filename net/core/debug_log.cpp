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
  text_.reserve(text_.size() + size);
  text_ += open;
  text_ += text;
  text_ += close;
}

void DebugLog::Clear() {
  text_.clear();
  full_ = false;
}

}  // namespace net
