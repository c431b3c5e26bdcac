// The user's side of the desktop, scripted: settings, message and input boxes that
// answer from a queue and remember what they showed, files, pauses, beeps and the
// jobs the event loop would run after a handler.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform/Deferred.h"
#include "platform/Dialogs.h"
#include "platform/FileStore.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"

namespace voltander::test {

// Values under "app/section/key".
class FakeSettings : public SettingsStore {
 public:
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& fallback) override {
    auto it = values.find(app + "/" + section + "/" + key);
    return it == values.end() ? fallback : it->second;
  }
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override {
    if (onSave) onSave(key);
    values[app + "/" + section + "/" + key] = value;
    savedKeys.push_back(key);
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> savedKeys;                  // in order of writing
  std::function<void(const std::string& key)> onSave;  // before every save
};

struct ShownMessage {
  std::string text;
  Buttons buttons;
  Icon icon;
  std::string title;
};

template <typename T>
T Take(std::deque<T>& queue) {
  T first = queue.front();
  queue.pop_front();
  return first;
}

class FakeDialogs : public Dialogs {
 public:
  Answer message(const std::string& text, Buttons buttons, Icon icon,
                 const std::string& title) override {
    shown.push_back({text, buttons, icon, title});
    if (whileShown) whileShown(shown.back());
    return answers.empty() ? (buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok) : Take(answers);
  }
  std::string input(const std::string&, const std::string&,
                    const std::string& defaultText) override {
    ++asked;
    return inputs.empty() ? defaultText : Take(inputs);
  }
  FileChoice openFile(const std::string&, const std::string&) override {
    return files.empty() ? FileChoice{} : Take(files);
  }
  FileChoice saveFile(const std::string& f, const std::string& p) override {
    return openFile(f, p);
  }
  void showCalibration(Oszto& form) override;

  // Scripted replies, taken in order; when used up: Ok (Yes for Yes/No boxes), the
  // default text, a cancelled file dialog.
  std::deque<Answer> answers;
  std::deque<std::string> inputs;
  std::deque<FileChoice> files;
  // Runs inside the calibration window after its opening; the window closes after.
  std::function<void(Oszto&)> calibrationScript;
  // Runs while a message box is up (e.g. to let a tick happen behind it).
  std::function<void(const ShownMessage&)> whileShown;

  std::vector<ShownMessage> shown;
  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const ShownMessage& m : shown) t.push_back(m.text);
    return t;
  }
  int asked = 0;  // input boxes shown
};

class FakeFileStore : public FileStore {
 public:
  std::string lookup(const std::string& path) override {
    return files.contains(path) ? path.substr(path.find_last_of('/') + 1) : "";
  }
  int read(const std::string& path, std::string& out, std::size_t maxBytes) override {
    if (failReadWith) return failReadWith;
    if (!files.contains(path)) return kPathNotFound;
    out = files[path].substr(0, maxBytes);
    return kFileOk;
  }
  int replace(const std::string& path, const std::string& bytes) override {
    if (failReplaceWith) return failReplaceWith;
    files[path] = bytes;
    return kFileOk;
  }

  std::map<std::string, std::string> files;  // full path -> content
  int failReadWith = 0;
  int failReplaceWith = 0;
};

class FakePause : public Pause {
 public:
  void sleepMs(int ms) override {
    pauses.push_back(ms);
    if (onPause) onPause(ms);
  }
  std::vector<int> pauses;
  std::function<void(int)> onPause;
};

class FakeBeep : public Beep {
 public:
  void beep() override { ++count; }
  int count = 0;
};

class FakeDesktop : public Desktop {
 public:
  std::string decimalSeparator() const override { return separator; }
  void processEvents() override {}
  std::string separator = ".";
};

// Jobs held until the test runs them, as the event loop would after the handler.
class FakeDeferred : public Deferred {
 public:
  void post(std::function<void()> job) override { jobs.push_back(std::move(job)); }
  void run() {
    while (!jobs.empty()) Take(jobs)();
  }
  std::deque<std::function<void()>> jobs;
};

}  // namespace voltander::test
