#include "qt/platform/QtPortSearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QInputDialog>
#include <QProgressDialog>
#include <QSerialPortInfo>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "common/CommNumbers.h"
#include "discovery/Candidates.h"
#include "discovery/SearchTexts.h"
#include "protocol/Frame.h"
#include "qt/platform/PortNames.h"
#include "qt/platform/QtSerialPort.h"

namespace voltander {

namespace {

constexpr int kProgressStepMs = 50;

QString Q(const std::string& s) { return QString::fromStdString(s); }

ProbeOutcome OpeningOutcome(const OpenResult& r) {
  if (r.error == OpenError::PortInUse) return ProbeOutcome::Busy;
  if (r.code == QtSerialPort::kNoAccess) return ProbeOutcome::NoAccess;
  if (r.error == OpenError::InvalidPort) return ProbeOutcome::Missing;
  return ProbeOutcome::Failed;
}

// One device under probe: its port, what it sent, and the verdict once there is one.
struct Probe {
  QtSerialPort port;
  std::vector<std::uint8_t> bytes;
  std::optional<ProbeOutcome> outcome;
};

}  // namespace

std::string ResolvedDevice(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::vector<SerialDeviceInfo> QtPortSearch::systemDevices() {
  std::vector<SerialDeviceInfo> out;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDeviceInfo d;
    d.path = info.systemLocation().toStdString();
    d.resolved = ResolvedDevice(d.path);
    d.description = info.description().toStdString();
    d.manufacturer = info.manufacturer().toStdString();
    d.serialNumber = info.serialNumber().toStdString();
    if (info.hasVendorIdentifier()) d.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) d.productId = info.productIdentifier();
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<RegisteredLink> QtPortSearch::registeredLinks() {
  namespace fs = std::filesystem;
  std::vector<RegisteredLink> out;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(PortLinkFolder(), ec)) {
    const int n = LinkNameNumber(e.path().filename().string());
    if (n == 0) continue;
    out.push_back({n, e.path().string(), ResolvedDevice(e.path().string())});
  }
  return out;
}

ProbeRun QtPortSearch::probe(const std::vector<std::string>& paths) {
  ProbeRun run;
  std::vector<std::unique_ptr<Probe>> probes;
  QEventLoop loop;
  auto undecided = [&probes] {
    int n = 0;
    for (const auto& p : probes) n += p->outcome ? 0 : 1;
    return n;
  };

  for (const std::string& path : paths) {
    auto p = std::make_unique<Probe>();
    p->port.setSettings("9600,N,8,1");
    const OpenResult r = p->port.open(path);
    if (!r.ok()) p->outcome = OpeningOutcome(r);
    Probe* raw = p.get();
    raw->port.onComm = [raw, &loop, &undecided](CommEvent e) {
      if (e != CommEvent::Receive || raw->outcome) return;
      for (int b = raw->port.read(); b >= 0; b = raw->port.read()) {
        raw->bytes.push_back(static_cast<std::uint8_t>(b));
      }
      raw->outcome = JudgeReply(raw->bytes, false);
      if (undecided() == 0) loop.quit();
    };
    probes.push_back(std::move(p));
  }

  // Byte by byte across all devices: each line sees the usual pacing of one byte a
  // millisecond, and all frames together take no longer than one.
  const FrameBytes poll = EncodeFrame(kPoll);
  for (std::uint8_t byte : poll) {
    for (auto& p : probes) {
      if (!p->outcome) p->port.write(byte);
    }
    QThread::msleep(1);
  }

  QProgressDialog progress(Q(kSearchCaption), Q(kSearchCancel), 0, kAnswerWindowMs, parent_);
  progress.setObjectName(QStringLiteral("KKeresesProgress"));
  progress.setWindowTitle(QStringLiteral("Voltander"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
    run.cancelled = true;
    loop.quit();
  });
  progress.show();

  QElapsedTimer clock;
  clock.start();
  QTimer window;
  window.setSingleShot(true);
  QObject::connect(&window, &QTimer::timeout, &loop, &QEventLoop::quit);
  QTimer step;
  QObject::connect(&step, &QTimer::timeout, &loop, [&] {
    progress.setValue(static_cast<int>(std::min<qint64>(clock.elapsed(), kAnswerWindowMs)));
  });
  if (undecided() > 0) {
    window.start(kAnswerWindowMs);
    step.start(kProgressStepMs);
    loop.exec();
  }
  step.stop();

  for (auto& p : probes) {
    p->port.onComm = nullptr;
    if (!p->outcome) p->outcome = JudgeReply(p->bytes, true);
    run.outcomes.push_back(*p->outcome);
    p->port.close();
  }
  return run;
}

bool QtPortSearch::registerLink(int number, const std::string& device) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path folder = PortLinkFolder();
  fs::create_directories(folder, ec);
  if (ec) return false;
  fs::create_symlink(device, folder / LinkName(number), ec);
  return !ec;
}

int QtPortSearch::choose(const std::string& prompt, const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& s : items) list << Q(s);
  bool ok = false;
  const QString picked =
      QInputDialog::getItem(parent_, QStringLiteral("Voltander"), Q(prompt), list, 0, false, &ok);
  return ok ? static_cast<int>(list.indexOf(picked)) : -1;
}

}  // namespace voltander
