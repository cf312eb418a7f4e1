// The last-error record and the operator texts of the error codes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/CommErrorState.h"

TEST(CommErrorState, PassThroughKeepsTheStoredCode) {
  CommErrorState state;
  EXPECT_EQ(state.Fail(CommErrors::PassThrough), 0);
  EXPECT_EQ(state.LastErrorText(), "ERROR - OK, No error present!");
  EXPECT_EQ(state.Fail(CommErrors::IllegalMessageSize), -26);
  EXPECT_EQ(state.Fail(CommErrors::PassThrough), -26);
  EXPECT_EQ(state.LastError(), 26);
  EXPECT_EQ(state.Fail(CommErrors::Timeout), -5);
  EXPECT_EQ(state.LastError(), 5);
}

TEST(CommErrorState, TextsAsTheOperatorSeesThem) {
  EXPECT_EQ(CommErrorState::ErrorText(5), "ERROR - Communication time out detected.\nCheck the connection.");
  EXPECT_EQ(CommErrorState::ErrorText(4), "ERROR - Can not open communciation port.");
  EXPECT_EQ(CommErrorState::ErrorText(25), "ERROR - Check sum code mismatched in received data from camera unit.");
  // Codes 26 and 27 skip the id of the frame text.
  EXPECT_EQ(CommErrorState::ErrorText(26), "ERROR - Illegal message size of transmission data. ");
  EXPECT_EQ(CommErrorState::ErrorText(27), "ERROR - Too long message received.");
  EXPECT_EQ(CommErrorState::ErrorText(28), "ERROR - This should be a software error.");
  EXPECT_EQ(CommErrorState::ErrorText(-3), "ERROR - This should be a software error.");
}

TEST(CommErrorState, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  for (int code = 0; code <= CommErrors::Last; ++code) {
    std::string text = CommErrorState::ErrorText(code);
    EXPECT_GT(text.size(), std::string("ERROR - ").size()) << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<size_t>(CommErrors::Last + 1));
}

TEST(CommErrorState, IsOneRecordWhenSharedAsVirtualBase) {
  struct Port : virtual CommErrorState {};
  struct Store : virtual CommErrorState {};
  struct Set : Store, Port {};
  Set set;
  static_cast<Port&>(set).Fail(CommErrors::NoEtx);
  EXPECT_EQ(static_cast<Store&>(set).Fail(CommErrors::PassThrough), -23);
}
