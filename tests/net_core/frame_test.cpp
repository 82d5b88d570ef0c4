#include "net/core/frame.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string kStart = "\xA4" "cmd\xA4";
const std::string kEnd = "\xA4" "endcmd\xA4";

// The cutting rule on one whole text, written the plain way: the first start
// marker to the first end marker, the text after it cut again; frames over
// the bound are dropped.
std::vector<std::string> ReferenceCut(std::string text) {
  std::vector<std::string> frames;
  for (;;) {
    const size_t end = text.find(kEnd);
    if (end == std::string::npos) break;
    const size_t start = text.find(kStart);
    if (start < end) {
      std::string frame = text.substr(start, end + kEnd.size() - start);
      if (frame.size() <= net::FrameReader::kMaxFrame) frames.push_back(frame);
    }
    text = text.substr(end + kEnd.size());
  }
  return frames;
}

std::vector<std::string> FeedInPieces(const std::string& stream, const std::vector<size_t>& cuts) {
  net::FrameReader reader;
  std::vector<std::string> frames;
  size_t from = 0;
  for (size_t i = 0; i <= cuts.size(); ++i) {
    const size_t to = i < cuts.size() ? cuts[i] : stream.size();
    for (auto& f : reader.Feed(std::string_view(stream).substr(from, to - from)).frames) frames.push_back(f);
    from = to;
  }
  return frames;
}

}  // namespace

TEST(NetFrame, BuildsAndExtractsByteForByte) {
  EXPECT_EQ(net::BuildFrame("2000000001", "TakeRoleWhiteA"), "\xA4" "cmd\xA4" "2000000001\xA4TakeRoleWhiteA      \xA4" "endcmd\xA4");
  const std::string talk = net::BuildFrame("       123", "Talk", "Anna>hello");
  EXPECT_EQ(talk, "\xA4" "cmd\xA4       123\xA4Talk                \xA4" "Anna>hello\xA4" "endcmd\xA4");
  // A handle shorter than 10 is blank-padded on the left; 0xA4 never enters a frame.
  EXPECT_EQ(net::BuildFrame("123", "Talk", "a\xA4" "endcmd\xA4" "b"), talk.substr(0, 37) + "aendcmdb" + kEnd);
  EXPECT_EQ(net::BuildFrame("2000000001", "Talk", "endcmd"), "\xA4" "cmd\xA4" "2000000001\xA4Talk                \xA4" "endcmd \xA4" "endcmd\xA4");
  EXPECT_EQ(net::BuildLoginFrame("       123", "Anna"),
            "\xA4" "cmd\xA4KVX&UNetGameClient\xA4" "100\xA4       123\xA4" "Anna\xA4" "endcmd\xA4");
  EXPECT_TRUE(net::IsLoginFrame(net::BuildLoginFrame("       123", "Anna")));
  EXPECT_FALSE(net::IsLoginFrame(talk));

  for (const auto& fields : {net::ServerFields(talk), net::ClientFields(talk)}) {
    EXPECT_TRUE(fields.ok);
    EXPECT_EQ(fields.handle, "       123");
    EXPECT_EQ(fields.command, "Talk");
    EXPECT_EQ(fields.payload, "Anna>hello");
  }
  const std::string bare = net::BuildFrame("2000000001", "Who");
  EXPECT_EQ(net::ServerFields(bare).payload, "");
  EXPECT_EQ(net::ClientFields(bare).payload, "");
  EXPECT_EQ(net::ServerFields(bare).command, "Who");
  // Both sides read the same payload from a cut frame, but differ on text after an inner end marker.
  const std::string twoEnds = talk.substr(0, 37) + "x" + kEnd + "y" + kEnd;
  EXPECT_EQ(net::ClientFields(twoEnds).payload, "x");
  EXPECT_EQ(net::ServerFields(twoEnds).payload, "x" + kEnd + "y");
  EXPECT_FALSE(net::ServerFields("garbage" + talk).ok);
  EXPECT_FALSE(net::ClientFields(kStart + "2000000001").ok);

  EXPECT_EQ(net::SetPlayersPayload({"Anna", "BlackA", "Bo\xA4" "b\x01", "WhiteB"}),
            "WhiteA:AnnaBlackA:BlackAWhiteB:BobBlackB:WhiteB");
  EXPECT_EQ(net::CleanPayload("a\xA4" "b\r\nc\x7F\xE9"), "abc\xE9");
}

