#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "fakes/Fakes.h"
#include "files/ParameterFile.h"
#include "qt/PosixFileStore.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return names;
  while (const dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      names.insert(e->d_name);
    }
  }
  ::closedir(d);
  return names;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

mode_t CurrentUmask() {
  const mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

// File-system checks made as an ordinary user for as long as it lives; root's
// override of permission bits goes with the change of the file-system user.
class AsUser {
 public:
  AsUser() { ::setfsuid(kNobody); }
  ~AsUser() { ::setfsuid(0); }
  static constexpr uid_t kNobody = 65534;
};

const std::string kOld = " 4\r\n 1\r\n 2\r\n 3\r\n 4\r\n 5\r\n 6\r\n 7\r\n";
const std::string kNew = " 5\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n";

struct PosixFiles : ::testing::Test {
  void TearDown() override {
    for (const std::string& p : immutable) {
      std::system(("chattr -i '" + p + "' 2>/dev/null").c_str());
    }
    for (const std::string& m : mounts) ::umount2(m.c_str(), MNT_DETACH);
  }
  // A small tmpfs inside the test folder, or empty when mounting is not allowed.
  std::string mountTmpfs(const std::string& name, const char* options) {
    const std::string at = dir.file(name);
    ::mkdir(at.c_str(), 0755);
    if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options) != 0) return "";
    mounts.push_back(at);
    return at;
  }

  test::TempDir dir{"voltander-files"};
  PosixFileStore store;
  std::vector<std::string> immutable;
  std::vector<std::string> mounts;
};

TEST_F(PosixFiles, ReplaceWritesTheBytesKeepsTheModeAndFollowsLinks) {
  const std::string path = dir.file("a.vlt");
  ASSERT_EQ(store.replace(path, kOld), kFileOk);
  EXPECT_EQ(Slurp(path), kOld);
  EXPECT_EQ(Mode(path), 0666 & ~CurrentUmask());

  ::chmod(path.c_str(), 0640);
  ASSERT_EQ(store.replace(path, kNew), kFileOk);
  EXPECT_EQ(Slurp(path), kNew);
  EXPECT_EQ(Mode(path), 0640u);

  const std::string link = dir.file("link.vlt");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_EQ(store.replace(link, kOld), kFileOk);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(path), kOld);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.vlt", "link.vlt"}));
}

TEST_F(PosixFiles, LookupNamesOnlyOrdinaryFilesExactlyAsStored) {
  Put(dir.file("a.vlt"), kOld);
  ::mkdir(dir.file("mappa.vlt").c_str(), 0755);
  ::symlink(dir.file("a.vlt").c_str(), dir.file("b.vlt").c_str());
  EXPECT_EQ(store.lookup(dir.file("a.vlt")), "a.vlt");
  EXPECT_EQ(store.lookup(dir.file("b.vlt")), "b.vlt");
  EXPECT_EQ(store.lookup(dir.file("A.vlt")), "");
  EXPECT_EQ(store.lookup(dir.file("nincs.vlt")), "");
  EXPECT_EQ(store.lookup(dir.file("mappa.vlt")), "");
  EXPECT_EQ(store.lookup(dir.file("a.vlt") + "/"), "");
  EXPECT_EQ(store.lookup(""), "");
}

TEST_F(PosixFiles, ReadIsBoundedAndBadPathsMapToTheirNumbers) {
  const std::string big = dir.file("nagy.vlt");
  Put(big, std::string(1 << 20, 'x'));
  std::string out;
  EXPECT_EQ(store.read(big, out, 100), kFileOk);
  EXPECT_EQ(out.size(), 100u);
  ::mkdir(dir.file("mappa").c_str(), 0755);

  EXPECT_EQ(store.read(dir.file("nincs.vlt"), out, 100), kPathNotFound);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(store.read(dir.file("nincs/a.vlt"), out, 100), kPathNotFound);
  EXPECT_EQ(store.read(dir.file("mappa"), out, 100), kPathFileAccess);
  EXPECT_EQ(store.read(std::string("a\0b", 3), out, 100), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("nincs/a.vlt"), kNew), kPathNotFound);
  EXPECT_EQ(store.replace(dir.file(std::string(300, 'n')), kNew), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("nincs") + "/", kNew), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("mappa"), kNew), kPathFileAccess);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"mappa", "nagy.vlt"}));
}

