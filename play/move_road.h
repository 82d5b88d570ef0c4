#pragma once
// The mouse road of a move on the play window's boards (selecting a piece,
// the promotion question) and the one road of every move, whoever makes it:
// the token is tried on the scratch position, then played here (local game)
// or sent as a frame (network game).
class TfrmKestrovane;

namespace move_road {

void MouseDown(TfrmKestrovane& w, int x, int y);
void MouseUp(TfrmKestrovane& w, int x, int y);
// False when the rules refuse the move.
bool PlayOrSend(TfrmKestrovane& w, int kind, int from, int to, int promotion);

}  // namespace move_road
