#pragma once
// One external XBoard engine run as a child process with piped input and output.
#include <QtCore/QProcess>
#include <QtCore/QProcessEnvironment>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
// ended by a terminate signal, killed, or it had already ended (or never ran)
// when it was stopped.
enum class EngineEnd : int32_t { Pending = 0, Quit = 1, Terminated = 2, Killed = 3, HadEnded = 4 };

class CXBoardEngineAgent {
 public:
  CXBoardEngineAgent(int id, const std::string& folder, const std::string& fileName);
  ~CXBoardEngineAgent();
  CXBoardEngineAgent(const CXBoardEngineAgent&) = delete;
  CXBoardEngineAgent& operator=(const CXBoardEngineAgent&) = delete;

  // 0 on success, -1 on failure. An agent that runs is started afresh: a new
  // game never reads what the engine wrote for an earlier one.
  int Start();
  // Why the program at `path` can not be started as an engine ("the file ...
  // is missing"); empty when nothing speaks against it.
  static std::string FileProblem(const std::string& path);
  // Never blocks: the process gets the quit word and a closed input, then a
  // terminate and a kill after grace periods, all while the event loop runs.
  // An engine that has already ended is reported as such at once.
  int Stop();
  int Send(const std::string& line);
  // Returns the number of characters of engine output in `text`; with 0,
  // `text` is a notice for the engine's pane. An engine that ends before it
  // has answered anything is started once more and sent again every line it
  // had been sent; the notice says so and lists them.
  int Read(std::string& text);
  std::string InitGame();
  std::string InitAnalysis();

  // Reads the waiting output and notices into `text` (for the engine's log) and returns
  // the next whole "move <text>" line's move that reads as an XBoard move,
  // or an empty string. Other move texts are noted in `text` and dropped.
  // Only lines after the engine's greeting to the latest set-up (InitGame,
  // InitAnalysis) are read for moves.
  std::string ReadMove(std::string& text);
  // What the engine said since the last call (results, resignations, partner
  // tells), in order; read from the same lines as the moves.
  std::vector<EngineSaying> TakeSayings();
  // An engine move the rules refused: noted in the returned log text, and
  // while retries remain the engine is set up again on `board` of `position`
  // (its own side to move) and told to go. ResyncsLeft says whether it was.
  std::string RefuseMove(const std::string& move, const TwoBoardPosition& position, int board);
  // Sets the engine up on `board` of `position` with its own side to move
  // and tells it to go; returns the transcript. Counts no retry.
  std::string Resync(const TwoBoardPosition& position, int board);
  // The game set-up for a game under way: the engine takes `board` of
  // `position` and plays its side (Side) from there, at once when that side
  // is to move, else once it has been told the next move (GoAfterNextMove).
  std::string InitPosition(const TwoBoardPosition& position, int board);
  // Tells an engine to play the side to move, then its board's hands.
  std::string GoWithHands(const TwoBoardPosition& position, int board);
  void MoveAccepted() { Resyncs = 0; }
  int ResyncsLeft() const { return MaxResyncs - Resyncs; }

  // Outcome of the last Stop, filled in when the process has ended.
  std::shared_ptr<EngineEnd> StopOutcome() const { return LastStop; }
  // The running engine's process id; 0 without one.
  qint64 ProcessId() const { return Process ? Process->processId() : 0; }

  static constexpr int kBufferSize = 1048576;
  // How long Stop waits after the quit word, then after the terminate signal.
  int32_t QuitGraceMs = 500;
  int32_t TerminateGraceMs = 1000;

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
  // Set up away from its side's turn: the engine waits without playing
  // either side until "go" follows the next move it is told. Until then it
  // is told no hands, which some engines misread while they play no side.
  bool GoAfterNextMove = false;
  // The engine has answered a set-up that it can not take the position.
  bool PositionRefused = false;
  // Why the last Start failed.
  std::string StartError;
  // The engine's environment; unset, it inherits the program's.
  std::optional<QProcessEnvironment> Environment;

 private:
  bool Launch();
  void ForgetOutput();
  int StartOnceMore(std::string& text);
  void NoteAnswers(const std::string& output);
  std::string Log(const std::string& command);
  std::string SendLogged(const std::string& command);
  std::string VariantCommand(int32_t variant) const;
  std::string Greet();
  std::string LevelCommand() const;
  std::string SetUpPosition(const TwoBoardPosition& position, int board, bool go);

  std::unique_ptr<QProcess> Process;
  EngineLineBuffer Lines;
  std::deque<std::string> Moves;
  std::vector<EngineSaying> Sayings;
  bool GreetingSeen = false;
  int32_t SetUps = 0;  // set-ups sent to the running process
  int32_t Resyncs = 0;
  std::shared_ptr<EngineEnd> LastStop;
  // Start-up: until the engine answers, the lines sent are kept so that an
  // engine that ends early can be started once more and told them again.
  bool Starting = false;
  bool Restarted = false;
  std::vector<std::string> SentWhileStarting;
  EngineLineBuffer StartLines;
};
