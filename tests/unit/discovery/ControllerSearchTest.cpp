// The controller search against a scripted system: which devices are asked under which
// number, how answers are judged, and that every way out leaves the list as a user would.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "discovery/Candidates.h"
#include "discovery/SearchTexts.h"
#include "fakes/Fakes.h"

namespace voltander::test {
namespace {

using O = ProbeOutcome;

TEST(Candidates, NumbersComeFromTheBuiltInFamiliesOrLinksAndNewLinksFromNinetySeven) {
  std::vector<RegisteredLink> links = {{5, "", ""}, {97, "", ""}, {98, "", ""}, {100, "", ""}};
  EXPECT_EQ(FirstFreeLinkNumber({}), 97);
  EXPECT_EQ(FirstFreeLinkNumber(links), 99);
  for (int n = 99; n <= 254; ++n) links.push_back({n, "", ""});
  EXPECT_EQ(FirstFreeLinkNumber(links), 255);
  links.push_back({255, "", ""});
  EXPECT_EQ(FirstFreeLinkNumber(links), 0);
  // A link names its device under the lowest number and shadows that built-in number.
  const std::vector<SerialDeviceInfo> devices = {
      {"/dev/ttyUSB0", "/dev/ttyUSB0", "FT232R", "FTDI", "A1", 0x0403, 0x6001},
      {"/dev/ttyACM1", "/dev/ttyACM1", "", "", "", {}, {}},
      {"/dev/ttyAMA0", "/dev/ttyAMA0", "", "", "", {}, {}},
      {"/dev/ttyS0", "/dev/ttyS0", "", "", "", {}, {}},
      {"/dev/serial/by-id/x", "/dev/ttyUSB0", "", "", "", {}, {}},
  };
  links = {
      {9, "/p/COM9", "/dev/ttyACM1"},   {7, "/p/COM7", "/dev/ttyACM1"},
      {1, "/p/COM1", "/dev/pts/5"},     {3, "/p/COM3", ""},
      {300, "/p/COM300", "/dev/pts/6"}, {255, "/p/COM255", "/dev/pts/7"},
  };
  std::vector<std::tuple<std::string, int, std::string>> got;
  for (const Candidate& c : CollectCandidates(devices, links))
    got.emplace_back(c.path, c.comm, c.about);
  // clang-format off
  EXPECT_EQ(got, (decltype(got){{"/p/COM1", 1, ""}, {"/p/COM3", 3, ""}, {"/dev/ttyACM1", 7, ""},
                                {"/dev/ttyUSB0", 33, "FT232R, FTDI"}, {"/p/COM255", 255, ""}, {"/dev/ttyAMA0", 0, ""}, {"/dev/ttyS0", 0, ""}}));
  // clang-format on
}

TEST(Candidates, AReplyIsTenBytesFromSToTAndFailuresAreToldWithTheDialoutHint) {
  // clang-format off
  for (const auto& [bytes, closed, verdict] : std::vector<std::tuple<std::string, bool, std::optional<O>>>{
           {"SETS00000T", false, O::Answered},  {"SETS00000T", true, O::Answered}, {"SE", true, O::BadFrame},
           {"SETS00000T?", false, O::BadFrame}, {"SETS00000X", false, O::BadFrame}, {"?", false, O::BadFrame},
           {"SE", false, std::nullopt},         {"", false, std::nullopt},          {"", true, O::NoAnswer}})
    // clang-format on
    EXPECT_EQ(JudgeReply({bytes.begin(), bytes.end()}, closed), verdict) << bytes;
  // Each device with its reason, and the hint when rights were missing.
  const std::vector<Candidate> tried = {{"/dev/a", "", 1, ""}, {"/dev/b", "", 0, "X"}};
  const std::string report = FailureReport(tried, {O::Busy, O::NoAccess});
  EXPECT_NE(report.find("Comm 1: /dev/a - foglalt\r\núj port: /dev/b (X) - nincs jogosultság"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find(kDialoutHint), std::string::npos);
}

// Asked in order: Comm 5 (link), 33, 97 (link), /dev/ttyAMA0 (new); no outcomes: no device.
TEST(ControllerSearch, AnAnswerIsChosenLikeTheUsersChoiceAndEveryOtherEndRestores) {
  const struct {
    std::vector<O> outcomes;
    bool cancelled, confirmed, registerOk;
    int previous, pick, selected;  // selected: the list's selection afterwards
    std::vector<std::pair<int, std::string>> link;
    std::optional<Icon> lastBox;  // a box after the first
    std::size_t offered = 0;      // answers the user chooses among
  } cases[] = {
      // clang-format off
      {{O::NoAnswer, O::Answered, O::Busy, O::Missing},      false, true,  true,  0,  0,  32, {}, {}},
      {{O::NoAnswer, O::BadFrame, O::NoAccess, O::Failed},   false, true,  true,  3,  0,  3,  {}, Icon::Exclamation},
      {{O::Answered, O::Answered, O::Answered, O::Answered}, true,  true,  true,  3,  0,  3,  {}, {}},
      {{O::Answered, O::NoAnswer, O::NoAnswer, O::NoAnswer}, false, false, true,  3,  0,  3,  {}, {}},
      {{O::Answered, O::NoAnswer, O::Answered, O::NoAnswer}, false, true,  true,  3,  1,  96, {}, {}, 2},
      {{O::Answered, O::Answered, O::NoAnswer, O::NoAnswer}, false, true,  true,  3,  -1, 3,  {}, {}, 2},
      {{O::NoAnswer, O::NoAnswer, O::NoAnswer, O::Answered}, false, true,  true,  -1, 0,  97, {{98, "/dev/ttyAMA0"}}, {}},
      {{O::NoAnswer, O::NoAnswer, O::NoAnswer, O::Answered}, false, true,  false, 3,  0,  3,  {{98, "/dev/ttyAMA0"}}, Icon::Critical},
      {{O::NoAnswer, O::NoAnswer, O::NoAnswer, O::NoAnswer}, false, true,  true,  -1, 0,  -1, {}, Icon::Exclamation},
      {{},                                                   false, true,  true,  4,  0,  4,  {}, {}},
      // A probe that tells fewer or more outcomes than it was given devices.
      {{O::NoAnswer, O::Answered},                           false, true,  true,  3,  0,  32, {}, {}},
      {{O::NoAnswer, O::Answered, O::NoAnswer, O::NoAnswer, O::Answered}, false, true, true, 3, 0, 32, {}, {}},
      // clang-format on
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(i);
    Harness h;
    h.loadWithPort(c.previous);
    FakePortSearch& search = h.portSearch;
    if (!c.outcomes.empty()) {
      search.devices = {{"/dev/ttyUSB0", "/dev/ttyUSB0", "", "", "", {}, {}},
                        {"/dev/ttyAMA0", "/dev/ttyAMA0", "", "", "", {}, {}}};
      search.links = {{5, "/p/COM5", "/dev/pts/1"}, {97, "/p/COM97", "/dev/pts/2"}};
    }
    search.onProbe = [&] { return h.port.isOpen(); };
    search.run = {c.cancelled, c.outcomes};
    search.pick = c.pick;
    search.registerOk = c.registerOk;
    h.dialogs.answers = {c.confirmed ? Answer::Yes : Answer::No};
    h.form->KKereses.click();
    // Nothing is sent before the user agrees, and the link's own port has let go.
    const bool asked = !c.outcomes.empty() && c.confirmed;
    ASSERT_EQ(h.dialogs.shown.size(), c.lastBox ? 2u : 1u);
    EXPECT_EQ(h.dialogs.shown[0].buttons, c.outcomes.empty() ? Buttons::Ok : Buttons::YesNo);
    EXPECT_EQ(c.lastBox ? std::optional(h.dialogs.shown[1].icon) : std::nullopt, c.lastBox);
    const std::vector<std::string> all = {"/p/COM5", "/dev/ttyUSB0", "/p/COM97", "/dev/ttyAMA0"};
    EXPECT_EQ(search.probed, asked ? all : std::vector<std::string>{});
    EXPECT_FALSE(asked && search.portOpenDuringProbe);
    EXPECT_EQ(h.form->Portok.selected(), c.selected);
    EXPECT_EQ(h.timer.enabled(), c.selected >= 0);
    EXPECT_EQ(h.port.isOpen() ? h.port.portNumber() : 0, c.selected + 1);
    EXPECT_EQ(search.registered, c.link);
    EXPECT_EQ(search.offered.size(), c.offered);
  }
}

// Every link number taken: an answer without a number of its own cannot be chosen.
TEST(ControllerSearch, WithNoLinkNumberLeftANewDeviceIsToldAsUnlinkedAndThePortStays) {
  Harness h;
  h.loadWithPort(3);
  h.portSearch.devices = {{"/dev/ttyAMA0", "/dev/ttyAMA0", "", "", "", {}, {}}};
  for (int n = 97; n <= 255; ++n) h.portSearch.links.push_back({n, "/p/COM" + std::to_string(n), ""});
  h.portSearch.run = {false, std::vector<O>(160, O::NoAnswer)};
  h.portSearch.run.outcomes.back() = O::Answered;  // the device, asked last
  h.form->KKereses.click();
  EXPECT_EQ(h.dialogs.texts().back(), kSearchLinkFailed);
  EXPECT_TRUE(h.portSearch.registered.empty());
  EXPECT_EQ(h.form->Portok.selected(), 3);
}

// Opening a port can reset the board: one the search never probed stays as it was.
TEST(ControllerSearch, OnlyAPortClosedForProbingIsOpenedAgain) {
  // clang-format off
  for (const auto& [devices, answer, previous, reopened] : std::vector<std::tuple<bool, Answer, int, bool>>{
           {false, Answer::Ok, 3, false}, {true, Answer::No, 3, false}, {true, Answer::No, -1, false},
           {true, Answer::Yes, 3, true}}) {
    // clang-format on
    SCOPED_TRACE(testing::Message() << devices << int(answer) << previous);
    Harness h;
    h.loadWithPort(previous);
    if (devices) h.portSearch.devices = {{"/dev/ttyUSB0", "/dev/ttyUSB0", "", "", "", {}, {}}};
    h.portSearch.run = {false, {O::NoAnswer}};
    h.dialogs.answers = {answer};
    h.dialogs.whileShown = [&](const ShownMessage&) { EXPECT_FALSE(h.timer.enabled()); };
    const std::size_t closes = h.port.closes, opened = h.port.devices.size();
    h.form->KKereses.click();
    EXPECT_EQ(h.port.closes - closes, reopened ? 1u : 0u);
    EXPECT_EQ(h.port.devices.size() - opened, reopened ? 1u : 0u);
    EXPECT_EQ(h.port.isOpen(), previous >= 0);
    EXPECT_EQ(h.timer.enabled(), previous >= 0);
  }
}

}  // namespace
}  // namespace voltander::test
