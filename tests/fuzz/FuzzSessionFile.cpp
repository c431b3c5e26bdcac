// Any bytes as a session file (the chart opens whatever file a user picks), fed in
// pieces of any size: the reader must never crash, must take the same whole or in
// pieces, and the frames drawn from what it read must stay a few points a column.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "history/ChartFrame.h"
#include "history/SessionReader.h"

using namespace voltander::history;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = data[0] + 1u;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  Timeline whole(64, 64), pieces(64, 64);
  SessionSummary wholeSummary, piecesSummary;
  SessionReader once(whole, wholeSummary), often(pieces, piecesSummary);
  once.feed(text);
  for (std::size_t k = 0; k < text.size(); k += piece) often.feed(text.substr(k, piece));

  if (once.complete() != often.complete() || once.complete() > text.size()) std::abort();
  if (SummaryLines(wholeSummary) != SummaryLines(piecesSummary)) std::abort();
  if (whole.empty() != pieces.empty() || whole.events().size() != pieces.events().size())
    std::abort();
  if (whole.empty()) return 0;
  for (const int columns : {1, 200}) {
    const ChartFrame a = Frame(whole, whole.first() - 1, whole.last() + 1, columns);
    const ChartFrame b = Frame(pieces, pieces.first() - 1, pieces.last() + 1, columns);
    if (a.duty.size() != b.duty.size() || a.duty.size() > 4u * columns + 2 ||
        a.dutyLow.size() > std::size_t(columns))
      std::abort();
    for (const auto& spans : a.states)
      if (spans.size() > 2u * columns + 2) std::abort();
  }
  return 0;
}
