// Names outside ASCII through the program's own Open and Save As paths, the recent-file list, the
// settings store and a drop: on disk and in every list exactly as typed, on Linux and on Windows.
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "app/AppFixture.h"
#include "camera/FileNames.h"
#include "resources/CommandIds.h"

namespace {

const QString Typed[] = {QStringLiteral("Pr\u00FCfung"), QStringLiteral("Gr\u00F6\u00DFe.vq"),
                         QStringLiteral("\u30AB\u30E1\u30E9.vq")};

class FileNamesAsTyped : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(Start(), 0);
  }
  // The full name the recent-file list keeps, in the system's separators.
  QString Full(const QString& name) const { return QDir::toNativeSeparators(dir.filePath(name)); }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(FileNamesAsTyped, SaveAsOpenAndTheRecentListKeepTheNames) {
  for (const QString& typed : Typed) {
    prompts.fileToSave = dir.filePath(typed);
    ASSERT_TRUE(app->OnFileSaveAs()) << typed.toStdString();
  }
  const QStringList saved{QStringLiteral("Pr\u00FCfung.vq"), QStringLiteral("Gr\u00F6\u00DFe.vq"),
                          QStringLiteral("\u30AB\u30E1\u30E9.vq")};
  QStringList onDisk = QDir(dir.path()).entryList(QDir::Files);
  QStringList expected = saved;
  onDisk.sort();
  expected.sort();
  EXPECT_EQ(onDisk, expected);
  EXPECT_EQ(app->Document()->Title(), saved[2]) << "the title, and the save prompt made from it";

  const QByteArrayList recent{FileNameBytes(Full(saved[2])), FileNameBytes(Full(saved[1])), FileNameBytes(Full(saved[0]))};
  EXPECT_EQ(app->RecentFiles().Paths(), recent);
  QMenu* file = app->MainFrame()->TopMenu(0);
  EXPECT_EQ(file->actions()[4]->text(), "&1 " + Full(saved[2]));
  EXPECT_EQ(file->actions()[6]->text(), "&3 " + Full(saved[0]));
  EXPECT_EQ(Stored(QStringLiteral("Recent File List/File1")), QVariant(Full(saved[2]))) << "kept as text";
  End();
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(app->RecentFiles().Paths(), recent);
  // The command line and the association hand the name over as the file layer takes it.
  End();
  // The association hands over the full name in the system's separators.
  ASSERT_EQ(Start(QStringLiteral("vq-r310ntx"), {FileNameBytes(Full(saved[1]))}), 0);
  EXPECT_EQ(app->Document()->PathName(), FileNameBytes(Full(saved[1])));
  EXPECT_EQ(app->Document()->Title(), saved[1]);
  EXPECT_EQ(app->RecentFiles().Paths(), (QByteArrayList{recent[1], recent[0], recent[2]}));
  app->Document()->WriteCameraValue(ParamGainLevel, 250);
  prompts.saveAnswers = {OperatorPrompts::Answer::No};
  app->OnFileNew();
  EXPECT_EQ(prompts.saveQuestions, QStringList{"Save changes to " + saved[1] + "?"}) << "the file alone, not its path";

  // A file the program did not write, opened through the Open path: the name it is given on disk is
  // the one the dialog hands over.
  const QString copy = QStringLiteral("\u6E2C\u5B9A \u00DCbersicht.vq");
  ASSERT_TRUE(QFile::copy(dir.filePath(saved[1]), dir.filePath(copy)));
  for (const QString& name : {copy, saved[0]}) {
    prompts.fileToOpen = dir.filePath(name);
    app->OnCommand(CommandIds::FileOpen);
    EXPECT_EQ(app->Document()->PathName(), FileNameBytes(dir.filePath(name))) << name.toStdString();
    EXPECT_EQ(app->RecentFiles().Paths().value(0), FileNameBytes(Full(name)));
  }

  app->OnFileNew();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(dir.filePath(saved[2]))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(app->MainFrame())->event(&drop);
  EXPECT_EQ(app->RecentFiles().Paths().value(0), FileNameBytes(Full(saved[2]))) << "a dropped name, too";
  EXPECT_TRUE(output.messages.empty()) << output.messages.front();
}

// The system's own store (the registry on Windows) keeps the list as text that reads as the names.
TEST(RecentFileListStore, TheSystemsStoreKeepsTheNamesAsText) {
  QTemporaryDir dir;
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Norvane Imaging Ltd. tests"),
                     QStringLiteral("Recent file names"));
  settings.clear();
  const QString name = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Gr\u00F6\u00DFe \u30AB\u30E1\u30E9.vq")));
  RecentFileList(settings).Add(FileNameBytes(name));
  EXPECT_EQ(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Norvane Imaging Ltd. tests"),
                      QStringLiteral("Recent file names"))
                .value(QStringLiteral("Recent File List/File1")),
            QVariant(name));
  RecentFileList loaded(settings);
  loaded.Load();
  EXPECT_EQ(loaded.Paths(), QByteArrayList{FileNameBytes(name)});
  settings.clear();
  settings.sync();
}
