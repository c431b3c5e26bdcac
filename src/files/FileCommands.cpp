#include "files/FileCommands.h"

#include <array>
#include <cstdint>
#include <string>

#include "common/SignedBlank.h"
#include "files/ParameterFile.h"
#include "params/StepTables.h"
#include "platform/Dialogs.h"
#include "platform/FileStore.h"
#include "platform/Journal.h"
#include "platform/System.h"

namespace voltander {

namespace {

constexpr const char* kFilter = "Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*";
constexpr const char* kPresetName = "Modositott.vlt";

// The lists in the order of the file's position lines, which the format fixes.
std::array<ListBox*, kPositionLines> FileOrder(const ParameterLists& l) {
  return {&l.Umin, &l.Umax, &l.Igyors, &l.Inormal, &l.Thiszt, &l.Tkarbantarto, &l.Minta};
}

}  // namespace

ParameterFiles::ParameterFiles(Kozos& kozos, const ParameterLists& lists, WindowModel& window,
                               Version version, Dialogs& dialogs, FileStore& files,
                               Desktop& desktop, Journal& journal)
    : kozos_(kozos),
      lists_(lists),
      window_(window),
      version_(version),
      dialogs_(dialogs),
      files_(files),
      desktop_(desktop),
      journal_(journal) {}

// The dialog's bare name must be what the folder holds, letter case included; an
// empty name never matches, though a missing file looks up as "".
bool ParameterFiles::exists(const FileChoice& choice) {
  return !choice.fileTitle.empty() && files_.lookup(choice.path) == choice.fileTitle;
}

// Every failure of the two commands ends here with its error number.
void ParameterFiles::reportFailure(int code) {
  if (code == kCancelled) return;
  if (code == kPathFileAccess) {
    dialogs_.message("Drive Problem ! No Write in Drive.", Buttons::Ok, Icon::None);
    return;
  }
  dialogs_.message("Eror in File funktions ! Error Code:" + SignedBlank(std::int64_t{code}),
                   Buttons::Ok, Icon::None);
}

// Open after the dialog: 0, or the error number that ended it. What was applied
// before a failure stays applied.
int ParameterFiles::open(const FileChoice& choice) {
  if (!exists(choice)) {
    dialogs_.message("'" + choice.fileTitle + "' nem létezik!\r\nAdjon meg létező file-t",
                     Buttons::Ok, Icon::Critical);
    return kFileOk;
  }
  window_.setTitle(FileTitle(choice.fileTitle, version_));

  std::string bytes;
  if (const int error = files_.read(choice.path, bytes, kMaxParameterFileBytes)) return error;
  const auto lists = FileOrder(lists_);
  FilePositions counts{};
  for (std::size_t n = 0; n < lists.size(); ++n) counts[n] = static_cast<int>(lists[n]->count());
  const ParameterFileRead read = ReadParameterFile(bytes, counts);

  // The ratio first: the voltage positions name entries built from it.
  if (read.ratio) {
    kozos_.DividerRatio = *read.ratio;
    BuildStepTables(kozos_, lists_, desktop_.decimalSeparator());
  }
  for (std::size_t n = 0; n < read.positions.size(); ++n) lists[n]->select(read.positions[n]);
  if (!read.error) journal_.parameterFileOpened(choice.fileTitle);
  return read.error;
}

// Save after the dialog: 0, or the error number that ended it.
int ParameterFiles::save(const FileChoice& choice) {
  if (exists(choice)) {
    const Answer answer = dialogs_.message("'" + choice.fileTitle + "' már létezik!\r\nFelül írja?",
                                           Buttons::OkCancel, Icon::Question);
    if (answer != Answer::Ok) return kFileOk;
  }
  window_.setTitle(FileTitle(choice.fileTitle, version_));

  FilePositions positions{};
  const auto lists = FileOrder(lists_);
  for (std::size_t n = 0; n < lists.size(); ++n) positions[n] = lists[n]->selected();
  const int error = files_.replace(choice.path, WriteParameterFile(kozos_.DividerRatio, positions));
  if (!error) journal_.parameterFileSaved(choice.fileTitle);
  return error;
}

void ParameterFiles::FBe_Click() {
  const FileChoice choice = dialogs_.openFile(kFilter, kPresetName);
  const int error = choice.cancelled ? kCancelled : open(choice);
  if (error) reportFailure(error);
}

void ParameterFiles::FMentes_Click() {
  const FileChoice choice = dialogs_.saveFile(kFilter, kPresetName);
  const int error = choice.cancelled ? kCancelled : save(choice);
  if (error) reportFailure(error);
}

}  // namespace voltander
