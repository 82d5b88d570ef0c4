#pragma once
// The application object: an exception that escapes an event handler is shown
// in the application's error box and the program goes on.
#include <QApplication>

class KestroApplication : public QApplication {
 public:
  KestroApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
