// One external XBoard engine run as a child process.
#include "engines/xboard_engine_agent.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFileInfo>
#include <QtCore/QTimer>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#endif

#include "engines/core/engine_seats.h"

CXBoardEngineAgent::CXBoardEngineAgent(int id, const std::string& folder, const std::string& fileName)
    : Id(id), Name(fileName), Path(folder + fileName), Folder(folder) {}

CXBoardEngineAgent::~CXBoardEngineAgent() {
  if (Running) Stop();
}

namespace {

constexpr const char* kNoNewData = "\r\nNo new data received.";

// Lines by which an engine shows it has read its set-up (errors do not count).
constexpr std::string_view kAnswers[] = {"move ", "tellics", "telluser", "feature ", "pong",
                                         "resign", "offer draw", "1-0", "0-1", "1/2-1/2"};

bool IsAnswer(std::string_view line) {
  return std::any_of(std::begin(kAnswers), std::end(kAnswers),
                     [line](std::string_view answer) { return line.substr(0, answer.size()) == answer; });
}

// "Error (unknown command): setboard", "tellusererror Illegal position".
bool RefusesPosition(std::string_view line) {
  return (line.substr(0, 5) == "Error" && line.find("setboard") != std::string_view::npos) ||
         line.find("Illegal position") != std::string_view::npos;
}

std::string EndedText(int exitCode) {
  char line[96];
  std::snprintf(line, sizeof line, "\r\nEngine has ended (exit code %d).", exitCode);
  return line;
}

}  // namespace

std::string CXBoardEngineAgent::FileProblem(const std::string& path) {
  const QFileInfo file(QString::fromStdString(path));
  return !file.exists()         ? "the file " + path + " is missing"
         : !file.isFile()       ? path + " is not a file"
         : !file.isExecutable() ? "the file " + path + " is not executable"
                                : std::string();
}

int CXBoardEngineAgent::Start() {
  // Whatever a running engine still has to say belongs to its earlier game.
  if (Running) Stop();
  if (!Launch()) return -1;
  Resyncs = 0;
  Starting = true;
  Restarted = false;
  SentWhileStarting.clear();
  return 0;
}

bool CXBoardEngineAgent::Launch() {
  auto process = std::make_unique<QProcess>();
  const QString path = QString::fromStdString(Path);
  process->setProgram(path);
  process->setWorkingDirectory(QFileInfo(path).absolutePath());
  process->setProcessChannelMode(QProcess::MergedChannels);
  if (Environment) process->setProcessEnvironment(*Environment);
#ifdef Q_OS_LINUX
  // The engine ends with this program, also when the program is killed and
  // cannot stop it (an engine reading a closed input may spin for ever).
  const pid_t parent = getpid();
  process->setChildProcessModifier([parent] {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
  });
#endif
  process->start();
  if (!process->waitForStarted(5000)) {
    StartError = FileProblem(Path);
    if (StartError.empty()) StartError = process->errorString().toStdString();
    return false;
  }
  StartError.clear();
  Process = std::move(process);
  Lines.Clear();
  StartLines.Clear();
  Moves.clear();
  Sayings.clear();
  GreetingSeen = false;
  SetUps = 0;
  Running = 1;
  return true;
}

// A set-up is about to be sent: the output waiting and the moves not yet
// taken answer an earlier one, and the engine is to greet again.
void CXBoardEngineAgent::ForgetOutput() {
  Moves.clear();
  Sayings.clear();
  GoAfterNextMove = false;
  PositionRefused = false;
  Lines.Clear();
  GreetingSeen = false;
  if (SetUps++ == 0 || !Process || Process->state() == QProcess::NotRunning) return;
  Process->waitForReadyRead(0);
  Process->readAll();
}

int CXBoardEngineAgent::Send(const std::string& line) {
  if (!Running || !Process) return 0;
  if (Starting && !Restarted) SentWhileStarting.push_back(line);
  if (Process->state() == QProcess::NotRunning) return 0;
  const std::string text = line + "\n";
  Process->write(text.data(), static_cast<qint64>(text.size()));
  Process->waitForBytesWritten(0);
  return 0;
}

