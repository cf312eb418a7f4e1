// Communication error codes: every failure on the way to the camera has one of these numbers.
#pragma once

#include <cstdint>
#include <string_view>

enum class CommError : int32_t {
  NoError = 0,
  PassThrough = 1,  // never stored: keep the code a lower layer stored
  InvalidPortNumber = 2,
  PortNotOpen = 3,
  CannotOpenPort = 4,
  Timeout = 5,
  BadSize = 6,
  MissingOverlap = 7,
  PurgeFailure = 8,
  LineBreak = 9,
  Framing = 10,
  IoError = 11,
  ModeError = 12,
  Overrun = 13,
  ReceiveBufferFull = 14,
  Parity = 15,
  TransmitBufferFull = 16,
  ParallelUnselected = 17,
  ParallelTimeout = 18,
  PaperEmpty = 19,
  UnexpectedCharacter = 20,
  BadReplySize = 21,
  NoStx = 22,
  NoEtx = 23,
  InvalidCharacter = 24,
  ChecksumMismatch = 25,
  IllegalMessageSize = 26,
  TooLongMessage = 27,
  // Not a failure of the line: an exchange was asked for while another ran on the same port. Nothing
  // was sent, the stored code is left as it was, and no message is shown for it.
  Refused = 100,
};

// A failed operation's result: the negative of its code. The one arithmetic a code takes part in.
constexpr int32_t operator-(CommError code) { return -static_cast<int32_t>(code); }

namespace CommErrors {

inline constexpr CommError Last = CommError::TooLongMessage;

// The code's number, as scripts see it.
constexpr int32_t Number(CommError code) { return static_cast<int32_t>(code); }
// The code a failed result (the negative of a code) carries; PassThrough for anything else.
constexpr CommError FromResult(int32_t result) {
  return result < 0 && -result <= Number(Last) ? static_cast<CommError>(-result)
         : result == -Number(CommError::Refused) ? CommError::Refused
                                                 : CommError::PassThrough;
}
// Whether a code is one the line can fail with: 2 to 27.
constexpr bool IsLineFailure(CommError code) {
  return Number(code) >= Number(CommError::InvalidPortNumber) && Number(code) <= Number(Last);
}

// The codes scripts see by name (vqcam's Code): the line's failures, each once.
struct Named {
  CommError code;
  std::string_view name;
};
inline constexpr Named Names[] = {
    {CommError::InvalidPortNumber, "INVALID_PORT_NUMBER"},
    {CommError::PortNotOpen, "PORT_NOT_OPEN"},
    {CommError::CannotOpenPort, "CANNOT_OPEN_PORT"},
    {CommError::Timeout, "TIMEOUT"},
    {CommError::BadSize, "BAD_SIZE"},
    {CommError::MissingOverlap, "MISSING_OVERLAP"},
    {CommError::PurgeFailure, "PURGE_FAILURE"},
    {CommError::LineBreak, "LINE_BREAK"},
    {CommError::Framing, "FRAMING"},
    {CommError::IoError, "IO_ERROR"},
    {CommError::ModeError, "MODE_ERROR"},
    {CommError::Overrun, "OVERRUN"},
    {CommError::ReceiveBufferFull, "RECEIVE_BUFFER_FULL"},
    {CommError::Parity, "PARITY"},
    {CommError::TransmitBufferFull, "TRANSMIT_BUFFER_FULL"},
    {CommError::ParallelUnselected, "PARALLEL_UNSELECTED"},
    {CommError::ParallelTimeout, "PARALLEL_TIMEOUT"},
    {CommError::PaperEmpty, "PAPER_EMPTY"},
    {CommError::UnexpectedCharacter, "UNEXPECTED_CHARACTER"},
    {CommError::BadReplySize, "BAD_REPLY_SIZE"},
    {CommError::NoStx, "NO_STX"},
    {CommError::NoEtx, "NO_ETX"},
    {CommError::InvalidCharacter, "INVALID_CHARACTER"},
    {CommError::ChecksumMismatch, "CHECKSUM_MISMATCH"},
    {CommError::IllegalMessageSize, "ILLEGAL_MESSAGE_SIZE"},
    {CommError::TooLongMessage, "TOO_LONG_MESSAGE"},
};

}  // namespace CommErrors
