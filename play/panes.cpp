#include "play/panes.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <algorithm>
#include <optional>

#include "display/visual_properties.h"
#include "platform/dialogs.h"
#include "play/menu_items.h"
#include "play/pane_style.h"
#include "play/play_window.h"

namespace panes {

namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption, void (TfrmKestrovane::*handler)(),
              TfrmKestrovane& w) {
  QAction* a = MenuItem(menu, name, caption);
  QObject::connect(a, &QAction::triggered, &w, handler);
  return a;
}

// The font dialog works on a copy: nothing changes unless the user confirms.
std::optional<PaneFont> AskFont(QWidget* parent, const PaneFont& start) {
  const std::optional<Dialogs::FontChoice> chosen =
      AppDialogs().Font(parent, Dialogs::FontChoice{start.font, ColorFromBgr(start.color)});
  if (!chosen) return std::nullopt;
  return PaneFont{chosen->font, BgrFromColor(chosen->color)};
}

// The colour dialog's colour, which after Cancel is still the one it started
// with.
uint32_t AskColor(QWidget* parent, uint32_t start) {
  const std::optional<QColor> chosen = AppDialogs().Color(parent, ColorFromBgr(start));
  return chosen ? BgrFromColor(*chosen) : start;
}

void ApplyChatSizes(TfrmKestrovane& w) {
  w.reNetGameLog->resize(std::max(0, w.ChatPaneWidth), std::max(0, w.ChatPaneHeight));
  w.edNetGameMessage->resize(std::max(0, w.ChatLineWidth), w.edNetGameMessage->height());
  // The surface follows, else a grown pane is cut off at its old edge.
  w.FitSurface();
}

}  // namespace

void BuildMenus(TfrmKestrovane& w) {
  using W = TfrmKestrovane;
  QMenu* options = SubMenu(w.MainMenu1, "mnuiOptions", "Options");
  QMenu* chat = SubMenu(options, "mnuiChatWindow", "Chat window");
  Item(chat, "mnuiChatWindowFont", "Font", &W::mnuiChatWindowFontClick, w);
  Item(chat, "mnuiChatWindowColor", "Color", &W::mnuiChatWindowColorClick, w);
  Item(chat, "mnuiChatWindowPartnerTellsFont", "Partner Tells Font", &W::mnuiChatWindowPartnerTellsFontClick, w);
  Item(chat, "mnuiChatWindowPartnerTellsColor", "Partner Tells Color", &W::mnuiChatWindowPartnerTellsColorClick, w);
  QMenu* bpgn = SubMenu(options, "mnuiBPGNWindow", "BPGN Window");
  Item(bpgn, "mnuiBPGNWindowFont", "Font", &W::mnuiBPGNWindowFontClick, w);
  Item(bpgn, "mnuiBPGNWindowColor", "Color", &W::mnuiBPGNWindowColorClick, w);
  Item(options, "mnuiWindowColor", "Window Color", &W::mnuiWindowColorClick, w);

  // Only a client uses it; Start Server, Join and Disconnect switch it.
  w.mnuiClientOptions = SubMenu(w.MainMenu1, "mnuiClientOptions", "ClientOptions");
  w.mnuiClientOptions->menuAction()->setEnabled(false);
  w.mnuiPartnerTellsFont =
      Item(w.mnuiClientOptions, "mnuiPartnerTellsFont", "Partner Tells Font", &W::mnuiPartnerTellsFontClick, w);
  w.mnuiPartnerTellsFont->setVisible(false);

  Item(w.mnuBoard, "mnuiBoardPhoenix", "Board Phoenix", &W::mnuiBoardPhoenixClick, w);
}


void CycleChatHeight(TfrmKestrovane& w) {
  int& h = w.ChatPaneHeight;
  h = h < 170 ? 170 : h < 240 ? 240 : 70;
  ApplyChatSizes(w);
}

void StepChatHeight(TfrmKestrovane& w, int delta) {
  w.ChatPaneHeight += delta;
  ApplyChatSizes(w);
}

void StepChatWidths(TfrmKestrovane& w, int delta) {
  w.ChatPaneWidth += delta;
  w.ChatLineWidth += delta;
  ApplyChatSizes(w);
}

void ChatWindowFont(TfrmKestrovane& w) {
  const std::optional<PaneFont> font = AskFont(&w, FontOf(w.reNetGameLog));
  if (!font) return;
  for (QWidget* c : {static_cast<QWidget*>(w.reNetGameLog), static_cast<QWidget*>(w.edNetGameMessage),
                     static_cast<QWidget*>(w.edName)})
    SetPaneFont(c, *font);
}

void ChatWindowColor(TfrmKestrovane& w) {
  const uint32_t color = AskColor(&w, BackgroundOf(w.reNetGameLog));
  for (QWidget* c : {static_cast<QWidget*>(w.reNetGameLog), static_cast<QWidget*>(w.edName),
                     static_cast<QWidget*>(w.edNetGameMessage)})
    SetBackground(c, color);
}

void PartnerTellsFont(TfrmKestrovane& w) {
  if (const std::optional<PaneFont> font = AskFont(&w, FontOf(w.edPartnerTells))) SetPaneFont(w.edPartnerTells, *font);
}

void PartnerTellsColor(TfrmKestrovane& w) {
  SetBackground(w.edPartnerTells, AskColor(&w, BackgroundOf(w.edPartnerTells)));
}

void BpgnWindowFont(TfrmKestrovane& w) {
  const std::optional<PaneFont> font = AskFont(&w, FontOf(w.reBPGNGames));
  if (!font) return;
  SetPaneFont(w.reBPGNGames, *font);
  // The legal-move list keeps its own font and takes the colour only.
  SetPaneFont(w.txtAllMoves, PaneFont{w.txtAllMoves->font(), font->color});
}

void BpgnWindowColor(TfrmKestrovane& w) {
  const uint32_t color = AskColor(&w, BackgroundOf(w.reBPGNGames));
  SetBackground(w.reBPGNGames, color);
  SetBackground(w.txtAllMoves, color);
}

void WindowColor(TfrmKestrovane& w) {
  w.SetWindowColor(AskColor(&w, w.WindowColor()));
  w.ClearPicture();
  w.DrawBoard();
}

void PartnerTellsLengthChanging(TfrmKestrovane& w) {
  // Padded on the left with "_" to the old length, then cut to the new one.
  const QString s = QString(std::max(0, w.PartnerTellsLength), QLatin1Char('_')) + w.edPartnerTells->text();
  w.PartnerTellsLength = w.udPartnerTellsSLN->value();
  w.edPartnerTells->setText(s.right(std::max(0, w.PartnerTellsLength)));
}

void NameGuard(TfrmKestrovane& w) {
  if (w.NameEditing) return;
  const QString accepted = w.edName->toolTip();
  if (w.edName->text() != accepted) w.edName->setText(accepted);
}

void BoardPhoenix(TfrmKestrovane& w) {
  AppDialogs().Message(&w, QStringLiteral("Phoenix"), QStringLiteral("Phoenix is hidden now in board :)"),
                       {Dialogs::Answer::Ok}, Dialogs::Answer::Ok);
}

}  // namespace panes
