#include "platform/desktop_tools.h"

#include <QProcess>
#include <QStandardPaths>

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
