#include "play/core/sound_choice.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace sound {

const std::array<Phrase, 26> kPhraseTable = {{
    {"---", "-_-_-.wav"},
    {"+ I need something to drop ...", "++.wav"},
    {"What Now ?", "suggestion.wav"},
    {"(?) Watch my board in next moves and synchronize game", "watchout.wav"},
    {"My opponent waiting for something ...", "hesits.wav"},
    {"I See", "CHIMEUP.WAV"},
    {"!? Thinking ...", "CHIMEUP.WAV"},
    {"I sit", "ISIT.WAV"},
    {"Fast", "PLAYFAST.WAV"},
    {"We are Up on time", "weup.WAV"},
    {"We are down on time", "wedown.WAV"},
    {"OK Now", "OKNOW.WAV"},
    {":) position is better", "good.wav"},
    {":( Position is worse", "bad.wav"},
    {"Opponent is dead", "OPPMATED.WAV"},
    {"I am dead", "IMDEAD.WAV"},
    {"Opponents forfeits on time", "iwon.wav"},
    {"Counting position: 1.", "PLAY1.WAV"},
    {"Counting position: 2.", "PLAY2.WAV"},
    {"Draw by 3x repeated position!", "gamedrawn.wav"},
    {"Be careful", "becareful.wav"},
    {"Checkmate !", "iwon.wav"},
    {"Illegal move !", "iwon.wav"},
    {"Resign", "ilost.wav"},
    {"Request abort of game", "abortrequest.wav "},
    {"Can we play new game ?", "DRIP.WAV"},
}};

namespace {

// Letter case folded for file-name comparison: ASCII and the Windows-1252
// accented letters.
unsigned char FoldByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldByte(static_cast<unsigned char>(a[i])) != FoldByte(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` named `name` in any letter case; empty when none.
std::string MatchEntry(const std::string& folder, const std::string& name) {
  if (Exists(folder + name)) return name;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name)) return entry;
  }
  return {};
}

std::string TrimWindowsTail(std::string name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  return name;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  return true;
}

}  // namespace

std::string FindPath(const std::string& path) {
  if (path.empty()) return {};
  std::string found = path[0] == '/' ? "/" : "";
  size_t start = path[0] == '/' ? 1 : 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    const bool last = slash == std::string::npos;
    if (last) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (last) part = TrimWindowsTail(part);
    if (!part.empty()) {
      const std::string entry = MatchEntry(found, part);
      if (entry.empty()) return {};
      found += entry;
      if (!last) found += '/';
    }
    if (last) break;
    start = slash + 1;
  }
  return Exists(found) ? found : std::string();
}

std::string MessageFileName(const std::string& message) {
  std::string name = message;
  for (char& ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (ch == '?')
      ch = '$';
    else if (ch == ':')
      ch = '%';
    else if (c < 0x20 || c == 0x7F || ch == '/' || ch == '\\')
      ch = '_';
  }
  return name;
}

std::string HandleVoiceFolder(const std::string& voicesFolder, const std::string& sender) {
  if (!IsPlainName(sender)) return {};
  const std::string folder = FindPath(voicesFolder + sender + "/");
  if (folder.empty() || FindPath(folder + "Go.WAV").empty()) return {};
  return folder;
}

std::string ChooseVoiceFolder(const VoiceSettings& voices, const SeatNames& seats, const std::string& voicesFolder,
                              const std::string& sender) {
  if (!voices.soundsOn) return {};
  auto seatIs = [&](int seat) { return seat >= 0 && seat <= 3 && sender == seats.names[static_cast<size_t>(seat)]; };
  const bool observer = !seatIs(seats.own) && !seatIs(seats.partner) && !seatIs(seats.opponent) &&
                        !seatIs(seats.partnersOpponent);
  const struct {
    Role role;
    bool holds;
  } rules[9] = {
      {kPlayer, seatIs(seats.own)},
      {kPartner, seatIs(seats.partner)},
      {kOpponent, seatIs(seats.opponent)},
      {kPartnersOpponent, seatIs(seats.partnersOpponent)},
      {kPlayer, seatIs(0)},
      {kPartner, seatIs(1)},
      {kOpponent, seatIs(2)},
      {kPartnersOpponent, seatIs(3)},
      {kObserver, observer},
  };
  for (const auto& rule : rules) {
    if (!rule.holds || voices.muted[rule.role]) continue;
    if (voices.preferHandleVoice) {
      const std::string own = HandleVoiceFolder(voicesFolder, sender);
      if (!own.empty()) return own;
    }
    return voices.folders[rule.role];
  }
  return {};
}

std::string ChooseChatSound(const std::string& message, const std::string& folder, const std::string& defaultSound) {
  const std::string first = FindPath(folder + MessageFileName(message) + ".WAV");
  if (!first.empty()) return first;
  std::string second;
  if (message.size() == 2 && message[0] == '+') {
    second = MessageFileName(message.substr(1)) + "GOOD.WAV";
  } else if (message.size() == 2 && message[0] == '-') {
    second = "NO" + MessageFileName(message.substr(1)) + ".WAV";
  } else {
    for (const Phrase& p : kPhraseTable)
      if (message == p.message) second = p.file;
  }
  if (!second.empty()) {
    const std::string found = FindPath(folder + second);
    if (!found.empty()) return found;
  }
  const std::string hey = FindPath(folder + "Hey.WAV");
  if (!hey.empty()) return hey;
  return FindPath(defaultSound);
}

void SpeakChatLine(const VoiceSettings& voices, const SeatNames& seats, const std::string& soundsFolder,
                   const std::string& sender, const std::string& message, SoundOutput& out) {
  const std::string folder = ChooseVoiceFolder(voices, seats, soundsFolder + "PlayersVoice/", sender);
  if (folder.empty()) return;
  const std::string file = ChooseChatSound(message, folder, soundsFolder + "DEFAULT.WAV");
  if (!file.empty()) out.PlayFileAsync(file);
}

}  // namespace sound
