// What a field must hold to stand in the script as the number or position it
// says. Numbers written without quotes must read as exactly one number; the
// ones inside a row's fields must not bring a comma of their own.
#pragma once

#include <string>

namespace tora {

// Seconds as the script writes them: digits with at most one decimal point
// ("3", "0.5", ".5", "3."); no sign, exponent or blank.
bool IsSeconds(const std::string& text);

// An optional minus and 1 to 9 digits: a 32-bit value whatever the digits.
bool IsWholeNumber(const std::string& text);

// 1 to 9 digits.
bool IsCountNumber(const std::string& text);

// Whole numbers joined by commas, blanks around each allowed: two for a
// position "x,y", four for a rectangle "left,top,right,bottom".
bool IsWholeNumbers(const std::string& text, int count);

// The hexadecimal digits of a 32-bit colour (leading zeros aside, at most
// eight).
bool IsColourDigits(const std::string& text);

}  // namespace tora
