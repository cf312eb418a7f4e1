// Times each read of a link check from the bytes as they pass, and turns the figures into advice.
#include "camera/LinkCheck.h"

#include <algorithm>
#include <utility>

#include "link/Framing.h"

namespace {

// What one read put on the line, seen through the port's byte trace.
struct ExchangeTrace {
  int64_t lastSentUs = -1;  // when an ENQ's write returned; -1 when no answer to one is awaited
  int bytes = 0;
  int enquiries = 0;
  int frames = 0;
  int naksFromCamera = 0;
  int naksFromHost = 0;
  std::vector<int64_t> turnarounds;
};

int64_t ByteUs(int baudRate) { return baudRate > 0 ? 10 * 1000000 / baudRate : 0; }

// The turn-around is timed from an ENQ alone to the byte that answers it: a one-byte request and a
// one-byte answer, so what is left of the gap is the camera's reaction and whatever holds the bytes.
// A write may return before its byte has left (a pseudo-terminal's does), so both bytes' time on
// the line come off the gap.
void Note(ExchangeTrace& t, bool sent, const uint8_t* bytes, int32_t count, int64_t nowUs, int baudRate) {
  t.bytes += count;
  for (int32_t i = 0; i < count; ++i) {
    if (!sent && bytes[i] == Framing::NAK) ++t.naksFromCamera;
    if (sent && bytes[i] == Framing::NAK) ++t.naksFromHost;
    if (sent && bytes[i] == Framing::ENQ) ++t.enquiries;
    if (sent && bytes[i] == Framing::STX) ++t.frames;
  }
  if (sent) {
    t.lastSentUs = count == 1 && bytes[0] == Framing::ENQ ? nowUs : -1;
  } else if (t.lastSentUs >= 0) {
    t.turnarounds.push_back(std::max<int64_t>(0, nowUs - t.lastSentUs - (1 + count) * ByteUs(baudRate)));
    t.lastSentUs = -1;
  }
}

int64_t Median(std::vector<int64_t> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

int64_t Worst(const std::vector<int64_t>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

bool IsLineError(CommError code) {
  return CommErrors::Number(code) >= CommErrors::Number(CommError::LineBreak) &&
         CommErrors::Number(code) <= CommErrors::Number(CommError::PaperEmpty);
}

std::string Ms(int64_t us) {
  const int64_t tenths = (us + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " ms";
}

void Judge(LinkCheckReport& r) {
  using Verdict = LinkCheckReport::Verdict;
  const bool slowTurns = r.turnaroundMedianUs > SlowTurnaroundUs;
  const bool slowReads = r.lineUs > 0 && r.medianUs > SlowLineRatio * r.lineUs;
  if (r.failures > 0) {
    r.verdict = Verdict::Failed;
  } else if (r.retries > 0 || r.naksFromCamera > 0 || r.naksFromHost > 0) {
    r.verdict = Verdict::Faulty;
  } else if (slowTurns || slowReads) {
    r.verdict = Verdict::Slow;
  }
  const auto& d = r.device;
  if (r.failures > 0 && r.lastFailure == CommError::Timeout && r.failures == r.exchanges) {
    r.advice.push_back("The camera did not answer: check that it is powered, the cable, the port and the baud rate.");
  }
  if (r.lineErrors > 0) {
    r.advice.push_back("Line errors arrived (break, framing, parity or overrun): check the cable, its ground and that "
                       "the camera and this program use the same baud rate.");
  }
  if (r.retries > 0 || r.naksFromCamera > 0 || r.naksFromHost > 0) {
    r.advice.push_back("Requests had to be repeated or were refused: bytes are spoilt on the way; check the cable, "
                       "its length and the baud rate.");
  }
  if (!slowTurns && !slowReads) return;
  const std::string late = "replies reach this program " + Ms(r.turnaroundMedianUs) + " after its request (median)";
  if (d.latencyTimerMs > 1) {
    r.advice.push_back("The adapter holds received bytes for " + std::to_string(d.latencyTimerMs) +
                       " ms before it passes them on: " + late + ". Set its latency timer to 1 ms" +
                       (d.latencyHowTo.empty() ? "." : ": " + d.latencyHowTo));
  } else if (!d.adapter.empty() && d.lowLatency == SerialDeviceFacts::LowLatency::Off) {
    r.advice.push_back("The USB-serial adapter's driver did not take the low-latency request: " + late +
                       ". Set its latency timer to 1 ms" + (d.latencyHowTo.empty() ? "." : ": " + d.latencyHowTo));
  } else if (slowTurns) {
    r.advice.push_back("Something between this program and the camera holds received bytes: " + late +
                       ". A USB-serial adapter's latency timer, a serial device server or a busy machine can.");
  } else {
    r.advice.push_back("Reads take " + std::to_string(r.medianUs / std::max<int64_t>(r.lineUs, 1)) +
                       " times their bytes' time on the line: this machine may be too busy.");
  }
}

}  // namespace

LinkCheckReport CheckLink(CameraParameterSet& parameters, int count) {
  LinkCheckReport report;
  report.cameraLink = parameters.CameraLinkOpen();
  report.baudRate = report.cameraLink ? 0 : parameters.BaudRate();
  report.device = parameters.SerialFacts();
  const CameraPort::ByteTrace outer = parameters.Trace();
  ExchangeTrace trace;
  parameters.SetByteTrace([&](bool sent, const uint8_t* bytes, int32_t n) {
    Note(trace, sent, bytes, n, parameters.NowUs(), report.baudRate);
    if (outer) outer(sent, bytes, n);
  });
  std::vector<int64_t> times;
  std::vector<int64_t> turnarounds;
  for (int i = 0; i < count; ++i) {
    trace = ExchangeTrace{};
    const int64_t start = parameters.NowUs();
    const int32_t result = parameters.ReadOne(ParamGainLevel);
    if (parameters.StopRequested()) {
      report.stopped = true;
      break;
    }
    ++report.exchanges;
    times.push_back(parameters.NowUs() - start);
    turnarounds.insert(turnarounds.end(), trace.turnarounds.begin(), trace.turnarounds.end());
    report.retries += std::max(0, trace.enquiries - 1) + std::max(0, trace.frames - 1);
    report.naksFromCamera += trace.naksFromCamera;
    report.naksFromHost += trace.naksFromHost;
    if (result < 0) {
      ++report.failures;
      report.lastFailure = parameters.LastError();
      if (IsLineError(report.lastFailure)) ++report.lineErrors;
    } else if (report.baudRate > 0) {
      const int64_t lineUs = int64_t{trace.bytes} * 10 * 1000000 / report.baudRate;
      report.lineUs = report.lineUs == 0 ? lineUs : std::min(report.lineUs, lineUs);
    }
  }
  parameters.SetByteTrace(outer);
  report.medianUs = Median(times);
  report.worstUs = Worst(times);
  report.turnaroundMedianUs = Median(turnarounds);
  report.turnaroundWorstUs = Worst(turnarounds);
  Judge(report);
  return report;
}

const char* VerdictName(LinkCheckReport::Verdict verdict) {
  switch (verdict) {
    case LinkCheckReport::Verdict::Healthy: return "healthy";
    case LinkCheckReport::Verdict::Slow: return "slow";
    case LinkCheckReport::Verdict::Faulty: return "faulty";
    case LinkCheckReport::Verdict::Failed: return "failed";
  }
  return "";
}

namespace {

std::string DeviceLine(const SerialDeviceFacts& d) {
  std::string line;
  auto add = [&line](const std::string& part) { line += (line.empty() ? "" : ", ") + part; };
  if (!d.driver.empty()) add("driver " + d.driver);
  if (!d.adapter.empty()) add("adapter " + d.adapter);
  if (d.lowLatency != SerialDeviceFacts::LowLatency::Unknown) {
    add(std::string("low latency ") + (d.lowLatency == SerialDeviceFacts::LowLatency::On ? "on" : "off"));
  }
  if (d.latencyTimerMs >= 0) add("latency timer " + std::to_string(d.latencyTimerMs) + " ms");
  return line.empty() ? "the system tells nothing of it" : line;
}

std::string Ratio(int64_t us, int64_t lineUs) {
  const int64_t hundredths = (us * 100 + lineUs / 2) / lineUs;
  const std::string cents = std::to_string(hundredths % 100);
  return std::to_string(hundredths / 100) + "." + (cents.size() < 2 ? "0" : "") + cents + "x";
}

}  // namespace

std::vector<std::string> LinkCheckLines(const LinkCheckReport& r) {
  std::vector<std::string> lines;
  lines.push_back("reads: " + std::to_string(r.exchanges) + " of the gain level " +
                  (r.cameraLink ? std::string("over the Camera Link channel")
                                : "at " + std::to_string(r.baudRate) + " baud") +
                  (r.stopped ? ", stopped" : ""));
  std::string time = "time per read: median " + Ms(r.medianUs) + ", worst " + Ms(r.worstUs);
  if (r.lineUs > 0) time += "; its bytes on the line " + Ms(r.lineUs) + " (median " + Ratio(r.medianUs, r.lineUs) + ")";
  lines.push_back(time);
  lines.push_back("turn-around: median " + Ms(r.turnaroundMedianUs) + ", worst " + Ms(r.turnaroundWorstUs));
  lines.push_back("retries: " + std::to_string(r.retries) + "; NAKs from the camera: " + std::to_string(r.naksFromCamera) +
                  ", from this end: " + std::to_string(r.naksFromHost) + "; line errors: " + std::to_string(r.lineErrors) +
                  "; failed reads: " + std::to_string(r.failures));
  if (!r.cameraLink) lines.push_back("device: " + DeviceLine(r.device));
  lines.push_back(std::string("verdict: ") + VerdictName(r.verdict));
  for (const std::string& advice : r.advice) lines.push_back("advice: " + advice);
  return lines;
}
