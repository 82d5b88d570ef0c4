#pragma once
// The position set-up editor of the play window: it edits the game's current
// position in place and then lets play go on from it.
class TfrmKestrovane;

namespace setup_editor {

// "Setup position": set-up mode on, the editor's controls enabled, the side
// panes to the right of the picture.
void Enter(TfrmKestrovane& w);
// "Setup start" and "Clear Board": both boards to the standard start or to
// kings only with full hands, then the variant box's game kind.
void SetupStart(TfrmKestrovane& w);
void ClearBoard(TfrmKestrovane& w);
// "On Move": the sides to move step (0,0), (1,0), (1,1), (0,1).
void NextSidesToMove(TfrmKestrovane& w);
// "Save position and play": the position as a game record in the record
// pane, set-up mode off, the move numbers from 1 again, the legal moves
// listed, the controls disabled.
void SaveAndPlay(TfrmKestrovane& w);

}  // namespace setup_editor
