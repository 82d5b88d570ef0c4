#pragma once
// The 27 kinds of new game, one row each: the start-game menus, the record
// header, the start position, the clocks and delay, and the network names of
// every kind are read from this one table.
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "game/kestro_game.h"

// What the kinds of one start position share.
struct NewGameStart {
  enum Setup { Standard, Remake, SmallSpace2, Phalanx, Coin, Ingols };
  Setup setup = Standard;
  const char* event = "";    // Event tag value
  const char* variant = "";  // Variant tag value; "" writes no Variant tag
  const char* bfen = "";     // BFEN of each board in the set-up block; "" writes no block
  int gameKind = 0;          // GameKind the game is given; 0 keeps what the header gave
  int submenu = 0;           // 0 "Classics Chess", 1 "Coin Chess", 2 "Ingols Chess"
};

struct NewGameKindRow {
  int kind = 0;                // NewGameKind
  const char* menuItem = "";   // item name without "mnuiStart"
  const char* caption = "";
  const char* request = "";    // what a client asks the server for
  const char* title = "";
  const char* command = "";    // what the server tells its clients
  const NewGameStart* start = nullptr;
  const char* timeControl = "";
  int clockMs = 0;             // given to all four seats; 0 keeps the start position's clocks
  int delay = 0;               // Bronstein delay in seconds

  // Every kind but the four plain ones sets the delay and switches the lag compensator off.
  bool SetsDelay() const { return kind > 3; }
};

// Names of the start-game submenus, by NewGameStart::submenu: item name and caption.
struct NewGameSubmenu {
  const char* name;
  const char* caption;
};
std::span<const NewGameSubmenu> NewGameSubmenus();

// The rows in menu order.
std::span<const NewGameKindRow> NewGameKinds();
const NewGameKindRow* FindNewGameKind(int kind);

// The record header of a kind: Event, Site, Date, the four players (the
// given names, each with rating "0"), Variant, TimeControl, Result, the
// set-up block, then "\r\n{*} *". Every value goes through the tag writer.
std::string NewGameHeader(const NewGameKindRow& row, const std::string (&names)[4], std::string_view date);

// A new game object of the kind built from its header: player and display
// names, game kind, start position, delay and clocks.
std::unique_ptr<CKestroGame> CreateNewGame(const NewGameKindRow& row, const std::string& header,
                                           const std::string (&playerNames)[4],
                                           const std::string (&displayNames)[4]);

// The chat line the server announces a started game with.
std::string NewGameAnnouncement(const NewGameKindRow& row, const CKestroGame& game);
