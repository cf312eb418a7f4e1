// The simulated camera's protocol side and register behaviour.
#include "sim/CameraModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "link/Framing.h"

namespace {

constexpr int CommonArea = 0x01;
constexpr int InfoArea = 0x10;
constexpr int SpotArea = 0x11;
constexpr int ReadBit = 0x80;
constexpr int FactorySetAddress = 0x45;
constexpr int DetectAddress = 0x4D;
constexpr int UnlockAddress = 0x60;
constexpr uint32_t UnlockValue = 0x5C1D;
constexpr int SpotListLength = 64;
constexpr size_t MaxFrameLength = 40;  // anything longer is line noise, not a request
constexpr uint8_t NoiseByte = 0x55;

uint32_t Key(int mode, int area, int address) {
  return (static_cast<uint32_t>(mode & 0xFF) << 16) | (static_cast<uint32_t>(area & 0x7F) << 8) |
         static_cast<uint32_t>(address & 0xFF);
}

// A Common-area value as its data bytes stand on the wire: the significant bytes high first.
uint32_t CommonData(uint32_t value, int width) {
  if (width == 2) return ((value >> 8) & 0xFF) | ((value & 0xFF) << 8);
  return value & 0xFF;
}

// The camera's setting registers and their values after power-up or factory set.
struct CommonDefault {
  int address;
  uint32_t value;
  int width;
};
constexpr CommonDefault CommonDefaults[] = {
    {0x04, 0, 1},   {0x05, 0, 1},    {0x06, 0, 1},    {0x07, 0, 1},    {0x08, 0, 1},   {0x0C, 168, 2},
    {0x0F, 0, 1},   {0x11, 834, 2},  {0x13, 0, 1},    {0x14, 0, 1},    {0x15, 1, 1},   {0x16, 1, 1},
    {0x17, 0, 1},   {0x1C, 100, 2},  {0x1E, 0, 1},    {0x1F, 1, 2},    {0x20, 1040, 2}, {0x45, 0, 1},
    {0x4B, 1, 1},   {0x4C, 20, 1},   {0x4D, 0, 1},    {0x50, 0, 1},    {0x77, 176, 1}, {0x60, 0, 2},
};

}  // namespace

CameraModel::CameraModel() {
  LoadDefaults();
  SetIdentity("NORVANE IMAGING", "VQ-R310NTX", "1234567", "1000");
  spots_ = {{10, 20}, {300, 5}, {1000, 999}};
}

void CameraModel::SetBaudRate(int baudRate) { byteTimeUs_ = baudRate > 0 ? 10000000LL / baudRate : 0; }

void CameraModel::LoadDefaults() {
  for (const auto& row : CommonDefaults) SetSetting(CommonArea, row.address, CommonData(row.value, row.width));
}

void CameraModel::SetIdentity(const std::string& vendor, const std::string& model, const std::string& serial,
                              const std::string& version) {
  // Each information word holds two characters, the first in the low byte; unused places are zero.
  auto store = [this](const std::string& text, int firstAddress, int words) {
    for (int w = 0; w < words; ++w) {
      size_t i = static_cast<size_t>(2 * w);
      uint32_t lo = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
      uint32_t hi = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : 0;
      SetSetting(InfoArea, firstAddress + w, lo | (hi << 8));
    }
  };
  store(vendor, 0x00, 8);
  store(model, 0x08, 8);
  store(serial, 0x10, 4);
  store(version, 0x14, 2);
}

uint32_t CameraModel::Register(int mode, int area, int address) const {
  auto it = registers_.find(Key(mode, area, address));
  return it == registers_.end() ? 0 : it->second;
}

void CameraModel::SetRegister(int mode, int area, int address, uint32_t data) {
  registers_[Key(mode, area, address)] = data & 0xFFFFFF;
}

void CameraModel::SetSetting(int area, int address, uint32_t data) {
  SetRegister(0, area, address, data);
  SetRegister(1, area, address, data);
}

void CameraModel::Emit(uint8_t byte, int64_t t) {
  int64_t due = std::max(t, lastDueUs_) + byteTimeUs_ + faults_.byteDelayUs;
  lastDueUs_ = due;
  output_.emplace_back(due, byte);
}

int CameraModel::TakeOutput(uint8_t* buffer, int count, int64_t nowUs) {
  int n = 0;
  while (n < count && !output_.empty() && output_.front().first <= nowUs) {
    buffer[n++] = output_.front().second;
    output_.pop_front();
  }
  return n;
}

void CameraModel::DiscardDelivered(int64_t nowUs) {
  while (!output_.empty() && output_.front().first <= nowUs) output_.pop_front();
}

