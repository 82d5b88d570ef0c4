#pragma once
// The repair run: splits a BPGN text into games, replays each with the repair
// checker, mends air drops, drops duplicates and sorts the games into the
// repaired text Bpgn2 and the refused text Bpgn3 (each refused game copied
// byte for byte). Texts are bytes throughout; nothing is decoded.
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/repair_checker.h"

namespace repair {

struct RepairOptions {
  bool stepByStep = false;        // chbStepByStep
  bool removeComments = false;    // chRemoveComments
  bool skipByText = false;        // chbRAGIS
  std::string skipText = "aborted";  // edRAGIS; an empty text skips nothing
  bool removeDuplicates = true;   // chbRemoveDuplicity
};

// What the window does during a run. Every method has a do-nothing default,
// so a headless caller overrides only what it needs.
class RepairObserver {
 public:
  virtual ~RepairObserver() = default;
  // The "INFo" Yes/No question before the run; true (Yes) ends the run.
  virtual bool StopBeforeRun(const std::string& /*title*/, const std::string& /*text*/) { return false; }
  // Step mode, before each move: "Next move :\n" + token. false (No) stops the run.
  virtual bool AskNextMove(const std::string& /*question*/) { return true; }
  // Draw the position (DrawDoublePosition) and show `dump` in reDoublePosition.
  virtual void ShowPosition(const CompactPosition& /*position*/, const std::string& /*dump*/) {}
  virtual void ShowMove(const std::string& /*text*/) {}     // txtMove
  virtual void ShowLog(const std::string& /*log*/) {}       // txtLog
  virtual void ShowOutput(const std::string& /*text*/) {}   // reBpgnOut
  virtual void ShowAirDrops(const std::string& /*text*/) {} // txtTmp
  virtual void Progress(int /*percent*/) {}                 // pbProcessing, 0..100
  virtual void Beep() {}
};

enum class RepairEnd {
  Completed,      // statistics written; save buttons follow the counters
  Declined,       // Yes at the first question
  TooShort,       // input under 10 bytes
  StoppedInStep,  // No in step mode: outputs are partial, keep saving off
  CyclicLoop,     // loop limit reached
};

struct RepairResult {
  RepairEnd end = RepairEnd::Completed;
  std::string bpgn2;    // repaired games
  std::string bpgn3;    // refused games, unchanged
  std::string log;      // what txtLog shows at the end
  std::string runLog;   // the log lines of the games, also when txtLog is cut short
  std::string txtTmp;   // "AirDrops:\r\n" and one entry per game reaching the remover
  std::string output;   // what reBpgnOut shows at the end
  std::string summary;  // the statistics line S (empty unless Completed)
  int inputLength = 0;
  int games = 0;        // games met
  int repaired = 0;
  int duplicates = 0;
  int written = 0;      // games in bpgn2
  int errors = 0;       // games in bpgn3
  int skipped = 0;      // games skipped by text
  CompactPosition position;  // where the last game stood
  // Every game met is written, refused, a duplicate or skipped; a run that
  // ended early (Declined, TooShort, StoppedInStep) accounts for fewer.
  // bpgn2 and bpgn3 replace the window's texts only when the run got past its
  // start: not for Declined and TooShort.
  // Save buttons after the run; both false unless the run completed.
  bool canSaveRepaired = false;
  bool canSaveUnrepaired = false;
};

extern const char kRepairInfoTitle[];  // "INFo"
extern const char kRepairInfoText[];   // the twelve lines of the question

RepairResult RepairBpgn(std::string_view bpgn1, const RepairOptions& options, RepairObserver* observer = nullptr);

// Puts the air drops of a played game right: on success returns 1, reorders
// `moves` (its first `count` records) when needed and rewrites `moveText`
// from them; on failure returns 0 and appends "ErrA" or "ErrC" lines to `log`.
// Either way appends the txtTmp entry to `airDrops`. `startHands` gives the
// 20 hand counts of a set-up start (board A's holding slots, then B's).
int RemoveAirDrops(int count, std::vector<BpgnMove>& moves, std::string& moveText, std::string& log,
                   std::string& airDrops, const int* startHands = nullptr);

}  // namespace repair
