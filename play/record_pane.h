#pragma once
// The game-record pane: its text is held as bytes (CRLF, as recorded) and
// mirrored to a read-only widget, which would turn CRLF into LF.
#include <string>

class QPlainTextEdit;

class GameRecordPane {
 public:
  static constexpr const char* kClosing = "\r\n{*} *";

  explicit GameRecordPane(QPlainTextEdit* view);
  const std::string& Text() const { return text_; }
  // The widget is changed from the first byte where the texts differ on.
  void SetText(const std::string& text);
  void Append(const std::string& text) { SetText(text_ + text); }
  // Inserts " " + move before the closing "\r\n{*} *"; a text without that
  // closing keeps all it has and gains the move and the closing.
  void InsertMove(const std::string& moveText);

 private:
  QPlainTextEdit* view_;
  std::string text_;
};
