// The simulated camera: its side of the protocol, its registers and its built-in functions.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sim/CameraFaults.h"

class CameraModel {
 public:
  struct Spot {
    int x;
    int y;
  };

  CameraModel();

  // Line speed: 10 bits a byte at the given baud rate paces every byte the camera sends; 0 = no pacing.
  void SetBaudRate(int baudRate);
  int64_t ByteTimeUs() const { return byteTimeUs_; }
  CameraFaults& Faults() { return faults_; }

  // One byte from the host, completely received at arrivalUs.
  void Receive(uint8_t byte, int64_t arrivalUs);
  // Bytes the camera has sent by nowUs, at most count; returns how many were copied.
  int TakeOutput(uint8_t* buffer, int count, int64_t nowUs);
  bool HasOutput() const { return !output_.empty(); }
  // When the next byte the camera sends is due; only meaningful when HasOutput().
  int64_t NextOutputUs() const { return output_.front().first; }
  // Forgets output that has already reached the host's side by nowUs (a purge of its input).
  void DiscardDelivered(int64_t nowUs);

  // Registers by mode (0 working, 1 stored), area (write form, 0x01..0x7F) and address: three data bytes
  // as they stand in a request text (first, second, third) packed as first + 256 second + 65536 third.
  uint32_t Register(int mode, int area, int address) const;
  void SetRegister(int mode, int area, int address, uint32_t data);
  // Sets a register in both modes, as a stored setting is also the working one.
  void SetSetting(int area, int address, uint32_t data);

  void SetIdentity(const std::string& vendor, const std::string& model, const std::string& serial,
                   const std::string& version);
  void SetSpots(std::vector<Spot> spots) { spots_ = std::move(spots); }
  // Detection: the state reads 1 this many times after a start, then the outcome (0, 2 or an error value).
  void SetDetection(int busyReads, int outcome) {
    SetDetectionBusyReads(busyReads);
    SetDetectionOutcome(outcome);
  }
  void SetDetectionBusyReads(int reads) { detectBusyReads_ = reads; }
  void SetDetectionOutcome(int outcome) { detectOutcome_ = outcome; }
  // Factory set: the flag reads 1 this many times, then 0 with the settings back at their defaults.
  void SetFactoryBusyReads(int reads) { factoryBusyReads_ = reads; }
  bool Unlocked() const { return unlocked_; }
  // From now on, percent of the requests meet one fault the exchange recovers from within its
  // retries (a wrong answer to ENQ, a NAK for the frame, a spoilt reply, noise), chosen by a
  // generator seeded with seed so that a run can be repeated.
  void SetRandomFaults(uint32_t seed, int percent) {
    randomState_ = seed != 0 ? seed : 1;
    randomPercent_ = percent;
  }

  // The host's answers to replies, as the camera received them: ACKs and NAKs.
  int RepliesAcknowledged() const { return repliesAcknowledged_; }
  int RepliesRefused() const { return repliesRefused_; }

  // Texts of request frames the camera accepted, in order; the oldest are forgotten past MaxRecordedRequests.
  const std::vector<std::string>& Requests() const { return requests_; }
  static constexpr size_t MaxRecordedRequests = 100000;

 private:
  enum class State { Idle, AwaitFrame, AwaitReplyAck };

  void LoadDefaults();
  uint32_t NextRandom();
  void MaybeInjectFault();
  void OnEnquiry(int64_t t);
  void OnFrameByte(uint8_t byte, int64_t t);
  void OnFrameComplete(int64_t t);
  void AnswerFrame(uint8_t answer, int64_t t);
  bool Execute(const std::string& text, int64_t t);
  void ExecuteWrite(int mode, int area, int address, uint32_t data);
  uint32_t ExecuteRead(int mode, int area, int address);
  void SendReply(int64_t t);
  void OnReplyAnswer(uint8_t byte, int64_t t);
  void Record(const std::string& text);
  void Emit(uint8_t byte, int64_t t);

  CameraFaults faults_;
  int64_t byteTimeUs_ = 0;
  State state_ = State::Idle;
  std::string frame_;
  bool collecting_ = false;
  std::string replyData_;
  std::deque<std::pair<int64_t, uint8_t>> output_;
  int64_t lastDueUs_ = 0;
  std::map<uint32_t, uint32_t> registers_;
  std::vector<Spot> spots_;
  int detectBusyReads_ = 3;
  int detectOutcome_ = 0;
  int detectReadsLeft_ = -1;  // -1: no detection running
  int factoryBusyReads_ = 3;
  int factoryReadsLeft_ = -1;
  bool unlocked_ = false;
  uint32_t randomState_ = 1;
  int randomPercent_ = 0;
  bool faultedRequest_ = false;
  int repliesSent_ = 0;
  int repliesAcknowledged_ = 0;
  int repliesRefused_ = 0;
  std::vector<std::string> requests_;
};
