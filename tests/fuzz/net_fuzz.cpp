// Bytes to the network game's frame reader, field extraction and login.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/core/frame.h"
#include "tests/net_core/server_fuzz_feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  net::FrameReader reader;
  reader.Feed(bytes);
  net_fuzz::FeedServerProcessor(bytes);
  return 0;
}
