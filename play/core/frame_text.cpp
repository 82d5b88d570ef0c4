#include "play/core/frame_text.h"

namespace playnet {

namespace {

constexpr char kMark = '\xA4';

std::string Padded(std::string_view text, size_t width) {
  std::string s(text.substr(0, width));
  s.resize(width, ' ');
  return s;
}

}  // namespace

std::string BuildFrame(std::string_view handle, std::string_view command, std::string_view payload) {
  std::string frame;
  frame.reserve(45 + payload.size());
  frame += kMark;
  frame += "cmd";
  frame += kMark;
  frame += Padded(handle, 10);
  frame += kMark;
  frame += Padded(command, 20);
  if (!payload.empty()) {
    frame += kMark;
    frame += payload;
  }
  frame += kMark;
  frame += "endcmd";
  frame += kMark;
  return frame;
}

std::string CleanPayload(std::string_view text) {
  std::string clean;
  clean.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u != 0xA4 && u >= 0x20 && u != 0x7F) clean += c;
  }
  return clean;
}

}  // namespace playnet
