#pragma once
// The communicator: the one-click chat buttons of the play window, nine game
// buttons and 38 quick-chat buttons, each with its caption and the chat text
// it sends.
#include <array>

namespace communicator {

struct Button {
  const char* name;     // the widget's object name
  const char* caption;  // the button's face
  const char* text;     // the chat text a click sends
};

inline constexpr int kGameButtons = 9;
inline constexpr int kQuickyButtons = 38;
inline constexpr int kButtons = kGameButtons + kQuickyButtons;

// Game buttons first (btnGame1..9), then btnQuicky01..38.
extern const std::array<Button, kButtons> kTable;

// A size step of "Bigger" (+1) or "Smaller" (-1): height first, then width.
inline constexpr int kHeightStep = 5;
inline constexpr int kWidthStep = 2;

}  // namespace communicator
