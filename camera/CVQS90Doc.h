// The window's document: the settings document with the toolkit's names for files, the signals its
// views listen to, and the service windows it owns.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "camera/CameraParameterSet.h"
#include "camera/ServiceWindow.h"
#include "camera/SettingsDocument.h"

class CVQS90Doc : public QObject, public SettingsDocument {
  Q_OBJECT

 public:
  using WindowFactory = std::function<std::unique_ptr<ServiceWindow>()>;

  explicit CVQS90Doc(CameraParameterSet& parameters, QObject* parent = nullptr);
  ~CVQS90Doc() override;

  // Every view shows the stored values again.
  void RefreshViews() { emit UpdateAllViews(); }

  // File names are the file system's bytes, so that any name it accepts opens and saves as it is.
  QByteArray PathName() const { return QByteArray::fromStdString(SettingsDocument::PathName()); }
  QString Title() const;

  DocumentFileResult DecodeAndSendSettings(const std::vector<uint8_t>& bytes, const QByteArray& path) {
    return SettingsDocument::DecodeAndSendSettings(bytes, path.toStdString());
  }
  DocumentFileResult ReadDocumentFile(const QByteArray& path, std::vector<uint8_t>& bytes) {
    return SettingsDocument::ReadDocumentFile(path.toStdString(), bytes);
  }
  DocumentFileResult OpenDocumentBytes(const QByteArray& path, const std::vector<uint8_t>& bytes) {
    return SettingsDocument::OpenDocumentBytes(path.toStdString(), bytes);
  }
  DocumentFileResult OnOpenDocument(const QByteArray& path) { return SettingsDocument::OnOpenDocument(path.toStdString()); }
  DocumentFileResult OnSaveDocument(const QByteArray& path) { return SettingsDocument::OnSaveDocument(path.toStdString()); }
  DocumentFileResult CanSaveTo(const QByteArray& path) { return SettingsDocument::CanSaveTo(path.toStdString()); }

  // Document commands of the window.
  void OnReadFromCamera();
  void OnWriteToCamera();
  void OnManualCommand();
  void OnCommandMenu();
  void OpenWhiteSpotWindow();

  // The dialogs are built above this layer; the application hands in how to make them.
  void SetManualCommandRunner(std::function<void()> run) { runManualCommand_ = std::move(run); }
  void SetCommandMenuFactory(WindowFactory make) { makeCommandMenu_ = std::move(make); }
  void SetWhiteSpotFactory(WindowFactory make) { makeWhiteSpot_ = std::move(make); }
  ServiceWindow* CommandMenuWindow() const { return commandMenuWindow_.get(); }
  ServiceWindow* WhiteSpotWindow() const { return whiteSpotWindow_.get(); }

 signals:
  // Stored values changed; views reload their controls.
  void UpdateAllViews();
  // A new or newly opened document replaced the previous one; views set themselves up again.
  void DocumentReplaced();
  void ModifiedChanged(bool modified);
  void TitleChanged(const QString& title);

 protected:
  void ModifiedFlagChanged(bool modified) override { emit ModifiedChanged(modified); }
  void PathNameChanged() override { emit TitleChanged(Title()); }
  void Replaced() override { emit DocumentReplaced(); }

 private:
  void OpenOwnedWindow(std::unique_ptr<ServiceWindow>& member, const WindowFactory& make);

  std::function<void()> runManualCommand_;
  WindowFactory makeCommandMenu_;
  WindowFactory makeWhiteSpot_;
  std::unique_ptr<ServiceWindow> commandMenuWindow_;
  std::unique_ptr<ServiceWindow> whiteSpotWindow_;
};
