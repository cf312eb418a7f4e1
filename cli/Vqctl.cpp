// vqctl: the camera's settings and service functions for production-line scripts.
#include "cli/Vqctl.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/LinkCheck.h"
#include "cli/JsonText.h"
#include "link/CommErrorState.h"
#include "platform/RegularFile.h"
#include "camera/ParameterNames.h"
#include "camera/ParameterTable.h"
#include "camera/UserSettings.h"
#include "platform/StopSignals.h"

namespace {

// What a stop signal leaves behind in the camera, as the operator needs to hear it: the handler ends
// the process at once, so the words are ready before each step. Empty when nothing stays changed.
std::string InterruptionNote(const CameraChanges& changes) {
  const std::string done = std::to_string(changes.done), total = std::to_string(changes.total);
  switch (changes.kind) {
    case CameraChanges::Kind::None: return {};
    case CameraChanges::Kind::LoadRows: {
      if (changes.done >= changes.total) return "vqctl: interrupted: all " + total + " of the file's rows were written to the camera\n";
      std::string next;
      int seen = 0;
      for (const ParameterRow& row : ParameterRows()) {
        if (row.writeAll && seen++ == changes.done) next = row.name;
      }
      return "vqctl: interrupted during the load: " + done + " of the file's " + total +
             " rows were written to the camera, in table order;\nthe next one (" + next +
             ") may or may not have reached it\n";
    }
    case CameraChanges::Kind::SerialWords:
      if (changes.done >= changes.total) {
        return "vqctl: interrupted: the serial number was written to the camera, but its row was not added to " +
               changes.path + "\n";
      }
      return "vqctl: interrupted during write-serial: " + done + " of the serial number's " + total +
             " words were written to the camera;\nthe next may or may not have reached it, and no row was added to " +
             changes.path + "\n";
  }
  return {};
}

// The name a failure other than a communication error has in the error object.
const char* FailureName(Outcome::Status status) {
  switch (status) {
    case Outcome::Status::Done:
    case Outcome::Status::Differs: return "";
    case Outcome::Status::CommFailed: break;
    case Outcome::Status::BadArgument: return "USAGE";
    case Outcome::Status::RefusedInput: return "REFUSED_INPUT";
    case Outcome::Status::FileRefused: return "FILE_REFUSED";
    case Outcome::Status::FileUnreadable: return "FILE_UNREADABLE";
    case Outcome::Status::CannotWrite: return "CANNOT_WRITE";
    case Outcome::Status::LogNotWritten: return "LOG_NOT_WRITTEN";
    case Outcome::Status::TimedOut: return "TIMED_OUT";
    case Outcome::Status::EarlierSpots: return "EARLIER_SPOTS";
  }
  return "";
}

int ExitStatus(const Outcome& outcome) {
  switch (outcome.status) {
    case Outcome::Status::Done: return VqctlExit::Success;
    case Outcome::Status::Differs: return VqctlExit::Differs;
    case Outcome::Status::CommFailed: return CommErrors::Number(outcome.code);
    case Outcome::Status::BadArgument: return VqctlExit::Usage;
    case Outcome::Status::RefusedInput: return VqctlExit::RefusedInput;
    case Outcome::Status::FileRefused: return VqctlExit::RefusedFile;
    case Outcome::Status::FileUnreadable: return VqctlExit::NoInput;
    case Outcome::Status::CannotWrite: return VqctlExit::CannotWrite;
    case Outcome::Status::LogNotWritten: return VqctlExit::CannotCreate;
    case Outcome::Status::TimedOut: return VqctlExit::TimedOut;
    // detect reads the list only after a finished run, and each vqctl is a session of its own.
    case Outcome::Status::EarlierSpots: return VqctlExit::DetectError;
  }
  return VqctlExit::CannotWrite;
}

// A failed outcome as the error object tells it. A communication failure's message is the operator's
// text for its code; what the outcome itself says of it is the hint (who may use a device).
VqctlJson::Failure FailureOf(const Outcome& outcome) {
  VqctlJson::Failure failure{ExitStatus(outcome), FailureName(outcome.status), outcome.message, outcome.path, outcome.reason, {}};
  if (outcome.status == Outcome::Status::CommFailed) {
    failure.name = VqctlJson::CodeName(outcome.code);
    failure.message = CommErrorState::ErrorText(outcome.code);
    failure.hint = outcome.message;
  }
  return failure;
}

}  // namespace

