#include "play/sounds_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "platform/cp1252.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "play/menu_items.h"

namespace sound {
namespace {

constexpr const char* kRoleNames[kRoles] = {"Player", "Partner", "Opponent", "PartnersOpponent", "Observer"};
constexpr const char* kRoleCaptions[kRoles] = {"Voice Player", "Voice Partner", "Voice Opponent",
                                               "Voice Partner's opponent", "Voice Observer"};

QAction* Item(QMenu* menu, const std::string& name, const QString& caption, bool checked) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name.c_str()));
  a->setCheckable(true);
  a->setChecked(checked);
  return a;
}

// A hint as written ("RORI\", "C:\...", "/home/...") as a path with "/".
std::string Slashes(std::string text) {
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}
std::string Backslashes(std::string text) {
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}
bool IsRelativeHint(const std::string& hint) {
  return hint.find(':') == std::string::npos && (hint.empty() || (hint[0] != '/' && hint[0] != '\\'));
}
std::string Hint(const QAction* a) { return FromQString(a->statusTip()); }

// Upper-cased; the prefix `base` (compared in any letter case) removed and
// what stays written with "\" as the form writes it.
std::string ShownPath(const std::string& path, const std::string& base) {
  const std::string upper = cp1252::Upper(path);
  const std::string upperBase = cp1252::Upper(base);
  if (upper.compare(0, upperBase.size(), upperBase) == 0) return Backslashes(upper.substr(upperBase.size()));
  return upper;
}

}  // namespace

SoundsMenu::SoundsMenu(QWidget* window, QMenu* menu) : QObject(menu), window_(window) {
  soundsFolder_ = paths::Below("Sounds/");
  for (int r = 0; r < kRoles; ++r)
    folders_[static_cast<size_t>(r)] = soundsFolder_ + "PlayersVoice/VoiceSynth" + std::to_string(r + 1) + "/";
  LoadSoundBuffers(buffers_, soundsFolder_ + "MOVE.WAV", soundsFolder_);  // missing: silence

  mnuiSoundsOff = Item(menu, "mnuiSoundsOff", QStringLiteral("Off"), false);
  connect(mnuiSoundsOff, &QAction::triggered, this, [this] { mnuiSoundsOffClick(); });
  for (int r = 0; r < kRoles; ++r) {
    const std::string name = std::string("mnuiVoice") + kRoleNames[r];
    QMenu* sub = SubMenu(menu, name.c_str(), kRoleCaptions[r]);
    mnuiVoice[static_cast<size_t>(r)] = sub->menuAction();
    QAction* mute = Item(sub, name + "Mute", QStringLiteral("Mute"), false);
    const std::string synth = "VoiceSynth" + std::to_string(r + 1) + "\\";
    QAction* dir = Item(sub, name + "WavDir", QString::fromLatin1((synth + "*.WAV").c_str()), true);
    dir->setStatusTip(QString::fromLatin1(synth.c_str()));
    mnuiVoiceMute[static_cast<size_t>(r)] = mute;
    mnuiVoiceWavDir[static_cast<size_t>(r)] = dir;
    connect(mute, &QAction::triggered, this, [this, r] { MuteClick(r); });
    connect(dir, &QAction::triggered, this, [this, r] { WavDirClick(r); });
  }
  mnuiUseWavesPerHandleIfExistsDir =
      Item(menu, "mnuiUseWavesPerHandleIfExistsDir", QStringLiteral("Prefer voice for handle if exists"), true);
  QMenu* move = SubMenu(menu, "mnuiSoundMove", "Move");
  mnuiSoundMove = move->menuAction();
  mnuiSoundMoveNone = Item(move, "mnuiSoundMoveNone", QStringLiteral("None"), false);
  mnuiSoundMoveWavFile = Item(move, "mnuiSoundMoveWavFile", QStringLiteral("MOVE.WAV"), true);
  mnuiSoundMoveWavFile->setStatusTip(QStringLiteral("MOVE.WAV"));
  connect(mnuiSoundMoveNone, &QAction::triggered, this, [this] { mnuiSoundMoveNoneClick(); });
  connect(mnuiSoundMoveWavFile, &QAction::triggered, this, [this] { mnuiSoundMoveWavFileClick(); });
}

SoundsMenu::~SoundsMenu() = default;

VoiceSettings SoundsMenu::Settings() const {
  VoiceSettings v;
  v.soundsOn = !mnuiSoundsOff->isChecked();
  v.preferHandleVoice = mnuiUseWavesPerHandleIfExistsDir->isChecked();
  for (size_t r = 0; r < kRoles; ++r) {
    v.folders[r] = folders_[r];
    v.muted[r] = mnuiVoiceMute[r]->isChecked();
  }
  return v;
}

void SoundsMenu::SpeakChatLine(const SeatNames& seats, const std::string& sender, const std::string& text) {
  sound::SpeakChatLine(Settings(), seats, soundsFolder_, sender, text, *out_);
}

void SoundsMenu::PlayMoveSoundAndWait() {
  if (mnuiSoundsOff->isChecked() || mnuiSoundMoveNone->isChecked() || !buffers_.move) return;
  const std::shared_ptr<const std::string> image = buffers_.move;  // kept while it plays
  out_->PlayImageAndWait(*image);
}

void SoundsMenu::PlayCallAdminSound() {
  QApplication::beep();
  const std::string file = FindPath(soundsFolder_ + "CallAdmin.WAV");
  if (!file.empty()) out_->PlayFileAsync(file);
}

std::string SoundsMenu::VoiceHint(int role) const { return Hint(mnuiVoiceWavDir[static_cast<size_t>(role)]); }

std::string SoundsMenu::MoveSoundHint() const { return Hint(mnuiSoundMoveWavFile); }

