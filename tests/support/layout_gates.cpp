#include "support/layout_gates.h"

#include <cstring>
#include <set>

std::vector<int> LayoutGateVersions(const std::function<std::string(int)>& bytesOf, int first, int last) {
  std::set<int> versions = {first, last};
  std::string before = bytesOf(first);
  for (int v = first + 1; v <= last; ++v) {
    std::string bytes = bytesOf(v);
    if (bytes != before) {
      versions.insert(v - 1);
      versions.insert(v);
    }
    before = std::move(bytes);
  }
  return {versions.begin(), versions.end()};
}

int32_t StoredFieldCount(const std::string& body) {
  int32_t n = -1;
  if (body.size() >= sizeof n) std::memcpy(&n, body.data(), sizeof n);
  return n;
}
