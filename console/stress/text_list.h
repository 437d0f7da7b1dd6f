// "a", "a and b", "a, b and c": the items of a stress test's lines, each as `text` writes it.
#pragma once
#include <string>
#include <vector>

template <class T, class Text>
std::string listed(const std::vector<T>& items, Text text) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i)
    out += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + std::string(text(items[i]));
  return out;
}

inline std::string listed(const std::vector<std::string>& items) {
  return listed(items, [](const std::string& item) { return item; });
}
