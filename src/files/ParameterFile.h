// The parameter file: eight CR LF lines, the divider ratio and then the positions
// of Umin, Umax, Igyors, Inormal, Thiszt, Tkarbantarto and Minta, all in
// signed-blank form. Reading and writing work on bytes only; the commands do the
// file system and the window.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltander {

inline constexpr int kPositionLines = 7;

// Positions in file order (Umin, Umax, Igyors, Inormal, Thiszt, Tkarbantarto,
// Minta), -1 for no selection.
using FilePositions = std::array<int, kPositionLines>;

// A real parameter file is well under a hundred bytes and only its first eight
// lines are read, so the commands read at most this much and treat anything beyond
// as not there: a file of a million lines or one endless line costs no more than
// this to open.
inline constexpr std::size_t kMaxParameterFileBytes = 64 * 1024;

std::string WriteParameterFile(float ratio, const FilePositions& positions);

// What a file yields, line by line, up to the first failure.
struct ParameterFileRead {
  // Line 1, when it was there and the ratio and the steps built from it fit a
  // single-precision float.
  std::optional<float> ratio;
  // The positions read before any failure, in file order.
  std::vector<int> positions;
  // A FileError: 62 when a line is missing, 6 when a number does not fit, 380 when
  // a position lies outside its list; 0 when all eight lines were good.
  int error = 0;
};

// entryCounts: the number of entries of each list, in file order; a position must
// lie in -1 .. count - 1.
ParameterFileRead ReadParameterFile(std::string_view bytes, const FilePositions& entryCounts);

}  // namespace voltander
