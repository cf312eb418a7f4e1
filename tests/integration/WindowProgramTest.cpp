// The windowed program as a user starts it from a shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/RunProgram.h"

// Where there is no display the toolkit would abort the process with a long hint; the program says
// so itself, in one line, and ends with status 1.
TEST(WindowProgram, WithoutADisplayItSaysSoInOneLine) {
  auto run = RunProgram("/usr/bin/env",
                        {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", VQ_WINDOW_PROGRAM});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.rfind("vq-r310ntx: no display", 0), 0u) << run.err;
  EXPECT_TRUE(run.out.empty());
}
