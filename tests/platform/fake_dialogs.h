#pragma once
// Scripted dialogs for tests: each kind of dialog takes its answers from a
// queue, in order, and every question is recorded. Install with ScopedDialogs.
// An empty queue answers the default button (messages) or Cancel (others).
#include <deque>
#include <optional>
#include <vector>

#include "platform/dialogs.h"

struct AskedDialog {
  enum class Kind { Message, Input, Color, Font, OpenFile, SaveFile, Error };
  Kind kind = Kind::Message;
  QString title;  // empty for Color, Font and Error
  QString text;   // message text, input prompt, error text; "" otherwise
  QString value;  // input preset, file dialog's file name
  QString folder;
  QString filter;
  std::vector<Dialogs::Answer> buttons;
  Dialogs::Answer defaultButton = Dialogs::Answer::Ok;
};

class FakeDialogs : public Dialogs {
 public:
  std::deque<Answer> messages;
  std::deque<std::optional<QString>> inputs;
  std::deque<std::optional<QColor>> colors;
  std::deque<std::optional<FontChoice>> fonts;
  std::deque<std::optional<QString>> files;  // open and save dialogs alike
  std::vector<AskedDialog> asked;

  Answer Message(QWidget*, const QString& title, const QString& text, const std::vector<Answer>& buttons,
                 Answer defaultButton) override {
    AskedDialog a{AskedDialog::Kind::Message, title, text, {}, {}, {}, buttons, defaultButton};
    asked.push_back(a);
    return Take(messages, defaultButton);
  }
  std::optional<QString> Input(QWidget*, const QString& title, const QString& prompt, const QString& value) override {
    asked.push_back({AskedDialog::Kind::Input, title, prompt, value, {}, {}, {}, Answer::Ok});
    return Take(inputs, std::optional<QString>());
  }
  std::optional<QColor> Color(QWidget*, const QColor&) override {
    asked.push_back({AskedDialog::Kind::Color, {}, {}, {}, {}, {}, {}, Answer::Ok});
    return Take(colors, std::optional<QColor>());
  }
  std::optional<FontChoice> Font(QWidget*, const FontChoice&) override {
    asked.push_back({AskedDialog::Kind::Font, {}, {}, {}, {}, {}, {}, Answer::Ok});
    return Take(fonts, std::optional<FontChoice>());
  }
  std::optional<QString> OpenFile(QWidget*, const QString& title, const QString& folder, const QString& fileName,
                                  const QString& filter) override {
    asked.push_back({AskedDialog::Kind::OpenFile, title, {}, fileName, folder, filter, {}, Answer::Ok});
    return Take(files, std::optional<QString>());
  }
  std::optional<QString> SaveFile(QWidget*, const QString& title, const QString& folder, const QString& fileName,
                                  const QString& filter) override {
    asked.push_back({AskedDialog::Kind::SaveFile, title, {}, fileName, folder, filter, {}, Answer::Ok});
    return Take(files, std::optional<QString>());
  }
  void Error(QWidget*, const QString& text) override {
    asked.push_back({AskedDialog::Kind::Error, {}, text, {}, {}, {}, {}, Answer::Ok});
  }

  // The questions of one kind, in order.
  std::vector<AskedDialog> Asked(AskedDialog::Kind kind) const {
    std::vector<AskedDialog> out;
    for (const AskedDialog& a : asked) {
      if (a.kind == kind) out.push_back(a);
    }
    return out;
  }

 private:
  static Answer Take(std::deque<Answer>& queue, Answer otherwise) {
    if (queue.empty()) return otherwise;
    const Answer front = queue.front();
    queue.pop_front();
    return front;
  }
  // Values are moved out one by one (copying whole optionals upsets GCC's
  // maybe-uninitialized warning).
  template <typename T>
  static std::optional<T> Take(std::deque<std::optional<T>>& queue, std::optional<T>) {
    if (queue.empty()) return std::nullopt;
    const bool has = queue.front().has_value();
    T value = has ? std::move(*queue.front()) : T();
    queue.pop_front();
    if (!has) return std::nullopt;
    return value;
  }
};

// Installs `dialogs` for the scope's lifetime, then restores the Qt dialogs.
class ScopedDialogs {
 public:
  explicit ScopedDialogs(Dialogs& dialogs) { SetAppDialogs(&dialogs); }
  ~ScopedDialogs() { SetAppDialogs(nullptr); }
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;
};
