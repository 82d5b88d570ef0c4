#include "play/profile.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <optional>
#include <stdexcept>

#include "display/visual_properties.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "platform/text_codec.h"
#include "play/pane_style.h"
#include "play/play_window.h"
#include "play/sounds_menu.h"

namespace profile {
namespace {

constexpr const char* kSection = "Kestrovane";
constexpr const char* kRoleKeys[sound::kRoles] = {"VoicePlayerWavDir", "VoicePartnerWavDir", "VoiceOpponentWavDir",
                                                   "VoicePartnersOpponentWavDir", "VoiceObserverWavDir"};

int Points(const QFont& font) {
  return font.pointSize() > 0 ? font.pointSize() : static_cast<int>(font.pointSizeF() + 0.5);
}

uint32_t ReadColor(const IniFile& ini, const std::string& key, uint32_t current) {
  return ProfileColor(ini.ReadInteger(kSection, key, static_cast<int32_t>(current)), current);
}

bool ReadMark(const IniFile& ini, const std::string& key, bool current) {
  return ini.ReadInteger(kSection, key, current ? 1 : 0) != 0;
}

void WriteMark(IniFile& ini, const std::string& key, bool on) { ini.WriteInteger(kSection, key, on ? 1 : 0); }

// "<prefix>FontName", "...FontColor", "...FontSize", "...FontStyle", then "<prefix>Color".
void WritePane(IniFile& ini, const std::string& prefix, const QWidget* pane) {
  const PaneFont f = FontOf(pane);
  ini.WriteString(kSection, prefix + "FontName", FromQString(f.font.family()));
  ini.WriteInteger(kSection, prefix + "FontColor", static_cast<int32_t>(f.color));
  ini.WriteInteger(kSection, prefix + "FontSize", Points(f.font));
  ini.WriteString(kSection, prefix + "FontStyle", FontStyleToString(f.font));
  ini.WriteInteger(kSection, prefix + "Color", static_cast<int32_t>(BackgroundOf(pane)));
}

void ReadPaneFont(const IniFile& ini, const std::string& prefix, QWidget* pane) {
  PaneFont f = FontOf(pane);
  f.font.setFamily(ToQString(ini.ReadString(kSection, prefix + "FontName", FromQString(f.font.family()))));
  f.color = ReadColor(ini, prefix + "FontColor", f.color);
  const int points = ini.ReadInteger(kSection, prefix + "FontSize", Points(f.font));
  if (points > 0) f.font.setPointSize(points);
  StringToFontStyle(ini.ReadString(kSection, prefix + "FontStyle", FontStyleToString(f.font)), f.font);
  SetPaneFont(pane, f);
}

void ReadPaneColor(const IniFile& ini, const std::string& prefix, QWidget* pane) {
  SetBackground(pane, ReadColor(ini, prefix + "Color", BackgroundOf(pane)));
}

// A check box following a flag; a change runs its click handler.
void Follow(TfrmKestrovane& w, QCheckBox* box, int32_t flag, void (TfrmKestrovane::*click)()) {
  const bool on = flag != 0;
  if (box->isChecked() == on) return;
  box->setChecked(on);
  (w.*click)();
}

std::optional<std::string> AskProfile(TfrmKestrovane& w, bool save) {
  const std::optional<QString> file =
      w.AskProfile(save, save ? QStringLiteral("Save Profile") : QStringLiteral("Load Profile"));
  if (!file) return std::nullopt;
  return PathFromQString(*file);
}

}  // namespace

void SaveProfile(TfrmKestrovane& w, const std::string& fileName) {
  w.SaveBoardSettings(fileName);
  IniFile ini(fileName);
  WritePane(ini, "ChatWindow", w.edNetGameMessage);
  WritePane(ini, "ChatWindowPartnerTells", w.edPartnerTells);
  WritePane(ini, "BPGNWindow", w.reBPGNGames);
  ini.WriteInteger(kSection, "WindowColor", static_cast<int32_t>(w.WindowColor()));
  sound::SoundsMenu& s = w.Sounds();
  WriteMark(ini, "SoundsOff", s.mnuiSoundsOff->isChecked());
  for (int r = 0; r < sound::kRoles; ++r) {
    ini.WriteString(kSection, kRoleKeys[r], s.VoiceHint(r));
    WriteMark(ini, std::string(kRoleKeys[r]) + "Checked", s.mnuiVoiceWavDir[static_cast<size_t>(r)]->isChecked());
  }
  WriteMark(ini, "UseWavesPerHandleIfExistsDir", s.mnuiUseWavesPerHandleIfExistsDir->isChecked());
  ini.WriteString(kSection, "SoundMoveWavFile", s.MoveSoundHint());
  WriteMark(ini, "SoundMoveWavFileChecked", s.mnuiSoundMoveWavFile->isChecked());
  if (!ini.Save()) throw std::runtime_error("Cannot create file \"" + fileName + "\"");
}

void LoadProfile(TfrmKestrovane& w, const std::string& fileName) {
  if (!w.Game()) return;
  w.LoadBoardSettings(fileName);
  const KestrovaneVisualProperties& v = w.Visual();
  Follow(w, w.chbEnergyBoard, v.TolvoEnergyBoard, &TfrmKestrovane::chbEnergyBoardClick);
  if (w.NetworkMode != 0)
    Follow(w, w.chbShowPresumptiveTimes, v.ShowPresumptiveTimes, &TfrmKestrovane::chbShowPresumptiveTimesClick);
  Follow(w, w.chbShowCoordinates, v.ShowCoordinates, &TfrmKestrovane::chbShowCoordinatesClick);
  Follow(w, w.chbFlipSides, v.FlipSides, &TfrmKestrovane::chbFlipSidesClick);

  const IniFile ini(fileName);
  // The chat line's look goes to the chat pane and the name box too.
  ReadPaneFont(ini, "ChatWindow", w.edNetGameMessage);
  for (QWidget* copy : {static_cast<QWidget*>(w.reNetGameLog), static_cast<QWidget*>(w.edName)})
    SetPaneFont(copy, FontOf(w.edNetGameMessage));
  ReadPaneColor(ini, "ChatWindow", w.edNetGameMessage);
  for (QWidget* copy : {static_cast<QWidget*>(w.reNetGameLog), static_cast<QWidget*>(w.edName)})
    SetBackground(copy, BackgroundOf(w.edNetGameMessage));
  ReadPaneFont(ini, "ChatWindowPartnerTells", w.edPartnerTells);
  ReadPaneColor(ini, "ChatWindowPartnerTells", w.edPartnerTells);
  // The record pane's colours go to the legal-move list.
  ReadPaneFont(ini, "BPGNWindow", w.reBPGNGames);
  PaneFont moves = FontOf(w.txtAllMoves);
  moves.color = FontOf(w.reBPGNGames).color;
  SetPaneFont(w.txtAllMoves, moves);
  ReadPaneColor(ini, "BPGNWindow", w.reBPGNGames);
  SetBackground(w.txtAllMoves, BackgroundOf(w.reBPGNGames));
  w.SetWindowColor(ReadColor(ini, "WindowColor", w.WindowColor()));
  w.ClearPicture();

  sound::SoundsMenu& s = w.Sounds();
  s.mnuiSoundsOff->setChecked(ReadMark(ini, "SoundsOff", s.mnuiSoundsOff->isChecked()));
  s.EnableFromSoundsOff();
  for (int r = 0; r < sound::kRoles; ++r) s.SetVoiceHint(r, ini.ReadString(kSection, kRoleKeys[r], s.VoiceHint(r)));
  // A missing sound is said and the rest still applies.
  s.LoadMoveSoundHint(ini.ReadString(kSection, "SoundMoveWavFile", s.MoveSoundHint()));
  for (int r = 0; r < sound::kRoles; ++r) {
    QAction* dir = s.mnuiVoiceWavDir[static_cast<size_t>(r)];
    s.MarkVoiceFolder(r, ReadMark(ini, std::string(kRoleKeys[r]) + "Checked", dir->isChecked()));
  }
  s.mnuiUseWavesPerHandleIfExistsDir->setChecked(
      ReadMark(ini, "UseWavesPerHandleIfExistsDir", s.mnuiUseWavesPerHandleIfExistsDir->isChecked()));
  s.MarkMoveSoundFile(ReadMark(ini, "SoundMoveWavFileChecked", s.mnuiSoundMoveWavFile->isChecked()));
}

void SaveProfileCommand(TfrmKestrovane& w) {
  const std::optional<std::string> file = AskProfile(w, true);
  if (!file) return;
  try {
    SaveProfile(w, *file);
  } catch (const std::exception& e) {
    AppDialogs().Error(&w, ToQString(e.what()));
  }
}

void LoadProfileCommand(TfrmKestrovane& w) {
  const std::optional<std::string> file = AskProfile(w, false);
  if (!file) return;
  LoadProfile(w, *file);
  if (!w.Game()) return;  // closed while a message box was up
  w.ReloadPieceSetKeepingSquareSize();
  w.LayoutControls(w.NetworkMode != 0);
}

}  // namespace profile
