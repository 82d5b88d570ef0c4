#pragma once
// Which sound a chat line or a move makes: the voice folder of the sender's
// role, the file of the message in that folder and its fallbacks. Folders are
// paths with "/" and a trailing "/"; every file is found in any letter case.
#include <array>
#include <string>

namespace sound {

// Roles in the order of the voice folders and their Mute items.
enum Role : int { kPlayer = 0, kPartner = 1, kOpponent = 2, kPartnersOpponent = 3, kObserver = 4 };
inline constexpr int kRoles = 5;

struct Phrase {
  const char* message;  // the whole chat message, letter case included
  const char* file;     // its file in a voice folder
};
// The communicator's messages that have a file of another name.
extern const std::array<Phrase, 26> kPhraseTable;

// What plays the chosen sounds; the window's sound layer, or a recorder in tests.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Plays a file without waiting; a new sound cuts off one still playing.
  virtual void PlayFileAsync(const std::string& path) = 0;
  // Plays a WAV image from memory and returns when it has played.
  virtual void PlayImageAndWait(const std::string& image) = 0;
  // Plays a WAV image from memory without waiting.
  virtual void PlayImageAsync(const std::string& image) = 0;
};

struct VoiceSettings {
  bool soundsOn = true;
  bool preferHandleVoice = true;           // "Prefer voice for handle if exists"
  std::array<std::string, kRoles> folders;  // each with a trailing "/"
  std::array<bool, kRoles> muted = {};
};

// The four names of the game and this participant's seat indexes (0..3; any
// other index matches no name).
struct SeatNames {
  std::array<std::string, 4> names;  // WhiteA, BlackA, WhiteB, BlackB
  int own = -1, partner = -1, opponent = -1, partnersOpponent = -1;
};

// An existing file or folder for `path` matched component by component in
// any letter case (ASCII and Windows-1252 letters); trailing blanks and dots
// of the last component are ignored as Windows ignores them. Empty when
// nothing matches.
std::string FindPath(const std::string& path);

// The message as a file name: "?" becomes "$", ":" becomes "%"; separators
// and control bytes become "_", so the name never leaves its folder.
std::string MessageFileName(const std::string& message);

// The sender's own voice folder below `voicesFolder` ("…/Sounds/PlayersVoice/")
// when the name is a plain folder name and the folder holds "Go.WAV"; else empty.
std::string HandleVoiceFolder(const std::string& voicesFolder, const std::string& sender);

// The voice folder a chat line of `sender` is spoken in; empty when sounds
// are off or every applicable role is muted.
std::string ChooseVoiceFolder(const VoiceSettings& voices, const SeatNames& seats, const std::string& voicesFolder,
                              const std::string& sender);

// The file that speaks `message` in `folder`: its own file, the "+X"/"-X"
// names or the phrase table's file, then "Hey.WAV", then `defaultSound`.
// Empty when none of them exists.
std::string ChooseChatSound(const std::string& message, const std::string& folder, const std::string& defaultSound);

// Speaks one chat line: the voice, then the file, played without waiting.
void SpeakChatLine(const VoiceSettings& voices, const SeatNames& seats, const std::string& soundsFolder,
                   const std::string& sender, const std::string& message, SoundOutput& out);

}  // namespace sound
