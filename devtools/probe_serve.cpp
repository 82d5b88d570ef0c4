#include "devtools/probe_serve.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <memory>
#include <ostream>

#include "display/board_display.h"
#include "game/bytes.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "play/record_pane.h"

namespace {

// A whole decimal number from `low` to `high`, else -1.
int ReadNumber(const std::string& text, int low, int high) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return -1;
  const int32_t value = bytes::ToIntDef(text, -1);
  return value >= low && value <= high ? value : -1;
}

void Section(std::ostream& out, const char* title, const std::string& text) {
  out << title << ' ' << text.size() << '\n';
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out << '\n';
}

// A terminate signal ends the serving early: the handler only writes a byte
// that the event loop reads.
int terminatePipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(terminatePipe[1], &byte, 1);
}

}  // namespace

int RunServe(int& argc, char** argv, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const int port = args.size() == 3 ? ReadNumber(args[1], 0, 65535) : -1;
  const int seconds = args.size() == 3 ? ReadNumber(args[2], 1, 86400) : -1;
  if (port < 0 || seconds < 0) {
    err << "usage: kestroprobe serve PORT SECONDS (PORT 0-65535, 0 for any free one; SECONDS 1-86400)\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGameDisplayFactory();
  std::unique_ptr<QSocketNotifier> terminated;
  if (pipe2(terminatePipe, O_CLOEXEC) == 0) {
    terminated = std::make_unique<QSocketNotifier>(terminatePipe[0], QSocketNotifier::Read);
    QObject::connect(terminated.get(), &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, OnTerminate);
  }
  int status = 0;
  {
    auto window = std::make_unique<TfrmKestrovane>();
    window->resize(1300, 800);
    window->show();
    auto* session = dynamic_cast<NetSession*>(&window->Net());
    if (!session || !session->StartServerOn(static_cast<uint16_t>(port))) {
      err << "kestroprobe: the server did not start on port " << port << "\n";
      return 2;
    }
    out << "port " << session->ServerPort() << '\n';
    out.flush();
    // The administrator logs in and takes no seat.
    window->btnLoginClick();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QApplication::exec();
    Section(out, "reBPGNGames", window->RecordPane().Text());
    Section(out, "RolesSummaryText", session->Table().RolesSummaryText());
    out.flush();
    if (!out) status = 1;
  }
  return status;
}
