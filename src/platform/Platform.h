// Everything the logic reaches outside itself, handed to the forms in one bundle.
#pragma once

#include "platform/Clock.h"
#include "platform/Deferred.h"
#include "platform/Dialogs.h"
#include "platform/FileStore.h"
#include "platform/Journal.h"
#include "platform/PortSearch.h"
#include "platform/SerialPort.h"
#include "platform/SessionFiles.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"
#include "platform/Timer.h"

namespace voltander {

struct Platform {
  SerialPort& port;
  Timer& timer;
  SettingsStore& settings;
  Dialogs& dialogs;
  FileStore& files;
  Pause& pause;
  Beep& beep;
  Desktop& desktop;
  Journal& journal;
  PortSearch& portSearch;
  SessionFiles& sessionFiles;
  Clock& clock;
  // Paces the automatic re-opening of a lost port, apart from the polling.
  Timer& retryTimer;
  Deferred& deferred;
};

}  // namespace voltander
