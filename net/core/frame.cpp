#include "net/core/frame.h"

#include <algorithm>

namespace net {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Bytes `from` .. `from + count - 1` (0-based), clamped to the text.
std::string_view Slice(std::string_view s, size_t from, size_t count) {
  if (from >= s.size()) return {};
  return s.substr(from, count);
}

// Leading and trailing blanks and control bytes removed.
std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

// A run at a time: chat lines are long.
void AppendWithoutMarks(std::string& out, std::string_view s) {
  for (size_t mark; (mark = s.find(kMark)) != npos; s.remove_prefix(mark + 1)) out.append(s.substr(0, mark));
  out.append(s);
}

// A field that follows a "¤" and is followed by one: without marks, and
// never "endcmd" alone, which would make an end marker of the two.
void AppendField(std::string& out, std::string_view s) {
  const size_t from = out.size();
  AppendWithoutMarks(out, s);
  if (std::string_view(out).substr(from) == kFrameEnd.substr(1, kFrameEnd.size() - 2)) out += ' ';
}

// The fields common to both extractions; the payload is left to the caller.
FrameFields CommonFields(std::string_view frame) {
  FrameFields f;
  if (frame.substr(0, kFrameStart.size()) != kFrameStart || frame.find(kFrameEnd) == npos) return f;
  f.ok = true;
  f.handle = Slice(frame, 5, kHandleLength);
  f.command = TrimBlanks(Slice(frame, 16, kCommandWidth));
  return f;
}

std::string Frame(std::string_view handle, std::string_view command, std::string_view payload, bool marked) {
  std::string out;
  out.reserve(kFrameStart.size() + kHandleLength + 1 + kCommandWidth + 1 + payload.size() + kFrameEnd.size());
  out += kFrameStart;
  std::string h;
  AppendWithoutMarks(h, handle.substr(0, kHandleLength));
  out.append(kHandleLength - h.size(), ' ');
  out += h;
  out += kMark;
  const size_t commandStart = out.size();
  AppendWithoutMarks(out, command.substr(0, kCommandWidth));
  out.append(kCommandWidth - (out.size() - commandStart), ' ');
  if (marked || !payload.empty()) {
    out += kMark;
    AppendField(out, payload);
  }
  out += kFrameEnd;
  return out;
}

}  // namespace

std::string BuildFrame(std::string_view handle, std::string_view command, std::string_view payload) {
  return Frame(handle, command, payload, false);
}

std::string BuildPayloadFrame(std::string_view handle, std::string_view command, std::string_view payload) {
  return Frame(handle, command, payload, true);
}

std::string BuildLoginFrame(std::string_view handle, std::string_view name, std::string_view version) {
  std::string out(kLoginStart);
  AppendField(out, version);
  out += kMark;
  AppendField(out, handle);
  out += kMark;
  AppendField(out, name);
  out += kFrameEnd;
  return out;
}

FrameFields ServerFields(std::string_view frame) {
  FrameFields f = CommonFields(frame);
  if (f.ok && frame.size() > 37 + kFrameEnd.size()) f.payload = frame.substr(37, frame.size() - 37 - kFrameEnd.size());
  return f;
}

FrameFields ClientFields(std::string_view frame) {
  FrameFields f = CommonFields(frame);
  if (!f.ok) return f;
  const size_t end = frame.find(kFrameEnd);
  if (end > 37) f.payload = frame.substr(37, end - 37);
  return f;
}

bool IsLoginFrame(std::string_view frame) { return frame.substr(0, kLoginStart.size()) == kLoginStart; }

std::string SetPlayersPayload(const std::array<std::string, 4>& names) {
  static constexpr std::array<std::string_view, 4> kLabels = {"WhiteA:", "BlackA:", "WhiteB:", "BlackB:"};
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    out += kLabels[i];
    out += CleanPayload(names[i]);
  }
  return out;
}

namespace {
constexpr std::string_view kLagCompensatorTag = "[LagCompensatorSetOn:";
constexpr int64_t kMaxElapsed = 1000LL * 60 * 60 * 24 * 366;  // a year of milliseconds
}  // namespace

std::string LagCompensatorPayload(bool on) {
  return std::string(kLagCompensatorTag) + (on ? "1]" : "0]");
}

