// The controller search from the real window over simulators on real pseudo-terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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

// Root passes a device's mode unless CAP_DAC_OVERRIDE and its reading kin leave its
// effective set (from which they can come back); for a user without them, nothing.
void DacOverride(bool on) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct c[_LINUX_CAPABILITY_U32S_3]{};
  const std::uint32_t dac = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
  syscall(SYS_capget, &header, c);
  c[0].effective = on ? c[0].effective | (c[0].permitted & dac) : c[0].effective & ~dac;
  syscall(SYS_capset, &header, c);
}

// Lists only the test's own devices (besides its port links), as a Bluetooth or network
// port would be listed; the device refused refuses the user while the probe runs.
struct TestDevices : QtPortSearch {
  std::vector<SerialDeviceInfo> systemDevices() override {
    std::vector<SerialDeviceInfo> devices;
    for (const std::string& d : extra) devices.push_back({d, d, "", "", "", {}, {}});
    return devices;
  }
  ProbeRun probe(const std::vector<std::string>& paths) override {
    struct stat was {};
    const bool changed =
        !refused.empty() && ::stat(refused.c_str(), &was) == 0 && ::chmod(refused.c_str(), 0) == 0;
    DacOverride(false);
    refusing = changed && ::faccessat(AT_FDCWD, refused.c_str(), R_OK, AT_EACCESS) != 0;
    ProbeRun run = QtPortSearch::probe(paths);
    DacOverride(true);
    if (changed) ::chmod(refused.c_str(), was.st_mode & 07777);
    return run;
  }
  std::vector<std::string> extra;
  std::string refused;
  bool refusing = false;
};

// The window before a silent controller at Comm comm, the port the user had.
struct SearchWindow {
  explicit SearchWindow(int comm) : rig(comm, {"--silent-from", "1"}) {
    portSearch.setParentWindow(&rig.window);
    rig.form.KKereses.onClick = [this] { search.KKereses_Click(); };
  }
  void searchFromMenu() { Child<QAction>(rig.window, "KKereses")->trigger(); }
  ProgramRig rig;
  TestDevices portSearch;
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
    if (way == Way::NoRights) w.portSearch.refused = w.rig.sim().device();
    w.searchFromMenu();
    if (way == Way::NoRights && !w.portSearch.refusing)
      GTEST_SKIP() << "the device's mode cannot keep this user out";
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
