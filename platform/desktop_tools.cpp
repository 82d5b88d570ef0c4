#include "platform/desktop_tools.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/text_codec.h"

bool RunDatabaseTool(const char* tool, const std::string& folder, DatabaseTools how) {
  if (how == DatabaseTools::Skip) return false;
  const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (program.isEmpty()) return false;
  QProcess process;
  process.setProgram(program);
  process.setArguments({PathToQString(folder)});
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  if (how == DatabaseTools::Start) return process.startDetached();
  process.start();
  return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void OpenWithLauncher(const QUrl& url, const QString& launcher, QObject* owner, const std::function<void()>& failed) {
  const QString program = QStandardPaths::findExecutable(launcher);
  if (program.isEmpty()) {
    if (!QDesktopServices::openUrl(url) && failed) failed();
    return;
  }
  // Not a child of the owner: a launcher that waits for the browser it
  // started outlives the window that asked.
  auto* process = new QProcess(QCoreApplication::instance());
  process->setObjectName(QStringLiteral("urlLauncher"));
  process->setProgram(program);
  process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  const QPointer<QObject> asker(owner);
  const auto fail = [asker, failed] {
    if (asker && failed) failed();
  };
  QObject::connect(process, &QProcess::finished, process, [process, fail](int code, QProcess::ExitStatus status) {
    process->deleteLater();
    if (status != QProcess::NormalExit || code != 0) fail();
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, fail](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    process->deleteLater();
    fail();
  });
  process->start();
}
