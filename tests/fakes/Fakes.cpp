#include "fakes/Fakes.h"

#include "calibration/Oszto.h"

namespace voltander::test {

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

Harness::Harness()
    : platform{port, timer,   settings, dialogs,    files,        pause,
               beep, desktop, journal,  portSearch, sessionFiles, clock, retryTimer, deferred},
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

std::string Harness::setting(const std::string& key) const {
  auto it = settings.values.find("Voltander/Setup/" + key);
  return it == settings.values.end() ? std::string("<absent>") : it->second;
}

static std::array<ListBox*, 7> InControllerOrder(Folap& f) {
  return {&f.Umin, &f.Umax, &f.Igyors, &f.Inormal, &f.Tkarbantarto, &f.Thiszt, &f.Minta};
}

void Harness::select(const std::vector<int>& positions) {
  for (std::size_t i = 0; i < 7; ++i) InControllerOrder(*form)[i]->select(positions.at(i));
}

std::vector<int> Harness::selections() const {
  std::vector<int> out;
  for (const ListBox* list : InControllerOrder(*form)) out.push_back(list->selected());
  return out;
}

}  // namespace voltander::test
