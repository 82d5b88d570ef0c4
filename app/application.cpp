#include "app/application.h"

#include <exception>

#include "platform/dialogs.h"
#include "platform/text_codec.h"

KestroApplication::KestroApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KestroApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    AppDialogs().Error(activeWindow(), ToQString(e.what()));
  } catch (...) {
    AppDialogs().Error(activeWindow(), QStringLiteral("Unknown error"));
  }
  return false;
}
