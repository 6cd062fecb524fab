// time_string.h -- "minutes:seconds.hundredths" texts to hundredths of a second.
#pragma once
#include <cstdint>
#include <string_view>

namespace MorlenGL {

// "1:20.001" -> 8001. Digits after the point count whole hundredths however many
// there are (".01" and ".001" are both 1); a text without a point is not scaled
// ("1:20" -> 80). Non-numeric parts count 0; results beyond 32 bits saturate.
int32_t ParseTimeString(std::string_view text);

// The integer conversion the rule uses: leading blanks, an optional sign, then
// digits up to the first other character; no digits gives 0; saturates at 32 bits.
int32_t ParseLeadingInt(std::string_view text);

}  // namespace MorlenGL
