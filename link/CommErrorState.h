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

  // Whether a refused exchange's callers are unwinding (the port knows; a bare record never is).
  virtual bool Refusing() const { return false; }

 private:
  CommError lastError_ = CommError::NoError;
};