int CXBoardEngineAgent::Read(std::string& text) {
  if (!Running || !Process) {
    text = "\r\nEngine don't run.";
    return 0;
  }
  if (Process->bytesAvailable() == 0) Process->waitForReadyRead(0);
  const qint64 waiting = Process->bytesAvailable();
  if (waiting > 0) {
    const QByteArray data = Process->read(std::min<qint64>(waiting, kBufferSize - 1));
    text.assign(data.constData(), static_cast<size_t>(data.size()));
    if (Starting) NoteAnswers(text);
    return static_cast<int>(text.size());
  }
  if (Process->state() == QProcess::NotRunning) {
    if (Starting && !Restarted) return StartOnceMore(text);
    // The engine died: say so once, and stop using it.
    text = EndedText(Process->exitCode());
    Process.reset();
    Running = 0;
    return 0;
  }
  text = kNoNewData;
  return 0;
}

void CXBoardEngineAgent::NoteAnswers(const std::string& output) {
  for (const std::string& line : StartLines.Feed(output)) {
    if (!IsAnswer(line)) continue;
    Starting = false;
    SentWhileStarting.clear();
    StartLines.Clear();
    return;
  }
}

// Engines that keep files in the user's home may lose a race to create them
// when two start at once on a new account; the second start finds them made.
int CXBoardEngineAgent::StartOnceMore(std::string& text) {
  const int exitCode = Process->exitCode();
  Process.reset();
  Restarted = true;
  text = "\r\n" + Name + " ended during start-up; starting it once more.\r\n";
  if (!Launch()) {
    text += EndedText(exitCode);
    Running = 0;
    return 0;
  }
  for (const std::string& line : SentWhileStarting) {
    Send(line);
    text += line == "xboard" ? "xboard mode: starting engine: " + Name + "\r\n" : Log(line);
  }
  SentWhileStarting.clear();
  return 0;
}

int CXBoardEngineAgent::Stop() {
  std::unique_ptr<QProcess> owned = std::move(Process);
  Running = 0;
  if (!owned || owned->state() == QProcess::NotRunning || owned->waitForFinished(0)) {
    // Nothing to end: it had ended by itself (or never ran).
    LastStop = std::make_shared<EngineEnd>(EngineEnd::HadEnded);
    return 1;
  }
  QProcess* process = owned.release();
  auto outcome = std::make_shared<EngineEnd>(EngineEnd::Pending);
  LastStop = outcome;
  process->write("quit\n");
  process->waitForBytesWritten(0);
  process->closeWriteChannel();
  if (!QCoreApplication::instance()) {
    // No event loop to end it later: wait the grace periods here.
    EngineEnd end = EngineEnd::Quit;
    if (!process->waitForFinished(QuitGraceMs)) {
      end = EngineEnd::Terminated;
      process->terminate();
      if (!process->waitForFinished(TerminateGraceMs)) {
        end = EngineEnd::Killed;
        process->kill();
        process->waitForFinished(TerminateGraceMs);
      }
    }
    *outcome = end;
    delete process;
    return 1;
  }
  // The application deletes (and so kills) what is still running when it ends.
  process->setParent(QCoreApplication::instance());
  auto phase = std::make_shared<EngineEnd>(EngineEnd::Quit);
  QObject::connect(process, &QProcess::finished, process, [process, phase, outcome]() {
    *outcome = *phase;
    process->deleteLater();
  });
  QTimer::singleShot(QuitGraceMs, process, [process, phase]() {
    if (process->state() == QProcess::NotRunning) return;
    *phase = EngineEnd::Terminated;
    process->terminate();
  });
  QTimer::singleShot(QuitGraceMs + TerminateGraceMs, process, [process, phase]() {
    if (process->state() == QProcess::NotRunning) return;
    *phase = EngineEnd::Killed;
    process->kill();
  });
  return 1;
}

std::string CXBoardEngineAgent::Log(const std::string& command) { return Name + "<- " + command + "\r\n"; }

std::string CXBoardEngineAgent::SendLogged(const std::string& command) {
  Send(command);
  return Log(command);
}

std::string CXBoardEngineAgent::VariantCommand(int32_t variant) const {
  return variant == 1 ? "variant bughouse" : variant == 5 ? "variant coin" : "variant chess";
}

// A new set-up starts with "xboard", after which only new output counts.
std::string CXBoardEngineAgent::Greet() {
  ForgetOutput();
  Send("xboard");
  return "xboard mode: starting engine: " + Name + "\r\n";
}

std::string CXBoardEngineAgent::InitGame() {
  std::string transcript = Greet();
  transcript += SendLogged(Post ? "post" : "nopost");
  transcript += SendLogged(Easy ? "easy" : "hard");
  transcript += SendLogged("new");
  transcript += SendLogged(VariantCommand(Variant));
  if (Variant == 1) transcript += SendLogged(Analysis.holdingCommand);
  if (Variant == 5) transcript += SendLogged(Analysis.coinCommand);
  transcript += SendLogged(LevelCommand());
  transcript += SendLogged("white");
  if (Side == 15) transcript += SendLogged("go");
  return transcript;
}

