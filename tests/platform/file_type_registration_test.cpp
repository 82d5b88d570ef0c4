#include "platform/file_type_registration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/ini_file.h"
#include "platform/registry.h"

namespace {

const std::string kProgId = "HKEY_CLASSES_ROOT\\bpgnview.2";

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path().toStdString();
    xdg_ = {root_ + "/data", root_ + "/config"};
    ASSERT_TRUE(QDir(dir_.path()).mkpath("My Games/bin/sys"));
    program_ = root_ + "/My Games/bin/kestrovane";
    Touch(program_);
  }
  static void Touch(const std::string& path, const QByteArray& bytes = {}) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  static std::string Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
  }
  RegistrationStatus Register(Registry& reg) {
    return RegisterBpgnFileType(program_, reg, xdg_, DatabaseTools::Skip);
  }
  std::string Command() const { return "\"" + program_ + "\" \"%1\""; }

  QTemporaryDir dir_;
  std::string root_, program_;
  XdgFolders xdg_;
};

TEST_F(RegistrationTest, WritesTheFileTypeKeys) {
  Registry reg(root_ + "/registry.ini");
  EXPECT_TRUE(Register(reg).Ok());
  const Registry saved(root_ + "/registry.ini");
  EXPECT_EQ(saved.ReadString("HKEY_CLASSES_ROOT\\.BPGN", ""), "bpgnview.2");
  EXPECT_EQ(saved.ReadString(kProgId, ""), "Bughouse Kestro Portable Game Notation");
  EXPECT_EQ(saved.ReadString(kProgId + "\\DefaultIcon", ""), program_ + ",0");
  EXPECT_EQ(saved.ReadString(kProgId + "\\Shell\\Open\\Command", ""), Command());
  EXPECT_EQ(saved.ReadString(kProgId + "\\Shell\\Open with Kestrovane\\Command", ""), Command());
  EXPECT_EQ(saved.ReadString("HKEY_LOCAL_MACHINE\\Software\\Bughouse\\Kestrovane", "Lastver"), program_);
  EXPECT_FALSE(saved.KeyExists(kProgId + "\\Shell\\Open with BPGNView"));
}

TEST_F(RegistrationTest, TheSecondRunMovesItsOwnOpenCommandAside) {
  Registry reg(root_ + "/registry.ini");
  Register(reg);
  Register(reg);
  EXPECT_EQ(reg.ReadString(kProgId + "\\Shell\\Open with BPGNView\\Command", ""), Command());
  EXPECT_EQ(reg.ReadString(kProgId + "\\Shell\\Open\\Command", ""), Command());
}

TEST_F(RegistrationTest, AnotherViewersOpenCommandIsKeptUnderItsOwnVerb) {
  Registry reg(root_ + "/registry.ini");
  reg.WriteString(kProgId + "\\Shell\\Open\\Command", "", "\"/opt/bpgnview\" \"%1\"");
  reg.WriteString(kProgId + "\\Shell\\Open\\Command", "Extra", "kept");
  Register(reg);
  Register(reg);  // the verb exists now: nothing is moved over it
  EXPECT_EQ(reg.ReadString(kProgId + "\\Shell\\Open with BPGNView\\Command", ""), "\"/opt/bpgnview\" \"%1\"");
  EXPECT_EQ(reg.ReadString(kProgId + "\\Shell\\Open with BPGNView\\Command", "Extra"), "kept");
  EXPECT_EQ(reg.ReadString(kProgId + "\\Shell\\Open\\Command", ""), Command());
}

