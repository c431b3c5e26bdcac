#include "discovery/ControllerSearch.h"

#include "controls/Controls.h"
#include "discovery/Candidates.h"
#include "discovery/SearchTexts.h"

namespace voltander {

ControllerSearch::ControllerSearch(ListBox& portok, SerialPort& port, Timer& timer,
                                   Dialogs& dialogs, PortSearch& search)
    : Portok_(portok), port_(port), timer_(timer), dialogs_(dialogs), search_(search) {}

void ControllerSearch::restore(int previous) {
  // Selecting runs the list's own handler, which re-opens the port and restarts
  // polling; with no previous choice nothing was open and nothing polls.
  Portok_.select(previous);
}

// The link's port was never touched: closing and opening it again could reset the
// board, so only the polling the search paused comes back.
void ControllerSearch::resume(bool polling) {
  if (polling) timer_.setEnabled(true);
}

void ControllerSearch::KKereses_Click() {
  const int previous = Portok_.selected();
  const bool polling = timer_.enabled();
  timer_.setEnabled(false);

  const std::vector<RegisteredLink> links = search_.registeredLinks();
  const std::vector<Candidate> candidates = CollectCandidates(search_.systemDevices(), links);
  if (candidates.empty()) {
    dialogs_.message(kSearchNoDevice, Buttons::Ok, Icon::Exclamation);
    resume(polling);
    return;
  }
  // Opening a port can reset some boards, so nothing is sent before the user agrees.
  if (dialogs_.message(ConfirmationText(candidates), Buttons::YesNo, Icon::Question) !=
      Answer::Yes) {
    resume(polling);
    return;
  }

  // The link's own port holds its device; it lets go so that device is asked too.
  if (port_.isOpen()) port_.close();
  std::vector<std::string> paths;
  for (const Candidate& c : candidates) paths.push_back(c.path);
  const ProbeRun run = search_.probe(paths);
  if (run.cancelled) {
    restore(previous);
    return;
  }

  std::vector<std::size_t> answered;
  for (std::size_t i = 0; i < run.outcomes.size() && i < candidates.size(); ++i) {
    if (run.outcomes[i] == ProbeOutcome::Answered) answered.push_back(i);
  }
  if (answered.empty()) {
    dialogs_.message(FailureReport(candidates, run.outcomes), Buttons::Ok, Icon::Exclamation);
    restore(previous);
    return;
  }

  std::size_t pick = answered.front();
  if (answered.size() > 1) {
    std::vector<std::string> names;
    for (std::size_t i : answered) names.push_back(CandidateName(candidates[i]));
    const int chosen = search_.choose(kSearchChoose, names);
    if (chosen < 0 || chosen >= static_cast<int>(answered.size())) {
      restore(previous);
      return;
    }
    pick = answered[static_cast<std::size_t>(chosen)];
  }

  int comm = candidates[pick].comm;
  if (comm == 0) {
    comm = FirstFreeLinkNumber(links);
    if (comm == 0 || !search_.registerLink(comm, candidates[pick].path)) {
      dialogs_.message(kSearchLinkFailed, Buttons::Ok, Icon::Critical);
      restore(previous);
      return;
    }
  }
  Portok_.select(comm - 1);
}

}  // namespace voltander
