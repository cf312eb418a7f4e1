// The document: the camera's settings as one file, reached through the single parameter set.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/CameraParameterSet.h"
#include "camera/ServiceWindow.h"
#include "camera/SettingsFile.h"

// How a document command on a file ended. A failure has been shown to the operator, as message.
struct DocumentFileResult {
  bool ok = true;
  // Why it failed in the file system (an errno value or RegularFile::NotRegular); 0 when it failed on the
  // file's content.
  int error = 0;
  std::string message;
  // An open: what sending the file's values to the camera gave, 0 or the negative error code.
  int32_t sendResult = 0;

  explicit operator bool() const { return ok; }
};

class CVQS90Doc : public QObject {
  Q_OBJECT

 public:
  using WindowFactory = std::function<std::unique_ptr<ServiceWindow>()>;

  // The first lines of the messages for a file that cannot be opened or saved.
  static constexpr const char* OpenFailedText = SettingsFile::OpenFailedText;
  static constexpr const char* SaveFailedText = SettingsFile::SaveFailedText;

  explicit CVQS90Doc(CameraParameterSet& parameters, QObject* parent = nullptr);
  ~CVQS90Doc() override;

  CameraParameterSet& Parameters() const { return parameters_; }

  // Value operations.
  int32_t ReadCameraValue(ParameterId id);
  int32_t WriteCameraValue(ParameterId id, int32_t value);
  int32_t ReadAllCameraValues();
  int32_t WriteAllCameraValues();
  int32_t GetCameraValue(ParameterId id) const;
  // Every view shows the stored values again.
  void RefreshViews() { emit UpdateAllViews(); }

  // Document state.
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified);
  // File names are the file system's bytes, so that any name it accepts opens and saves as it is.
  QByteArray PathName() const { return path_; }
  QString Title() const;

  // The settings file: the stored values encoded as its 212 bytes, and a file's bytes decoded into the
  // stored values and sent to the camera (path names the file in the operator's messages).
  std::vector<uint8_t> EncodeSettings() const;
  DocumentFileResult DecodeAndSendSettings(const std::vector<uint8_t>& bytes, const QByteArray& path);

  // Document commands.
  bool OnNewDocument();
  // Reading a settings file, then opening what was read; OnOpenDocument does both.
  DocumentFileResult ReadDocumentFile(const QByteArray& path, std::vector<uint8_t>& bytes);
  DocumentFileResult OpenDocumentBytes(const QByteArray& path, const std::vector<uint8_t>& bytes);
  DocumentFileResult OnOpenDocument(const QByteArray& path);
  DocumentFileResult OnSaveDocument(const QByteArray& path);
  // Whether a save may replace what path names; the operator is told when not. Lets a caller refuse
  // before it spends time on the camera.
  DocumentFileResult CanSaveTo(const QByteArray& path);
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

 private:
  void OpenOwnedWindow(std::unique_ptr<ServiceWindow>& member, const WindowFactory& make);
  void SetPathName(const QByteArray& path);
  DocumentFileResult Refused(const std::string& text) const;
  DocumentFileResult FileFailed(const char* what, const QByteArray& path, int error) const;

  CameraParameterSet& parameters_;
  bool modified_ = false;
  QByteArray path_;
  std::function<void()> runManualCommand_;
  WindowFactory makeCommandMenu_;
  WindowFactory makeWhiteSpot_;
  std::unique_ptr<ServiceWindow> commandMenuWindow_;
  std::unique_ptr<ServiceWindow> whiteSpotWindow_;
};
