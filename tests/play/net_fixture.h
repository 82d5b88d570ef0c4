#pragma once
// Play windows in one test process joined over loopback: a server window
// and client windows with real sockets, every wait bounded.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/board_display.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace nettest {

inline std::string FixedDate() { return "2026-12-08 20:00:00"; }

// Long enough for a loaded machine; a healthy run needs milliseconds.
constexpr int kWaitMs = 10000;

inline bool Wait(const std::function<bool()>& condition, int ms = kWaitMs) { return QTest::qWaitFor(condition, ms); }

inline NetSession& Session(TfrmKestrovane& w) { return dynamic_cast<NetSession&>(w.Net()); }

class NetWindowsTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    TfrmKestrovane::DateText = FixedDate;
    server_ = NewWindow();
  }
  void TearDown() override {
    clients_.clear();
    server_.reset();
    ProgramFolderTest::TearDown();
  }

  std::unique_ptr<TfrmKestrovane> NewWindow() {
    auto w = std::make_unique<TfrmKestrovane>();
    w->resize(1300, 900);
    w->show();
    return w;
  }

  TfrmKestrovane& Server() { return *server_; }
  TfrmKestrovane& Client(int i) { return *clients_[static_cast<size_t>(i)]; }
  uint16_t Port() { return Session(*server_).ServerPort(); }

  void StartServerAndLogIn(const std::string& name) {
    ASSERT_TRUE(Session(*server_).StartServerOn(0));
    ASSERT_NE(Port(), 0);
    server_->edName->setText(QString::fromStdString(name));
    server_->btnLogin->click();
    ASSERT_EQ(server_->OwnPlayer.name, name);
    ASSERT_EQ(server_->OwnRoles, 7);
  }

  // A new client window joins the server and logs in as `name`.
  void JoinAndLogIn(const std::string& name) {
    clients_.push_back(NewWindow());
    TfrmKestrovane& w = *clients_.back();
    const int before = Session(*server_).Table().Count();
    Session(w).JoinServer("127.0.0.1", Port());
    ASSERT_TRUE(Wait([&] { return w.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }))
        << w.reNetGameLog->toPlainText().toStdString();
    w.edName->setText(QString::fromStdString(name));
    w.btnLogin->click();
    ASSERT_TRUE(Wait([&] { return Session(*server_).Table().Count() == before + 1 && w.OwnPlayer.name == name; }))
        << w.reNetGameLog->toPlainText().toStdString();
  }

  // Every window, server first, meets the condition within the bound.
  bool WaitAll(const std::function<bool(TfrmKestrovane&)>& condition, int ms = kWaitMs) {
    return Wait(
        [&] {
          if (!condition(*server_)) return false;
          for (auto& c : clients_)
            if (!condition(*c)) return false;
          return true;
        },
        ms);
  }

  // What each window shows, for failure messages.
  std::string Describe() {
    std::string out;
    auto one = [&out](const char* role, TfrmKestrovane& w) {
      out += std::string("--- ") + role + " " + w.OwnPlayer.name + " roles " + std::to_string(w.OwnRoles) + " seats";
      for (int seat = 0; seat < 4; ++seat) out += " " + w.Game()->PlayerNames[seat];
      out += " moves " + std::to_string(w.Game()->MoveCount) + "\n" + w.reNetGameLog->toPlainText().toStdString() + "\n";
    };
    one("server", *server_);
    for (auto& c : clients_) one("client", *c);
    return out;
  }

  // The middle of the cell of (area, index) in the window's picture, found
  // by asking the window's own point-to-square at every cell's middle.
  static QPoint CellPoint(TfrmKestrovane& w, int area, int index) {
    CKestroGame& g = *w.Game();
    const KestrovaneVisualProperties& v = DisplayOf(g).Visual;
    const int c = v.SquareSize + v.DPGraphicBoardLinesNet;
    for (int left : {v.LeftBoardLeft, v.RightBoardLeft}) {
      const int top = left == v.LeftBoardLeft ? v.LeftBoardTop : v.RightBoardTop;
      for (int col = 0; col < 10; ++col)
        for (int row = 0; row < 8; ++row) {
          const QPoint p(left + col * c + c / 2, top + row * c + c / 2);
          const SquareHit hit = PointToSquare(g, p.x(), p.y(), v.SquareSize);
          if (hit.area == area && hit.index == index) return p;
        }
    }
    ADD_FAILURE() << "no cell for area " << area << " index " << index;
    return {};
  }

  static void ClickSquare(TfrmKestrovane& w, int area, int index) {
    const QPoint p = CellPoint(w, area, index);
    QTest::mousePress(w.imgBoard, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w.imgBoard, Qt::LeftButton, {}, p);
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::unique_ptr<TfrmKestrovane> server_;
  std::vector<std::unique_ptr<TfrmKestrovane>> clients_;
};

}  // namespace nettest
