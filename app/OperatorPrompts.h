// The modal questions the application asks the operator; tests answer them without a window.
#pragma once

#include <QString>

#include "dialogs/CommSetupChoice.h"

class CameraParameterSet;
class QWidget;

class OperatorPrompts {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~OperatorPrompts() = default;
  virtual CommSetupChoice AskCommSetup() = 0;
  virtual Answer AskSaveChanges(QWidget* parent, const QString& text) = 0;
  // A path, or empty when the operator cancelled.
  virtual QString ChooseFileToOpen(QWidget* parent) = 0;
  virtual QString ChooseFileToSave(QWidget* parent, const QString& suggested) = 0;
  virtual void ShowAbout(QWidget* parent) = 0;
  // The manual command dialog, run modally until the operator closes it.
  virtual void RunManualCommand(QWidget* parent, CameraParameterSet& parameters) = 0;
};

// The real dialogs.
class QtOperatorPrompts final : public OperatorPrompts {
 public:
  CommSetupChoice AskCommSetup() override;
  Answer AskSaveChanges(QWidget* parent, const QString& text) override;
  QString ChooseFileToOpen(QWidget* parent) override;
  QString ChooseFileToSave(QWidget* parent, const QString& suggested) override;
  void ShowAbout(QWidget* parent) override;
  void RunManualCommand(QWidget* parent, CameraParameterSet& parameters) override;
};
