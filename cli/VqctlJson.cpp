// vqctl's JSON documents.
#include "cli/VqctlJson.h"

#include "cli/JsonText.h"

namespace VqctlJson {

namespace {

std::string Texts(const std::vector<std::string>& texts) {
  std::vector<std::string> elements;
  for (const std::string& text : texts) elements.push_back(JsonString(text));
  return JsonArray(elements);
}

}  // namespace

std::string Values(const std::vector<NamedValue>& values) {
  JsonObject object;
  for (const NamedValue& v : values) object.Number(v.name, v.value);
  return object.Document();
}

std::string Info(const CameraInfo& info) {
  return JsonObject()
      .Text("Vendor", info.vendorName)
      .Text("Model", info.modelName)
      .Text("Serial", info.serialNumber)
      .Text("Version", info.version)
      .Document();
}

std::string Differences(const std::string& path, bool writtenOnly, const std::vector<ValueDifference>& differences) {
  std::vector<std::string> rows;
  for (const ValueDifference& d : differences) {
    rows.push_back(
        JsonObject().Text("name", ParameterTable::Identifier(d.id)).Number("camera", d.camera).Number("file", d.file).Document());
  }
  return JsonObject()
      .Text("file", path)
      .Text("rows", writtenOnly ? "written" : "all")
      .Json("differences", JsonArray(rows))
      .Document();
}

std::string Spots(const std::vector<WhiteSpot::Spot>& spots) {
  std::vector<std::string> elements;
  for (size_t i = 0; i < spots.size(); ++i) {
    elements.push_back(
        JsonObject().Number("number", static_cast<int64_t>(i) + 1).Number("x", spots[i].x).Number("y", spots[i].y).Document());
  }
  return JsonArray(elements);
}

std::string Parameters(const std::vector<ParameterRow>& rows) {
  std::vector<std::string> elements;
  for (const ParameterRow& row : rows) {
    elements.push_back(JsonObject()
                           .Text("name", row.name)
                           .Number("index", row.index)
                           .Number("minimum", row.minimum)
                           .Number("maximum", row.maximum)
                           .Number("default", row.defaultValue)
                           .Flag("write_all", row.writeAll)
                           .Flag("read_all", row.readAll)
                           .Text("label", row.label)
                           .TextOrNull("unit", row.unit)
                           .Document());
  }
  return JsonObject().Json("parameters", JsonArray(elements)).Document();
}

std::string LinkCheck(const LinkCheckReport& r) {
  JsonObject object;
  object.Text("verdict", VerdictName(r.verdict)).Number("reads", r.exchanges).Number("failures", r.failures);
  if (r.failures > 0) {
    object.Json("last_failure", JsonObject()
                                    .Number("code", CommErrors::Number(r.lastFailure))
                                    .Text("name", CodeName(r.lastFailure))
                                    .Document());
  } else {
    object.Null("last_failure");
  }
  object.Number("retries", r.retries)
      .Number("naks_from_camera", r.naksFromCamera)
      .Number("naks_from_host", r.naksFromHost)
      .Number("line_errors", r.lineErrors)
      .NumberOrNull("baud", r.cameraLink ? std::nullopt : std::optional<int64_t>(r.baudRate))
      .Seconds("line", r.lineUs)
      .Seconds("median", r.medianUs)
      .Seconds("worst", r.worstUs)
      .Seconds("turnaround_median", r.turnaroundMedianUs)
      .Seconds("turnaround_worst", r.turnaroundWorstUs)
      .TextOrNull("driver", r.device.driver)
      .TextOrNull("adapter", r.device.adapter);
  if (r.device.lowLatency == SerialDeviceFacts::LowLatency::Unknown) {
    object.Null("low_latency");
  } else {
    object.Flag("low_latency", r.device.lowLatency == SerialDeviceFacts::LowLatency::On);
  }
  return object
      .NumberOrNull("latency_timer_ms", r.device.latencyTimerMs >= 0 ? std::optional<int64_t>(r.device.latencyTimerMs)
                                                                     : std::nullopt)
      .Json("advice", Texts(r.advice))
      .Document();
}

std::string Error(const Failure& failure, const std::vector<std::string>& messages) {
  JsonObject error;
  error.Number("code", failure.status).Text("name", failure.name).Text("message", failure.message);
  if (!failure.path.empty()) error.Text("path", failure.path);
  if (!failure.reason.empty()) error.Text("reason", failure.reason);
  if (!failure.hint.empty()) error.Text("hint", failure.hint);
  return JsonObject().Json("error", error.Document()).Json("messages", Texts(messages)).Document();
}

std::string Messages(const std::vector<std::string>& messages) {
  return JsonObject().Json("messages", Texts(messages)).Document();
}

std::string CodeName(CommError code) {
  for (const CommErrors::Named& named : CommErrors::Names) {
    if (named.code == code) return std::string(named.name);
  }
  return "CODE_" + std::to_string(CommErrors::Number(code));
}

}  // namespace VqctlJson
