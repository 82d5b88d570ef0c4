// Bytes to the network game's frame reader, split into reads at points the
// input chooses, then every cut frame to both field extractions and every
// login frame to a player table. The run stops when
// - reads split anywhere cut other frames than one read of the whole text,
// - a cut frame is not "¤cmd¤" .. "¤endcmd¤" with its only end marker last,
//   or is over the bound, or the reader keeps more than the bound,
// - the two extractions give different payloads for a cut frame,
// - a frame the server builds (login replies, rebuilt frames) is not cut back
//   into exactly itself, or a name in the table breaks the name rules.
//
// Input: byte 0 = number of split points (% 16), then two bytes per point,
// then the stream.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/core/frame.h"
#include "net/core/player_table.h"
#include "tests/net_core/server_fuzz_feed.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view frame) {
  std::fprintf(stderr, "net_fuzz: %s (%zu bytes)\n", what, frame.size());
  std::abort();
}

std::vector<std::string> CutInReads(std::string_view stream, std::vector<size_t> cuts) {
  net::FrameReader reader;
  std::vector<std::string> frames;
  size_t from = 0;
  cuts.push_back(stream.size());
  for (size_t to : cuts) {
    if (to < from) to = from;
    for (std::string& f : reader.Feed(stream.substr(from, to - from)).frames) frames.push_back(std::move(f));
    if (reader.Pending() > net::FrameReader::kMaxFrame) Fail("reader keeps more than the bound", stream);
    from = to;
  }
  return frames;
}

// A frame built by this side must come out of a reader whole and alone.
void CheckRecut(std::string_view built) {
  net::FrameReader reader;
  const auto r = reader.Feed(built);
  if (r.frames.size() != 1 || r.frames[0] != built || reader.Pending() != 0) Fail("built frame not cut back", built);
}

void CheckFrame(const std::string& frame) {
  if (frame.size() > net::FrameReader::kMaxFrame) Fail("frame over the bound", frame);
  if (frame.rfind(net::kFrameStart, 0) != 0) Fail("frame without start", frame);
  if (frame.find(net::kFrameEnd) != frame.size() - net::kFrameEnd.size()) Fail("end marker not last", frame);
  const net::FrameFields s = net::ServerFields(frame);
  const net::FrameFields c = net::ClientFields(frame);
  if (!s.ok || !c.ok) Fail("cut frame refused", frame);
  if (s.payload != c.payload || s.handle != c.handle || s.command != c.command) Fail("extractions differ", frame);
  if (s.handle.size() > 10 || s.command.size() > 20) Fail("field over its slot", frame);
  CheckRecut(net::BuildFrame(s.handle, s.command, net::CleanPayload(s.payload)));
}

void CheckLogin(net::PlayerTable& table, int64_t connection, const std::string& frame) {
  const net::LoginOutcome out = table.Login(connection, frame, {"WhiteA", "BlackA", "WhiteB", "BlackB"});
  for (const auto* list : {&out.toRequester, &out.toAll})
    for (const std::string& f : *list) CheckRecut(f);
  if (table.Count() > net::PlayerTable::kCapacity) Fail("table past its capacity", frame);
  if (!out.accepted) return;
  const std::string& name = table.At(out.index).name;
  if (name.empty() || name.size() > net::kMaxNameLength || name != net::CleanName(name) || net::IsReservedName(name))
    Fail("name breaks the rules", name);
  if (table.FindClientByName(name) != out.index || table.FindClientByHandle(table.At(out.index).handle) != out.index)
    Fail("login not unique", frame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > net::FrameReader::kMaxFrame) return 0;
  const size_t points = data[0] % 16;
  if (size < 1 + 2 * points) return 0;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1 + 2 * points, size - 1 - 2 * points);
  std::vector<size_t> cuts;
  for (size_t i = 0; i < points; ++i) {
    const size_t at = (static_cast<size_t>(data[1 + 2 * i]) << 8 | data[2 + 2 * i]) % (stream.size() + 1);
    cuts.push_back(cuts.empty() ? at : std::max(cuts.back(), at));
  }

  const std::vector<std::string> whole = CutInReads(stream, {});
  if (CutInReads(stream, cuts) != whole) Fail("split reads cut other frames", stream);

  net::PlayerTable table;
  int64_t connection = 0;
  for (const std::string& frame : whole) {
    CheckFrame(frame);
    if (net::IsLoginFrame(frame)) CheckLogin(table, ++connection % 4 + 1, frame);
    // The command processors take the cut frames here as well.
  }
  net_fuzz::FeedServerProcessor(stream);
  return 0;
}
