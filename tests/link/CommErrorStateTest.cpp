// The last-error record and the operator texts of the error codes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "link/CommErrorState.h"

TEST(CommErrorState, PassThroughKeepsTheStoredCode) {
  CommErrorState state;
  EXPECT_EQ(state.Fail(CommError::PassThrough), 0);
  EXPECT_EQ(state.LastErrorText(), "ERROR - OK, No error present!");
  EXPECT_EQ(state.Fail(CommError::IllegalMessageSize), -26);
  EXPECT_EQ(state.Fail(CommError::PassThrough), -26);
  EXPECT_EQ(state.LastError(), CommError::IllegalMessageSize);
  EXPECT_EQ(state.Fail(CommError::Timeout), -5);
  EXPECT_EQ(state.LastError(), CommError::Timeout);
}

TEST(CommErrorState, TextsAsTheOperatorSeesThem) {
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(5)), "ERROR - Communication time out detected.\nCheck the connection.");
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(4)), "ERROR - Can not open communciation port.");
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(25)), "ERROR - Check sum code mismatched in received data from camera unit.");
  // Codes 26 and 27 skip the id of the frame text.
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(26)), "ERROR - Illegal message size of transmission data. ");
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(27)), "ERROR - Too long message received.");
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(28)), "ERROR - This should be a software error.");
  EXPECT_EQ(CommErrorState::ErrorText(static_cast<CommError>(-3)), "ERROR - This should be a software error.");
}

TEST(CommErrorState, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  for (int code = 0; code <= CommErrors::Number(CommErrors::Last); ++code) {
    std::string text = CommErrorState::ErrorText(static_cast<CommError>(code));
    EXPECT_GT(text.size(), std::string("ERROR - ").size()) << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<size_t>(CommErrors::Number(CommErrors::Last) + 1));
}

// Scripts see the line's failures by these names: each code from 2 to 27 once, in order, and no name twice.
TEST(CommErrorState, EveryLineFailureHasOneName) {
  std::set<std::string_view> names;
  int expected = CommErrors::Number(CommError::InvalidPortNumber);
  for (const CommErrors::Named& named : CommErrors::Names) {
    EXPECT_EQ(CommErrors::Number(named.code), expected++) << named.name;
    EXPECT_TRUE(names.insert(named.name).second) << named.name;
  }
  EXPECT_EQ(expected, CommErrors::Number(CommErrors::Last) + 1);
  EXPECT_EQ(CommErrors::FromResult(-5), CommError::Timeout);
  EXPECT_EQ(CommErrors::FromResult(-CommError::Refused), CommError::Refused);
  EXPECT_EQ(CommErrors::FromResult(0), CommError::PassThrough);
  EXPECT_EQ(CommErrors::FromResult(-28), CommError::PassThrough);
}
