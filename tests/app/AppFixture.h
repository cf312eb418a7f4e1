// The application started against the simulated camera on the in-memory line, with scripted answers.
#pragma once

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QSettings>
#include <QTimer>
#include <memory>

#include "app/CVQS90App.h"
#include "support/MemoryCamera.h"
#include "support/ScriptedPrompts.h"
#include "support/QtPrinters.h"

// Records boxes like the recording output, and puts status texts and progress on the main window.
struct FrameOutput : OperatorOutput {
  CMainFrame* frame = nullptr;
  std::vector<std::string> messages;
  void ShowStatusText(const std::string& text) override {
    if (frame) frame->ShowStatusText(QString::fromStdString(text));
  }
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { messages.push_back(text); }
  void ShowProgress(int done, int total) override {
    if (frame) frame->ShowProgress(done, total);
  }
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings(QStringLiteral("Norvane Imaging Ltd."), QStringLiteral("VQ-R310NTX")).clear();
    link.port->SetOperatorOutput(&output);
  }

  // Runs start-up; the status InitInstance gave.
  int Start(const QString& programName = QStringLiteral("/usr/bin/vq-r310ntx"), const QByteArrayList& args = {}) {
    app = std::make_unique<CVQS90App>(CVQS90App::Services{link.parameters, &output, &prompts, programName, args});
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
    return QSettings(QStringLiteral("Norvane Imaging Ltd."), QStringLiteral("VQ-R310NTX")).value(key);
  }

  // Lets the event loop run and go idle.
  static void Idle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }

  MemoryCamera link{false};
  FrameOutput output;
  ScriptedPrompts prompts;
  std::unique_ptr<CVQS90App> app;
};
