#pragma once
// The play window's smaller commands: the chat pane's size, the fonts and
// colours of the panes and of the window, the partner-tells length, the
// name guard, and the Options and ClientOptions menus that reach them.
class TfrmKestrovane;

namespace panes {

// The Options and ClientOptions menus and the Board menu's extra item.
void BuildMenus(TfrmKestrovane& w);

// The chat pane's logical height and the widths of the pane and the chat
// line go below zero when asked to; the widgets stop at zero.
void CycleChatHeight(TfrmKestrovane& w);  // "Size": 70 -> 170 -> 240 -> 70
void StepChatHeight(TfrmKestrovane& w, int delta);
void StepChatWidths(TfrmKestrovane& w, int delta);

void ChatWindowFont(TfrmKestrovane& w);
void ChatWindowColor(TfrmKestrovane& w);
void PartnerTellsFont(TfrmKestrovane& w);
void PartnerTellsColor(TfrmKestrovane& w);
void BpgnWindowFont(TfrmKestrovane& w);
void BpgnWindowColor(TfrmKestrovane& w);
void WindowColor(TfrmKestrovane& w);

void PartnerTellsLengthChanging(TfrmKestrovane& w);

// Puts the text of the name edit back to the accepted name while editing is
// off.
void NameGuard(TfrmKestrovane& w);

void BoardPhoenix(TfrmKestrovane& w);

}  // namespace panes