void CameraModel::Receive(uint8_t byte, int64_t arrivalUs) {
  if (faults_.silentAfterRequests >= 0 && requests_.size() >= static_cast<size_t>(faults_.silentAfterRequests)) {
    faults_.silent = true;
  }
  if (faults_.silent) return;
  if (byte == Framing::ENQ) {
    // Also where an ACK for the last reply was awaited: the host's purge may have swallowed that ACK.
    OnEnquiry(arrivalUs);
    return;
  }
  switch (state_) {
    case State::Idle: break;
    case State::AwaitFrame: OnFrameByte(byte, arrivalUs); break;
    case State::AwaitReplyAck: OnReplyAnswer(byte, arrivalUs); break;
  }
}

// A camera sends its reply again after every NAK, for as long as the host keeps asking.
void CameraModel::OnReplyAnswer(uint8_t byte, int64_t t) {
  if (byte == Framing::ACK) {
    ++repliesAcknowledged_;
    state_ = State::Idle;
  }
  if (byte != Framing::NAK) return;
  ++repliesRefused_;
  if (faults_.repliesPerRequest >= 0 && repliesSent_ >= faults_.repliesPerRequest) return;
  SendReply(t);
}

void CameraModel::Record(const std::string& text) {
  // A simulator that runs for days must not grow without end; tests look at the recent requests.
  if (requests_.size() >= MaxRecordedRequests) {
    requests_.erase(requests_.begin(), requests_.begin() + static_cast<long>(MaxRecordedRequests / 2));
  }
  requests_.push_back(text);
}

uint32_t CameraModel::NextRandom() {
  // xorshift32: small, and the same sequence on every machine.
  randomState_ ^= randomState_ << 13;
  randomState_ ^= randomState_ >> 17;
  randomState_ ^= randomState_ << 5;
  return randomState_;
}

void CameraModel::MaybeInjectFault() {
  // One fault a request at most, so that every request still gets through within its retries.
  if (randomPercent_ <= 0 || faultedRequest_ || static_cast<int>(NextRandom() % 100) >= randomPercent_) return;
  faultedRequest_ = true;
  switch (NextRandom() % 5) {
    case 0: faults_.wrongEnquiryAnswers = 1; break;
    case 1: faults_.wrongFrameAnswers = 1; break;
    case 2:
      faults_.defectiveReplies = 1;
      faults_.replyDefect = (NextRandom() & 1) ? ReplyDefect::BadCheck : ReplyDefect::NoEtx;
      break;
    case 3:
      faults_.defectiveReplies = 1;
      faults_.replyDefect = ReplyDefect::NonHexCheck;
      break;
    default: faults_.noiseBytes = static_cast<int>(NextRandom() % 4) + 1; break;
  }
}

void CameraModel::OnEnquiry(int64_t t) {
  collecting_ = false;
  frame_.clear();
  // Noise lasts one reply; a new request may bring its own.
  if (randomPercent_ > 0) faults_.noiseBytes = 0;
  MaybeInjectFault();
  state_ = State::Idle;
  if (TakeFault(faults_.ignoreEnquiries)) return;
  if (TakeFault(faults_.wrongEnquiryAnswers)) {
    Emit(faults_.enquiryAnswer, t);
    return;
  }
  Emit(Framing::ACK, t);
  state_ = State::AwaitFrame;
}

void CameraModel::OnFrameByte(uint8_t byte, int64_t t) {
  if (!collecting_) {
    if (byte != Framing::STX) return;
    collecting_ = true;
    frame_.clear();
  }
  frame_.push_back(static_cast<char>(byte));
  if (frame_.size() > MaxFrameLength) {
    collecting_ = false;
    return;
  }
  size_t etx = frame_.find(static_cast<char>(Framing::ETX));
  if (etx != std::string::npos && frame_.size() == etx + 3) {
    collecting_ = false;
    OnFrameComplete(t);
  }
}

void CameraModel::OnFrameComplete(int64_t t) {
  size_t etx = frame_.size() - 3;
  const char* digits = frame_.data() + etx + 1;
  uint8_t check = Checksum(reinterpret_cast<const uint8_t*>(frame_.data()), etx + 1);
  if (!IsHexDigit(digits[0]) || !IsHexDigit(digits[1]) || HexToInt(digits, 2) != check) {
    AnswerFrame(Framing::NAK, t);
    return;
  }
  if (TakeFault(faults_.ignoreFrames)) return;
  if (TakeFault(faults_.wrongFrameAnswers)) {
    AnswerFrame(faults_.frameAnswer, t);
    return;
  }
  std::string text = frame_.substr(1, etx - 1);
  if (!Execute(text, t)) AnswerFrame(Framing::NAK, t);
}

void CameraModel::AnswerFrame(uint8_t answer, int64_t t) { Emit(answer, t); }

