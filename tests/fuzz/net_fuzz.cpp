// Bytes to the network game's frame reader, field extraction and login.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/core/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  net::FrameReader reader;
  reader.Feed(bytes);
  return 0;
}
