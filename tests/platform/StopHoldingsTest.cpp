// What the stop handlers find to release: the port held last, a temporary file's name whole or not
// at all, and the note written out whole through however small writes, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/StopHoldings.h"
#include "platform/StopSignals.h"

namespace {

TEST(StopHoldings, TheHandlerFindsThePortHeldLastUntilItIsReleased) {
  struct Case {
    const char* name;
    std::vector<intptr_t> held;
    intptr_t released;
    intptr_t taken;
  };
  const Case cases[] = {
      {"held", {7}, StopHoldings::NoPort, 7},
      {"released", {7}, 7, StopHoldings::NoPort},
      {"another released", {7}, 8, 7},
      {"held anew", {7, 9}, StopHoldings::NoPort, 9},
      {"the earlier one released", {7, 9}, 7, 9},
      {"descriptor 0", {0}, StopHoldings::NoPort, 0},
  };
  for (const Case& c : cases) {
    (void)StopHoldings::TakePort();
    for (intptr_t port : c.held) StopSignals::HoldPort(port);
    StopSignals::ReleasePort(c.released);
    EXPECT_EQ(StopHoldings::TakePort(), c.taken) << c.name;
    EXPECT_EQ(StopHoldings::TakePort(), StopHoldings::NoPort) << c.name << ": taken once";
  }
}

template <typename Char>
class HeldNameTest : public ::testing::Test {};
using NameChars = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(HeldNameTest, NameChars);

TYPED_TEST(HeldNameTest, ANameIsHeldWholeOrNotAtAllAndTakenOnce) {
  using Name = std::basic_string<TypeParam>;
  constexpr size_t capacity = StopHoldings::HeldName<TypeParam>::Capacity;
  auto held = std::make_unique<StopHoldings::HeldName<TypeParam>>();
  const Name longest(capacity - 1, TypeParam('a'));
  held->Hold(longest);
  ASSERT_NE(held->Take(), nullptr);
  held->Hold(Name(3, TypeParam('b')));
  const TypeParam* taken = held->Take();
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(Name(taken), Name(3, TypeParam('b'))) << "a shorter name ends where it does";
  EXPECT_EQ(held->Take(), nullptr) << "taken once";

  // One that does not fit leaves nothing held, not the name before it: that file may be renamed over.
  held->Hold(Name(3, TypeParam('c')));
  held->Hold(Name(capacity, TypeParam('d')));
  EXPECT_EQ(held->Take(), nullptr);

  held->Hold(Name(3, TypeParam('e')));
  held->Release();
  EXPECT_EQ(held->Take(), nullptr);
}

// A writer that takes at most `chunk` bytes a call and fails once it has been called `calls` times.
struct Writer {
  size_t chunk;
  int calls;
  long failure;
  std::string out;
  int made = 0;
  long operator()(const char* data, size_t length) {
    if (made++ == calls) return failure;
    const size_t n = std::min(length, chunk);
    out.append(data, n);
    return static_cast<long>(n);
  }
};

TEST(StopHoldings, TheNoteIsWrittenWholeThroughShortWritesAndStopsAtAFailure) {
  const std::string note(1500, 'n');
  const std::string kept(1024, 'n');
  struct Case {
    const char* name;
    size_t chunk;
    int calls;
    long failure;
    std::string expected;
    int made;
  };
  const Case cases[] = {
      {"one write", 4096, 1, -1, kept, 1},
      {"short writes", 100, 100, -1, kept, 11},
      {"a failure", 100, 3, -1, std::string(300, 'n'), 4},
      {"a write that takes nothing", 100, 2, 0, std::string(200, 'n'), 3},
  };
  for (const Case& c : cases) {
    StopSignals::SetStopNote(note);
    Writer writer{c.chunk, c.calls, c.failure, {}};
    StopHoldings::WriteNote([&writer](const char* data, size_t length) { return writer(data, length); });
    EXPECT_EQ(writer.out, c.expected) << c.name;
    EXPECT_EQ(writer.made, c.made) << c.name;

    Writer again{4096, 1, -1, {}};
    StopHoldings::WriteNote([&again](const char* data, size_t length) { return again(data, length); });
    EXPECT_EQ(again.made, 0) << c.name << ": the note is written once";
  }
  StopSignals::SetStopNote("");
}

}  // namespace
