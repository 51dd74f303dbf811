#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/api.h"
#include "platform/posix/file_lookup.h"
#include "platform/posix/wine_drive.h"
#include "temp_prefix.h"

using platform::posix::dir;

namespace {

constexpr std::u16string_view kProgram = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";

class FileLookup : public TempPrefix {
 protected:
  // Marks a file as Wine does. The prefix lies where user.* attributes are kept, so a mark that
  // cannot be set is a fault of the test machine, and the test fails rather than skipping.
  static void markDos(const fs::path& path, std::string_view value) {
    ASSERT_EQ(setxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0)
        << path << " keeps no user.* attributes: " << std::strerror(errno);
  }
};

// Every descriptor the process may open, taken until it goes, as under "ulimit -n" with all used.
class NoDescriptorsLeft {
 public:
  NoDescriptorsLeft() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit low = saved_;
    low.rlim_cur = 64;
    setrlimit(RLIMIT_NOFILE, &low);
    for (int fd; (fd = dup(STDIN_FILENO)) >= 0;) taken_.push_back(fd);
  }
  NoDescriptorsLeft(const NoDescriptorsLeft&) = delete;
  NoDescriptorsLeft& operator=(const NoDescriptorsLeft&) = delete;
  ~NoDescriptorsLeft() {
    for (int fd : taken_) close(fd);
    setrlimit(RLIMIT_NOFILE, &saved_);
  }

 private:
  rlimit saved_{};
  std::vector<int> taken_;
};

// A folder that cannot be read for want of a descriptor says nothing about the entry: that is
// error 67, not "not found". The exact name needs no listing, so it is found all the same.
TEST_F(FileLookup, OutOfDescriptorsIsAnErrorNotAbsence) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' runtime opens a pipe to check memory as an exception is made; with no
  // descriptor left it reports that as a fault. The plain build runs this test.
  GTEST_SKIP() << "needs descriptors the sanitizers' runtime would take";
#endif
  write(programFolder() / "LOMADiag.exe", "MZ");
  std::u16string exact;
  int file = 0, folder = 0;
  {
    NoDescriptorsLeft full;
    exact = dir(kProgram, 0);
    file = errorNumber([] { dir(u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADIAG.EXE", 0); });
    folder = errorNumber([] { dir(u"C:\\ORNPrg\\zavro_fi\\LOMADiag.exe", 0); });
  }
  EXPECT_EQ(exact, u"LOMADiag.exe");
  EXPECT_EQ(file, 67);
  EXPECT_EQ(folder, 67);
  EXPECT_EQ(dir(u"C:\\ORNPrg\\zavro_fi\\LOMADIAG.EXE", 0), u"LOMADiag.exe");
}

TEST_F(FileLookup, FindsNamesInAnyLetterCaseAndReturnsTheStoredOne) {
  write(root_ / "drive_c" / "ornprg" / "Zavro_FI" / "LOMADIAG.EXE", "MZ");
  fs::remove_all(root_ / "drive_c" / "ORNPrg");
  EXPECT_EQ(dir(kProgram, 0), u"LOMADIAG.EXE");
  EXPECT_EQ(dir(u"c:/ORNPRG/zavro_fi/lomadiag.exe", 0), u"LOMADIAG.EXE");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\.\\x\\..\\\\ZAVRO_Fi\\LOMADiag.exe", 0), u"LOMADIAG.EXE");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.ex", 0), u"");
}

TEST_F(FileLookup, FoldsLettersBeyondAscii) {
  write(programFolder() / "ÄΒΓДиаг.exe", "MZ");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\äβγдИАГ.EXE", 0), u"ÄΒΓДиаг.exe");
}

TEST_F(FileLookup, OnlyOrdinaryFilesMatchMaskZero) {
  fs::create_directories(programFolder() / "LOMADiag.exe");
  EXPECT_EQ(dir(kProgram, 0), u"");
  EXPECT_EQ(dir(kProgram, platform::vbDirectory), u"LOMADiag.exe");
  // The exact name is a folder; the same name in capitals is a file, and mask 0 finds that.
  write(programFolder() / "LOMADIAG.EXE", "MZ");
  EXPECT_EQ(dir(kProgram, 0), u"LOMADIAG.EXE");
  EXPECT_EQ(dir(kProgram, platform::vbDirectory), u"LOMADiag.exe");
}

TEST_F(FileLookup, ReadOnlyFileMatches) {
  write(programFolder() / "LOMADiag.exe", "MZ", fs::perms(0444));
  EXPECT_EQ(dir(kProgram, 0), u"LOMADiag.exe");
}

TEST_F(FileLookup, HiddenAndSystemMarksOfWineHideTheFile) {
  fs::path file = programFolder() / "LOMADiag.exe";
  write(file, "MZ");
  markDos(file, "0x0");
  EXPECT_EQ(dir(kProgram, 0), u"LOMADiag.exe");
  markDos(file, "0x2");
  EXPECT_EQ(dir(kProgram, 0), u"");
  EXPECT_EQ(dir(kProgram, platform::vbHidden), u"LOMADiag.exe");
  markDos(file, "0x4");
  EXPECT_EQ(dir(kProgram, 0), u"");
  EXPECT_EQ(dir(kProgram, platform::vbHidden), u"");
  EXPECT_EQ(dir(kProgram, platform::vbSystem), u"LOMADiag.exe");
  markDos(file, "0x21");  // archive and read-only: still ordinary
  EXPECT_EQ(dir(kProgram, 0), u"LOMADiag.exe");

  // A dot-file is hidden unless Wine's own mark says otherwise.
  write(programFolder() / ".LOMADiag.exe", "MZ");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\.LOMADiag.exe", 0), u"");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\.LOMADiag.exe", platform::vbHidden), u".LOMADiag.exe");
  markDos(programFolder() / ".LOMADiag.exe", "0x0");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\.LOMADiag.exe", 0), u".LOMADiag.exe");
}

