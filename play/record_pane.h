#pragma once
// The game-record pane: its text is held as bytes (CRLF, as recorded) and
// mirrored to a read-only widget, which would turn CRLF into LF.
#include <string>

class QPlainTextEdit;

// Makes `view`, which shows `before` (CR LF as one line break), show `after`
// by replacing only the part between what the two texts share at their start
// and at their end. Returns where the change begins in the widget, or -1 when
// the whole text was set or nothing changed; RepaintFrom(view, that) then draws the changed lines
// (after any scrolling).
int ShowChangedText(QPlainTextEdit* view, const std::string& before, const std::string& after);
void RepaintFrom(QPlainTextEdit* view, int position);

class GameRecordPane {
 public:
  static constexpr const char* kClosing = "\r\n{*} *";

  explicit GameRecordPane(QPlainTextEdit* view);
  // The record, whether or not the widget shows it yet.
  const std::string& Text() const { return text_; }
  // The record and the widget. Only the changed part of the widget's text is
  // replaced, so a move costs the same early and late in a long game.
  void SetText(const std::string& text);
  void Append(const std::string& text) { SetText(text_ + text); }
  // Inserts " " + move before the closing "\r\n{*} *"; a text without that
  // closing keeps all it has and gains the move and the closing.
  void InsertMove(const std::string& moveText);
  // The record now, the widget at the next Show (or SetText).
  void SetTextLater(const std::string& text) { text_ = text; }
  // The widget shows the record, scrolled to its end.
  void Show();

 private:
  QPlainTextEdit* view_;
  std::string text_;
  std::string shown_;  // what the widget shows
};
