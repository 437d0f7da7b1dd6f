// The length of pi as the user typed it, on the command line or at the prompt. One reader of
// decimal digits for both, saturating so that no typed number can wrap around, and one refusal of
// the lengths above the largest size, naming the length as it was typed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

struct typed_length {
  std::string text;  // as typed: "1M", "-5", "99999999999999999999999"
  long long value;   // its value; any value above 2^40 reads as 2^40 (refused like every one above 2^28)
};

// The command line's DIGITS: decimal digits and an optional suffix K (x 2^10) or M (x 2^20),
// either case, nothing else. Returns false for anything else (empty, sign, other suffix, trailing
// characters).
bool parse_length(const char* text, typed_length* length);

// The prompt's answer, read as "%d" reads: white space and line ends skipped, an optional sign and
// decimal digits; what follows stays unread. Returns false when no digit was found.
bool read_length(std::FILE* in, typed_length* length);

// "length 2048M refused: the largest length is 268435456 digits" (no line end) when the length is
// above the largest size a program offers; "" when it is not. A text of more than 64 characters is
// cut to its first 60 and "...".
std::string length_refusal(const typed_length& length);
