// Failure recording and the operator texts of the communication error codes.
#include "link/CommErrorState.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"

int32_t CommErrorState::Fail(CommError code) {
  if (refusing_) return -CommErrors::Refused;
  if (code != CommErrors::PassThrough) lastError_ = code;
  return -lastError_;
}

std::string CommErrorState::ErrorText(CommError code) {
  if (code < 0 || code > CommErrors::Last) code = CommErrors::PassThrough;
  int id = code < CommErrors::IllegalMessageSize
               ? StringIds::CommErrorFirst + code
               : StringIds::CommErrorIllegalSize + (code - CommErrors::IllegalMessageSize);
  std::string text = FormatString(LoadString(id), std::string());
  return FormatString(LoadString(StringIds::ErrorFrame), text);
}
