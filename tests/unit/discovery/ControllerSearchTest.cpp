// The controller search's rules against a scripted system: which devices are asked
// under which number, how answers are judged, and that every way out leaves the
// port list as a user's choice would.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "discovery/Candidates.h"
#include "discovery/ControllerSearch.h"
#include "discovery/SearchTexts.h"
#include "fakes/Fakes.h"

namespace voltander::test {
namespace {

TEST(Candidates, BuiltInFamiliesNumberFromOneThirtyTwoApart) {
  const std::pair<const char*, int> cases[] = {
      {"/dev/ttyS0", 1},     {"/dev/ttyS31", 32},   {"/dev/ttyS32", 0},    {"/dev/ttyUSB0", 33},
      {"/dev/ttyUSB31", 64}, {"/dev/ttyACM0", 65},  {"/dev/ttyACM31", 96}, {"/dev/ttyACM", 0},
      {"/dev/ttyUSB01", 0},  {"/dev/ttyUSB1x", 0},  {"/dev/ttyAMA0", 0},   {"/dev/pts/3", 0},
      {"/tmp/dev/ttyS1", 0}, {"/dev/ttyUSB100", 0},
  };
  for (const auto& [path, n] : cases) EXPECT_EQ(StandardCommNumber(path), n) << path;
}

TEST(Candidates, LinksNameTheirDevicesAndShadowTheBuiltInNumber) {
  const std::vector<SerialDeviceInfo> devices = {
      {"/dev/ttyUSB0", "/dev/ttyUSB0", "FT232R", "FTDI", "A1", 0x0403, 0x6001},
      {"/dev/ttyACM1", "/dev/ttyACM1", "", "", "", {}, {}},
      {"/dev/ttyAMA0", "/dev/ttyAMA0", "", "", "", {}, {}},
      {"/dev/ttyS0", "/dev/ttyS0", "", "", "", {}, {}},
      {"/dev/serial/by-id/x", "/dev/ttyUSB0", "", "", "", {}, {}},
  };
  const std::vector<RegisteredLink> links = {
      {9, "/p/COM9", "/dev/ttyACM1"},   {7, "/p/COM7", "/dev/ttyACM1"},
      {1, "/p/COM1", "/dev/pts/5"},     {3, "/p/COM3", ""},
      {300, "/p/COM300", "/dev/pts/6"},
  };
  const std::vector<std::pair<std::string, int>> expected = {
      {"/p/COM1", 1},       {"/p/COM3", 3},      {"/dev/ttyACM1", 7},
      {"/dev/ttyUSB0", 33}, {"/dev/ttyAMA0", 0}, {"/dev/ttyS0", 0},
  };
  const std::vector<Candidate> got = CollectCandidates(devices, links);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].path, expected[i].first) << i;
    EXPECT_EQ(got[i].comm, expected[i].second) << i;
  }
  EXPECT_EQ(got[3].about, "FT232R, FTDI");
}

TEST(Candidates, NewLinksTakeTheFirstFreeNumberFromNinetySeven) {
  EXPECT_EQ(FirstFreeLinkNumber({}), 97);
  EXPECT_EQ(FirstFreeLinkNumber({{5, "", ""}, {97, "", ""}, {98, "", ""}, {100, "", ""}}), 99);
  std::vector<RegisteredLink> full;
  for (int n = 97; n <= 255; ++n) full.push_back({n, "", ""});
  EXPECT_EQ(FirstFreeLinkNumber(full), 0);
  full.pop_back();
  EXPECT_EQ(FirstFreeLinkNumber(full), 255);
}

TEST(Candidates, AReplyIsTenBytesFromSToT) {
  using B = std::vector<std::uint8_t>;
  const B frame = {'S', 'E', 'T', 'S', 0, 0, 0, 0, 0, 'T'};
  B longer = frame;
  longer.push_back('?');
  B badEnd = frame;
  badEnd[9] = 'X';
  const struct {
    B bytes;
    bool closed;
    std::optional<ProbeOutcome> verdict;
  } cases[] = {
      {frame, false, ProbeOutcome::Answered},  {frame, true, ProbeOutcome::Answered},
      {longer, false, ProbeOutcome::BadFrame}, {badEnd, false, ProbeOutcome::BadFrame},
      {{'S', 'E'}, false, std::nullopt},       {{'S', 'E'}, true, ProbeOutcome::BadFrame},
      {{'?'}, false, ProbeOutcome::BadFrame},  {{}, false, std::nullopt},
      {{}, true, ProbeOutcome::NoAnswer},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(JudgeReply(cases[i].bytes, cases[i].closed), cases[i].verdict) << i;
  }
}

TEST(Candidates, TheReportNamesEveryDeviceAndHintsAtDialoutOnlyForMissingRights) {
  const std::vector<Candidate> c = {{"/dev/a", "", 1, ""}, {"/dev/b", "", 0, "X"}};
  const std::string plain = FailureReport(c, {ProbeOutcome::Busy, ProbeOutcome::NoAnswer});
  const std::string rights = FailureReport(c, {ProbeOutcome::BadFrame, ProbeOutcome::NoAccess});
  for (const std::string& r : {plain, rights}) {
    EXPECT_NE(r.find("Comm 1: /dev/a"), std::string::npos) << r;
    EXPECT_NE(r.find("/dev/b (X)"), std::string::npos) << r;
  }
  EXPECT_NE(plain.find(kReasonBusy), std::string::npos);
  EXPECT_NE(rights.find(kReasonBadFrame), std::string::npos);
  EXPECT_EQ(plain.find(kDialoutHint), std::string::npos);
  EXPECT_NE(rights.find(kDialoutHint), std::string::npos);
}

