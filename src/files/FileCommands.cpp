#include <array>
#include <cstdint>
#include <string>

#include "app/Folap.h"
#include "common/SignedBlank.h"
#include "files/ParameterFile.h"
#include "params/StepTables.h"

namespace voltander {

namespace {

constexpr const char* kFilter = "Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*";
constexpr const char* kPresetName = "Modositott.vlt";

// The lists in the order of the file's position lines.
std::array<ListBox*, kPositionLines> FileOrderLists(Folap& form) {
  return {&form.Umin,   &form.Umax,         &form.Igyors, &form.Inormal,
          &form.Thiszt, &form.Tkarbantarto, &form.Minta};
}

// The dialog's bare name must be what the folder holds, letter case included; an
// empty name never matches, though a missing file looks up as "".
bool FileExists(FileStore& files, const FileChoice& choice) {
  return !choice.fileTitle.empty() && files.lookup(choice.path) == choice.fileTitle;
}

// Every failure of the two commands ends here with its error number.
void ReportFileFailure(Dialogs& dialogs, int code) {
  if (code == kCancelled) return;
  if (code == kPathFileAccess) {
    dialogs.message("Drive Problem ! No Write in Drive.", Buttons::Ok, Icon::None);
    return;
  }
  dialogs.message("Eror in File funktions ! Error Code:" + SignedBlank(std::int64_t{code}),
                  Buttons::Ok, Icon::None);
}

// Open after the dialog: 0, or the error number that ended it. What was applied
// before a failure stays applied.
int OpenParameterFile(Folap& form, const FileChoice& choice) {
  if (!FileExists(form.platform.files, choice)) {
    form.platform.dialogs.message(
        "'" + choice.fileTitle + "' nem létezik!\r\nAdjon meg létező file-t", Buttons::Ok,
        Icon::Critical);
    return kFileOk;
  }
  form.window.setTitle(FileTitle(choice.fileTitle, form.version));

  std::string bytes;
  if (const int error = form.platform.files.read(choice.path, bytes, kMaxParameterFileBytes)) {
    return error;
  }
  const auto lists = FileOrderLists(form);
  FilePositions counts{};
  for (std::size_t n = 0; n < lists.size(); ++n) counts[n] = static_cast<int>(lists[n]->count());
  const ParameterFileRead read = ReadParameterFile(bytes, counts);

  // The ratio first: the voltage positions name entries built from it.
  if (read.ratio) {
    form.kozos.DividerRatio = *read.ratio;
    BuildStepTables(form);
  }
  for (std::size_t n = 0; n < read.positions.size(); ++n) lists[n]->select(read.positions[n]);
  if (!read.error) form.platform.journal.parameterFileOpened(choice.fileTitle);
  return read.error;
}

// Save after the dialog: 0, or the error number that ended it.
int SaveParameterFile(Folap& form, const FileChoice& choice) {
  if (FileExists(form.platform.files, choice)) {
    const Answer answer =
        form.platform.dialogs.message("'" + choice.fileTitle + "' már létezik!\r\nFelül írja?",
                                      Buttons::OkCancel, Icon::Question);
    if (answer != Answer::Ok) return kFileOk;
  }
  form.window.setTitle(FileTitle(choice.fileTitle, form.version));

  FilePositions positions{};
  const auto lists = FileOrderLists(form);
  for (std::size_t n = 0; n < lists.size(); ++n) positions[n] = lists[n]->selected();
  const int error = form.platform.files.replace(
      choice.path, WriteParameterFile(form.kozos.DividerRatio, positions));
  if (!error) form.platform.journal.parameterFileSaved(choice.fileTitle);
  return error;
}

}  // namespace

void Folap::FBe_Click() {
  const FileChoice choice = platform.dialogs.openFile(kFilter, kPresetName);
  const int error = choice.cancelled ? kCancelled : OpenParameterFile(*this, choice);
  if (error) ReportFileFailure(platform.dialogs, error);
}

void Folap::FMentes_Click() {
  const FileChoice choice = platform.dialogs.saveFile(kFilter, kPresetName);
  const int error = choice.cancelled ? kCancelled : SaveParameterFile(*this, choice);
  if (error) ReportFileFailure(platform.dialogs, error);
}

}  // namespace voltander
