#include "common/Version.h"

#include "common/SignedBlank.h"

namespace voltander {

namespace {
std::string Numbers(const Version& v) {
  return SignedBlank(std::int64_t{v.major}) + "." + SignedBlank(std::int64_t{v.minor}) + "." +
         SignedBlank(std::int64_t{v.revision});
}
}  // namespace

std::string StartupTitle(const Version& v) { return "Voltander V" + Numbers(v); }

std::string FileTitle(const std::string& fileTitle, const Version& v) {
  return "Voltander" + Numbers(v) + "   (" + fileTitle + ")";
}

}  // namespace voltander