int LagCompensatorOfPayload(std::string_view payload) {
  const size_t at = payload.find(kLagCompensatorTag);
  if (at == std::string_view::npos) return -1;
  const std::string_view value = payload.substr(at + kLagCompensatorTag.size());
  if (value.size() < 2 || (value[0] != '0' && value[0] != '1') || value[1] != ']') return -1;
  return value[0] - '0';
}

std::string TurnStartsPayload(const TurnStarts& turns) {
  std::string out;
  for (int64_t ms : turns.elapsed) out += std::to_string(std::clamp<int64_t>(ms, 0, kMaxElapsed)) + " ";
  for (bool free : turns.freeSinceStart) out += free ? '1' : '0';
  return out;
}

bool ReadTurnStartsPayload(std::string_view payload, TurnStarts& turns) {
  TurnStarts read;
  for (int seat = 0; seat < 4; ++seat) {
    const size_t blank = payload.find(' ');
    if (blank == 0 || blank > 13) return false;
    int64_t ms = 0;
    for (char c : payload.substr(0, blank)) {
      if (c < '0' || c > '9') return false;
      ms = ms * 10 + (c - '0');
    }
    read.elapsed[seat] = std::min(ms, kMaxElapsed);
    payload.remove_prefix(blank + 1);
  }
  if (payload.size() != 4) return false;
  for (int seat = 0; seat < 4; ++seat) {
    if (payload[seat] != '0' && payload[seat] != '1') return false;
    read.freeSinceStart[seat] = payload[seat] == '1';
  }
  turns = read;
  return true;
}

std::string CleanPayload(std::string_view text) {
  const auto dropped = [](char c) { return IsControl(static_cast<unsigned char>(c)) || c == kMark; };
  std::string out;
  out.reserve(text.size());
  for (auto from = text.begin(); from != text.end();) {
    const auto drop = std::find_if(from, text.end(), dropped);
    out.append(from, drop);
    from = drop == text.end() ? drop : drop + 1;
  }
  return out;
}

FrameReader::Result FrameReader::Feed(std::string_view bytes, bool withRests) {
  Result r;
  std::string_view text = bytes;
  size_t endFrom = 0;  // no end marker starts before this offset of `text`
  const bool carried = !pending_.empty();
  if (carried) {
    pending_.append(bytes);
    text = pending_;
    endFrom = endSearchFrom_;
  }
  if (withRests) r.text.assign(text);

  // Outside a frame the first marker decides: a start marker opens a frame
  // that the next end marker closes; an end marker before any start closes
  // text that is dropped (its last byte cannot begin a start marker).
  size_t pos = 0;
  size_t start = text.find(kFrameStart);
  const bool anyStart = start != npos;
  for (;;) {
    const size_t end = text.find(kFrameEnd, std::max(pos, endFrom));
    if (end == npos) break;
    if (start != npos && start < pos) start = text.find(kFrameStart, pos);
    const size_t next = end + kFrameEnd.size();
    if (start != npos && start < end) {
      if (next - start > kMaxFrame) {
        r.overflowed = true;
      } else {
        r.frames.emplace_back(text.substr(start, next - start));
        if (withRests) r.restFrom.push_back(next);
      }
    }
    pos = next;
  }
  if (start != npos && start < pos) start = text.find(kFrameStart, pos);
  if (start == npos) {
    // Outside any frame: keep only a marker split by this read.
    auto markerPiece = [](std::string_view s) {
      return kFrameStart.substr(0, s.size()) == s || kFrameEnd.substr(0, s.size()) == s;
    };
    size_t keep = std::min(text.size() - pos, kFrameEnd.size() - 1);
    while (keep > 0 && !markerPiece(text.substr(text.size() - keep))) --keep;
    start = text.size() - keep;
    r.noFrameStart = !anyStart && keep < text.size();
  } else if (text.size() - start > kMaxFrame) {
    r.overflowed = true;
    start = text.size();
  }
  if (carried) {
    pending_.erase(0, start);
  } else {
    pending_.assign(text.substr(start));
  }
  // The kept text is an unfinished frame or a piece of a marker: an end
  // marker can only start in its last 7 bytes once more bytes arrive.
  endSearchFrom_ = pending_.size() >= kFrameEnd.size() ? pending_.size() - (kFrameEnd.size() - 1) : 0;
  return r;
}

void FrameReader::Reset() {
  pending_.clear();
  endSearchFrom_ = 0;
}

}  // namespace net
