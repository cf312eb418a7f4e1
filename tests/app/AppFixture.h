// The application started against the simulated camera on the in-memory line, with scripted answers.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <memory>

#include "app/CVQS90App.h"
#include "camera/SettingsStore.h"
#include "support/MemoryCamera.h"
#include "support/ScriptedPrompts.h"
#include "support/QtPrinters.h"

// Records boxes like the recording output, and puts status texts and progress on the main window.
// Counts the calls that came from any thread but the windows' own.
struct FrameOutput : OperatorOutput {
  CMainFrame* frame = nullptr;
  std::vector<std::string> messages;
  int offThread = 0;
  void ShowStatusText(const std::string& text) override {
    NoteThread();
    if (frame) frame->ShowStatusText(QString::fromStdString(text));
  }
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    NoteThread();
    messages.push_back(text);
  }
  void ShowProgress(int done, int total) override {
    NoteThread();
    if (frame) frame->ShowProgress(done, total);
  }
  void NoteThread() {
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++offThread;
  }
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings(SettingsFormat(), QSettings::UserScope, QStringLiteral("Norvane Imaging Ltd."), QStringLiteral("VQ-R310NTX")).clear();
    link.port->SetOperatorOutput(&output);
  }

  // Runs start-up; the status InitInstance gave.
  int Start(const QString& programName = QStringLiteral("/usr/bin/vq-r310ntx"), const QByteArrayList& args = {}) {
    app = std::make_unique<CVQS90App>(CVQS90App::Services{link.parameters, &output, &prompts, programName, args, portObserver});
    int status = app->InitInstance();
    output.frame = app->MainFrame();
    return status;
  }

  // Ends the run as the program does: the application object goes, storing the port number.
  void End() {
    output.frame = nullptr;
    app.reset();
  }

  static QVariant Stored(const QString& key) {
    return QSettings(SettingsFormat(), QSettings::UserScope, QStringLiteral("Norvane Imaging Ltd."), QStringLiteral("VQ-R310NTX")).value(key);
  }

  // Lets the event loop run and go idle.
  // At least 20 ms, then until the event loop next goes idle, when the program does its idle work.
  static void Idle() {
    QEventLoop loop;
    bool waited = false;
    QTimer::singleShot(20, &loop, [&waited] { waited = true; });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    auto idle = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                                 [&] {
                                   if (waited) loop.quit();
                                 });
    loop.exec();
    QObject::disconnect(idle);
  }

  MemoryCamera link{false};
  FrameOutput output;
  ScriptedPrompts prompts;
  WaitObserver* portObserver = nullptr;  // the one the port was given, if any
  std::unique_ptr<CVQS90App> app;
};
