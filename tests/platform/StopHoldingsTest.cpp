// What the stop handlers find to release: the port held last, a file name whole or not at all, and
// the note written out whole through short writes, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/StopHoldings.h"
#include "platform/StopSignals.h"

TEST(StopHoldings, TheHandlerTakesThePortHeldLastOnceUnlessItWasReleased) {
  const intptr_t none = StopHoldings::NoPort;
  const struct {
    intptr_t first, second, released, taken;
  } cases[] = {{none, 7, none, 7}, {none, 7, 7, none}, {none, 7, 8, 7}, {7, 9, 7, 9}, {none, 0, none, 0}};
  for (const auto& c : cases) {
    StopSignals::HoldPort(c.first);
    StopSignals::HoldPort(c.second);
    StopSignals::ReleasePort(c.released);
    EXPECT_EQ(StopHoldings::TakePort(), c.taken) << c.second << " released " << c.released;
    EXPECT_EQ(StopHoldings::TakePort(), none);
  }
}

template <typename Char>
class HeldNameTest : public ::testing::Test {};
using NameChars = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(HeldNameTest, NameChars);

TYPED_TEST(HeldNameTest, ANameIsHeldWholeOrNotAtAllAndTakenOnce) {
  using Name = std::basic_string<TypeParam>;
  const size_t capacity = StopHoldings::HeldName<TypeParam>::Capacity;
  auto held = std::make_unique<StopHoldings::HeldName<TypeParam>>();
  held->Hold(Name(capacity - 1, 'a'));
  ASSERT_NE(held->Take(), nullptr);
  EXPECT_EQ(held->Take(), nullptr);
  // One that does not fit leaves nothing held, not the name before it, which may be renamed over.
  held->Hold(Name(3, 'c'));
  held->Hold(Name(capacity, 'd'));
  EXPECT_EQ(held->Take(), nullptr);
}

TEST(StopHoldings, TheNoteIsWrittenWholeThroughShortWritesOnceAndStopsAtAFailure) {
  const struct {
    long chunk, failure;
    int failingCall;
    size_t written;
  } cases[] = {{4096, -1, 99, 1024}, {100, -1, 99, 1024}, {100, -1, 3, 300}, {100, 0, 2, 200}};
  for (const auto& c : cases) {
    StopSignals::SetStopNote(std::string(1500, 'n'));
    std::string out;
    int calls = 0;
    const auto write = [&](const char* data, size_t length) {
      if (calls++ == c.failingCall) return c.failure;
      out.append(data, std::min<size_t>(length, c.chunk));
      return std::min<long>(static_cast<long>(length), c.chunk);
    };
    StopHoldings::WriteNote(write);
    EXPECT_EQ(out, std::string(c.written, 'n')) << c.chunk << " a write, failing at call " << c.failingCall;
    calls = 0;
    StopHoldings::WriteNote(write);
    EXPECT_EQ(calls, 0) << "written once";
  }
}
