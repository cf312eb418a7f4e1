// New, Open, Save, Save As, the recent-file list, the save prompt and dropped files.
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>
#include <iterator>

#include "app/AppFixture.h"
#include "resources/CommandIds.h"

namespace {

class DocumentCommands : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(Start(), 0);
  }
  QString PathOf(const QString& name) const { return dir.filePath(name); }
  QByteArray BytesOf(const QString& name) const { return QFile::encodeName(PathOf(name)); }
  QByteArray Saved(const QString& name) {
    prompts.fileToSave = PathOf(name);
    EXPECT_TRUE(app->OnFileSaveAs());
    return BytesOf(name);
  }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(DocumentCommands, SaveAsAppendsTheExtensionAndSaveReusesThePath) {
  prompts.fileToSave = PathOf(QStringLiteral("line4"));
  ASSERT_TRUE(app->OnFileSaveAs());
  EXPECT_EQ(app->Document()->PathName(), BytesOf(QStringLiteral("line4.vq")));
  EXPECT_TRUE(QFile::exists(PathOf(QStringLiteral("line4.vq"))));
  prompts.fileToSave.clear();
  app->Document()->WriteCameraValue(ParamGainLevel, 250);
  EXPECT_TRUE(app->OnFileSave());
  EXPECT_FALSE(app->Document()->IsModified());
  EXPECT_EQ(app->RecentFiles().Paths(), QByteArrayList{BytesOf(QStringLiteral("line4.vq"))});
}

TEST_F(DocumentCommands, RecentFilesKeepFourNewestFirstAndPersist) {
  for (const char* name : {"a.vq", "b.vq", "c.vq", "d.vq", "e.vq"}) Saved(QString::fromLatin1(name));
  app->OpenDocumentFile(BytesOf(QStringLiteral("b.vq")));
  QByteArrayList expected{BytesOf("b.vq"), BytesOf("e.vq"), BytesOf("d.vq"), BytesOf("c.vq")};
  EXPECT_EQ(app->RecentFiles().Paths(), expected);
  EXPECT_EQ(Stored(QStringLiteral("Recent File List/File1")).toString(), PathOf("b.vq")) << "kept as text";
  EXPECT_EQ(Stored(QStringLiteral("Recent File List/File4")).toString(), PathOf("c.vq"));

  QMenu* file = app->MainFrame()->TopMenu(0);
  EXPECT_EQ(file->actions()[4]->text(), "&1 " + PathOf("b.vq"));
  End();
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(app->RecentFiles().Paths(), expected);
  app->OnCommand(CommandIds::RecentFile + 2);
  EXPECT_EQ(app->Document()->PathName(), expected[2]);
}

TEST_F(DocumentCommands, SavePromptBeforeReplacingAModifiedDocument) {
  app->Document()->WriteCameraValue(ParamGainLevel, 250);
  prompts.saveAnswers = {OperatorPrompts::Answer::Cancel};
  app->OnCommand(CommandIds::FileNew);
  EXPECT_EQ(prompts.saveQuestions, QStringList{"Save changes to Untitled?"});
  EXPECT_TRUE(app->Document()->IsModified()) << "cancel keeps the document";

  prompts.saveAnswers = {OperatorPrompts::Answer::Yes};
  prompts.fileToSave = PathOf(QStringLiteral("kept.vq"));
  app->OnFileNew();
  EXPECT_TRUE(QFile::exists(PathOf(QStringLiteral("kept.vq"))));
  EXPECT_EQ(app->Document()->Title(), "Untitled");
  EXPECT_FALSE(app->Document()->IsModified());

  app->Document()->WriteCameraValue(ParamGainLevel, 251);
  prompts.saveAnswers = {OperatorPrompts::Answer::Cancel};
  EXPECT_FALSE(app->MainFrame()->close()) << "closing asks too, and cancel keeps the window";
  prompts.saveAnswers = {OperatorPrompts::Answer::No};
  EXPECT_TRUE(app->MainFrame()->close());
  EXPECT_EQ(prompts.saveQuestions.size(), 4);
}

TEST_F(DocumentCommands, OpenAndDropOpenSettingsFiles) {
  QByteArray path = Saved(QStringLiteral("x.vq"));
  app->OnFileNew();
  prompts.fileToOpen = PathOf(QStringLiteral("x.vq"));
  link.camera.Faults() = CameraFaults();
  size_t before = link.Requests().size();
  app->OnCommand(CommandIds::FileOpen);
  EXPECT_EQ(app->Document()->PathName(), path);
  EXPECT_EQ(link.Requests().size(), before + 21);

  app->OnFileNew();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(PathOf(QStringLiteral("x.vq")))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(app->MainFrame())->event(&drop);  // as the window receives a drop
  EXPECT_EQ(app->Document()->PathName(), path);
}

// Qt's file names are text and would turn such a name into another one; the program keeps the bytes
// from the command line, a drop and the recent-file list to the file system and back.
TEST_F(DocumentCommands, ANameThatIsNotUtf8OpensAndSavesAsItIs) {
  const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xE9.vq";
  ASSERT_TRUE(app->Document()->OnSaveDocument(name));
  End();
  ASSERT_EQ(Start(QStringLiteral("vq-r310ntx"), {name}), 0);
  EXPECT_EQ(app->Document()->PathName(), name);
  app->Document()->WriteCameraValue(ParamGainLevel, 250);
  ASSERT_TRUE(app->OnFileSave());
  const std::filesystem::directory_iterator entries(dir.path().toStdString());
  EXPECT_EQ(std::distance(entries, std::filesystem::directory_iterator()), 1) << "saved back under the same name";

  app->OnFileNew();
  QMimeData data;
  data.setUrls({QUrl::fromEncoded(QByteArray("file://") + name.toPercentEncoding("/"))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(app->MainFrame())->event(&drop);
  EXPECT_EQ(app->Document()->PathName(), name);

  End();
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(app->RecentFiles().Paths(), QByteArrayList{name}) << "the recent-file list keeps the bytes too";
  EXPECT_TRUE(output.messages.empty());
  unlink(name.constData());  // the temporary folder's own clean-up cannot name it
}

TEST_F(DocumentCommands, AboutAndTheInertShortcuts) {
  app->OnCommand(CommandIds::AppAbout);
  EXPECT_EQ(prompts.aboutShown, 1);
  for (int id : {CommandIds::EditCopy, CommandIds::EditPaste, CommandIds::NextPane, CommandIds::SerialPort}) {
    app->OnCommand(id);
  }
  EXPECT_TRUE(output.messages.empty());
}
