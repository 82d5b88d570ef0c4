#pragma once
// The text of a network frame, as the play window builds it:
// "\xA4cmd\xA4" + handle (10) + "\xA4" + command padded to 20 + ["\xA4" + payload] + "\xA4endcmd\xA4".
#include <string>
#include <string_view>

namespace playnet {

inline constexpr std::string_view kServerHandle = "2000000001";
inline constexpr std::string_view kAnnounceHandle = "0000000000";

// The handle is cut or blank-padded on the right to 10 bytes, the command to
// 20; without a payload no marker stands before the end marker.
std::string BuildFrame(std::string_view handle, std::string_view command, std::string_view payload = {});
// Text safe inside a frame: no marker byte 0xA4 and no control bytes.
std::string CleanPayload(std::string_view text);

}  // namespace playnet
