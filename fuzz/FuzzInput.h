// Takes typed pieces off a fuzzer's input, as a reader that never runs past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return offset_ >= size_; }
  uint8_t Byte() { return Empty() ? 0 : data_[offset_++]; }
  // A text up to the next zero byte (or the end).
  std::string Text() {
    std::string text;
    while (!Empty()) {
      char c = static_cast<char>(data_[offset_++]);
      if (c == '\0') break;
      text += c;
    }
    return text;
  }
  std::vector<uint8_t> Rest() {
    std::vector<uint8_t> rest(data_ + offset_, data_ + size_);
    offset_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

// Stops the run at once: a broken promise is a finding, whichever build finds it.
#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      __builtin_printf("check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      __builtin_trap();                                                               \
    }                                                                                 \
  } while (0)
