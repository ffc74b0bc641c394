// Edit distance (optimal string alignment) and the nearest candidate of a list.
#include "tools/qrvdevice/nearest.h"

#include <algorithm>
#include <cctype>

namespace {

char fold(char c, bool ignoreCase) {
  return ignoreCase ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
}

}  // namespace

std::size_t editDistance(const std::string& a, const std::string& b, bool ignoreCase) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      const bool same = fold(a[i - 1], ignoreCase) == fold(b[j - 1], ignoreCase);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && fold(a[i - 1], ignoreCase) == fold(b[j - 2], ignoreCase) &&
          fold(a[i - 2], ignoreCase) == fold(b[j - 1], ignoreCase)) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

int nearestOf(const std::string& text, const std::vector<std::string>& candidates,
              std::size_t limit, bool ignoreCase) {
  int best = -1;
  std::size_t bestDistance = limit + 1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    std::size_t distance = editDistance(text, candidates[i], ignoreCase);
    if (distance == 0 || distance >= bestDistance) continue;
    best = static_cast<int>(i);
    bestDistance = distance;
  }
  return best;
}
