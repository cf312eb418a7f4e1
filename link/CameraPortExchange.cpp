// The conversation with the camera: request texts, value encoding, the handshake and the reply exchange.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "link/CameraPort.h"
#include "link/Framing.h"

namespace {

constexpr int Tries = 4;             // ENQ tries, frame tries, bad replies per attempt, attempts
constexpr int MaxNoiseBytes = 1024;  // non-STX bytes one attempt may skip before giving up

bool IsCommonArea(int area) { return (area & 0xFF) == 0x01 || (area & 0xFF) == 0x81; }

int ValueWidth(int32_t minimum, int32_t maximum) {
  uint32_t bits = static_cast<uint32_t>(minimum) | static_cast<uint32_t>(maximum);
  if (bits & 0xFF0000) return 3;
  if (bits & 0x00FF00) return 2;
  return 1;
}

}  // namespace

int32_t CameraPort::OrderValue(int32_t value, int area, int32_t minimum, int32_t maximum) {
  uint32_t v = static_cast<uint32_t>(value);
  if (!IsCommonArea(area)) return static_cast<int32_t>(v & 0xFFFFFF);
  switch (ValueWidth(minimum, maximum)) {
    case 3: return static_cast<int32_t>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
    case 2: return static_cast<int32_t>(((v >> 8) & 0xFF) | ((v & 0xFF) << 8));
    default: return static_cast<int32_t>(v & 0xFFFFFF);
  }
}

char* CameraPort::FormatRequest(char* text, int mode, int fixed, int area, int address, int32_t minimum,
                                int32_t maximum, int32_t value) {
  uint32_t data = static_cast<uint32_t>(OrderValue(value, area, minimum, maximum));
  std::snprintf(text, Framing::FrameBufferSize, "%02X%02X%02X%02X%02X%02X%02X", mode & 0xFF, fixed & 0xFF,
                area & 0xFF, address & 0xFF, data & 0xFF, (data >> 8) & 0xFF, (data >> 16) & 0xFF);
  return text;
}

int32_t CameraPort::WaitAck(int32_t timeoutMs) {
  uint8_t byte = 0;
  if (ReadBytes(&byte, 1, timeoutMs) < 0) return Fail(CommError::PassThrough);
  if (byte != Framing::ACK) return Fail(CommError::UnexpectedCharacter);
  return 0;
}

bool CameraPort::EnquiryPhase() {
  const uint8_t enq = Framing::ENQ;
  for (int i = 0; i < Tries; ++i) {
    if (WriteBytes(&enq, 1, ExchangeTimeouts::Enquiry) != 1) continue;
    const int32_t ack = WaitAck(ExchangeTimeouts::Enquiry);
    if (ack == 0) return true;
    // A wrong byte may be the first of someone else's reply: the rest of it must not answer the next ENQ.
    if (ack == -CommError::UnexpectedCharacter && i + 1 < Tries) SettleLine();
  }
  return false;
}

bool CameraPort::FramePhase(const uint8_t* frame, int32_t length) {
  for (int i = 0; i < Tries; ++i) {
    if (WriteBytes(frame, length, ExchangeTimeouts::FrameWrite) == length &&
        WaitAck(ExchangeTimeouts::FrameAck) == 0) {
      return true;
    }
  }
  return false;
}

int32_t CameraPort::SendFrame(std::string_view text) {
  if (Admit(state_, PortOperation::Exchange) == Admission::Refuse) return RefuseExchange();
  ExchangeScope scope(*this);
  return DeliverRequest(text);
}

int32_t CameraPort::DeliverRequest(std::string_view text) {
  uint8_t frame[Framing::FrameBufferSize];
  const int32_t length = BuildFrame(text, frame);
  if (length == 0) return Fail(CommError::IllegalMessageSize);
  // Nothing more goes to a channel whose library kept a call: the camera is out of reach.
  if (Admit(state_, PortOperation::Exchange) == Admission::Unreachable) return Fail(CommError::Timeout);
  if (StopRequested()) return Stopped();
  switch (std::exchange(lineQuiet_, LineQuiet::Settled)) {
    case LineQuiet::Unsettled: AwaitQuietLine(); break;
    case LineQuiet::Fresh: SettleLine(QuietSpan::FreshLine); break;
    case LineQuiet::Settled: break;
  }
  Purge(PurgeFlags::Both);
  if (!EnquiryPhase() || !FramePhase(frame, length)) return Fail(CommError::PassThrough);
  return 0;
}

