// Failure recording and the operator texts of the communication error codes.
#include "link/CommErrorState.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"

int32_t CommErrorState::Fail(CommError code) {
  if (Refusing()) return -CommError::Refused;
  if (code != CommError::PassThrough) lastError_ = code;
  return -lastError_;
}

std::string CommErrorState::ErrorText(CommError code) {
  int number = CommErrors::Number(code);
  if (number < 0 || number > CommErrors::Number(CommErrors::Last)) number = CommErrors::Number(CommError::PassThrough);
  const int illegalSize = CommErrors::Number(CommError::IllegalMessageSize);
  int id = number < illegalSize ? StringIds::CommErrorFirst + number
                                : StringIds::CommErrorIllegalSize + (number - illegalSize);
  std::string text = FormatString(LoadString(id), std::string());
  return FormatString(LoadString(StringIds::ErrorFrame), text);
}