TEST_F(FileLookup, AMarkLongerThanASmallBufferStillHides) {
  fs::path file = programFolder() / "LOMADiag.exe";
  write(file, "MZ");
  markDos(file, "0x" + std::string(100, '0') + "2");
  EXPECT_EQ(dir(kProgram, 0), u"");
  EXPECT_EQ(dir(kProgram, platform::vbHidden), u"LOMADiag.exe");
}

TEST_F(FileLookup, FifosSocketsAndDanglingLinksAreNotFound) {
  constexpr int kAny = platform::vbHidden | platform::vbSystem | platform::vbDirectory;
  fs::path fifo = programFolder() / "LOMADiag.exe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(dir(kProgram, 0), u"");
  EXPECT_EQ(dir(kProgram, kAny), u"");
  fs::remove(fifo);
  // A link to a FIFO elsewhere, and one to nothing.
  ASSERT_EQ(mkfifo((root_ / "pipe").c_str(), 0644), 0);
  fs::create_symlink(root_ / "pipe", fifo);
  EXPECT_EQ(dir(kProgram, 0), u"");
  fs::remove(fifo);
  fs::create_symlink(root_ / "nothing", fifo);
  EXPECT_EQ(dir(kProgram, kAny), u"");
  // A device, and a socket.
  fs::remove(fifo);
  fs::create_symlink("/dev/null", fifo);
  EXPECT_EQ(dir(kProgram, kAny), u"");
  fs::remove(fifo);
  // A socket's path must be short: it lies in the system's temporary folder, linked from here.
  std::string socketFolder = (fs::temp_directory_path() / "loma-socket-XXXXXX").string();
  ASSERT_NE(mkdtemp(socketFolder.data()), nullptr);
  std::string socketPath = socketFolder + "/s";
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::ranges::copy(socketPath, address.sun_path);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  fs::create_symlink(socketPath, fifo);
  EXPECT_EQ(dir(kProgram, kAny), u"");
  close(sock);
  fs::remove_all(socketFolder);
  // A regular file reached through a link is a file, and a variant beside a FIFO is found.
  fs::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  write(root_ / "real.exe", "MZ");
  fs::create_symlink(root_ / "real.exe", programFolder() / "lomadiag.exe");
  EXPECT_EQ(dir(kProgram, 0), u"lomadiag.exe");
}

TEST_F(FileLookup, AHiddenExactNameGivesWayToAVisibleVariant) {
  write(programFolder() / "LOMADiag.exe", "MZ");
  write(programFolder() / "lomadiag.exe", "MZ");
  markDos(programFolder() / "LOMADiag.exe", "0x2");
  EXPECT_EQ(dir(kProgram, 0), u"lomadiag.exe");
  EXPECT_EQ(dir(kProgram, platform::vbHidden), u"LOMADiag.exe");
}

TEST_F(FileLookup, OverlongUtf8NeverMatches) {
  write(programFolder() / "LOMADiag.ex\xC1\xA5", "MZ");
  EXPECT_EQ(dir(kProgram, 0), u"");
  write(root_ / "drive_c" / "ORNPrg" / "ZAVRO\xC1\x9F\x46i" / "x.exe", "MZ");  // "_" overlong
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\x.exe", 0), u"");
}

TEST_F(FileLookup, MissingFoldersAndOtherPathsGiveNothing) {
  write(programFolder() / "LOMADiag.exe", "MZ");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\Missing\\LOMADiag.exe", 0), u"");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe\\", 0), u"");
  EXPECT_EQ(dir(u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe\\x", 0), u"");
  EXPECT_EQ(dir(u"D:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe", 0), u"");
  EXPECT_EQ(dir(u"ORNPrg\\ZAVRO_Fi\\LOMADiag.exe", 0), u"");
  EXPECT_EQ(dir(u"\\\\host\\share\\LOMADiag.exe", 0), u"");
  setenv("WINEPREFIX", (root_ / "none").c_str(), 1);
  EXPECT_EQ(dir(kProgram, 0), u"");
}

TEST_F(FileLookup, DrivesComeFromDosdevicesLinks) {
  fs::path elsewhere = root_ / "elsewhere";
  write(elsewhere / "ORNPrg" / "ZAVRO_Fi" / "LOMADiag.exe", "MZ");
  fs::create_directories(root_ / "dosdevices");
  fs::create_directory_symlink(elsewhere, root_ / "dosdevices" / "c:");
  fs::create_directory_symlink(elsewhere, root_ / "dosdevices" / "d:");
  EXPECT_EQ(dir(kProgram, 0), u"LOMADiag.exe");  // drive_c holds no such file
  EXPECT_EQ(dir(u"d:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe", 0), u"LOMADiag.exe");
  EXPECT_EQ(platform::posix::driveRoot('C'), (root_ / "dosdevices" / "c:").string());
  // A dangling link is a missing drive: drive_c does not stand in for it.
  fs::remove_all(elsewhere);
  write(programFolder() / "LOMADiag.exe", "MZ");
  EXPECT_EQ(dir(kProgram, 0), u"");
}

TEST_F(FileLookup, PrefixDefaultsToDotWineInHome) {
  unsetenv("WINEPREFIX");
  setenv("HOME", root_.c_str(), 1);
  write(root_ / ".wine" / "drive_c" / "ORNPrg" / "ZAVRO_Fi" / "LOMADiag.exe", "MZ");
  EXPECT_EQ(platform::posix::winePrefix(), (root_ / ".wine").string());
  EXPECT_EQ(dir(kProgram, 0), u"LOMADiag.exe");
}

}  // namespace
