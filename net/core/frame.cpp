#include "net/core/frame.h"

namespace net {

std::string BuildFrame(std::string_view, std::string_view, std::string_view) { return {}; }
std::string BuildLoginFrame(std::string_view, std::string_view, std::string_view) { return {}; }
FrameFields ServerFields(std::string_view) { return {}; }
FrameFields ClientFields(std::string_view) { return {}; }
bool IsLoginFrame(std::string_view frame) { return frame.substr(0, kLoginStart.size()) == kLoginStart; }
std::string SetPlayersPayload(const std::array<std::string, 4>&) { return {}; }
std::string CleanPayload(std::string_view text) { return std::string(text); }
FrameReader::Result FrameReader::Feed(std::string_view, bool) { return {}; }
void FrameReader::Reset() {
  pending_.clear();
  endSearchFrom_ = 0;
}

}  // namespace net