std::string UsageErrorLine(const std::string& reason) {
  return "vqctl: " + reason + " (vqctl --help lists the commands and options)\n";
}

Vqctl::Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err)
    : options_(options),
      out_(out),
      err_(err),
      streamed_(err),
      output_(options.json ? static_cast<OperatorOutput&>(gathered_) : streamed_),
      session_(output_) {
  startUs_ = MonotonicClock::Instance().NowUs();
  session_.WatchChanges([](const CameraChanges& changes) { StopSignals::SetStopNote(InterruptionNote(changes)); });
  if (options.trace) {
    session_.Parameters().SetByteTrace(
        [this](bool sent, const uint8_t* bytes, int32_t count) { TraceBytes(sent, bytes, count); });
  }
}

void Vqctl::TraceBytes(bool sent, const uint8_t* bytes, int32_t count) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%8lld ms %s", static_cast<long long>((MonotonicClock::Instance().NowUs() - startUs_) / 1000),
                sent ? ">" : "<");
  err_ << stamp;
  for (int32_t i = 0; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
    err_ << hex;
  }
  err_ << '\n';
}

int Vqctl::UsageError(const std::string& reason) { return Fail({VqctlExit::Usage, "USAGE", reason, {}, {}, {}}); }

int Vqctl::Fail(VqctlJson::Failure failure) {
  const int status = failure.status;
  if (options_.json) {
    failure_ = std::move(failure);
  } else {
    err_ << UsageErrorLine(failure.message);
  }
  return status;
}

int Vqctl::Translate(const Outcome& outcome) {
  if (outcome.Ok()) return ExitStatus(outcome);
  if (options_.json) return Fail(FailureOf(outcome));
  if (outcome.status == Outcome::Status::BadArgument) return UsageError(outcome.message);
  // A link that did not open: which one, and the system's reason, after the operator's message.
  if (outcome.status == Outcome::Status::CommFailed && !outcome.path.empty()) {
    err_ << outcome.path << (outcome.reason.empty() ? "" : ": " + outcome.reason) << '\n';
  }
  // A message the operator output has printed already is not printed again.
  if (!outcome.shown && !outcome.message.empty()) {
    err_ << (outcome.status == Outcome::Status::CommFailed ? "" : "vqctl: ") << outcome.message << '\n';
  }
  return ExitStatus(outcome);
}

void Vqctl::FinishJson() {
  if (failure_) {
    err_ << VqctlJson::Error(*failure_, gathered_.texts) << '\n';
  } else if (!gathered_.texts.empty()) {
    err_ << VqctlJson::Messages(gathered_.texts) << '\n';
  }
}

void Vqctl::Print(const std::string& text, const std::string& json) { out_ << (options_.json ? json : text) << '\n'; }

int Vqctl::OpenLink() {
  Outcome outcome = session_.Open(options_.link);
  return outcome.Ok() ? 0 : Translate(outcome);
}

int Vqctl::Run() {
  const VqctlCommand& command = *FindVqctlCommand(options_.command);
  int status = command.needsLink ? OpenLink() : 0;
  if (status == 0) status = (this->*command.run)();
  if (options_.json) FinishJson();
  return status;
}

bool Vqctl::ParameterArgument(size_t index, ParameterId& id) { return FindParameter(options_.arguments[index], id); }

int Vqctl::Parameters() {
  if (options_.json) {
    out_ << VqctlJson::Parameters(ParameterRows()) << '\n';
    return VqctlExit::Success;
  }
  for (const ParameterRow& row : ParameterRows()) {
    out_ << row.name << ' ' << row.index << ' ' << row.minimum << ' ' << row.maximum << ' ' << row.defaultValue << ' '
         << (row.writeAll ? "w" : "-") << (row.readAll ? "r" : "-") << '\n';
  }
  return VqctlExit::Success;
}

namespace {

std::string ValueLines(const std::vector<NamedValue>& values) {
  std::string text;
  for (const NamedValue& v : values) text += (text.empty() ? "" : "\n") + v.name + '=' + std::to_string(v.value);
  return text;
}

}  // namespace