struct SearchRig {
  explicit SearchRig(int previous) {
    h.loadWithPort(previous);
    search.devices = {{"/dev/ttyUSB0", "/dev/ttyUSB0", "", "", "", {}, {}},
                      {"/dev/ttyAMA0", "/dev/ttyAMA0", "", "", "", {}, {}}};
    search.links = {{5, "/p/COM5", "/dev/pts/1"}, {97, "/p/COM97", "/dev/pts/2"}};
    search.onProbe = [this] { return h.port.isOpen(); };
  }
  void run(std::vector<ProbeOutcome> outcomes, bool cancelled = false) {
    search.run = {cancelled, std::move(outcomes)};
    h.form->KKereses.click();
  }
  Harness h;
  FakePortSearch& search = h.portSearch;
};

using O = ProbeOutcome;

// Candidates in order: Comm 5 (link), Comm 33, Comm 97 (link), /dev/ttyAMA0 (new).
TEST(ControllerSearch, AnAnswerIsChosenLikeTheUsersChoiceAndEveryOtherEndRestores) {
  const struct {
    const char* name;
    int previous;
    std::vector<O> outcomes;
    bool cancelled;
    Answer confirm;
    int pick;
    bool registerOk;
    int selected;  // the list's selection afterwards
    std::optional<std::pair<int, std::string>> link;
    std::optional<Icon> lastBox;  // the last box after the confirmation
  } cases[] = {
      // clang-format off
      {"one answer",          0, {O::NoAnswer, O::Answered, O::Busy, O::Missing},       false, Answer::Yes, 0,  true,  32, {}, {}},
      {"none answers",        3, {O::NoAnswer, O::BadFrame, O::NoAccess, O::Failed},    false, Answer::Yes, 0,  true,  3,  {}, Icon::Exclamation},
      {"cancelled",           3, {O::Answered, O::Answered, O::Answered, O::Answered},  true,  Answer::Yes, 0,  true,  3,  {}, {}},
      {"not confirmed",       3, {O::Answered, O::NoAnswer, O::NoAnswer, O::NoAnswer},  false, Answer::No,  0,  true,  3,  {}, {}},
      {"two, second picked",  3, {O::Answered, O::NoAnswer, O::Answered, O::NoAnswer},  false, Answer::Yes, 1,  true,  96, {}, {}},
      {"two, pick cancelled", 3, {O::Answered, O::Answered, O::NoAnswer, O::NoAnswer},  false, Answer::Yes, -1, true,  3,  {}, {}},
      {"new device",         -1, {O::NoAnswer, O::NoAnswer, O::NoAnswer, O::Answered},  false, Answer::Yes, 0,  true,  97, std::pair<int, std::string>{98, "/dev/ttyAMA0"}, {}},
      {"link refused",        3, {O::NoAnswer, O::NoAnswer, O::NoAnswer, O::Answered},  false, Answer::Yes, 0,  false, 3,  std::pair<int, std::string>{98, "/dev/ttyAMA0"}, Icon::Critical},
      {"nothing before",     -1, {O::NoAnswer, O::NoAnswer, O::NoAnswer, O::NoAnswer},  false, Answer::Yes, 0,  true,  -1, {}, Icon::Exclamation},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SearchRig rig(c.previous);
    rig.h.dialogs.answers = {c.confirm};
    rig.search.pick = c.pick;
    rig.search.registerOk = c.registerOk;
    rig.run(c.outcomes, c.cancelled);

    ASSERT_FALSE(rig.h.dialogs.shown.empty());
    EXPECT_EQ(rig.h.dialogs.shown[0].buttons, Buttons::YesNo);
    const bool confirmed = c.confirm == Answer::Yes;
    EXPECT_EQ(rig.search.probed, confirmed ? std::vector<std::string>({"/p/COM5", "/dev/ttyUSB0",
                                                                       "/p/COM97", "/dev/ttyAMA0"})
                                           : std::vector<std::string>{});
    if (confirmed) {
      EXPECT_FALSE(rig.search.portOpenDuringProbe);
    }
    EXPECT_EQ(rig.h.form->Portok.selected(), c.selected);
    EXPECT_EQ(rig.h.timer.enabled(), c.selected >= 0);
    EXPECT_EQ(rig.h.port.isOpen(), c.selected >= 0);
    if (c.selected >= 0) {
      EXPECT_EQ(rig.h.port.portNumber(), c.selected + 1);
    }
    EXPECT_EQ(rig.search.registered.empty(), !c.link.has_value());
    if (c.link) {
      EXPECT_EQ(rig.search.registered.at(0), *c.link);
    }
    EXPECT_EQ(rig.h.dialogs.shown.size(), c.lastBox ? 2u : 1u);
    if (c.lastBox) {
      EXPECT_EQ(rig.h.dialogs.shown.back().icon, *c.lastBox);
    }
    const int answers =
        static_cast<int>(std::count(c.outcomes.begin(), c.outcomes.end(), O::Answered));
    EXPECT_EQ(rig.search.offered.size(), !c.cancelled && answers > 1 ? 2u : 0u);
  }
}

TEST(ControllerSearch, WithoutAnyDeviceNothingIsAskedAndThePortComesBack) {
  SearchRig rig(4);
  rig.search.devices.clear();
  rig.search.links.clear();
  rig.run({});
  ASSERT_EQ(rig.h.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.h.dialogs.shown[0].buttons, Buttons::Ok);
  EXPECT_TRUE(rig.search.probed.empty());
  EXPECT_EQ(rig.h.port.portNumber(), 5);
  EXPECT_TRUE(rig.h.timer.enabled());
}

}  // namespace
}  // namespace voltander::test
