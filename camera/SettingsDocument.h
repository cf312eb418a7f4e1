// The document without a window: the camera's settings as one file, reached through the single
// parameter set. The window's document and the script front ends' sessions are both built on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "camera/CameraParameterSet.h"
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

class SettingsDocument {
 public:
  // The first lines of the messages for a file that cannot be opened or saved.
  static constexpr const char* OpenFailedText = SettingsFile::OpenFailedText;
  static constexpr const char* SaveFailedText = SettingsFile::SaveFailedText;

  explicit SettingsDocument(CameraParameterSet& parameters) : parameters_(parameters) {}
  virtual ~SettingsDocument() = default;
  SettingsDocument(const SettingsDocument&) = delete;
  SettingsDocument& operator=(const SettingsDocument&) = delete;

  CameraParameterSet& Parameters() const { return parameters_; }

  // Value operations.
  int32_t ReadCameraValue(ParameterId id);
  int32_t WriteCameraValue(ParameterId id, int32_t value);
  int32_t ReadAllCameraValues();
  int32_t WriteAllCameraValues();
  int32_t GetCameraValue(ParameterId id) const;

  // Document state.
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified);
  // File names are the file system's bytes, so that any name it accepts opens and saves as it is.
  const std::string& PathName() const { return path_; }

  // The settings file: the stored values encoded as its 212 bytes, and a file's bytes decoded into the
  // stored values and sent to the camera (path names the file in the operator's messages).
  std::vector<uint8_t> EncodeSettings() const;
  DocumentFileResult DecodeAndSendSettings(const std::vector<uint8_t>& bytes, const std::string& path);

  // Document commands.
  bool OnNewDocument();
  // Reading a settings file, then opening what was read; OnOpenDocument does both.
  DocumentFileResult ReadDocumentFile(const std::string& path, std::vector<uint8_t>& bytes);
  DocumentFileResult OpenDocumentBytes(const std::string& path, const std::vector<uint8_t>& bytes);
  DocumentFileResult OnOpenDocument(const std::string& path);
  DocumentFileResult OnSaveDocument(const std::string& path);
  // Whether a save may replace what path names; the operator is told when not. Lets a caller refuse
  // before it spends time on the camera.
  DocumentFileResult CanSaveTo(const std::string& path);

 protected:
  // What a document with views tells them; one without views has no one to tell.
  virtual void ModifiedFlagChanged(bool /*modified*/) {}
  virtual void PathNameChanged() {}
  // A new or newly opened document replaced the previous one.
  virtual void Replaced() {}

 private:
  void SetPathName(const std::string& path);
  DocumentFileResult Refused(const std::string& text) const;
  DocumentFileResult FileFailed(const char* what, const std::string& path, int error) const;

  CameraParameterSet& parameters_;
  bool modified_ = false;
  std::string path_;
};
