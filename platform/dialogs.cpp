#include "platform/dialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool Has(const std::vector<Dialogs::Answer>& buttons, Dialogs::Answer answer) {
  for (const Dialogs::Answer b : buttons) {
    if (b == answer) return true;
  }
  return false;
}

// The font dialog and a colour button in one window, so Cancel drops both.
class FontColorDialog : public QDialog {
 public:
  FontColorDialog(QWidget* parent, const Dialogs::FontChoice& preset) : QDialog(parent), color_(preset.color) {
    setWindowTitle(QStringLiteral("Font"));
    fonts_ = new QFontDialog(preset.font, this);
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setWindowFlags(Qt::Widget);
    auto* colorRow = new QHBoxLayout;
    swatch_ = new QLabel(this);
    swatch_->setFixedSize(40, 20);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);
    auto* pick = new QPushButton(QStringLiteral("&Color..."), this);
    colorRow->addWidget(new QLabel(QStringLiteral("Color:"), this));
    colorRow->addWidget(swatch_);
    colorRow->addWidget(pick);
    colorRow->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fonts_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
    ShowColor();
    connect(pick, &QPushButton::clicked, this, [this] {
      const QColor chosen = QColorDialog::getColor(color_, this, QStringLiteral("Font color"));
      if (chosen.isValid()) {
        color_ = chosen;
        ShowColor();
      }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  }
  Dialogs::FontChoice Choice() const { return {fonts_->currentFont(), color_}; }

 private:
  void ShowColor() {
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, color_);
    swatch_->setPalette(palette);
  }
  QFontDialog* fonts_ = nullptr;
  QLabel* swatch_ = nullptr;
  QColor color_;
};

QString StartPath(const QString& folder, const QString& fileName) {
  if (folder.isEmpty()) return fileName;
  return fileName.isEmpty() ? folder : QDir(folder).filePath(fileName);
}

class QtDialogs final : public Dialogs {
 public:
  Answer Message(QWidget* parent, const QString& title, const QString& text, const std::vector<Answer>& buttons,
                 Answer defaultButton) override {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(Has(buttons, Answer::Yes) || Has(buttons, Answer::All) ? QMessageBox::Question
                                                                         : QMessageBox::Information);
    std::vector<std::pair<QAbstractButton*, Answer>> made;
    for (const Answer answer : buttons) {
      QAbstractButton* button = nullptr;
      switch (answer) {
        case Answer::Yes: button = box.addButton(QMessageBox::Yes); break;
        case Answer::No: button = box.addButton(QMessageBox::No); break;
        case Answer::Ok: button = box.addButton(QMessageBox::Ok); break;
        case Answer::Cancel: button = box.addButton(QMessageBox::Cancel); break;
        case Answer::All: button = box.addButton(QStringLiteral("All"), QMessageBox::AcceptRole); break;
      }
      made.emplace_back(button, answer);
    }
    if (made.empty()) made.emplace_back(box.addButton(QMessageBox::Ok), Answer::Ok);
    const auto find = [&](Answer a) -> QAbstractButton* {
      for (const auto& [button, answer] : made) {
        if (answer == a) return button;
      }
      return nullptr;
    };
    if (auto* button = qobject_cast<QPushButton*>(find(defaultButton))) box.setDefaultButton(button);
    // Escape and the close box answer Cancel, else No, else a lone OK.
    QAbstractButton* escape = find(Answer::Cancel);
    if (!escape) escape = find(Answer::No);
    if (!escape && made.size() == 1) escape = made.front().first;
    if (escape) box.setEscapeButton(escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton() ? box.clickedButton() : escape;
    for (const auto& [button, answer] : made) {
      if (clicked == button) return answer;
    }
    return Answer::Cancel;
  }

  std::optional<QString> Input(QWidget* parent, const QString& title, const QString& prompt,
                               const QString& value) override {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return text;
  }

  std::optional<QColor> Color(QWidget* parent, const QColor& color) override {
    const QColor chosen = QColorDialog::getColor(color, parent, QStringLiteral("Color"));
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  }

  std::optional<FontChoice> Font(QWidget* parent, const FontChoice& preset) override {
    FontColorDialog dialog(parent, preset);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
  }

  std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& fileName, const QString& filter) override {
    const QString chosen = QFileDialog::getOpenFileName(parent, title, StartPath(folder, fileName), filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
  }

  std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& fileName, const QString& filter) override {
    const QString chosen = QFileDialog::getSaveFileName(parent, title, StartPath(folder, fileName), filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
  }

  void Error(QWidget* parent, const QString& text) override {
    // A full stop is added unless the text ends in "." or a character that
    // sorts before it, as the class library's error box does.
    QString shown = text;
    if (!shown.isEmpty() && shown.back() > QChar('.')) shown += QChar('.');
    QString title = QGuiApplication::applicationDisplayName();
    if (title.isEmpty()) title = QCoreApplication::applicationName();
    QMessageBox::critical(parent, title, shown);
  }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& AppDialogs() {
  static QtDialogs qtDialogs;
  return installed ? *installed : qtDialogs;
}

void SetAppDialogs(Dialogs* dialogs) { installed = dialogs; }