TEST_F(PosixFiles, ReadOnlyFileSystemRefusesTheSave) {
  const std::string mnt = mountTmpfs("ro", "size=64k");
  if (mnt.empty()) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  const std::string path = mnt + "/a.vlt";
  Put(path, kOld);
  ASSERT_EQ(::mount("tmpfs", mnt.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
  EXPECT_EQ(store.replace(path, kNew), kPathFileAccess);
  EXPECT_EQ(store.replace(mnt + "/uj.vlt", kNew), kPathFileAccess);
  EXPECT_EQ(Slurp(path), kOld);
  EXPECT_EQ(Names(mnt), (std::set<std::string>{"a.vlt"}));
}

TEST_F(PosixFiles, FullDiskReports61AndKeepsTheOldFile) {
  const std::string mnt = mountTmpfs("full", "size=64k");
  if (mnt.empty()) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  const std::string path = mnt + "/a.vlt";
  Put(path, kOld);
  {
    std::ofstream filler(mnt + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    for (int i = 0; i < 64 && filler; ++i) filler.write(block.data(), block.size());
  }
  EXPECT_EQ(store.replace(path, std::string(32 * 1024, 'n')), kDiskFull);
  EXPECT_EQ(Slurp(path), kOld);
  EXPECT_EQ(Names(mnt), (std::set<std::string>{"a.vlt", "filler"}));
}

TEST_F(PosixFiles, AnOrdinaryUserCannotReplaceOrReadWhatIsNotTheirs) {
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const std::string readOnly = dir.file("csakolvas.vlt");
  const std::string secret = dir.file("titkos.vlt");
  Put(readOnly, kOld);
  Put(secret, kOld);
  ::chmod(readOnly.c_str(), 0444);
  ::chmod(secret.c_str(), 0600);
  std::string out;
  int replaced = -1;
  int read = -1;
  bool dropped = false;
  {
    AsUser nobody;
    const int probe = ::open(secret.c_str(), O_RDONLY);
    dropped = probe < 0;
    if (probe >= 0) ::close(probe);
    replaced = store.replace(readOnly, kNew);
    read = store.read(secret, out, 100);
  }
  if (!dropped) GTEST_SKIP() << "permission bits are not enforced for this process";
  EXPECT_EQ(replaced, kPathFileAccess);
  EXPECT_EQ(read, kPermissionDenied);
  EXPECT_EQ(Slurp(readOnly), kOld);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"csakolvas.vlt", "titkos.vlt"}));
}

// The commands over the real store: a save refused by an immutable file shows the
// drive message and leaves the file, and only the file, as it was.
TEST_F(PosixFiles, SaveAndOpenThroughTheCommands) {
  test::Harness h;
  Platform platform{h.port, h.timer, h.settings, h.dialogs, store, h.pause, h.beep, h.desktop};
  Kozos kozos;
  Folap form(kozos, platform);
  form.Form_Load();
  form.Umin.select(2);
  form.Umax.select(30);
  form.Minta.select(9);

  const std::string path = dir.file("sajat.vlt");
  h.dialogs.files.push_back({false, path, "sajat.vlt"});
  form.FMentes.click();
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(Slurp(path), " 4\r\n 2\r\n 30\r\n-1\r\n-1\r\n-1\r\n-1\r\n 9\r\n");

  form.Umin.select(5);
  h.dialogs.files.push_back({false, path, "sajat.vlt"});
  form.FBe.click();
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(form.Umin.selected(), 2);

  if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the file system does not support the immutable flag";
  }
  immutable.push_back(path);
  h.dialogs.files.push_back({false, path, "sajat.vlt"});
  h.dialogs.answers.push_back(Answer::Ok);
  form.FMentes.click();
  ASSERT_EQ(h.dialogs.shown.size(), 2u);
  EXPECT_EQ(h.dialogs.shown[0].text, "'sajat.vlt' már létezik!\r\nFelül írja?");
  EXPECT_EQ(h.dialogs.shown[1].text, "Drive Problem ! No Write in Drive.");
  EXPECT_EQ(Slurp(path), " 4\r\n 2\r\n 30\r\n-1\r\n-1\r\n-1\r\n-1\r\n 9\r\n");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"sajat.vlt"}));
}

}  // namespace
}  // namespace voltander
