// Helpers of the find-colour script functions (the functions themselves are
// declared with the other script functions in engine/script_context.h).
#pragma once

#include <cstdint>
#include <string>

namespace tora {

// "==", "!=", "~=", "!~" to their operator; any other text gives an operator
// without a test (kOpNone), which always matches.
int32_t ColorOpFromText(const std::string& text);

// A colour written in a script as a number: truncated toward zero and kept
// modulo 2^32; NaN, infinities and values beyond 64 bits give 0.
uint32_t ColourFromNumber(double value);

}  // namespace tora
