#pragma once
// Questions and pickers facing the user, behind one interface so tests can
// script the answers. The application installs the Qt implementation.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QWidget;

class Dialogs {
 public:
  enum class Answer { Yes, No, All, Ok, Cancel };
  virtual ~Dialogs() = default;

  // Message box with the given buttons (a subset of Yes, No, All, Ok, Cancel)
  // and default button; returns the button pressed.
  virtual Answer Message(QWidget* parent, const QString& title, const QString& text,
                         const std::vector<Answer>& buttons, Answer defaultButton) = 0;
  // Input box; nullopt on Cancel.
  virtual std::optional<QString> Input(QWidget* parent, const QString& title, const QString& prompt,
                                       const QString& value) = 0;
  // Colour dialog preset to `color`; nullopt on Cancel.
  virtual std::optional<QColor> Color(QWidget* parent, const QColor& color) = 0;
  // Font dialog with colour, preset; nullopt on Cancel.
  struct FontChoice {
    QFont font;
    QColor color;
  };
  virtual std::optional<FontChoice> Font(QWidget* parent, const FontChoice& preset) = 0;
  // Open / save file dialogs; `filter` in Qt form ("INI Files (*.INI)").
  virtual std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& fileName, const QString& filter) = 0;
  virtual std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& fileName, const QString& filter) = 0;
  // The application's error box (exceptions that escape a handler).
  virtual void Error(QWidget* parent, const QString& text) = 0;
};

// The dialogs in use (the Qt ones unless a test installed others).
Dialogs& AppDialogs();
// Installs `dialogs` (not owned); nullptr restores the Qt dialogs.
void SetAppDialogs(Dialogs* dialogs);
