// The controller search from the real window over simulators on real pseudo-terminals.
#include <gtest/gtest.h>
#include <sys/fsuid.h>

#include <QAction>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "adapter/Rig.h"
#include "discovery/ControllerSearch.h"
#include "discovery/SearchTexts.h"
#include "qt/platform/PortNames.h"
#include "qt/widgets/PortComboBox.h"

namespace voltander::test {
namespace {

// Probes as an ordinary user when asked to: setfsuid drops root's override of modes.
// Lists extra devices besides the system's, as a Bluetooth or network port would be.
struct ProbeAs : QtPortSearch {
  ProbeRun probe(const std::vector<std::string>& paths) override {
    if (nobody) ::setfsuid(65534);
    switched = nobody && ::setfsuid(-1) == 65534;
    ProbeRun run = QtPortSearch::probe(paths);
    ::setfsuid(0);
    EXPECT_EQ(::setfsuid(-1), 0);
    return run;
  }
  std::vector<SerialDeviceInfo> systemDevices() override {
    std::vector<SerialDeviceInfo> devices = QtPortSearch::systemDevices();
    for (const std::string& d : extra) devices.push_back({d, d, "", "", "", {}, {}});
    return devices;
  }
  bool switched = false;
  std::vector<std::string> extra;
  bool nobody = false;
};

// The window before a silent controller at Comm comm, the port the user had.
struct SearchWindow {
  explicit SearchWindow(int comm) : rig(comm, {"--silent-from", "1"}) {
    portSearch.setParentWindow(&rig.window);
    rig.form.KKereses.onClick = [this] { search.KKereses_Click(); };
  }
  void searchFromMenu() { Child<QAction>(rig.window, "KKereses")->trigger(); }
  ProgramRig rig;
  ProbeAs portSearch;
  ControllerSearch search{rig.form.Portok, rig.port, rig.timer, rig.dialogs, portSearch};
};

// The answering device has no number of its own: it is linked and opened as Comm 97.
TEST(ControllerSearchWire, TheAnsweringSimulatorBesideASilentOneGetsComm97AndIsPolled) {
  SearchWindow w(221);
  SimProcess answering({});
  w.portSearch.extra = {answering.device()};
  w.searchFromMenu();
  EXPECT_EQ(std::filesystem::read_symlink(PortLinkFolder() + "/COM97"), answering.device());
  EXPECT_EQ(w.rig.list("Portok")->currentIndex(), 96);
  EXPECT_EQ(w.rig.dialogs.shown.size(), 1u);  // the question before anything is sent
  // The silent one was asked too, once, and nothing after the search.
  EXPECT_EQ(Letters(w.rig.sim().frames()), "R");
  EXPECT_TRUE(ProcessEventsUntil([&] { return w.rig.looksConnected(); }, 2 * kTickMs));
  const auto rrv = [](const std::vector<LoggedFrame>& f) { return Letters(f).starts_with("RRV"); };
  EXPECT_TRUE(rrv(answering.waitForFrames(rrv, 2 * kTickMs)));
  // The list marks the ports with a device behind them and names it.
  auto* list = Child<PortComboBox>(w.rig.window, "Portok");
  list->refreshDevices();
  const auto bold = [list](int i) { return list->itemData(i, Qt::FontRole).value<QFont>().bold(); };
  EXPECT_TRUE(bold(220) && bold(96) && !bold(221));
  EXPECT_TRUE(
      list->itemData(220, Qt::ToolTipRole).toString().contains(w.rig.sim().device().c_str()));
}

TEST(ControllerSearchWire, EveryWayWithoutAControllerGivesThePreviousPortBack) {
  enum class Way { NoAnswer, Cancel, NoRights };
  for (const auto& [way, comm] :
       {std::pair{Way::NoAnswer, 231}, {Way::Cancel, 232}, {Way::NoRights, 233}}) {
    SCOPED_TRACE(comm);
    SearchWindow w(comm);
    if (way == Way::Cancel)
      QTimer::singleShot(100, &w.rig.window, [&] {
        if (auto* p = w.rig.window.findChild<QProgressDialog*>("KKeresesProgress"))
          p->findChild<QPushButton*>()->click();
      });
    w.portSearch.nobody = way == Way::NoRights;
    w.searchFromMenu();
    if (way == Way::NoRights && !w.portSearch.switched)
      GTEST_SKIP() << "cannot change the file-system user";
    // The confirmation, and the report when the search ran to its end.
    ASSERT_EQ(w.rig.dialogs.shown.size(), way == Way::Cancel ? 1u : 2u);
    const std::string& report = w.rig.dialogs.shown.back().text;
    EXPECT_EQ(report.find(kDialoutHint) != std::string::npos, way == Way::NoRights) << report;
    EXPECT_EQ(w.rig.list("Portok")->currentIndex(), comm - 1);
    EXPECT_EQ(w.rig.port.isOpen(), comm != 0);
  }
}

}  // namespace
}  // namespace voltander::test