int Vqctl::ReadAll() {
  std::vector<NamedValue> values;
  Outcome outcome = session_.ReadAll(values);
  if (outcome.Ok()) Print(ValueLines(values), VqctlJson::Values(values));
  return Translate(outcome);
}

int Vqctl::Get() {
  ParameterId id;
  if (!ParameterArgument(0, id)) return UsageError("unknown parameter " + options_.arguments[0]);
  int32_t value = 0;
  Outcome outcome = session_.Get(id, value);
  if (outcome.Ok()) {
    Print(std::to_string(value), JsonObject().Text("name", ParameterTable::Identifier(id)).Number("value", value).Document());
  }
  return Translate(outcome);
}

int Vqctl::Set() {
  ParameterId id;
  if (!ParameterArgument(0, id)) return UsageError("unknown parameter " + options_.arguments[0]);
  int32_t value = 0;
  if (!ParseParameterValue(options_.arguments[1], value)) return UsageError("bad value " + options_.arguments[1]);
  return Translate(session_.Set(id, value));
}

int Vqctl::Load() { return Translate(session_.Load(options_.arguments[0])); }

int Vqctl::Save() { return Translate(session_.Save(options_.arguments[0])); }

int Vqctl::Show() {
  std::vector<NamedValue> values;
  Outcome outcome = ReadSettingsValues(options_.arguments[0], output_, values);
  // A file without values shows nothing, as it always has (and an empty object with --json).
  if (outcome.status == Outcome::Status::FileRefused && !outcome.shown) {
    if (options_.json) out_ << "{}\n";
    return VqctlExit::Success;
  }
  if (outcome.Ok()) Print(ValueLines(values), VqctlJson::Values(values));
  return Translate(outcome);
}

int Vqctl::Diff() {
  std::vector<ValueDifference> differences;
  const auto rows = options_.writtenRows ? CameraSession::DiffRows::Written : CameraSession::DiffRows::All;
  Outcome outcome = session_.Diff(options_.arguments[0], differences, rows);
  if (options_.json) {
    if (outcome.Ok()) {
      out_ << VqctlJson::Differences(RegularFile::FullPath(options_.arguments[0]), options_.writtenRows, differences)
           << '\n';
    }
    return Translate(outcome);
  }
  for (const ValueDifference& d : differences) {
    out_ << ParameterTable::Identifier(d.id) << ": camera=" << d.camera << " file=" << d.file << '\n';
  }
  return Translate(outcome);
}

int Vqctl::Info() {
  CameraInfo info;
  Outcome outcome = session_.Info(info);
  if (outcome.Ok()) {
    Print("Vendor=" + info.vendorName + "\nModel=" + info.modelName + "\nSerial=" + info.serialNumber +
              "\nVersion=" + info.version,
          VqctlJson::Info(info));
  }
  return Translate(outcome);
}

int Vqctl::Send() { return Translate(session_.Send(options_.arguments[0])); }

int Vqctl::Query() {
  std::string reply;
  Outcome outcome = session_.Query(options_.arguments[0], reply);
  if (outcome.Ok()) Print(reply, JsonObject().Text("reply", reply).Document());
  return Translate(outcome);
}

int Vqctl::Detect() {
  std::optional<int64_t> threshold;
  if (!options_.arguments.empty()) {
    int32_t value = 0;
    if (!ParseParameterValue(options_.arguments[0], value)) return UsageError("the threshold is 0 to 255");
    threshold = value;
  }
  int state = 0;
  Outcome outcome = session_.Detect(threshold, options_.timeoutSeconds, state);
  if (outcome.status == Outcome::Status::TimedOut) {
    outcome.message = "the detection did not finish within " + std::to_string(options_.timeoutSeconds) + " s";
  }
  if (!outcome.Ok()) return Translate(outcome);
  const bool finished = outcome.status == Outcome::Status::Done;
  const int status = finished ? VqctlExit::Success : state == WhiteSpot::TooMany ? VqctlExit::DetectOver : VqctlExit::DetectError;
  JsonObject end;
  end.Text("end", finished ? "finished" : status == VqctlExit::DetectOver ? "over" : "error")
      .Number("state", state)
      .Text("message", outcome.message);
  if (!finished) {
    Print(outcome.message, end.Document());
    return status;
  }
  if (!options_.json) out_ << outcome.message << '\n';
  return ListSpots(&end);
}

