// Menu sizes. Size index k = 1..12 names digits = 16384 * 2^(k - 1), i.e. 2^14 .. 2^25 decimal
// digits; menu command 100 + k selects it, and slot k - 1 of best_times holds its best time.
#pragma once
#include <cstdint>

constexpr int size_count = 12;
constexpr int first_size_command = 101;  // 2^14 digits
constexpr int last_size_command = 112;   // 2^25 digits

int32_t digits_of_size_index(int index);  // 1..12 -> 16384 .. 33554432
int32_t digits_of_command(int command);   // 101..112 -> 2^(command - 87)

// The size index of a digit count: 16384 -> 1, doubling per index; counts below 32768 give 1.
int size_index_of_digits(int32_t digits);

// Exact size of the pi.txt that a run of D digits writes with CR LF line ends: the header "PI=3."
// and an empty line, lines of five ten-digit groups with an empty line after every thousand
// digits, the tail of fewer than 100 digits, and the final line end (18388 bytes for 2^14 digits).
uint64_t pi_file_bytes(int32_t digits);
