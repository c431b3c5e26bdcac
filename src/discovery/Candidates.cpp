#include "discovery/Candidates.h"

#include <algorithm>
#include <map>

#include "common/SignedBlank.h"
#include "discovery/SearchTexts.h"

namespace voltander {

namespace {

constexpr const char* kLineBreak = "\r\n";

// The device's own node where it is known, so a link and its target meet.
std::string NodeOf(const std::string& path, const std::string& resolved) {
  return resolved.empty() ? path : resolved;
}

std::string About(const SerialDeviceInfo& d) {
  std::string text = d.description;
  if (!d.manufacturer.empty()) text += (text.empty() ? "" : ", ") + d.manufacturer;
  return text;
}

const char* Reason(ProbeOutcome o) {
  switch (o) {
    case ProbeOutcome::Busy:
      return kReasonBusy;
    case ProbeOutcome::NoAccess:
      return kReasonNoAccess;
    case ProbeOutcome::NoAnswer:
      return kReasonNoAnswer;
    case ProbeOutcome::BadFrame:
      return kReasonBadFrame;
    case ProbeOutcome::Missing:
      return kReasonMissing;
    case ProbeOutcome::Failed:
    case ProbeOutcome::Answered:
      break;
  }
  return kReasonFailed;
}

}  // namespace

std::vector<Candidate> CollectCandidates(const std::vector<SerialDeviceInfo>& devices,
                                         const std::vector<RegisteredLink>& links) {
  std::map<int, const RegisteredLink*> byNumber;
  for (const RegisteredLink& l : links) {
    if (l.number >= 1 && l.number <= kLastPortNumber) byNumber.emplace(l.number, &l);
  }
  // The lowest link number naming each node; ascending order makes the first win.
  std::map<std::string, int> linkForNode;
  for (const auto& [number, link] : byNumber) {
    if (!link->resolved.empty()) linkForNode.emplace(link->resolved, number);
  }

  std::vector<Candidate> out;
  std::map<std::string, bool> seen;
  for (const SerialDeviceInfo& d : devices) {
    const std::string node = NodeOf(d.path, d.resolved);
    if (!seen.emplace(node, true).second) continue;
    int comm = 0;
    if (const auto it = linkForNode.find(node); it != linkForNode.end()) {
      comm = it->second;
    } else if (const int standard = StandardCommNumber(node); !byNumber.count(standard)) {
      comm = standard;
    }
    out.push_back({d.path, d.resolved, comm, About(d)});
  }
  for (const auto& [number, link] : byNumber) {
    if (!link->resolved.empty() && !seen.emplace(link->resolved, true).second) continue;
    out.push_back({link->path, link->resolved, number, ""});
  }
  std::stable_sort(out.begin(), out.end(), [](const Candidate& a, const Candidate& b) {
    const int ka = a.comm == 0 ? kLastPortNumber + 1 : a.comm;
    const int kb = b.comm == 0 ? kLastPortNumber + 1 : b.comm;
    return ka != kb ? ka < kb : a.path < b.path;
  });
  return out;
}

int FirstFreeLinkNumber(const std::vector<RegisteredLink>& links) {
  for (int n = kFirstLinkNumber; n <= kLastPortNumber; ++n) {
    if (std::none_of(links.begin(), links.end(),
                     [n](const RegisteredLink& l) { return l.number == n; })) {
      return n;
    }
  }
  return 0;
}

std::optional<ProbeOutcome> JudgeReply(const std::vector<std::uint8_t>& bytes, bool windowClosed) {
  constexpr std::size_t kFrameLength = 10;
  const bool badStart = !bytes.empty() && bytes.front() != 'S';
  if (badStart || bytes.size() > kFrameLength) return ProbeOutcome::BadFrame;
  if (bytes.size() == kFrameLength) {
    return bytes.back() == 'T' ? ProbeOutcome::Answered : ProbeOutcome::BadFrame;
  }
  if (!windowClosed) return std::nullopt;
  return bytes.empty() ? ProbeOutcome::NoAnswer : ProbeOutcome::BadFrame;
}

std::string CandidateName(const Candidate& c) {
  std::string name =
      c.comm == 0 ? std::string(kSearchNewPort) : "Comm" + SignedBlank(std::int64_t{c.comm});
  name += ": " + c.path;
  if (!c.about.empty()) name += " (" + c.about + ")";
  return name;
}

std::string ConfirmationText(const std::vector<Candidate>& candidates) {
  std::string text = kSearchAsk;
  for (const Candidate& c : candidates) text += kLineBreak + CandidateName(c);
  return text + kLineBreak + kSearchWarning + kLineBreak + kSearchQuestion;
}

std::string FailureReport(const std::vector<Candidate>& candidates,
                          const std::vector<ProbeOutcome>& outcomes) {
  std::string text = kSearchNoController;
  bool noAccess = false;
  for (std::size_t i = 0; i < candidates.size() && i < outcomes.size(); ++i) {
    text += kLineBreak + CandidateName(candidates[i]) + " - " + Reason(outcomes[i]);
    noAccess = noAccess || outcomes[i] == ProbeOutcome::NoAccess;
  }
  if (noAccess) text += kLineBreak + std::string(kDialoutHint);
  return text;
}

}  // namespace voltander
