// "Did you mean" hints: the distance between two texts and the nearest of a list.
#pragma once

#include <string>
#include <vector>

// Edits (insert, delete, replace one character, or swap two neighbours) that turn a into b;
// ASCII letter case is ignored when `ignoreCase` is set.
std::size_t editDistance(const std::string& a, const std::string& b, bool ignoreCase);

// The index of the candidate nearest to `text` within `limit` edits (the first one on a tie);
// -1 when none is that near. An exact match (distance 0) is not a hint and is skipped.
int nearestOf(const std::string& text, const std::vector<std::string>& candidates,
              std::size_t limit, bool ignoreCase);
