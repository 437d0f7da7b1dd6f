#include "console/typed_length.h"

#include <algorithm>
#include <cctype>

#include "console/console_main.h"

namespace {

// Far above the largest length and far below 2^63 / 2^20, so that neither a further digit nor the
// largest suffix can overflow a saturated value.
constexpr long long length_cap = 1LL << 40;

// v <= length_cap, so v * 10 + 9 < 2^44.
long long with_digit(long long v, char digit) { return std::min(v * 10 + (digit - '0'), length_cap); }

}  // namespace

bool parse_length(const char* text, typed_length* length) {
  long long v = 0;
  const char* c = text;
  for (; *c >= '0' && *c <= '9'; ++c) v = with_digit(v, *c);
  if (c == text) return false;
  int shift = 0;
  if (*c == 'K' || *c == 'k')
    shift = 10, ++c;
  else if (*c == 'M' || *c == 'm')
    shift = 20, ++c;
  if (*c != '\0') return false;
  // v <= 2^40, so v << 20 <= 2^60.
  *length = {text, std::min(v << shift, length_cap)};
  return true;
}

std::string invalid_length_text(const char* text) {
  return std::string("invalid number of digits: '") + text + "' (use a number, optionally with K or M)";
}

bool read_length_word(std::FILE* in, std::string* word) {
  int c;
  do c = std::getc(in);
  while (c != EOF && std::isspace(c));
  word->clear();
  for (; c != EOF && !std::isspace(c); c = std::getc(in)) *word += static_cast<char>(c);
  if (c != EOF) std::ungetc(c, in);
  return !word->empty();
}

std::string length_refusal(const typed_length& length) {
  if (length.value <= largest_length) return "";
  // A pasted page of digits is named by its start.
  const std::string typed = length.text.size() <= 64 ? length.text : length.text.substr(0, 60) + "...";
  return "length " + typed + " refused: the largest length is " + std::to_string(largest_length) + " digits";
}
