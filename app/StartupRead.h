// The start-up read of every parameter, on a thread of its own while the windows' thread builds the
// main window, and its messages told on the windows' thread once it is over.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "camera/CameraParameterSet.h"
#include "link/WaitObserver.h"

class StartupRead {
 public:
  // Starts the read. Until Finish the port is the read's alone: the caller reaches neither the
  // parameter set nor its port, and the port's observer and operator output, which belong to the
  // windows' thread, are taken off it and hear nothing from the read's thread.
  StartupRead(CameraParameterSet& parameters, WaitObserver* observer);
  // Finishes, if the caller has not: no read outlives its start-up.
  ~StartupRead();
  StartupRead(const StartupRead&) = delete;
  StartupRead& operator=(const StartupRead&) = delete;

  // Waits for the read, gives the port back its observer and output, tells the output what the
  // read told the operator, in its order, and shows a failure's message as UploadAll does. The
  // read's result.
  int32_t Finish();

 private:
  class HeldOutput;
  void GiveBack();

  CameraParameterSet& parameters_;
  WaitObserver* observer_;
  OperatorOutput& output_;
  std::unique_ptr<HeldOutput> held_;
  std::thread thread_;
  bool onThisThread_ = false;
  bool finished_ = false;
  int32_t result_ = 0;
};