TEST_F(RegistrationTest, WritesTheFreedesktopFiles) {
  Touch(root_ + "/My Games/bin/sys/KESTROVANE.PNG");
  Registry reg(root_ + "/registry.ini");
  EXPECT_TRUE(Register(reg).Ok());

  const std::string mime = Read(xdg_.dataHome + "/mime/packages/kestrovane-bpgn.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-bpgn\">"), std::string::npos) << mime;
  EXPECT_NE(mime.find("<glob pattern=\"*.bpgn\" case-sensitive=\"false\"/>"), std::string::npos) << mime;
  EXPECT_NE(mime.find("<glob pattern=\"*.BPGN\"/>"), std::string::npos) << mime;

  const std::string desktopPath = xdg_.dataHome + "/applications/kestrovane.desktop";
  IniFile desktop(desktopPath, IniFile::LineEnd::Lf);
  EXPECT_EQ(Read(desktopPath).find('\r'), std::string::npos);
  EXPECT_EQ(desktop.ReadString("Desktop Entry", "Type", ""), "Application");
  EXPECT_EQ(desktop.ReadString("Desktop Entry", "Name", ""), "Kestrovane");
  EXPECT_EQ(desktop.ReadString("Desktop Entry", "Exec", ""), "\"" + program_ + "\" %f");
  EXPECT_EQ(desktop.ReadString("Desktop Entry", "MimeType", ""), "application/x-bpgn;");
  EXPECT_EQ(desktop.ReadString("Desktop Entry", "Icon", ""), root_ + "/My Games/bin/sys/KESTROVANE.PNG");

  const IniFile apps(xdg_.configHome + "/mimeapps.list", IniFile::LineEnd::Lf);
  EXPECT_EQ(apps.ReadString("Default Applications", "application/x-bpgn", ""), "kestrovane.desktop;");
  EXPECT_EQ(apps.ReadString("Added Associations", "application/x-bpgn", ""), "kestrovane.desktop;");
}

TEST_F(RegistrationTest, NoIconLineWithoutAnIcon) {
  Registry reg(root_ + "/registry.ini");
  Register(reg);
  const IniFile desktop(xdg_.dataHome + "/applications/kestrovane.desktop", IniFile::LineEnd::Lf);
  EXPECT_FALSE(desktop.ValueExists("Desktop Entry", "Icon"));
}

TEST_F(RegistrationTest, MimeappsListKeepsOtherLinesAndDoesNotRepeatItself) {
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(xdg_.configHome)));
  const std::string before =
      "# mine\n[Default Applications]\ntext/plain=vim.desktop;\napplication/x-bpgn=other.desktop;\n\n"
      "[Removed Associations]\nimage/png=gimp.desktop;\n";
  Touch(xdg_.configHome + "/mimeapps.list", QByteArray::fromStdString(before));
  Registry reg(root_ + "/registry.ini");
  Register(reg);
  Register(reg);
  EXPECT_EQ(Read(xdg_.configHome + "/mimeapps.list"),
            "# mine\n[Default Applications]\ntext/plain=vim.desktop;\n"
            "application/x-bpgn=kestrovane.desktop;other.desktop;\n\n"
            "[Removed Associations]\nimage/png=gimp.desktop;\n\n"
            "[Added Associations]\napplication/x-bpgn=kestrovane.desktop;\n");
}

TEST(DesktopExecTest, QuotesAndEscapesTheProgramPath) {
  EXPECT_EQ(DesktopExec("/opt/kv/kestrovane"), "\"/opt/kv/kestrovane\" %f");
  EXPECT_EQ(DesktopExec("/a b/100%/$x`y\"z\\w"), "\"/a b/100%%/\\\\$x\\\\`y\\\\\"z\\\\\\\\w\" %f");
}

// What a file manager asks: the type of a .BPGN file and its default
// application. Needs xdg-utils and the shared-mime-info tools.
TEST_F(RegistrationTest, XdgMimeFindsTheTypeAndTheApplication) {
  const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
  if (xdgMime.isEmpty() || QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
    GTEST_SKIP() << "xdg-mime or update-mime-database not installed";
  }
  Registry reg(root_ + "/registry.ini");
  const RegistrationStatus status = RegisterBpgnFileType(program_, reg, xdg_, DatabaseTools::Wait);
  ASSERT_TRUE(status.Ok());
  ASSERT_TRUE(status.mimeDatabaseUpdated);
  Touch(root_ + "/game.BPGN", "[Event \"x\"]\n1A. e4 {180}\n");
  Touch(root_ + "/lower.bpgn", "[Event \"x\"]\n");

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", QString::fromStdString(root_));
  env.insert("XDG_DATA_HOME", QString::fromStdString(xdg_.dataHome));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(xdg_.configHome));
  env.remove("XDG_DATA_DIRS");
  env.remove("XDG_CONFIG_DIRS");
  env.remove("XDG_CURRENT_DESKTOP");
  env.remove("DESKTOP_SESSION");
  const auto query = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(xdgMime, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().toStdString();
  };
  EXPECT_EQ(query({"query", "filetype", QString::fromStdString(root_ + "/game.BPGN")}), "application/x-bpgn");
  EXPECT_EQ(query({"query", "filetype", QString::fromStdString(root_ + "/lower.bpgn")}), "application/x-bpgn");
  EXPECT_EQ(query({"query", "default", "application/x-bpgn"}), "kestrovane.desktop");
}

}  // namespace
