// Answers every modal question of the application from a script and records what was asked.
#pragma once

#include <QList>
#include <QStringList>

#include "app/OperatorPrompts.h"

struct ScriptedPrompts : OperatorPrompts {
  CommSetupChoice setup{true, LinkChoice{}};  // COM1 at 9600
  QList<Answer> saveAnswers;
  QStringList saveQuestions;
  QString fileToOpen;
  QString fileToSave;
  int aboutShown = 0;
  int manualCommandRuns = 0;

  CommSetupChoice AskCommSetup() override { return setup; }
  Answer AskSaveChanges(QWidget*, const QString& text) override {
    saveQuestions.append(text);
    return saveAnswers.isEmpty() ? Answer::Cancel : saveAnswers.takeFirst();
  }
  QString ChooseFileToOpen(QWidget*) override { return fileToOpen; }
  QString ChooseFileToSave(QWidget*, const QString&) override { return fileToSave; }
  void ShowAbout(QWidget*) override { ++aboutShown; }
  void RunManualCommand(QWidget*, CameraParameterSet&) override { ++manualCommandRuns; }
};
