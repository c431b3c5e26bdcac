// The Open and Save commands of the file menu: the file dialog, the existence and
// overwrite questions, the title, and the failure report by error number. The file's
// bytes are read and written by ParameterFile; this class does the rest.
#pragma once

#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "params/ParameterSet.h"

namespace voltander {

class Desktop;
class Dialogs;
class FileStore;
class Journal;
struct FileChoice;

class ParameterFiles {
 public:
  ParameterFiles(Kozos& kozos, const ParameterLists& lists, WindowModel& window, Version version,
                 Dialogs& dialogs, FileStore& files, Desktop& desktop, Journal& journal);

  void FBe_Click();
  void FMentes_Click();

 private:
  int open(const FileChoice& choice);
  int save(const FileChoice& choice);
  bool exists(const FileChoice& choice);
  void reportFailure(int code);

  Kozos& kozos_;
  ParameterLists lists_;
  WindowModel& window_;
  Version version_;
  Dialogs& dialogs_;
  FileStore& files_;
  Desktop& desktop_;
  Journal& journal_;
};

}  // namespace voltander