std::string CXBoardEngineAgent::InitAnalysis() {
  std::string transcript = Greet();
  transcript += SendLogged("new");
  transcript += SendLogged("analyze");
  transcript += SendLogged(VariantCommand(Analysis.variant));
  transcript += SendLogged("post");
  if (Analysis.variant == 1) transcript += SendLogged(Analysis.holdingCommand);
  if (Analysis.variant == 5) transcript += SendLogged(Analysis.coinCommand);
  transcript += SendLogged(Analysis.side ? "black" : "white");
  transcript += SendLogged(Analysis.setboardCommand);
  transcript += SendLogged("analyze");
  return transcript;
}

std::string CXBoardEngineAgent::ReadMove(std::string& text) {
  text.clear();
  std::string output;
  if (Read(output) > 0) {
    text = output;
    for (const std::string& line : Lines.Feed(output)) {
      if (!GreetingSeen) {
        GreetingSeen = FindEngineGreeting(line) != std::string::npos;
        continue;
      }
      if (RefusesPosition(line)) PositionRefused = true;
      if (EngineSaying saying = ReadEngineSaying(line); saying.kind != EngineSaying::None)
        Sayings.push_back(std::move(saying));
      const std::string move = EngineLineBuffer::MoveOfLine(line);
      if (move.empty()) continue;
      XBoardMove parsed;
      if (ParseXBoardMove(move, parsed))
        Moves.push_back(move);
      else
        text += "\r\nNot an XBoard move, not played: " + move;
    }
  } else if (output != kNoNewData) {
    text = output;
  }
  if (Moves.empty()) return {};
  std::string move = Moves.front();
  Moves.pop_front();
  return move;
}

std::vector<EngineSaying> CXBoardEngineAgent::TakeSayings() {
  std::vector<EngineSaying> said;
  said.swap(Sayings);
  return said;
}

std::string CXBoardEngineAgent::RefuseMove(const std::string& move, const TwoBoardPosition& position, int board) {
  std::string text = "\r\nMove refused by the rules: " + move;
  Moves.clear();
  if (Resyncs >= MaxResyncs) return text + "\r\nEngine not set up again: retry limit reached.\r\n";
  ++Resyncs;
  char line[80];
  std::snprintf(line, sizeof line, "\r\nSetting the engine up again (%d of %d).\r\n", Resyncs, MaxResyncs);
  text += line;
  return text + Resync(position, board);
}

std::string CXBoardEngineAgent::Resync(const TwoBoardPosition& position, int board) {
  return SetUpPosition(position, board, true);
}

std::string CXBoardEngineAgent::InitPosition(const TwoBoardPosition& position, int board) {
  std::string transcript = Greet();
  transcript += SendLogged(Post ? "post" : "nopost");
  transcript += SendLogged(Easy ? "easy" : "hard");
  const int32_t toMove = board == 1 ? position.sideToMoveA : position.sideToMoveB;
  const int32_t own = Side == 15 ? 0 : 1;
  return transcript + SetUpPosition(position, board, (toMove != 0 ? 1 : 0) == own);
}

std::string CXBoardEngineAgent::LevelCommand() const {
  char level[64];
  std::snprintf(level, sizeof level, "level %d %d %d", LevelA, LevelB, LevelC);
  return level;
}

// The position goes in while the engine plays neither side ("force"):
// some engines given a position they are to move in would move at once
// and then, told to go, play the other side too.
std::string CXBoardEngineAgent::SetUpPosition(const TwoBoardPosition& position, int board, bool go) {
  Moves.clear();
  std::string text;
  text += SendLogged("new");
  text += SendLogged(VariantCommand(Variant));
  text += SendLogged(LevelCommand());
  text += SendLogged("force");
  text += SendLogged(BoardToSetboard(position, board, true));
  if (Variant == 5) text += SendLogged(CoinToXBoard(position, board));
  GoAfterNextMove = !go;
  if (go) text += GoWithHands(position, board);
  return text;
}

std::string CXBoardEngineAgent::GoWithHands(const TwoBoardPosition& position, int board) {
  GoAfterNextMove = false;
  std::string text = SendLogged("go");
  if (Variant == 1 || Variant == 5) text += SendLogged(HoldingsToXBoard(position, board));
  return text;
}
