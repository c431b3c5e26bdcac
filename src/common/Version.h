// The program's version numbers come from the build, so titles and the About box
// never disagree with the package.
#pragma once

#include <string>

namespace voltander {

struct Version {
  int major = VOLTANDER_VERSION_MAJOR;
  int minor = VOLTANDER_VERSION_MINOR;
  int revision = VOLTANDER_VERSION_REVISION;
};

// "Voltander V 1. 1. 0": the start-up title and the first line of the About box.
std::string StartupTitle(const Version& v = {});

// "Voltander 1. 1. 0   (name)": the title after a parameter file was opened or saved.
std::string FileTitle(const std::string& fileTitle, const Version& v = {});

}  // namespace voltander
