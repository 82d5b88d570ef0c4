#pragma once
// One external XBoard engine run as a child process with piped input and output.
#include <QtCore/QProcess>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "engines/core/engine_text.h"
#include "game/position.h"

struct XBoardAnalyseProperties {
  int32_t variant = 1;
  int32_t side = 15;  // non-zero selects "black"
  std::string setboardCommand = "setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
  std::string holdingCommand = "holding [] []";
  std::string coinCommand = "coin $e4";
};

// How a stopped engine ended: still ending, exited after the quit word,
// ended by a terminate signal, or killed.
enum class EngineEnd : int32_t { Pending = 0, Quit = 1, Terminated = 2, Killed = 3 };

class CXBoardEngineAgent {
 public:
  CXBoardEngineAgent(int id, const std::string& folder, const std::string& fileName);
  ~CXBoardEngineAgent();
  CXBoardEngineAgent(const CXBoardEngineAgent&) = delete;
  CXBoardEngineAgent& operator=(const CXBoardEngineAgent&) = delete;

  int Start();  // 0 on success, -1 on failure
  // Never blocks: the process gets the quit word and a closed input, then a
  // terminate and a kill after grace periods, all while the event loop runs.
  int Stop();
  int Send(const std::string& line);
  int Read(std::string& text);
  std::string InitGame();
  std::string InitAnalysis();

  // Reads the waiting output into `text` (for the engine's log) and returns
  // the next whole "move <text>" line's move that reads as an XBoard move,
  // or an empty string. Other move texts are noted in `text` and dropped.
  std::string ReadMove(std::string& text);
  // An engine move the rules refused: noted in the returned log text, and
  // while retries remain the engine is set up again on `board` of `position`
  // (its own side to move) and told to go. ResyncsLeft says whether it was.
  std::string RefuseMove(const std::string& move, const TwoBoardPosition& position, int board);
  // Sets the engine up on `board` of `position` with its own side to move
  // and tells it to go; returns the transcript. Counts no retry.
  std::string Resync(const TwoBoardPosition& position, int board);
  void MoveAccepted() { Resyncs = 0; }
  int ResyncsLeft() const { return MaxResyncs - Resyncs; }

  // Outcome of the last Stop, filled in when the process has ended.
  std::shared_ptr<EngineEnd> StopOutcome() const { return LastStop; }

  static constexpr int kBufferSize = 1048576;
  static constexpr int kQuitGraceMs = 500;
  static constexpr int kTerminateGraceMs = 1000;

  int32_t Running = 0;
  int32_t Id = 0;
  std::string Name;
  std::string Path;
  std::string Folder;
  int32_t Variant = 1;
  int32_t Side = 15;
  int32_t LevelA = 0, LevelB = 1, LevelC = 0;
  int32_t Easy = 1;
  int32_t Post = 1;
  XBoardAnalyseProperties Analysis;
  int32_t MaxResyncs = 3;

 private:
  std::string Log(const std::string& command);
  std::string SendLogged(const std::string& command);
  std::string VariantCommand(int32_t variant) const;

  std::unique_ptr<QProcess> Process;
  EngineLineBuffer Lines;
  std::deque<std::string> Moves;
  int32_t Resyncs = 0;
  std::shared_ptr<EngineEnd> LastStop;
};
