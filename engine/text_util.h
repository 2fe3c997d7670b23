// Small text and number helpers shared by the script functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"

namespace tora {

// Splits at every separator byte. An empty text gives no items; otherwise
// every piece between separators (empty ones included) and the piece after
// the last separator. The second byte of a GBK character never splits; a
// stray lead byte before a separator does not swallow it.
std::vector<std::string> SplitString(const std::string& text, char separator);

// A double truncated toward zero into 32 bits; NaN gives 0 and values out of
// range are clamped.
int32_t TruncToInt32(double value);

// Seconds from script text (a Lua number) to milliseconds: converted to
// single precision, multiplied by 1000 in single precision, truncated.
int32_t SecondsToMs(double seconds);

// A pause field of an action-table row: a leading decimal number of seconds,
// times 1000, rounded to single precision, truncated toward zero.
int32_t PauseFieldToMs(const std::string& field);

// Leading-integer parse like atoi: blanks skipped, optional sign, digits up to
// the first other byte; no digits gives 0; overflow clamps.
int32_t LeadingInt(const std::string& text);

// Leading decimal number like atof ("" and non-numbers give 0).
double LeadingNumber(const std::string& text);

// The name in a link of 重复动作 such as 窗口操作(名字) or 找颜色点条件(名字):
// what stands between the first "(" and the last character; without a "("
// everything but the last character.
std::string InnerName(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);

// printf into a string of whatever length the result needs.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Wrap-safe tick comparisons: tick counts wrap after 49.7 days, so they are
// compared by their difference, never by their values.
inline bool TickBefore(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) < 0; }
// A task or rule never run yet holds 0 and is due at once, also when the
// tick counter stands past half its range (where 0 would compare as future).
inline bool TickDue(uint32_t now, uint32_t next) { return next == 0 || !TickBefore(now, next); }
// The tick interval milliseconds after now (a negative interval counts as 0).
inline uint32_t TickAfter(uint32_t now, int32_t interval) {
  return now + static_cast<uint32_t>(interval > 0 ? interval : 0);
}

}  // namespace tora
