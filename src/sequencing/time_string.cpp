// time_string.cpp -- the time-text rule shared by the timeline and the keyframe reader.
#include "sequencing/time_string.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace MorlenGL {

namespace {

int64_t Saturate(int64_t v) {
  return std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max());
}

}  // namespace

int32_t ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{1} << 32);
  return static_cast<int32_t>(Saturate(negative ? -value : value));
}

int32_t ParseTimeString(std::string_view text) {
  // Kept in 64 bits and saturated, so absurd texts cannot overflow.
  int64_t value = 0;
  size_t bufferStart = 0;  // the buffer is text[bufferStart, i)
  for (size_t i = 0; i < text.size(); ++i) {
    std::string_view buffer = text.substr(bufferStart, i - bufferStart);
    if (text[i] == ':') {
      value = Saturate(int64_t{ParseLeadingInt(buffer)} * 60);  // replaces, not adds
      bufferStart = i + 1;
    } else if (text[i] == '.') {
      value = Saturate((value + ParseLeadingInt(buffer)) * 100);
      bufferStart = i + 1;
    } else if (i + 1 == text.size()) {
      value = Saturate(value + ParseLeadingInt(text.substr(bufferStart)));
      bufferStart = i + 1;
    }
  }
  return static_cast<int32_t>(value);  // the buffer is always empty here: nothing left to add
}

}  // namespace MorlenGL