// Carries out a request text; false when the camera refuses it.
bool CameraModel::Execute(const std::string& text, int64_t t) {
  if (text.size() != 14) return false;
  for (char c : text) {
    if (!IsHexDigit(c)) return false;
  }
  int mode = HexToInt(text.data(), 2) == 0 ? 0 : 1;
  int area = HexToInt(text.data() + 4, 2);
  int address = HexToInt(text.data() + 6, 2);
  uint32_t data = static_cast<uint32_t>(HexToInt(text.data() + 8, 2) + 256 * HexToInt(text.data() + 10, 2) +
                                        65536 * HexToInt(text.data() + 12, 2));
  faultedRequest_ = false;
  Record(text);
  Emit(Framing::ACK, t);
  if ((area & ReadBit) == 0) {
    ExecuteWrite(mode, area, address, data);
    state_ = State::Idle;
    return true;
  }
  uint32_t value = ExecuteRead(mode, area & 0x7F, address);
  char reply[8];
  std::snprintf(reply, sizeof reply, "%02X%02X%02X", value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
  replyData_ = reply;
  if (TakeFault(faults_.missingReplies)) {
    state_ = State::Idle;
    return true;
  }
  repliesSent_ = 0;
  SendReply(t);
  return true;
}

void CameraModel::ExecuteWrite(int mode, int area, int address, uint32_t data) {
  // The identification words take writes only after the unlock, which holds until power-down; before
  // it the camera acknowledges them all the same and keeps what it had.
  if (area == InfoArea && !unlocked_) return;
  if (area == CommonArea && address == UnlockAddress && CommonData(UnlockValue, 2) == data) unlocked_ = true;
  if (area == CommonArea && address == FactorySetAddress && (data & 0xFF) != 0) factoryReadsLeft_ = factoryBusyReads_;
  if (area == CommonArea && address == DetectAddress && (data & 0xFF) == 1) detectReadsLeft_ = detectBusyReads_;
  // A stored setting takes effect at once; a working register lasts until the next power-up.
  if (mode == 1) {
    SetSetting(area, address, data);
  } else {
    SetRegister(mode, area, address, data);
  }
}

uint32_t CameraModel::ExecuteRead(int mode, int area, int address) {
  if (area == SpotArea) {
    size_t i = static_cast<size_t>(address / 2);
    uint32_t c = 0xFFFF;
    if (i < spots_.size() && i < SpotListLength) c = static_cast<uint32_t>(address % 2 ? spots_[i].y : spots_[i].x);
    return CommonData(c & 0xFFFF, 2);
  }
  if (area == CommonArea && address == FactorySetAddress && factoryReadsLeft_ >= 0) {
    if (factoryReadsLeft_-- > 0) return 1;
    factoryReadsLeft_ = -1;
    LoadDefaults();
    return 0;
  }
  if (area == CommonArea && address == DetectAddress && detectReadsLeft_ >= 0) {
    if (detectReadsLeft_-- > 0) return 1;
    detectReadsLeft_ = -1;
    SetSetting(CommonArea, DetectAddress, static_cast<uint32_t>(detectOutcome_) & 0xFF);
  }
  return Register(mode, area, address);
}

void CameraModel::SendReply(int64_t t) {
  uint8_t frame[Framing::FrameBufferSize];
  std::string data = replyData_;
  bool defective = TakeFault(faults_.defectiveReplies);
  if (defective && faults_.replyDefect == ReplyDefect::NonHexData) data[2] = 'G';
  BuildFrame(data, frame);
  if (defective && faults_.replyDefect == ReplyDefect::NoEtx) {
    frame[7] = 0x04;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", Checksum(frame, 8));
    frame[8] = static_cast<uint8_t>(digits[0]);
    frame[9] = static_cast<uint8_t>(digits[1]);
  }
  if (defective && faults_.replyDefect == ReplyDefect::BadCheck) frame[9] = frame[9] == '0' ? '1' : '0';
  if (defective && faults_.replyDefect == ReplyDefect::NonHexCheck) frame[8] = 'G';
  if (faults_.lowerCaseCheck) {
    for (int i = 8; i < 10; ++i) frame[i] = static_cast<uint8_t>(std::tolower(frame[i]));
  }
  int length = TakeFault(faults_.shortReplies) ? faults_.shortReplyLength : Framing::ReplyFrameLength;
  for (int i = 0; i < faults_.noiseBytes; ++i) Emit(NoiseByte, std::max(t, lastDueUs_) + faults_.noiseGapUs);
  if (faults_.noiseBytes > 0) t = std::max(t, lastDueUs_) + faults_.noiseGapUs;
  for (int i = 0; i < length; ++i) Emit(frame[i], t);
  ++repliesSent_;
  state_ = State::AwaitReplyAck;
}