TEST(NetFrame, ExtractionStaysInsideAnyFrame) {
  // Every prefix of a frame and short frames with both markers: no read
  // outside the bytes (the sanitizers check), fields no longer than their slots.
  const std::string frame = net::BuildFrame("2000000001", "PlayMove", "1A. e4{5}");
  std::vector<std::string> cases;
  for (size_t n = 0; n <= frame.size(); ++n) cases.push_back(frame.substr(0, n));
  cases.push_back(kStart + kEnd);
  cases.push_back(kStart + "endcmd\xA4");  // markers overlap
  cases.push_back(kStart + "2000000001\xA4Who" + kEnd);
  for (const std::string& c : cases) {
    for (const auto& f : {net::ServerFields(c), net::ClientFields(c)}) {
      EXPECT_LE(f.handle.size(), 10u);
      EXPECT_LE(f.command.size(), 20u);
      EXPECT_LE(f.payload.size(), c.size());
      EXPECT_EQ(f.ok, c.rfind(kStart, 0) == 0 && c.find(kEnd) != std::string::npos) << c;
    }
  }
  // The command field of an unpadded frame holds the end marker, so it is no command.
  EXPECT_EQ(net::ServerFields(kStart + "2000000001\xA4Who" + kEnd).command, "Who" + kEnd);
}

TEST(NetFrameReader, CutsLikeTheWholeTextWhateverTheReads) {
  std::mt19937 rng(20240611);
  std::string stream;
  const std::string oversize = net::BuildFrame("       777", "Talk", std::string(net::FrameReader::kMaxFrame, 'x'));
  for (int i = 0; i < 400; ++i) {
    if (i == 200) stream += oversize;
    if (i == 100) stream += net::BuildFrame("2000000001", "Who") + kEnd + "cmd\xA4" + "x" + kEnd;  // markers overlap
    switch (rng() % 8) {
      case 0: stream += "noise " + std::to_string(i); break;
      case 1: stream += kEnd; break;                                      // end without start
      case 2: stream += i % 3 == 0 ? "\xA4" "cm" : i % 3 == 1 ? "cmd\xA4" : "\xA4" "end"; break;  // marker pieces
      case 3: stream += kStart + "  1234567\xA4Tal"; break;               // start never finished here
      default: stream += net::BuildFrame("  " + std::to_string(1000000 + i), "Talk", "m" + std::to_string(i));
    }
  }
  const std::vector<std::string> expected = ReferenceCut(stream);
  ASSERT_GT(expected.size(), 100u);

  EXPECT_EQ(FeedInPieces(stream, {}), expected);  // coalesced: one read
  std::vector<size_t> everyByte;
  for (size_t i = 1; i < stream.size(); ++i) everyByte.push_back(i);
  EXPECT_EQ(FeedInPieces(stream, everyByte), expected);
  for (int round = 0; round < 20; ++round) {
    std::vector<size_t> cuts;
    for (size_t at = rng() % 60; at < stream.size(); at += 1 + rng() % (round < 10 ? 40 : 5000)) cuts.push_back(at);
    EXPECT_EQ(FeedInPieces(stream, cuts), expected) << "round " << round;
  }
}

TEST(NetFrameReader, ReportsBadTextOverflowAndRests) {
  net::FrameReader reader;
  const std::string a = net::BuildFrame("2000000001", "Talk", "a");
  const std::string b = net::BuildFrame("2000000001", "Who");

  // Plain text: the bad-communication case, nothing kept.
  auto r = reader.Feed("GET / HTTP/1.0\r\n\r\n");
  EXPECT_TRUE(r.noFrameStart);
  EXPECT_TRUE(r.frames.empty());
  EXPECT_EQ(reader.Pending(), 0u);

  // Two frames and half a third: two now with their rests, the half kept.
  r = reader.Feed(a + "junk" + b + b.substr(0, 20), true);
  ASSERT_EQ(r.frames, (std::vector<std::string>{a, b}));
  EXPECT_FALSE(r.noFrameStart);
  EXPECT_EQ(r.Rest(0), "junk" + b + b.substr(0, 20));
  EXPECT_EQ(r.Rest(1), b.substr(0, 20));
  // The rest of it has no start marker of its own, yet is no bad text.
  r = reader.Feed(b.substr(20));
  EXPECT_FALSE(r.noFrameStart);
  EXPECT_EQ(r.frames, std::vector<std::string>{b});
  EXPECT_EQ(reader.Pending(), 0u);

  // A start marker split by the read is kept without a report.
  r = reader.Feed("\xA4" "c");
  EXPECT_FALSE(r.noFrameStart);
  EXPECT_EQ(reader.Pending(), 2u);
  r = reader.Feed(a.substr(2));
  EXPECT_EQ(r.frames, std::vector<std::string>{a});

  // An unfinished frame past the bound is dropped once and reported.
  r = reader.Feed(kStart + std::string(net::FrameReader::kMaxFrame, 'x'));
  EXPECT_TRUE(r.overflowed);
  EXPECT_EQ(reader.Pending(), 0u);
  r = reader.Feed("xxxx" + kEnd + a);
  EXPECT_FALSE(r.overflowed);
  EXPECT_EQ(r.frames, std::vector<std::string>{a});
}
