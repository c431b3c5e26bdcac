// The controller search in the real window, over real pseudo-terminals: simulators
// registered as links are found, polled and given up exactly as the user would see.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <QAction>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "adapter/link/LinkWindowRig.h"
#include "adapter/qt/PtyFixture.h"
#include "discovery/ControllerSearch.h"
#include "discovery/SearchTexts.h"
#include "qt/PortComboBox.h"
#include "qt/QtPortSearch.h"

namespace voltander::test {
namespace {

constexpr const char* kSilent[] = {"--silent-from", "1"};

// The system's search, probing as an ordinary user when asked to: root's override
// of permission bits goes with the change of the file-system user.
struct ProbeAs : PortSearch {
  std::vector<SerialDeviceInfo> systemDevices() override { return real.systemDevices(); }
  std::vector<RegisteredLink> registeredLinks() override { return real.registeredLinks(); }
  ProbeRun probe(const std::vector<std::string>& paths) override {
    if (nobody) ::setfsuid(65534);
    ProbeRun run = real.probe(paths);
    ::setfsuid(0);
    return run;
  }
  bool registerLink(int n, const std::string& d) override { return real.registerLink(n, d); }
  int choose(const std::string& p, const std::vector<std::string>& i) override {
    return real.choose(p, i);
  }
  QtPortSearch real;
  bool nobody = false;
};

// The window with the search wired to its menu item, in front of a silent
// controller at Comm comm: the port the user had before searching.
struct SearchWindow {
  explicit SearchWindow(int comm) : rig(comm, {kSilent[0], kSilent[1]}) {
    portSearch.real.setParentWindow(&rig.window);
    rig.form.KKereses.onClick = [this] { search.KKereses_Click(); };
  }
  void searchFromMenu() { rig.widget<QAction>("KKereses")->trigger(); }

  LinkWindowRig rig;
  ProbeAs portSearch;
  ControllerSearch search{rig.form.Portok, rig.port, rig.timer, rig.dialogs, portSearch};
};

TEST(ControllerSearchWire, TheAnsweringSimulatorIsSelectedAndPolledBesideASilentOne) {
  SearchWindow w(221);
  SimProcess answering({"--port", "222"},
                       EnvOverrides{{"XDG_CONFIG_HOME", std::getenv("XDG_CONFIG_HOME")}});
  w.searchFromMenu();

  EXPECT_EQ(w.rig.list("Portok")->currentIndex(), 221);
  EXPECT_EQ(w.rig.port.portNumber(), 222);
  EXPECT_TRUE(w.rig.timer.enabled());
  // The silent one was asked too, once, and nothing after the search.
  EXPECT_EQ(Letters(w.rig.sim().frames()), "R");
  // The link comes up on the found port: the handshake follows the next poll.
  EXPECT_TRUE(ProcessEventsUntil([&] { return w.rig.looksConnected(); }, 2 * kTickMs));
  EXPECT_EQ(Letters(answering.frames()).substr(0, 3), "RRV");
  ASSERT_EQ(w.rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(w.rig.dialogs.shown[0].buttons, Buttons::YesNo);
}

TEST(ControllerSearchWire, EveryWayWithoutAControllerGivesThePreviousPortBack) {
  enum class Way { NoAnswer, Cancel, NoRights };
  const struct {
    Way way;
    int comm;
    std::size_t boxes;  // the confirmation, and the report when there is one
  } cases[] = {{Way::NoAnswer, 231, 2}, {Way::Cancel, 232, 1}, {Way::NoRights, 233, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.comm);
    SearchWindow w(c.comm);
    if (c.way == Way::Cancel) {
      QTimer::singleShot(100, &w.rig.window, [&] {
        if (auto* p = w.rig.window.findChild<QProgressDialog*>("KKeresesProgress")) {
          p->findChild<QPushButton*>()->click();
        }
      });
    }
    if (c.way == Way::NoRights) {
      ::setfsuid(65534);
      const int fd = ::open(w.rig.sim().device().c_str(), O_RDWR | O_NOCTTY);
      ::setfsuid(0);
      if (fd >= 0) {
        ::close(fd);
        GTEST_SKIP() << "permission bits are not enforced for this process";
      }
      w.portSearch.nobody = true;
    }
    w.searchFromMenu();

    ASSERT_EQ(w.rig.dialogs.shown.size(), c.boxes);
    const std::string& report = w.rig.dialogs.shown.back().text;
    EXPECT_EQ(report.find(kDialoutHint) != std::string::npos, c.way == Way::NoRights) << report;
    EXPECT_EQ(w.rig.list("Portok")->currentIndex(), c.comm - 1);
    EXPECT_TRUE(w.rig.port.isOpen());
    EXPECT_EQ(w.rig.port.portNumber(), c.comm);
    EXPECT_TRUE(w.rig.timer.enabled());
  }
}

TEST(ControllerSearchWire, PresentPortsAreBoldAndNameTheirDevice) {
  LinkWindowRig rig(241, {});
  auto* list = dynamic_cast<PortComboBox*>(rig.list("Portok"));
  ASSERT_NE(list, nullptr);
  list->refreshDevices();
  const auto bold = [list](int i) { return list->itemData(i, Qt::FontRole).value<QFont>().bold(); };
  const auto tip = [list](int i) { return list->itemData(i, Qt::ToolTipRole).toString(); };
  EXPECT_TRUE(bold(240));
  EXPECT_TRUE(tip(240).contains(QString::fromStdString(rig.sim().device())))
      << tip(240).toStdString();
  EXPECT_FALSE(bold(241));
  EXPECT_TRUE(tip(241).contains("COM242")) << tip(241).toStdString();
}

}  // namespace
}  // namespace voltander::test
