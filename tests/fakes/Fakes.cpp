#include "fakes/Fakes.h"

#include "calibration/Oszto.h"

namespace voltander::test {

Answer FakeDialogs::message(const std::string& text, Buttons buttons, Icon icon,
                            const std::string& title) {
  shown.push_back({text, buttons, icon, title});
  if (whileShown) whileShown(shown.back());
  if (!answers.empty()) {
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

std::string FakeDialogs::input(const std::string& title, const std::string& prompt,
                               const std::string& defaultText) {
  asked.push_back({title, prompt, defaultText});
  if (inputs.empty()) return defaultText;
  std::string s = inputs.front();
  inputs.pop_front();
  return s;
}

FileChoice FakeDialogs::openFile(const std::string&, const std::string&) {
  if (files.empty()) return {};
  FileChoice c = files.front();
  files.pop_front();
  return c;
}

FileChoice FakeDialogs::saveFile(const std::string& filter, const std::string& presetName) {
  return openFile(filter, presetName);
}

void FakeDialogs::showCalibration(Oszto& form) {
  bool closing = false;
  form.window.requestClose = [&form, &closing] {
    if (closing || form.closed()) return;
    closing = true;
    form.Form_Unload();
  };
  form.Form_Load();
  if (calibrationScript) calibrationScript(form);
  if (!form.closed()) form.window.requestClose();
}

std::string FakeFileStore::lookup(const std::string& path) {
  if (files.find(path) == files.end()) return "";
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int FakeFileStore::read(const std::string& path, std::string& out, std::size_t maxBytes) {
  if (failReadWith) return failReadWith;
  auto it = files.find(path);
  if (it == files.end()) return kPathNotFound;
  out = it->second.substr(0, maxBytes);
  return kFileOk;
}

int FakeFileStore::replace(const std::string& path, const std::string& bytes) {
  if (failReplaceWith) return failReplaceWith;
  files[path] = bytes;
  return kFileOk;
}

Harness::Harness()
    : platform{port, timer,   settings, dialogs,    files,        pause,
               beep, desktop, journal,  portSearch, sessionFiles, clock},
      form(std::make_unique<Folap>(kozos, platform)) {}

void Harness::loadWithPort(int index) {
  settings.values["Voltander/Setup/Portok"] = std::to_string(index);
  form->Form_Load();
}

void Harness::reply(std::uint8_t letter, std::vector<std::uint8_t> payload) {
  std::vector<std::uint8_t> bytes{'S', letter};
  payload.resize(7, '0');
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  bytes.push_back('T');
  port.deliver(bytes);
}

std::vector<std::vector<std::uint8_t>> Harness::sentFrames() const {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t i = 0; i + 10 <= port.written.size(); i += 10) {
    frames.emplace_back(port.written.begin() + static_cast<long>(i),
                        port.written.begin() + static_cast<long>(i + 10));
  }
  return frames;
}

std::string Harness::setting(const std::string& key) const {
  auto it = settings.values.find("Voltander/Setup/" + key);
  return it == settings.values.end() ? std::string("<absent>") : it->second;
}

}  // namespace voltander::test
