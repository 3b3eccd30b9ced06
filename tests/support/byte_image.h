// Byte images of fixed records for wire-format tests: copy a record out, build the expected image
// byte by byte, and compare with a report of where the bytes differ.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
Bytes ImageOf(const T& record) {
  Bytes image(sizeof(T));
  std::memcpy(image.data(), &record, sizeof(T));
  return image;
}

inline void Put(Bytes& image, std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
  ASSERT_LE(offset + bytes.size(), image.size());
  std::memcpy(image.data() + offset, std::data(bytes), bytes.size());
}

inline void PutText(Bytes& image, std::size_t offset, const std::string& text) {
  ASSERT_LE(offset + text.size(), image.size());
  std::memcpy(image.data() + offset, text.data(), text.size());
}

// Lists the first differing bytes, so a shifted field shows where it went.
inline void ExpectSameImage(const Bytes& expected, const Bytes& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  int reported = 0;
  for (std::size_t i = 0; i < expected.size() && reported < 20; ++i) {
    if (expected[i] != actual[i]) {
      ADD_FAILURE() << "byte " << i << ": expected 0x" << std::hex << int{expected[i]} << ", got 0x"
                    << int{actual[i]} << std::dec;
      ++reported;
    }
  }
}

}  // namespace testsupport
