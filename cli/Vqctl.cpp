// vqctl: the camera's settings and service functions for production-line scripts.
#include "cli/Vqctl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/LinkCheck.h"
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

}  // namespace

Vqctl::Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err), output_(err), session_(output_) {
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

int Vqctl::UsageError(const std::string& reason) {
  err_ << "vqctl: " << reason << '\n' << VqctlUsage();
  return VqctlExit::Usage;
}

int Vqctl::Translate(const Outcome& outcome) {
  // A message the operator output has printed already is not printed again.
  if (!outcome.shown && !outcome.message.empty() && outcome.status != Outcome::Status::BadArgument &&
      !outcome.Ok()) {
    err_ << (outcome.status == Outcome::Status::CommFailed ? "" : "vqctl: ") << outcome.message << '\n';
  }
  switch (outcome.status) {
    case Outcome::Status::Done: return VqctlExit::Success;
    case Outcome::Status::Differs: return VqctlExit::Differs;
    case Outcome::Status::CommFailed: return CommErrors::Number(outcome.code);
    case Outcome::Status::BadArgument: return UsageError(outcome.message);
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

int Vqctl::OpenLink() {
  Outcome outcome = session_.Open(options_.link);
  return outcome.Ok() ? 0 : Translate(outcome);
}

int Vqctl::Run() {
  const VqctlCommand& command = *FindVqctlCommand(options_.command);
  if (command.needsLink) {
    int status = OpenLink();
    if (status != 0) return status;
  }
  return (this->*command.run)();
}

bool Vqctl::ParameterArgument(size_t index, ParameterId& id) { return FindParameter(options_.arguments[index], id); }

int Vqctl::Parameters() {
  for (const ParameterRow& row : ParameterRows()) {
    out_ << row.name << ' ' << row.index << ' ' << row.minimum << ' ' << row.maximum << ' ' << row.defaultValue << ' '
         << (row.writeAll ? "w" : "-") << (row.readAll ? "r" : "-") << '\n';
  }
  return VqctlExit::Success;
}

int Vqctl::ReadAll() {
  std::vector<NamedValue> values;
  Outcome outcome = session_.ReadAll(values);
  for (const NamedValue& v : values) out_ << v.name << '=' << v.value << '\n';
  return Translate(outcome);
}

int Vqctl::Get() {
  ParameterId id;
  if (!ParameterArgument(0, id)) return UsageError("unknown parameter " + options_.arguments[0]);
  int32_t value = 0;
  Outcome outcome = session_.Get(id, value);
  if (outcome.Ok()) out_ << value << '\n';
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
  // A file without values shows nothing, as it always has.
  if (outcome.status == Outcome::Status::FileRefused && !outcome.shown) return VqctlExit::Success;
  for (const NamedValue& v : values) out_ << v.name << '=' << v.value << '\n';
  return Translate(outcome);
}

int Vqctl::Diff() {
  std::vector<ValueDifference> differences;
  Outcome outcome = session_.Diff(options_.arguments[0], differences);
  for (const ValueDifference& d : differences) {
    out_ << ParameterTable::Identifier(d.id) << ": camera=" << d.camera << " file=" << d.file << '\n';
  }
  return Translate(outcome);
}

int Vqctl::Info() {
  CameraInfo info;
  Outcome outcome = session_.Info(info);
  if (outcome.Ok()) {
    out_ << "Vendor=" << info.vendorName << "\nModel=" << info.modelName << "\nSerial=" << info.serialNumber
         << "\nVersion=" << info.version << '\n';
  }
  return Translate(outcome);
}

int Vqctl::Send() { return Translate(session_.Send(options_.arguments[0])); }

int Vqctl::Query() {
  std::string reply;
  Outcome outcome = session_.Query(options_.arguments[0], reply);
  if (outcome.Ok()) out_ << reply << '\n';
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
  if (outcome.Ok()) out_ << outcome.message << '\n';
  if (outcome.status == Outcome::Status::Differs) return state == WhiteSpot::TooMany ? VqctlExit::DetectOver : VqctlExit::DetectError;
  if (outcome.status != Outcome::Status::Done) return Translate(outcome);
  return Spots();
}

int Vqctl::Spots() {
  std::vector<WhiteSpot::Spot> spots;
  Outcome outcome = session_.Spots(spots);
  // The lines read before a failure are printed too.
  out_ << WhiteSpot::SpotLines(spots, "\n");
  return Translate(outcome);
}

int Vqctl::Check() {
  int32_t count = DefaultCheckExchanges;
  if (!options_.arguments.empty() &&
      (!ParseParameterValue(options_.arguments[0], count) || count < 1 || count > MaxCheckExchanges)) {
    return UsageError("the count of reads is 1 to " + std::to_string(MaxCheckExchanges));
  }
  const LinkCheckReport report = CheckLink(session_.Parameters(), count);
  for (const std::string& line : LinkCheckLines(report)) out_ << line << '\n';
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
int FinishOutput(int status, std::ostream& out, std::ostream& err) {
  errno = 0;
  out.flush();
  const int error = errno;
  if (out || status > VqctlExit::Differs) return status;
  err << "vqctl: the output could not be written" << (error != 0 ? std::string(": ") + std::strerror(error) : "")
      << '\n';
  return VqctlExit::CannotWrite;
}

int ParseAndRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (std::optional<std::string> warning = GuardSettingsStoreFile()) err << "vqctl: " << *warning << '\n';
  VqctlOptions options;
  VqctlParse parse = ParseVqctlOptions(args, options);
  if (parse.help || parse.version) {
    out << (parse.help ? VqctlUsage() : std::string("vqctl " VQ_VERSION "\n"));
    return FinishOutput(VqctlExit::Success, out, err);
  }
  if (!parse.ok) {
    err << "vqctl: " << parse.error << '\n' << VqctlUsage();
    return FinishOutput(VqctlExit::Usage, out, err);
  }
  // What was read reaches standard output before the link closes with vqctl: a grabber library
  // whose close never returns must not keep it back.
  Vqctl vqctl(options, out, err);
  return FinishOutput(vqctl.Run(), out, err);
}

}  // namespace

int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return ParseAndRun(args, out, err);
}
