#pragma once
// Starting games in the play window: the start-game menus built from the
// table of kinds, a game of a kind, the local classic game, and the items
// enabled by the own roles.
class TfrmKestrovane;

namespace new_game {

// The three submenus of "Start New Game" with the 27 items, in table order.
void BuildStartGameMenus(TfrmKestrovane& w);
void StartNewGame(TfrmKestrovane& w, int kind, bool withSound = true);
// A start-game item: the server starts the game, anyone else asks the server for it.
void StartGameMenuClick(TfrmKestrovane& w, int kind);
void NewClassicGame(TfrmKestrovane& w);
void EnableNewGameMenus(TfrmKestrovane& w, int code);

}  // namespace new_game
