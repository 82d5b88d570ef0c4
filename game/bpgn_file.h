#pragma once
// A game file held whole in memory, from which games are cut out by number.
#include <stdexcept>
#include <string>
#include <vector>

class BpgnFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CBpgn {
 public:
  // Loads the file (lines joined with CR LF); a ".PGN" file is turned into BPGN.
  // Throws BpgnFileError when the file can not be read.
  explicit CBpgn(const std::string& fileName);
  // From a text already in memory, as a file of that name would give it.
  static CBpgn FromText(const std::string& text, const std::string& fileName);

  // Game n (from 1); game 1 when the file holds fewer than n games.
  std::string GetGame(int n);
  int GameCount() const { return static_cast<int>(Starts.size()); }
  // One-board PGN to BPGN: the moves become board A's, each with a clock
  // comment; comments stay as they are; suffix marks, NAGs and variations go.
  static std::string ConvertPgnToBpgn(const std::string& text);
  // Joins lines as the text-file loader does: every line ends with CR LF.
  static std::string JoinLines(const std::string& raw);

  // After loading: the caption "BPGN : (%dB) %s"; after each GetGame: the
  // notes of that cut. Built when read, so walking a file stays linear.
  const std::string& Log() const;

  std::string Text;
  std::string GameTextCut;
  int TextLength = 0;
  int GameNumber = 0;

 private:
  CBpgn() = default;
  void Index();
  std::string CutLog(int walked, int length) const;
  std::vector<size_t> Starts;       // offset of each game's "[Event"
  std::vector<int> MissingMoves;    // numbers of games lacking "1A." or "1B."
  mutable std::string log_;
  mutable int logWalked_ = 0;       // games walked by the last cut whose notes are not yet in log_
  int logLength_ = 0;               // text length at that cut
};