std::string SoundsMenu::PathOfHint(const std::string& hint, const std::string& base) const {
  if (IsRelativeHint(hint)) return paths::ResolveBelow(base, hint);
  const std::string path = Slashes(hint);
  const std::string found = FindPath(path);
  if (!found.empty()) return found;
  const size_t at = cp1252::Upper(path).rfind("/SOUNDS/");
  if (at != std::string::npos) {
    const std::string here = FindPath(soundsFolder_ + path.substr(at + 8));
    if (!here.empty()) return here;
  }
  return path;
}

void SoundsMenu::SetVoiceHint(int role, const std::string& hint) {
  QAction* dir = mnuiVoiceWavDir[static_cast<size_t>(role)];
  dir->setStatusTip(ToQString(hint));
  dir->setText(ToQString(hint + "*.WAV"));
  std::string folder = PathOfHint(hint, soundsFolder_ + "PlayersVoice/");
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folders_[static_cast<size_t>(role)] = folder;
}

bool SoundsMenu::LoadMoveSoundHint(const std::string& hint) {
  mnuiSoundMoveWavFile->setStatusTip(ToQString(hint));
  mnuiSoundMoveWavFile->setText(ToQString(hint));
  const std::string file = PathOfHint(hint, soundsFolder_);
  if (LoadSoundBuffers(buffers_, file, soundsFolder_)) return true;
  CannotOpen(PathToQString(file));
  return false;
}

void SoundsMenu::MarkVoiceFolder(int role, bool on) {
  mnuiVoiceWavDir[static_cast<size_t>(role)]->setChecked(on);
  if (on) mnuiVoiceMute[static_cast<size_t>(role)]->setChecked(false);
}

void SoundsMenu::MarkMoveSoundFile(bool on) {
  mnuiSoundMoveWavFile->setChecked(on);
  if (on) mnuiSoundMoveNone->setChecked(false);
}

void SoundsMenu::CannotOpen(const QString& file) {
  AppDialogs().Message(window_, QStringLiteral("Kestrovane"), QStringLiteral("Cannot open file \"%1\".").arg(file),
                       {Dialogs::Answer::Ok}, Dialogs::Answer::Ok);
}

void SoundsMenu::mnuiSoundsOffClick() { EnableFromSoundsOff(); }

void SoundsMenu::EnableFromSoundsOff() {
  const bool on = !mnuiSoundsOff->isChecked();
  for (QAction* a : mnuiVoice) a->setEnabled(on);
  mnuiUseWavesPerHandleIfExistsDir->setEnabled(on);
  mnuiSoundMove->setEnabled(on);
}

void SoundsMenu::MuteClick(int role) {
  mnuiVoiceMute[static_cast<size_t>(role)]->setChecked(true);
  mnuiVoiceWavDir[static_cast<size_t>(role)]->setChecked(false);
}

void SoundsMenu::WavDirClick(int role) {
  QAction* dir = mnuiVoiceWavDir[static_cast<size_t>(role)];
  dir->setChecked(!dir->isChecked());  // the click toggled it; the dialog decides
  const std::string voices = soundsFolder_ + "PlayersVoice/";
  const std::string hint = Hint(dir);
  std::string start = hint.empty() ? voices : IsRelativeHint(hint) ? voices + Slashes(hint) : Slashes(hint);
  const std::string found = FindPath(start);
  if (!found.empty()) start = found;
  const std::optional<QString> chosen = AppDialogs().OpenFile(window_, QStringLiteral("Open"), PathToQString(start),
                                                              QStringLiteral("COMING.WAV"),
                                                              QStringLiteral("WAV Files (*.WAV *.wav)"));
  if (!chosen) return;
  const std::string file = PathFromQString(*chosen);
  out_->PlayFileAsync(file);
  const size_t slash = file.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string("./") : file.substr(0, slash + 1);
  folders_[static_cast<size_t>(role)] = folder;
  const std::string text = ShownPath(folder, voices);
  dir->setText(ToQString(text + "*.WAV"));
  dir->setStatusTip(ToQString(text));
  MarkVoiceFolder(role, true);
}

void SoundsMenu::mnuiSoundMoveNoneClick() {
  mnuiSoundMoveNone->setChecked(true);
  mnuiSoundMoveWavFile->setChecked(false);
}

void SoundsMenu::mnuiSoundMoveWavFileClick() {
  mnuiSoundMoveWavFile->setChecked(!mnuiSoundMoveWavFile->isChecked());  // the dialog decides
  const std::string hint = Hint(mnuiSoundMoveWavFile);
  std::string start = soundsFolder_;
  if (!hint.empty()) {
    const std::string current = IsRelativeHint(hint) ? soundsFolder_ + Slashes(hint) : Slashes(hint);
    const size_t slash = current.find_last_of('/');
    start = FindPath(current.substr(0, slash + 1));
    if (start.empty()) start = soundsFolder_;
  }
  const std::optional<QString> chosen =
      AppDialogs().OpenFile(window_, QStringLiteral("Open"), PathToQString(start), QStringLiteral("MOVE.WAV"),
                            QStringLiteral("WAV Files (*.WAV *.wav)"));
  if (!chosen) return;
  const std::string file = PathFromQString(*chosen);
  if (!LoadSoundBuffers(buffers_, file, soundsFolder_)) {
    CannotOpen(*chosen);
    return;
  }
  out_->PlayImageAndWait(*buffers_.move);
  const std::string text = ShownPath(file, soundsFolder_);
  mnuiSoundMoveWavFile->setText(ToQString(text));
  mnuiSoundMoveWavFile->setStatusTip(ToQString(text));
  MarkMoveSoundFile(true);
}

}  // namespace sound
