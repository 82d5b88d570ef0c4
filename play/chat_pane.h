#pragma once
// The chat pane: it keeps only its last lines, kMaxLines at most and fewer
// when they hold more than kMaxChars characters (line ends included), so
// that a flood of chat holds little memory. Lines from the network are shown
// once per burst: the first one waits kShowDelayMs for the rest, which may
// come in later reads, and all are then added to the widget in one edit,
// after the moves that came with them have been relayed.
#include <QTimer>
#include <cstddef>
#include <deque>
#include <string>

class QPlainTextEdit;

class ChatPane {
 public:
  static constexpr int kMaxLines = 500;
  static constexpr int kMaxChars = 64 * 1024;
  static constexpr int kShowDelayMs = 50;

  explicit ChatPane(QPlainTextEdit* view);
  // Adds a line (a "\n" in it begins another) and shows it with any waiting.
  void Add(const std::string& line);
  // Adds a line that the widget shows with the rest of its burst.
  void AddLater(const std::string& line);
  // The widget shows every line added, scrolled to its end.
  void Show();
  // Empties the pane and forgets the lines not yet shown.
  void Clear();
  // How many lines wait to be shown.
  size_t WaitingLines() const { return waiting_.size(); }

 private:
  QPlainTextEdit* view_;
  std::deque<std::string> waiting_;  // the last lines not yet shown
  size_t waitingChars_ = 0;
  QTimer showTimer_;  // single-shot: Show
};
