#pragma once
// Feeds arbitrary bytes to the server's command processor: as frames cut by
// a connection's reader from a logged-in client holding all four seats, and
// whole as one frame from the server's own window. The window does nothing
// but keep the game.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/kestro_game.h"
#include "net/core/debug_log.h"
#include "net/core/frame.h"
#include "net/core/server_processor.h"

namespace net_fuzz {

class QuietServerWindow : public net::ServerHost {
 public:
  std::unique_ptr<CKestroGame> game;
  net::DebugLog log;
  net::ServerProcessor* processor = nullptr;

  CKestroGame& Game() override { return *game; }
  net::DebugLog& Log() override { return log; }
  net::ServerChecks Checks() const override { return {}; }
  void ServerSendtoAll(const std::string&) override {}
  void ServerSendtoAllBS(const std::string&) override {}
  void ServerSendtoCli(std::string_view, const std::string&) override {}
  void ServerSendtoConnection(int64_t, const std::string&) override {}
  void AddChatLine(const std::string&) override {}
  void StartGameOfKind(int) override {
    NewGame();
    processor->GameStarted();
  }
  std::vector<int64_t> LiveConnections() const override { return {1}; }
  void Redraw() override {}
  void ShowServerMove(int, const std::string&, const std::string&) override {}
  void SetTurnStart(int, int64_t) override {}
  void PlayMoveSound() override {}
  void PlayCallAdminSound() override {}

  void NewGame() {
    auto next = std::make_unique<CKestroGame>();
    next->SetupStandardPosition(next->Position);
    if (game)
      for (int s = 0; s < 4; ++s) next->PlayerNames[s] = game->PlayerNames[s];
    next->LagCompensatorRead = 1;
    game = std::move(next);
  }
};

inline void FeedServerProcessor(std::string_view bytes) {
  constexpr std::string_view kHandle = "         7";
  net::FakeClock clock;
  net::PlayerTable table;
  QuietServerWindow window;
  window.NewGame();
  window.log.on = true;
  net::ServerProcessor processor(window, table, clock);
  window.processor = &processor;
  table.ServerLogin("Boss");
  processor.NetGameServerProcessingMessage(1, net::BuildLoginFrame(kHandle, "Fuzz"));
  for (const char* seat : {"TakeRoleWhiteA", "TakeRoleBlackA", "TakeRoleWhiteB", "TakeRoleBlackB"})
    processor.NetGameServerProcessingMessage(1, net::BuildFrame(kHandle, seat));
  processor.GameStarted();

  net::FrameReader reader;
  for (const std::string& frame : reader.Feed(bytes).frames) {
    clock.Advance(1234);
    processor.NetGameServerProcessingMessage(1, frame);
  }
  processor.NetGameServerProcessingMessage(1, net::BuildFrame(kHandle, "PlayMove", bytes));
  processor.NetGameServerProcessingMessage(std::nullopt, bytes);
}

}  // namespace net_fuzz