int Vqctl::Spots() { return ListSpots(nullptr); }

int Vqctl::ListSpots(JsonObject* detection) {
  std::vector<WhiteSpot::Spot> spots;
  Outcome outcome = session_.Spots(spots);
  // The spots read before a failure are printed too; the document says the list is not complete.
  if (options_.json) {
    JsonObject document = detection != nullptr ? *detection : JsonObject();
    out_ << document.Json("spots", VqctlJson::Spots(spots)).Flag("complete", outcome.Ok()).Document() << '\n';
  } else {
    out_ << WhiteSpot::SpotLines(spots, "\n");
  }
  return Translate(outcome);
}

int Vqctl::Check() {
  int32_t count = DefaultCheckExchanges;
  if (!options_.arguments.empty() &&
      (!ParseParameterValue(options_.arguments[0], count) || count < 1 || count > MaxCheckExchanges)) {
    return UsageError("the count of reads is 1 to " + std::to_string(MaxCheckExchanges));
  }
  const LinkCheckReport report = CheckLink(session_.Parameters(), count);
  if (options_.json) {
    out_ << VqctlJson::LinkCheck(report) << '\n';
  } else {
    for (const std::string& line : LinkCheckLines(report)) out_ << line << '\n';
  }
  switch (report.verdict) {
    case LinkCheckReport::Verdict::Healthy: return VqctlExit::Success;
    case LinkCheckReport::Verdict::Slow: return VqctlExit::LinkSlow;
    case LinkCheckReport::Verdict::Faulty: return VqctlExit::LinkFaulty;
    case LinkCheckReport::Verdict::Failed: break;
  }
  return CommErrors::Number(report.lastFailure);
}

int Vqctl::WriteSerial() {
  return Translate(session_.WriteSerial(options_.arguments[0], options_.digits, AdjustmentLogTarget{}));
}

namespace {

// A script acts on what was printed: output that did not arrive is a failure, however the rest went.
int FinishOutput(int status, std::ostream& out, std::ostream& err, bool json) {
  errno = 0;
  out.flush();
  const int error = errno;
  if (out || status > VqctlExit::Differs) return status;
  const std::string reason = error != 0 ? std::strerror(error) : "";
  const std::string message = "the output could not be written";
  if (json) {
    err << VqctlJson::Error({VqctlExit::CannotWrite, "CANNOT_WRITE", message, {}, reason, {}}, {}) << '\n';
  } else {
    err << "vqctl: " << message << (reason.empty() ? "" : ": " + reason) << '\n';
  }
  return VqctlExit::CannotWrite;
}

int ParseAndRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  VqctlOptions options;
  VqctlParse parse = ParseVqctlOptions(args, options);
  // With --json the store's warning is one of the messages of the object on standard error.
  std::optional<std::string> warning = GuardSettingsStoreFile();
  if (warning && !options.json) err << "vqctl: " << *warning << '\n';
  if (parse.help || parse.version) {
    out << (parse.help ? VqctlUsage() : std::string("vqctl " VQ_VERSION "\n"));
    return FinishOutput(VqctlExit::Success, out, err, false);
  }
  if (!parse.ok) {
    // The parse may have stopped before a --json further on.
    if (options.json || std::find(args.begin(), args.end(), "--json") != args.end()) {
      err << VqctlJson::Error({VqctlExit::Usage, "USAGE", parse.error, {}, {}, {}},
                              warning ? std::vector<std::string>{*warning} : std::vector<std::string>{})
          << '\n';
    } else {
      err << UsageErrorLine(parse.error);
    }
    return FinishOutput(VqctlExit::Usage, out, err, false);
  }
  // What was read reaches standard output before the link closes with vqctl: a grabber library
  // whose close never returns must not keep it back.
  Vqctl vqctl(options, out, err);
  if (warning && options.json) vqctl.Warn(*warning);
  return FinishOutput(vqctl.Run(), out, err, options.json);
}

}  // namespace

int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return ParseAndRun(args, out, err);
}
