// voltanderd, the service with no window, polling the simulator and publishing to a
// real broker, as systemd would run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "support/Broker.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

namespace fs = std::filesystem;

// Every session file of the folder, one after the other.
std::string History(const std::string& folder) {
  std::string all;
  if (fs::exists(folder))
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".csv") all += ReadWholeFile(entry.path());
  return all;
}

TEST(ServiceEndToEnd, PublishesAndRecordsSeesTheDeviceGoAndComeBackAndStopsCleanly) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto, mosquitto_sub or mosquitto_passwd missing";
  Broker broker;
  TempDir home("voltanderd");
  const EnvOverrides env{{"XDG_CONFIG_HOME", home.path()}};
  // The simulator's port link stays where it is when the simulator comes back.
  const std::string conf = home.file("garage.conf"), folder = home.file("naplo");
  std::ofstream(conf) << "[Port]\nDevice=" << home.file("Voltander/ports/COM1")
                      << "\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=" << broker.port()
                      << "\nPrefix=t/pi\n[History]\nFolder=" << folder << "\n";
  fs::create_directories(home.file("sub"));
  ProgramProcess events("/usr/bin/mosquitto_sub", home.file("sub"), {},
                        {"-h", "127.0.0.1", "-p", std::to_string(broker.port()), "-t",
                         "t/pi/garage/event", "-F", "%p"});
  ProgramProcess service(VOLTANDERD_BINARY, home.path(), {{"NOTIFY_SOCKET", ""}},
                         {"--config", conf});
  // No device yet: the service waits for it, seen online with its link down.
  EXPECT_EQ(broker.waitRetained("t/pi/garage/link", "down", 10000), "down") << service.output();
  EXPECT_EQ(broker.retained("t/pi/garage/availability").at("t/pi/garage/availability"), "online");
  auto sim = std::make_unique<SimProcess>(
      std::vector<std::string>{"--port", "1", "--duty", "200", "--state", "2"}, env);

  const std::string status = broker.waitRetained("t/pi/garage/status", "\"duty\":200", 20000);
  EXPECT_NE(status.find("\"state_text\":\"Normál töltés\""), std::string::npos)
      << status << service.output();
  EXPECT_TRUE(WaitForFolder(folder, [&] { return History(folder).find(",status,2,200,1,") != std::string::npos; }, 5000))
      << History(folder);
  EXPECT_EQ(broker.retained("homeassistant/+/t_pi_garage/+/config").size(), 6u);

  sim.reset();
  EXPECT_EQ(broker.waitRetained("t/pi/garage/link", "down", 10000), "down") << service.output();
  sim = std::make_unique<SimProcess>(std::vector<std::string>{"--port", "1", "--duty", "201"}, env);
  EXPECT_EQ(broker.waitRetained("t/pi/garage/link", "up", 20000), "up") << service.output();
  EXPECT_EQ(Letters(sim->waitForFrames([](const auto& f) { return Letters(f).starts_with("RVO"); },
                                       5000)).substr(0, 3),
            "RVO");
  const std::string history = History(folder);
  const std::regex order(",link_up,[^]*,link_lost,[^]*,link_restored,");
  EXPECT_EQ(history.find(",link_lost,"), history.rfind(",link_lost,")) << "one loss";
  EXPECT_TRUE(std::regex_search(history, order)) << history;

  EXPECT_EQ(service.terminate(), 0) << service.output();
  EXPECT_EQ(broker.retained("t/pi/garage/availability").at("t/pi/garage/availability"), "offline");
  events.terminate(2000);
  std::string told;
  for (const char* name : {"link_up", "link_lost", "link_restored"})
    if (events.output().find(std::string("\"event\":\"") + name + "\"") != std::string::npos)
      told += std::string(name) + " ";
  EXPECT_EQ(told, "link_up link_lost link_restored ") << events.output();
  const std::string log = service.output();
  EXPECT_NE(log.find("A töltő nem válaszol: a kapcsolat megszakadt."), std::string::npos) << log;
  EXPECT_NE(log.find("A töltő újra válaszol: a kapcsolat helyreállt."), std::string::npos) << log;
  // The device missing at the start and gone with the simulator: told once each time,
  // however many tries it took.
  const std::regex missing("A port nem nyitható meg");
  EXPECT_EQ(std::distance(std::sregex_iterator(log.begin(), log.end(), missing), {}), 2) << log;
}

// Under systemd the lines carry the journal's priority and no time of their own.
TEST(ServiceEndToEnd, ABadConfigurationIsRefusedWithExitSeventyEightInJournalForm) {
  TempDir home("voltanderd");
  const std::string conf = home.file("x.conf");
  std::ofstream(conf) << "[Port]\nDevice=ttyUSB0\nSpeed=9600\n";
  ProgramProcess check(VOLTANDERD_BINARY, home.path(), {}, {"--config", conf, "--check"});
  EXPECT_EQ(check.terminate(5000, 0), 78);  // signal 0: only waits for the end
  EXPECT_EQ(check.output(),
            "Ismeretlen kulcs: [Port] Speed\n"
            "Hibás érték ([Port] Device=ttyUSB0): abszolút út kell, / jellel az elején.\n");
  // JOURNAL_STREAM names standard error's device and inode, as journald sets it.
  struct stat st {};
  ASSERT_EQ(stat(home.file("program-output.txt").c_str(), &st), 0);
  fs::remove(conf);
  ProgramProcess start(VOLTANDERD_BINARY, home.path(),
                       {{"JOURNAL_STREAM", std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)}},
                       {"--config", conf});
  EXPECT_EQ(start.terminate(5000, 0), 78);
  EXPECT_EQ(start.output(), "<3>voltander.service: Nincs meg a beállításfájl: " + conf + "\n");
}

// Help and version need no configuration; without --config there is nothing to run.
TEST(ServiceEndToEnd, TheCommandLineAloneGivesHelpAndVersionAndRefusesAMissingConfig) {
  TempDir home("voltanderd");
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
      {{"--help"}, 0, "  [Port]    Device=ÚT       a töltő soros eszköze"},
      {{"--version"}, 0, "voltanderd " VOLTANDER_VERSION "\n"},
      {{}, 64, "Hiányzik a --config FÁJL (lásd: voltanderd --help).\n"}};
  for (const auto& [args, status, part] : cases) {
    ProgramProcess run(VOLTANDERD_BINARY, home.path(), {}, args);
    EXPECT_EQ(run.terminate(5000, 0), status) << part;
    EXPECT_NE(run.output().find(part), std::string::npos) << run.output();
  }
}

TEST(ServiceUnit, VerifiesWithTheBuiltProgram) {
  if (std::system("command -v systemd-analyze >/dev/null") != 0)
    GTEST_SKIP() << "systemd-analyze is not installed";
  TempDir dir("voltanderd-unit");
  std::string unit = ReadWholeFile(VOLTANDER_SOURCE_DIR "/resources/systemd/voltanderd@.service");
  unit = std::regex_replace(unit, std::regex("/usr/bin/voltanderd"), VOLTANDERD_BINARY);
  std::ofstream(dir.file("voltanderd@garage.service")) << unit;
  const std::string command = "systemd-analyze verify --man=no " + dir.file("voltanderd@garage.service") + " 2>&1";
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    EXPECT_EQ(pclose(p), 0) << out;
  }
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace voltander::test