// Waits for the reply's STX, skipping noise: Started when it came, otherwise how the attempt ended.
// Noise does not lengthen the wait: a camera trickling bytes that never make a frame is given the
// same time as one that stays silent.
CameraPort::ReplyOutcome CameraPort::AwaitReplyStart(int& noiseBytes) {
  const int64_t deadline = clock_->NowMs() + ExchangeTimeouts::ReplyStart;
  for (bool noise = false;; noise = true) {
    uint8_t byte = 0;
    // A failed wait ends the attempt whatever its reason: a line that keeps reporting an error
    // must not keep the operator waiting without end. Its code stays stored for the report.
    int64_t left = deadline - clock_->NowMs();
    if (left <= 0) {
      Fail(CommError::Timeout);
      return ReplyOutcome::Noise;
    }
    if (ReadBytes(&byte, 1, static_cast<int32_t>(left)) < 0) {
      Fail(CommError::PassThrough);
      // Noise may still be coming: the line is not known to be quiet.
      return noise ? ReplyOutcome::Noise : ReplyOutcome::NoReply;
    }
    if (byte == Framing::STX) return ReplyOutcome::Started;
    if (++noiseBytes > MaxNoiseBytes) {
      Fail(CommError::UnexpectedCharacter);
      return ReplyOutcome::Noise;
    }
  }
}

// One attempt's replies: whether a good reply was taken, or how the attempt ended.
CameraPort::ReplyOutcome CameraPort::ReceiveReply(char* reply) {
  int noiseBytes = 0;
  for (int badReplies = 0; badReplies < Tries;) {
    ReplyOutcome start = AwaitReplyStart(noiseBytes);
    if (start != ReplyOutcome::Started) return start;
    uint8_t frame[Framing::ReplyFrameLength];
    frame[0] = Framing::STX;
    if (ReadBytes(frame + 1, Framing::ReplyFrameLength - 1, ExchangeTimeouts::ReplyRest) < 0) {
      return ReplyOutcome::ShortReply;
    }
    const CommError check = CheckReply(frame, Framing::ReplyFrameLength);
    if (check == CommError::NoError) {
      const uint8_t ack = Framing::ACK;
      if (WriteBytes(&ack, 1, ExchangeTimeouts::FrameWrite) >= 0) {
        std::memcpy(reply, frame + 1, Framing::ReplyDataLength);
        reply[Framing::ReplyDataLength] = '\0';
        return ReplyOutcome::Taken;
      }
    } else {
      Fail(check);
      const uint8_t nak = Framing::NAK;
      WriteBytes(&nak, 1, ExchangeTimeouts::FrameWrite);
    }
    ++badReplies;
  }
  return ReplyOutcome::BadReplies;
}

// A camera answers every NAK with its reply again, a cut-off reply or noise may still be coming: what
// is on its way now would be read as the answer to the next ENQ. Reads and drops it until the line
// has been quiet for a reply frame's time, within the nine-byte reply time-out in all. Stores no error.
void CameraPort::AwaitQuietLine() {
  if (Admit(state_, PortOperation::Transfer) != Admission::Run) return;
  line_->DropUntilQuiet(QuietSpan::ReplyFrame, (Framing::ReplyFrameLength - 1) * ExchangeTimeouts::ReplyRest);
  NoteLoss();
}

// A quiet line costs a few byte times; a camera that never stops talking, SettleLimit. Stores no error.
void CameraPort::SettleLine(QuietSpan span) {
  if (Admit(state_, PortOperation::Transfer) != Admission::Run) return;
  line_->DropUntilQuiet(span, ExchangeTimeouts::SettleLimit);
  NoteLoss();
}

int32_t CameraPort::Transact(std::string_view text, char* reply) {
  if (Admit(state_, PortOperation::Exchange) == Admission::Refuse) return RefuseExchange();
  ExchangeScope scope(*this);
  ReplyOutcome outcome = ReplyOutcome::NoReply;
  for (int attempt = 0; attempt < Tries; ++attempt) {
    // After a silent attempt the line is quiet already; after anything else, bytes may be on their way.
    if (outcome != ReplyOutcome::NoReply) AwaitQuietLine();
    if (DeliverRequest(text) < 0) return Fail(CommError::PassThrough);
    outcome = ReceiveReply(reply);
    if (outcome == ReplyOutcome::Taken) return Framing::ReplyDataLength;
  }
  return Fail(CommError::PassThrough);
}

int32_t CameraPort::WriteParameter(int mode, int fixed, int area, int address, int32_t minimum, int32_t maximum,
                                   int32_t value) {
  char text[Framing::FrameBufferSize];
  return SendFrame(FormatRequest(text, mode, fixed, area, address, minimum, maximum, value));
}

int32_t CameraPort::ReadParameter(int mode, int fixed, int area, int address, int32_t minimum, int32_t maximum,
                                  int32_t* value) {
  *value = 0;
  char text[Framing::FrameBufferSize];
  FormatRequest(text, mode, fixed, area, address, minimum, maximum, 0);
  char reply[Framing::FrameBufferSize];
  int32_t result = Transact(text, reply);
  if (result < 0) return Fail(CommError::PassThrough);
  if (result != Framing::ReplyDataLength) return Fail(CommError::BadReplySize);
  for (int i = 0; i < Framing::ReplyDataLength; ++i) {
    if (!IsHexDigit(reply[i])) return Fail(CommError::InvalidCharacter);
  }
  int32_t raw = HexToInt(reply, 2) + 256 * HexToInt(reply + 2, 2) + 65536 * HexToInt(reply + 4, 2);
  *value = OrderValue(raw, area, minimum, maximum);
  return 0;
}
