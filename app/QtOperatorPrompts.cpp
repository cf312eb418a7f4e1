// The application's modal dialogs: setup, the save prompt, file choices and the About box.
#include <QFileDialog>
#include <QMessageBox>

#include "app/AboutBox.h"
#include "app/OperatorPrompts.h"
#include "dialogs/CommSetupDialog.h"
#include "dialogs/ManualCommandDialog.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

const QString Filter = QStringLiteral("VQ-R310NTX Files (*.vq)");

QString Title() { return QString::fromStdString(LoadString(StringIds::ApplicationTitle)); }

}  // namespace

CommSetupChoice QtOperatorPrompts::AskCommSetup() { return CommSetupDialog::Ask(); }

OperatorPrompts::Answer QtOperatorPrompts::AskSaveChanges(QWidget* parent, const QString& text) {
  auto button = QMessageBox::warning(parent, Title(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::Yes);
  if (button == QMessageBox::Yes) return Answer::Yes;
  if (button == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

QString QtOperatorPrompts::ChooseFileToOpen(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QString(), Filter);
}

QString QtOperatorPrompts::ChooseFileToSave(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), suggested, Filter);
}

void QtOperatorPrompts::ShowAbout(QWidget* parent) {
  AboutBox box(parent);
  box.exec();
}

void QtOperatorPrompts::RunManualCommand(QWidget* parent, CameraParameterSet& parameters) {
  ManualCommandDialog dialog(parameters, parent);
  dialog.exec();
}
