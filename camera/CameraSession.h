// One camera as vqctl and vqcam drive it: every sequence the two share, on the same parameter set
// and document as the windowed program, each ending in an Outcome that the front end only translates.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "camera/AdjustmentLog.h"
#include "camera/SettingsDocument.h"
#include "camera/CameraInfo.h"
#include "camera/CameraParameterSet.h"
#include "camera/ParameterTable.h"
#include "camera/RegisterRequest.h"
#include "camera/LinkChoice.h"
#include "camera/Outcome.h"
#include "camera/SettingsFile.h"
#include "camera/WhiteSpotList.h"
#include "platform/DeviceAccess.h"

// A row's value under the name scripts use.
struct NamedValue {
  std::string name;
  int32_t value;
};

// A row of the parameter table as the front ends list it.
struct ParameterRow {
  std::string name;
  int index;
  int32_t minimum;
  int32_t maximum;
  int32_t defaultValue;
  bool writeAll;  // write-all sends it
  bool readAll;   // read-all reads it
  std::string label;  // the name the control panel shows
  std::string unit;   // what a step means, where the read-out is no plain number; empty otherwise
};
std::vector<ParameterRow> ParameterRows();

// A settings file's 47 values by name. Unreadable and refused files are told to `output`, as the
// windowed program tells them; a file without values is refused here without a word.
Outcome ReadSettingsValues(const std::string& path, OperatorOutput& output, std::vector<NamedValue>& values);

// What a sequence has changed in the camera while it runs, for a front end that may be ended before the
// sequence's outcome comes back (vqctl ends at a stop signal without returning).
struct CameraChanges {
  enum class Kind {
    None,         // nothing the camera would keep, or the sequence is over and its outcome tells
    LoadRows,     // a load: done of the file's total rows acknowledged; the next may be on its way
    SerialWords,  // a serial number: done of its total words acknowledged; done == total: no log row yet
  };
  Kind kind = Kind::None;
  int done = 0;
  int total = 0;
  std::string path;  // the adjustment log, for SerialWords
};

class CameraSession {
 public:
  // Messages go to `output` as they come; an outcome also carries the one its failure was told with.
  explicit CameraSession(OperatorOutput& output);
  // Over another serial device and clock: the simulated camera's in-memory line, in tests.
  CameraSession(OperatorOutput& output, std::unique_ptr<SerialDevice> device, Clock& clock);
  ~CameraSession();
  CameraSession(const CameraSession&) = delete;
  CameraSession& operator=(const CameraSession&) = delete;

  CameraParameterSet& Parameters() { return parameters_; }
  // Told every change of what Load and WriteSerial have done so far, on the caller's thread.
  void WatchChanges(std::function<void(const CameraChanges&)> watch) { watch_ = std::move(watch); }

  // A failure to open a serial device the user may not use carries the hint who may, in message.
  Outcome Open(const LinkChoice& choice);
  // The Camera Link library opened, the board's port did not: every exchange will fail with code 3.
  bool BoardDidNotOpen() const { return parameters_.CameraLinkLoaded() && !parameters_.CameraLinkOpen(); }
  void Close() { parameters_.Close(); }

  Outcome ReadAll(std::vector<NamedValue>& values);
  Outcome Get(ParameterId id, int32_t& value);
  // Refuses a value outside the row's range before anything is sent.
  Outcome Set(ParameterId id, int64_t value);
  // Refuses a path that is no file to replace before the camera is read.
  Outcome Save(const std::string& path);
  Outcome Load(const std::string& path);
  // The camera is read whole either way; Written compares only the rows a load writes, so a file
  // saved from another camera (its serial number, its unlock key) compares equal once loaded.
  enum class DiffRows { All, Written };
  Outcome Diff(const std::string& path, std::vector<ValueDifference>& differences, DiffRows rows = DiffRows::All);
  Outcome Info(CameraInfo& info);
  // Hand-typed request texts, in capitals as the manual command's box holds them.
  Outcome Send(const std::string& text);
  Outcome Query(const std::string& text, std::string& reply);
  // Writes the threshold when one is given, starts the detection and polls it to its end or until
  // timeoutSeconds have passed; the end state in endState. Done when it finished, Differs otherwise.
  Outcome Detect(const std::optional<int64_t>& threshold, double timeoutSeconds, int& endState);
  // The spots up to the end marker; after a failed read, those read before it. After a detection of
  // this session that did not finish, the camera's list is an earlier run's: refused with EarlierSpots
  // unless earlierRun says the caller wants it all the same.
  Outcome Spots(std::vector<WhiteSpot::Spot>& spots, bool earlierRun = false);
  // digits: 7 or 8.
  Outcome WriteSerial(const std::string& number, int digits, const AdjustmentLogTarget& log);

 private:
  // Forwards every text and box; while a load sends, also tells rowsDone how far it has got.
  class LoadWatchingOutput final : public OperatorOutput {
   public:
    explicit LoadWatchingOutput(OperatorOutput& out) : out_(out) {}
    void ShowStatusText(const std::string& text) override { out_.ShowStatusText(text); }
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
      out_.ShowMessage(text, caption, icon);
    }
    void ShowProgress(int done, int total) override {
      if (rowsDone && total > 0) rowsDone(done, total);
      out_.ShowProgress(done, total);
    }
    // While a load sends, the rows acknowledged so far.
    std::function<void(int, int)> rowsDone;

   private:
    OperatorOutput& out_;
  };

  void Changed(const CameraChanges& changes) {
    if (watch_) watch_(changes);
  }

  LoadWatchingOutput output_;
  std::function<void(const CameraChanges&)> watch_;
  // How this session's last detection ended when it did not finish; empty when it finished or none ran.
  std::optional<std::string> unfinishedDetection_;
  CameraParameterSet parameters_;
  SettingsDocument document_;
};

// The second message for a serial device the user may not open: the group to join, or, when only its
// owner may open it, a udev rule that lets a group in.
std::string PermissionHint(const std::string& device, const DeviceAccess& who);
