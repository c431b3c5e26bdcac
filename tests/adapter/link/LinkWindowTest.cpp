// The link as the user sees it: the real window, polled by the real 2 s timer, in
// front of the simulated controller on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <regex>

#include "adapter/link/LinkWindowRig.h"
#include "adapter/qt/PtyFixture.h"
#include "common/Version.h"

namespace voltander::test {
namespace {

bool HasControllerTitle(const LinkWindowRig& rig) {
  return rig.window.windowTitle().toStdString() == StartupTitle() + " (*Kontroller*)";
}

TEST(LinkWindow, HandshakeShowsTheControllersSetStateAndVersion) {
  // Umin 136 and Umax 141 are the divided levels 2.5 V and 3.281 V (times four at
  // ratio 4); 167 and 163 are current steps 7 and 3; then 1-based time positions.
  LinkWindowRig rig(201, {"--params", "136,141,167,163,7,3,12", "--version", "ABC123", "--state",
                          "2", "--duty", "200"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasControllerTitle(rig); }, 3 * kTickMs))
      << rig.window.windowTitle().toStdString();

  const QString sep = QString::fromStdString(rig.desktop.decimalSeparator());
  const struct {
    const char* list;
    int index;
    QString text;
  } expected[] = {
      {"Umin", 42, "10" + sep + "000 V*"},
      {"Umax", 49, "13" + sep + "124 V*"},
      {"Igyors", 6, "0" + sep + "470 A"},
      {"Inormal", 2, "0" + sep + "200 A"},
      {"Tkarbantarto", 6, "8. napon"},
      {"Thiszt", 2, "3 s"},
      {"Minta", 11, "12. s"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(rig.list(e.list)->currentIndex(), e.index) << e.list;
    EXPECT_EQ(rig.list(e.list)->currentText(), e.text) << e.list;
  }
  EXPECT_TRUE(rig.looksConnected());
  EXPECT_EQ(rig.version(), "VABC123");
  EXPECT_TRUE(rig.widget<FrameBox>("Allapot")->captionEnabled());
  EXPECT_EQ(rig.widget<QProgressBar>("Bar")->value(), 200);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "State" + std::to_string(i);
    EXPECT_EQ(rig.widget<QLabel>(name.c_str())->isEnabled(), i == 2) << name;
  }
  EXPECT_TRUE(rig.widget<QLabel>("Led")->isEnabled());
  EXPECT_FALSE(rig.widget<QLabel>("Hiba")->isVisible());
  EXPECT_FALSE(rig.widget<QLabel>("Kall")->isVisible());
  EXPECT_TRUE(rig.dialogs.shown.empty());
  EXPECT_EQ(Letters(rig.sim().frames()).substr(0, 3), "RVO");
}

TEST(LinkWindow, SilentControllerLooksLostWithinTwoTicksAndIsGreetedAgain) {
  // The handshake's three replies, then 5 s without any.
  LinkWindowRig rig(202, {"--silent-after", "3", "--silent-for", "5000"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasControllerTitle(rig); }, 3 * kTickMs));
  QElapsedTimer sinceLastReply;
  sinceLastReply.start();
  ASSERT_TRUE(
      ProcessEventsUntil([&] { return rig.noConnectionLookDiffers().empty(); }, 3 * kTickMs))
      << rig.noConnectionLookDiffers();
  // One whole period without a reply has to pass first; the second tick finds it.
  EXPECT_GE(sinceLastReply.elapsed(), kTickMs - 250);
  EXPECT_LE(sinceLastReply.elapsed(), 2 * kTickMs + 1000);
  EXPECT_FALSE(rig.kozos.LiveLink);
  // The lists and the title still show what the controller last reported.
  EXPECT_TRUE(HasControllerTitle(rig));
  EXPECT_EQ(rig.list("Minta")->currentText(), "5. s");

  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected() && rig.version() == "V200401"; },
                                 4 * kTickMs))
      << "the controller was not greeted again";
  EXPECT_TRUE(rig.kozos.LiveLink);
  ProcessEventsUntil([&] { return Letters(rig.sim().frames()).ends_with("VO"); }, 1000);
  const std::string letters = Letters(rig.sim().frames());
  EXPECT_TRUE(std::regex_match(letters, std::regex("RVOR{2,4}VO"))) << letters;
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(LinkWindow, StrayBytesAheadOfAReplyWaitForTheReopeningToClearThem) {
  // Three bytes of noise ahead of the first reply: thirteen bytes wait, none taken.
  LinkWindowRig rig(203, {"--stray", "3"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return !rig.sim().frames().empty(); }, 3 * kTickMs));
  ProcessEventsFor(500);
  ASSERT_EQ(Letters(rig.sim().frames()), "R");
  EXPECT_EQ(rig.noConnectionLookDiffers(), "");
  EXPECT_FALSE(rig.kozos.LiveLink);

  // The next tick saw no reply and re-opens the port; the clean reply is taken.
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected() && HasControllerTitle(rig); },
                                 2 * kTickMs + 1000));
  EXPECT_EQ(Letters(rig.sim().frames()).substr(0, 4), "RRVO");
  EXPECT_EQ(rig.version(), "V200401");
}

TEST(LinkWindow, RepliesInTwoPiecesAreEachTakenOnce) {
  LinkWindowRig rig(204, {"--split", "300"});
  // Receive events that found a whole reply waiting: each one runs the parser.
  int parsed = 0;
  const auto inner = rig.port.onComm;
  rig.port.onComm = [&](CommEvent e) {
    if (e == CommEvent::Receive && rig.port.waiting() == 10) ++parsed;
    inner(e);
  };
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasControllerTitle(rig); }, 3 * kTickMs));
  // Two more polls, each answered in halves 300 ms apart; the look must hold.
  bool dropped = false;
  ProcessEventsUntil(
      [&] {
        dropped = dropped || !rig.looksConnected();
        return Letters(rig.sim().frames()) == "RVORRR";
      },
      4 * kTickMs);
  ProcessEventsFor(600);  // the last reply's second half

  const std::string letters = Letters(rig.sim().frames());
  EXPECT_EQ(letters.substr(0, 6), "RVORRR");
  EXPECT_FALSE(dropped);
  EXPECT_TRUE(rig.kozos.LiveLink);
  const std::size_t replies = rig.sim().noteTimesUs("reply").size();
  EXPECT_EQ(replies, letters.size());
  EXPECT_EQ(parsed, static_cast<int>(replies));
}

}  // namespace
}  // namespace voltander::test
