#include "adapter/link/LinkWindowRig.h"

#include <chrono>
#include <cstdlib>

#include "qt/FrameBox.h"
#include "support/Process.h"

namespace voltander::test {

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;

std::vector<std::string> WithPort(int comm, std::vector<std::string> args) {
  args.insert(args.begin(), {"--port", std::to_string(comm)});
  return args;
}

EnvOverrides ConfigHome() {
  // The adapter tests' main gives the process a configuration folder of its own.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return {{"XDG_CONFIG_HOME", config ? config : ""}};
}

QRgb Background(const QLabel* label) { return label->palette().color(QPalette::Window).rgba(); }

}  // namespace

std::int64_t EpochUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

LinkWindowRig::LinkWindowRig(int n, const std::vector<std::string>& simArgs)
    : comm(n), sim_(std::make_unique<SimProcess>(WithPort(n, simArgs), ConfigHome())) {
  settings.save("Voltander", "Setup", "Portok", std::to_string(comm - 1));
  form.Form_Load();
  window.show();
}

LinkWindowRig::~LinkWindowRig() { window.close(); }

void LinkWindowRig::restartSimulator(const std::vector<std::string>& simArgs) {
  sim_.reset();
  sim_ = std::make_unique<SimProcess>(WithPort(comm, simArgs), ConfigHome());
}

bool LinkWindowRig::looksConnected() const {
  const QLabel* led = led2();
  return Background(led) == kGreen && led->text() == QString::fromUtf8("Kapcsolódva");
}

std::string LinkWindowRig::noConnectionLookDiffers() const {
  std::string diff;
  auto check = [&diff](bool holds, const char* what) {
    if (!holds) diff += std::string(what) + "; ";
  };
  const QLabel* led = led2();
  check(Background(led) == kRed && led->autoFillBackground(), "LED2 is not red");
  check(led->text().isEmpty(), "LED2 has a caption");
  check(widget<QLineEdit>("AMVerzio")->text() == "???", "AMVerzio is not \"???\"");
  check(widget<QProgressBar>("Bar")->value() == 0, "Bar is not 0");
  check(!widget<FrameBox>("Allapot")->captionEnabled(), "Allapot is enabled");
  for (const char* name : {"State0", "State1", "State2", "State3", "State4"}) {
    check(!widget<QLabel>(name)->isEnabled(), "a state label is lit");
  }
  check(!widget<QLabel>("Kall")->isVisible(), "Kall is shown");
  check(!widget<QLabel>("Led")->isEnabled(), "Led is enabled");
  return diff;
}

}  // namespace voltander::test
