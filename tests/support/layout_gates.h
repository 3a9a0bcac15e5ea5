// The data versions at which the layout of a byte builder changes, for the tests that every
// version gate of a loader sits where the file layout has it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Every version g in (first, last] whose bytes differ from those of g − 1 gives the pair
// {g − 1, g}; first and last are included. Sorted, each version once. A gate of the loader
// moved by one version then reads one of the two versions of its pair in the wrong layout.
std::vector<int> LayoutGateVersions(const std::function<std::string(int)>& bytesOf, int first, int last);

// The int32 field count at the start of a record body.
int32_t StoredFieldCount(const std::string& body);
