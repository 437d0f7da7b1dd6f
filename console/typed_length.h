// The length of pi as the user typed it, on the command line or at the prompt. One reader of
// decimal digits with the suffixes K and M for both, saturating so that no typed number can wrap around, and one refusal of
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

// "invalid number of digits: '1G' (use a number, optionally with K or M)": the refusal of a text
// that parse_length does not read (no line end).
std::string invalid_length_text(const char* text);

// The prompt's answer: white space and line ends skipped, then one word up to the next white space
// or the end of input, which stays unread. Returns false when the input ends before a word. The
// word is then read by parse_length, as DIGITS is on the command line.
bool read_length_word(std::FILE* in, std::string* word);

// "length 2048M refused: the largest length is 268435456 digits" (no line end) when the length is
// above the largest size a program offers; "" when it is not. A text of more than 64 characters is
// cut to its first 60 and "...".
std::string length_refusal(const typed_length& length);
