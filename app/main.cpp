// The program's entry: the application object, the game display and the frame.
#include <QFile>
#include <QIcon>
#include <QScreen>

#include "app/application.h"
#include "app/frame_window.h"
#include "display/board_display.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

int main(int argc, char** argv) {
  KestroApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrovane"));
  QIcon icon;
  for (const char* name : {"Kestrovane.png", "Sys/Kestrovane.png", "Sys/Kestrovane-256.png"}) {
    const QString file = PathToQString(paths::Below(name));
    if (QFile::exists(file)) icon.addFile(file);
  }
  QApplication::setWindowIcon(icon);
  InstallGameDisplayFactory();
  Tfrm_Main frame(QApplication::arguments().mid(1));
  // Maximized also where no window manager does it.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
  frame.showMaximized();
  QApplication::exec();
  return 0;
}
