#include "platform/dialogs.h"
#include "tests/platform/fake_dialogs.h"  // compiled here for the other suites

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>


namespace {

using Answer = Dialogs::Answer;

// Runs `act` on the message box once it is shown.
void WhenBoxShows(std::function<void(QMessageBox&)> act) {
  QTimer::singleShot(0, [act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    act(*box);
  });
}

QAbstractButton* ButtonWithText(QMessageBox& box, const QString& text) {
  for (QAbstractButton* b : box.buttons()) {
    if (b->text().remove('&') == text) return b;
  }
  return nullptr;
}

TEST(QtDialogs, AllIsARealButtonAndItsAnswer) {
  QStringList texts;
  WhenBoxShows([&](QMessageBox& box) {
    for (QAbstractButton* b : box.buttons()) texts << b->text().remove('&');
    ButtonWithText(box, "All")->click();
  });
  EXPECT_EQ(AppDialogs().Message(nullptr, "Confirm", "Really?", {Answer::No, Answer::All}, Answer::No), Answer::All);
  texts.sort();
  EXPECT_EQ(texts, (QStringList{"All", "No"}));
}

TEST(QtDialogs, EscapeAnswersNoWhenThereIsNoCancel) {
  WhenBoxShows([](QMessageBox& box) {
    EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), ButtonWithText(box, "No"));
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  EXPECT_EQ(AppDialogs().Message(nullptr, "Exit ?", "Really?", {Answer::Yes, Answer::No}, Answer::No), Answer::No);
}

TEST(QtDialogs, ClosingTheBoxAnswersCancelWhenOffered) {
  WhenBoxShows([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(AppDialogs().Message(nullptr, "Save ?", "Save?", {Answer::Yes, Answer::No, Answer::Cancel}, Answer::Yes),
            Answer::Cancel);
}

}  // namespace
