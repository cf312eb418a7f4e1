// The record of the last communication error, shared by the port and the parameter set.
#pragma once

#include <string>

#include "link/CommError.h"

class CommErrorState {
 public:
  virtual ~CommErrorState() = default;

  // Stores code (unless it is the pass-through code 1) and returns the negative of the stored code.
  // While a refused exchange's callers unwind, stores nothing and returns the refusal instead.
  int32_t Fail(CommError code);

  CommError LastError() const { return lastError_; }

  // The operator message for a code: its text inside "ERROR - %1".
  static std::string ErrorText(CommError code);
  std::string LastErrorText() const { return ErrorText(lastError_); }

  // True from a refused exchange until the wait that the refused request came from goes on: its
  // callers pass the refusal up and show nothing, and the running exchange's record stays its own.
  bool Refusing() const { return refusing_; }

 protected:
  int32_t Refuse() {
    refusing_ = true;
    return -CommErrors::Refused;
  }
  void EndRefusal() { refusing_ = false; }

 private:
  CommError lastError_ = CommErrors::NoError;
  bool refusing_ = false;
};
