#pragma once
// The "Sounds" menu of the play window: sounds on and off, the five voices
// with their Mute items, the voice for a handle and the move sound, and what
// the window asks of them (a chat line spoken, the move sound, the
// administrator call).
#include <QObject>
#include <array>
#include <memory>
#include <string>

#include "play/core/sound_choice.h"
#include "play/sounds.h"

class QAction;
class QMenu;
class QWidget;

namespace sound {

class SoundsMenu : public QObject {
 public:
  // Fills `menu`; `window` parents the dialogs.
  SoundsMenu(QWidget* window, QMenu* menu);
  ~SoundsMenu() override;

  // Where sounds go (the Qt layer unless a test puts a recorder in place; not owned).
  void SetOutput(SoundOutput* output) { out_ = output ? output : &qt_; }
  SoundOutput& Output() { return *out_; }
  // Program folder + "/Sounds/".
  const std::string& SoundsFolder() const { return soundsFolder_; }
  const SoundBuffers& Buffers() const { return buffers_; }
  const std::string& VoiceFolder(int role) const { return folders_[static_cast<size_t>(role)]; }
  VoiceSettings Settings() const;

  // A received chat line, spoken when sounds are on.
  void SpeakChatLine(const SeatNames& seats, const std::string& sender, const std::string& text);
  // The move sound, waited for, when sounds are on and "None" is unchecked.
  void PlayMoveSoundAndWait();
  // The administrator call's sound, not waited for.
  void PlayCallAdminSound();

  // The hints: a voice folder or the move sound as the user chose it,
  // relative to "Sounds\PlayersVoice\" (or "Sounds\") or absolute.
  std::string VoiceHint(int role) const;
  std::string MoveSoundHint() const;
  // Caption, hint and folder of a voice from a hint.
  void SetVoiceHint(int role, const std::string& hint);
  // Caption and hint of the move sound from a hint, and the sound loaded from
  // it. A file that cannot be read is said in a message box and the previous
  // sound stays; false then.
  bool LoadMoveSoundHint(const std::string& hint);
  // Check marks set without the handlers: marking a voice folder (or the
  // move sound file) clears its Mute (or "None") partner; clearing it leaves
  // the partner as it is.
  void MarkVoiceFolder(int role, bool on);
  void MarkMoveSoundFile(bool on);
  // The seven sub-menus enabled exactly while "Off" is unchecked.
  void EnableFromSoundsOff();

  // The menu handlers.
  void mnuiSoundsOffClick();
  void MuteClick(int role);
  void WavDirClick(int role);
  void mnuiSoundMoveNoneClick();
  void mnuiSoundMoveWavFileClick();

  QAction* mnuiSoundsOff = nullptr;
  QAction* mnuiUseWavesPerHandleIfExistsDir = nullptr;
  QAction* mnuiSoundMove = nullptr;
  QAction* mnuiSoundMoveNone = nullptr;
  QAction* mnuiSoundMoveWavFile = nullptr;
  std::array<QAction*, kRoles> mnuiVoice{};        // the five sub-menus
  std::array<QAction*, kRoles> mnuiVoiceMute{};
  std::array<QAction*, kRoles> mnuiVoiceWavDir{};

 private:
  // The path a hint names: below `base` when relative; a path written on
  // another machine that does not exist here is taken below this program's
  // "Sounds" folder when its part below "\Sounds\" exists there.
  std::string PathOfHint(const std::string& hint, const std::string& base) const;
  // Says that `file` cannot be opened.
  void CannotOpen(const QString& file);

  QWidget* window_ = nullptr;
  Sounds qt_;
  SoundOutput* out_ = &qt_;
  std::string soundsFolder_;
  std::array<std::string, kRoles> folders_;
  SoundBuffers buffers_;
};

}  // namespace sound
