#pragma once
// Network game frames: building, field extraction and the per-connection
// reader that cuts frames out of a byte stream.
//
// Frame: "¤cmd¤" + handle(10) + "¤" + command padded to 20 + "¤" + payload +
// "¤endcmd¤"; without payload there is no "¤" before the end marker.
// The login frame: "¤cmd¤KVX&UNetGameClient¤" + version + "¤" + handle + "¤"
// + name + "¤endcmd¤".
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace net {

inline constexpr char kMark = '\xA4';  // "¤"
inline constexpr std::string_view kFrameStart = "\xA4" "cmd\xA4";
inline constexpr std::string_view kFrameEnd = "\xA4" "endcmd\xA4";
inline constexpr std::string_view kLoginStart = "\xA4" "cmd\xA4KVX&UNetGameClient\xA4";
inline constexpr std::string_view kServerHandle = "2000000001";
inline constexpr std::string_view kAnnounceHandle = "0000000000";
inline constexpr int kProtocolVersion = 100;
inline constexpr std::string_view kProtocolVersionText = "100";
inline constexpr size_t kHandleLength = 10;
inline constexpr size_t kCommandWidth = 20;

// The frame for `command` from `handle`. The handle is cut or blank-padded to
// 10 bytes and the command to 20, so the layout always holds. No field keeps
// a 0xA4 byte, and a payload of "endcmd" alone gets a blank, so a built frame
// is always cut back whole. Control bytes stay (callers relaying foreign text
// clean it first).
std::string BuildFrame(std::string_view handle, std::string_view command, std::string_view payload = {});
// The same with the "¤" before the payload even when it is empty (a chat line).
std::string BuildPayloadFrame(std::string_view handle, std::string_view command, std::string_view payload);
std::string BuildLoginFrame(std::string_view handle, std::string_view name,
                            std::string_view version = kProtocolVersionText);

struct FrameFields {
  bool ok = false;  // starts with "¤cmd¤" and holds "¤endcmd¤"
  std::string handle, command, payload;
};
// The server's extraction: payload from byte 38 to the last 8 bytes.
FrameFields ServerFields(std::string_view frame);
// The client's extraction: payload from byte 38 up to the first "¤endcmd¤".
FrameFields ClientFields(std::string_view frame);
// True when the frame starts with the login prefix.
bool IsLoginFrame(std::string_view frame);

// The SetPlayers payload for the four seats' player names (WhiteA, BlackA,
// WhiteB, BlackB); the names are cleaned so the frame keeps its shape.
std::string SetPlayersPayload(const std::array<std::string, 4>& names);

// The NewGame payload that carries the game's lag-compensator switch, in the
// words of the record's first move: "[LagCompensatorSetOn:1]" or ":0".
std::string LagCompensatorPayload(bool on);
// The switch a NewGame payload carries: 1 on, 0 off, -1 when it carries none
// (an older server).
int LagCompensatorOfPayload(std::string_view payload);

// The TurnStarts payload: per seat (WhiteA, BlackA, WhiteB, BlackB) the
// milliseconds since its turn started, then one digit per seat, 1 when the
// seat has been free since the game started (its turn starts when it is
// first taken): "1200 0 3400 0 0010".
struct TurnStarts {
  int64_t elapsed[4] = {0, 0, 0, 0};
  bool freeSinceStart[4] = {false, false, false, false};
};
std::string TurnStartsPayload(const TurnStarts& turns);
// False, `turns` untouched, unless the payload has that shape.
bool ReadTurnStartsPayload(std::string_view payload, TurnStarts& turns);

// Text safe to relay or store: no 0xA4, no control bytes.
std::string CleanPayload(std::string_view text);

// One connection's reader. A frame runs from a "¤cmd¤" to the first
// "¤endcmd¤" after it; text outside frames is dropped. An unfinished frame is
// kept for the next read, up to kMaxFrame bytes: a longer one (finished or
// not) is dropped and the result says so. Each read is cut in one pass.
class FrameReader {
 public:
  static constexpr size_t kMaxFrame = 64 * 1024;

  struct Result {
    std::vector<std::string> frames;  // complete frames, in order
    bool noFrameStart = false;        // the text held no "¤cmd¤" at all (bad communication)
    bool overflowed = false;          // a frame over kMaxFrame bytes was dropped
    // With Feed(bytes, true): the text this read worked on and, per frame,
    // where the text left after it begins (the debug log's "rest").
    std::string text;
    std::vector<size_t> restFrom;
    std::string_view Rest(size_t i) const {
      return i < restFrom.size() ? std::string_view(text).substr(restFrom[i]) : std::string_view();
    }
  };

  Result Feed(std::string_view bytes, bool withRests = false);
  // Bytes kept from earlier reads (an unfinished frame or a split start marker).
  size_t Pending() const { return pending_.size(); }
  void Reset();

 private:
  std::string pending_;
  size_t endSearchFrom_ = 0;  // no end marker starts in pending_ before this offset
};

}  // namespace net
