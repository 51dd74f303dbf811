#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/api.h"
#include "platform/posix/file_lookup.h"
#include "platform/posix/process_start.h"
#include "platform/posix/start_helper.h"
#include "platform/posix/start_watch.h"
#include "platform/posix/wine_drive.h"
#include "platform/posix/wine_loader.h"
#include "temp_prefix.h"

using platform::posix::dir;
using platform::posix::shell;
using platform::posix::startProgram;
using platform::posix::WinePlaces;

namespace {

constexpr std::u16string_view kProgram = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";
const auto kExecutable = fs::perms(0755);

using ProcessStart = TempPrefix;

bool processGone(double pid) {
  return !fs::exists("/proc/" + std::to_string(static_cast<long>(pid)));
}

// Only `wine` as the last resort: no Debian or upstream loader.
WinePlaces onlyWine(const fs::path& wine) {
  return {"/nonexistent/lib/wine", "/nonexistent/opt", wine.string()};
}

TEST_F(ProcessStart, NativeProgramRunsDirectlyWithoutOurDescriptorsAndIsReaped) {
  // No arguments reach the program, so it reports next to itself; "$$" is the pid of the
  // process that runs the script, which is the started process only if no shell came between.
  fs::path program = programFolder() / "lomadiag.exe";
  write(program,
        "#!/bin/sh\nls -l /proc/$$/fd > \"$0.fds\"\necho $$ > \"$0.tmp\"\n"
        "mv \"$0.tmp\" \"$0.ran\"\n",
        kExecutable);
  fs::path probe = root_ / "descriptor-probe";
  int inherited = open(probe.c_str(), O_CREAT | O_WRONLY, 0600);  // no O_CLOEXEC, like a socket
  ASSERT_GE(inherited, 0);

  double pid = shell(kProgram, platform::vbHide);
  close(inherited);

  fs::path ran = program.string() + ".ran";
  ASSERT_TRUE(eventually([&] { return fs::exists(ran); }));
  EXPECT_EQ(std::stod(read(ran)), pid);
  EXPECT_EQ(read(program.string() + ".fds").find("descriptor-probe"), std::string::npos);
  EXPECT_TRUE(eventually([&] { return processGone(pid); })) << "left a zombie";
}

// A relative prefix, made absolute as the program starts: the lookup and Wine see the same one
// wherever the current folder is afterwards, and Wine (which refuses a relative one) runs.
TEST_F(ProcessStart, ARelativePrefixIsMadeAbsoluteForTheLookupAndForWine) {
  write(programFolder() / "LOMADIAG.EXE", "MZ\x90");
  fs::remove(programFolder() / "LOMADIAG.EXE");
  write(programFolder() / "LOMADiag.exe", "MZ\x90");
  fs::path wine = root_ / "bin" / "wine";
  write(wine, "#!/bin/sh\nprintf '%s\\n' \"$WINEPREFIX\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n",
        kExecutable);
  const fs::path before = fs::current_path();
  fs::current_path(root_.parent_path());
  setenv("WINEPREFIX", root_.filename().c_str(), 1);
  platform::posix::settleWinePrefix();
  fs::current_path("/");
  EXPECT_EQ(std::string(getenv("WINEPREFIX")), root_.string());
  EXPECT_EQ(dir(kProgram, platform::vbNormal), u"LOMADiag.exe");
  startProgram(kProgram, onlyWine(wine), {});
  fs::current_path(before);
  fs::path args = wine.string() + ".args";
  ASSERT_TRUE(eventually([&] { return fs::exists(args); }));
  EXPECT_EQ(read(args), root_.string() + "\n");
}

TEST_F(ProcessStart, FailuresRaiseTheClassicErrors) {
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 53);
  EXPECT_EQ(errorNumber([] { shell(u"C:\\ORNPrg\\Missing\\LOMADiag.exe", 0); }), 53);

  fs::create_directory(programFolder() / "LOMADiag.exe");
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 70);
  fs::remove(programFolder() / "LOMADiag.exe");

  // A program that may not run: the system denies it, also to root.
  write(programFolder() / "LOMADiag.exe", "#!/bin/sh\ntouch \"$0.ran\"\n");
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 70);

  // No program at all, run bit or not: nothing is started.
  write(programFolder() / "LOMADiag.exe", "touch \"$0.ran\"\n", kExecutable);
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 5);
  write(programFolder() / "LOMADiag.exe", "\177ELF garbage", kExecutable);
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 5);
  write(programFolder() / "LOMADiag.exe", "", kExecutable);
  EXPECT_EQ(errorNumber([] { shell(kProgram, 0); }), 5);
  EXPECT_FALSE(fs::exists(programFolder() / "LOMADiag.exe.ran"));
}

// A script that records, beside itself, which of several names was run.
std::string reportingScript() {
  return "#!/bin/sh\ntouch \"$0.ran\"\n";
}

TEST_F(ProcessStart, RunsTheEntryTheLookupAdmitsAmongLetterCaseTwins) {
  fs::path hidden = programFolder() / "LOMADiag.exe", visible = programFolder() / "lomadiag.exe";
  write(hidden, reportingScript(), kExecutable);
  write(visible, reportingScript(), kExecutable);
  std::string_view mark = "0x2";
  ASSERT_EQ(setxattr(hidden.c_str(), "user.DOSATTRIB", mark.data(), mark.size(), 0), 0);
  ASSERT_EQ(platform::posix::dir(kProgram, 0), u"lomadiag.exe");
  shell(kProgram, platform::vbHide);
  EXPECT_TRUE(eventually([&] { return fs::exists(visible.string() + ".ran"); }));
  EXPECT_FALSE(fs::exists(hidden.string() + ".ran"));

  // A folder with the exact name beside a file in capitals: the file is found, and started.
  fs::remove(hidden);
  fs::remove(visible);
  fs::create_directory(hidden);
  fs::path file = programFolder() / "LOMADIAG.EXE";
  write(file, reportingScript(), kExecutable);
  ASSERT_EQ(platform::posix::dir(kProgram, 0), u"LOMADIAG.EXE");
  EXPECT_EQ(errorNumber([] { shell(kProgram, platform::vbHide); }), 0);
  EXPECT_TRUE(eventually([&] { return fs::exists(file.string() + ".ran"); }));
}

TEST_F(ProcessStart, AHiddenProgramAloneStillStarts) {
  fs::path hidden = programFolder() / "LOMADiag.exe";
  write(hidden, reportingScript(), kExecutable);
  std::string_view mark = "0x6";
  ASSERT_EQ(setxattr(hidden.c_str(), "user.DOSATTRIB", mark.data(), mark.size(), 0), 0);
  shell(kProgram, platform::vbHide);
  EXPECT_TRUE(eventually([&] { return fs::exists(hidden.string() + ".ran"); }));
}

TEST_F(ProcessStart, AFifoIsNotFoundAndNeverWaitedOn) {
  fs::path fifo = programFolder() / "LOMADiag.exe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0755), 0);
  // Should the start wait on the FIFO, a writer comes after two seconds to let it go on, so
  // that the test fails instead of hanging.
  std::atomic<bool> started = false;
  std::thread writer([&] {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!started && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!started) close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  });
  auto begin = std::chrono::steady_clock::now();
  int error = errorNumber([] { shell(kProgram, platform::vbHide); });
  auto took = std::chrono::steady_clock::now() - begin;
  started = true;
  writer.join();
  EXPECT_EQ(error, 53);
  EXPECT_LT(took, std::chrono::seconds(1));
}

TEST_F(ProcessStart, WindowsProgramRunsThroughWineInTheSamePrefix) {
  // The prefix comes from HOME here, so Wine sees it only if the start passes it on.
  unsetenv("WINEPREFIX");
  setenv("HOME", root_.c_str(), 1);
  write(root_ / ".wine" / "drive_c" / "ORNPrg" / "ZAVRO_Fi" / "LOMADIAG.EXE", "MZ\x90");
  fs::path wine = root_ / "bin" / "wine";
  write(wine,
        "#!/bin/sh\nprintf '%s\\n' $# \"$1\" \"$WINEPREFIX\" > \"$0.tmp\"\n"
        "mv \"$0.tmp\" \"$0.args\"\n",
        kExecutable);

  // Without a start helper Wine runs the entry itself.
  double pid = startProgram(kProgram, onlyWine(wine), {});
  fs::path args = wine.string() + ".args";
  ASSERT_TRUE(eventually([&] { return fs::exists(args); }));
  // Wine is handed the entry this start resolved, so it cannot pick another letter case.
  fs::path resolved = root_ / ".wine" / "drive_c" / "ORNPrg" / "ZAVRO_Fi" / "LOMADIAG.EXE";
  EXPECT_EQ(read(args), "1\n" + resolved.string() + "\n" + (root_ / ".wine").string() + "\n");
  EXPECT_TRUE(eventually([&] { return processGone(pid); })) << "left a zombie";

  // No Wine anywhere, or one that may not be run: nothing starts it.
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, onlyWine("/nonexistent/wine"), {}); }), 5);
  fs::permissions(wine, fs::perms(0644));
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, onlyWine(wine), {}); }), 5);
}

// The first bytes of a PE image for `machine`: "MZ", the PE header's offset at 0x3c, and there
// the signature and the machine.
std::string peImage(std::uint16_t machine) {
  std::string image(0x86, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3c] = '\x80';
  image.replace(0x80, 4, std::string("PE\0\0", 4));
  image[0x84] = static_cast<char>(machine & 0xff);
  image[0x85] = static_cast<char>(machine >> 8);
  return image;
}

// Debian's two loaders, each a script that records how it was run in one shared file.
struct FakeDebianWine {
  explicit FakeDebianWine(const fs::path& root)
      : places{(root / "lib" / "wine").string(), "/nonexistent/opt", "/nonexistent/wine"} {
    for (const char* name : {"wine64", "wine"}) {
      TempPrefix::write(
          fs::path(places.debian) / name,
          "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$WINELOADER\" $# \"$1\" \"$2\" > \"$0.tmp\"\n"
          "mv \"$0.tmp\" \"" +
              args.string() + "\"\n",
          kExecutable);
    }
  }
  WinePlaces places;
  fs::path args = fs::path(places.debian) / "args";
};

TEST_F(ProcessStart, WindowsProgramRunsThroughTheLoaderAndStartHelperOfItsArchitecture) {
  unsetenv("WINELOADER");
  FakeDebianWine wine(root_);
  const std::string wine64 = wine.places.debian + "/wine64";
  // The first folder holds a folder by the 32-bit helper's name and no 64-bit helper; the
  // second holds both.
  fs::path empty = root_ / "bin", helpers = root_ / "lib" / "loma";
  fs::create_directories(empty / "start-hidden-x86.exe");
  write(helpers / "start-hidden-x86.exe", "MZ");
  write(helpers / "start-hidden-x64.exe", "MZ");
  std::array<std::string, 2> folders = {empty.string(), helpers.string()};
  fs::path program = programFolder() / "LOMADiag.exe", args = wine.args;

  auto argumentsFor = [&](const std::string& image) {
    write(program, image);
    fs::remove(args);
    double pid = startProgram(kProgram, wine.places, folders);
    EXPECT_TRUE(eventually([&] { return fs::exists(args); }));
    EXPECT_TRUE(eventually([&] { return processGone(pid); })) << "left a zombie";
    return read(args);
  };
  // The loader of the image's architecture runs exactly the helper of that architecture and the
  // entry: the 64-bit ones with WINELOADER naming the 64-bit loader, as Debian's script sets it;
  // the 32-bit ones for whatever does not say x86-64 (the older kind, or no PE header at all).
  std::string entry = program.string() + "\n";
  EXPECT_EQ(
      argumentsFor(peImage(0x8664)),
      "wine64\n" + wine64 + "\n2\n" + (helpers / "start-hidden-x64.exe").string() + "\n" + entry);
  EXPECT_EQ(argumentsFor(peImage(0x014c)),
            "wine\n\n2\n" + (helpers / "start-hidden-x86.exe").string() + "\n" + entry);
  EXPECT_EQ(argumentsFor("MZ\x90"),
            "wine\n\n2\n" + (helpers / "start-hidden-x86.exe").string() + "\n" + entry);

  // No helper of that architecture anywhere: Wine runs the entry as it is.
  fs::remove(helpers / "start-hidden-x64.exe");
  EXPECT_EQ(argumentsFor(peImage(0x8664)), "wine64\n" + wine64 + "\n1\n" + entry + "\n");

  // A WINELOADER of the user's own is left as it is, as the script leaves it.
  setenv("WINELOADER", "/elsewhere/wine64", 1);
  EXPECT_EQ(argumentsFor(peImage(0x8664)), "wine64\n/elsewhere/wine64\n1\n" + entry + "\n");
  unsetenv("WINELOADER");
}

// A loader the system refuses to run (here a run bit on no program at all, as an i386 loader is
// where 32-bit programs cannot run; or a script whose interpreter is missing, as an ELF one's
// can be) fails the start at once, with error 5 and nothing started, and only that
// architecture's: a 64-bit program still starts beside a 32-bit loader that cannot run.
TEST_F(ProcessStart, ALoaderTheSystemRefusesFailsTheStartOfItsArchitectureOnly) {
  FakeDebianWine wine(root_);
  fs::path program = programFolder() / "LOMADiag.exe";
  write(fs::path(wine.places.debian) / "wine", "\177ELF garbage", kExecutable);
  write(program, peImage(0x014c));
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, wine.places, {}); }), 5);
  write(fs::path(wine.places.debian) / "wine", "#!/nonexistent/interpreter\n", kExecutable);
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, wine.places, {}); }), 5);
  EXPECT_FALSE(fs::exists(wine.args));

  write(program, peImage(0x8664));
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, wine.places, {}); }), 0);
  EXPECT_TRUE(eventually([&] { return fs::exists(wine.args); }));

  // No 32-bit loader at all where the 64-bit one is: that part is what is missing.
  fs::remove(fs::path(wine.places.debian) / "wine");
  write(program, peImage(0x014c));
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, wine.places, {}); }), 5);
}

// Through the start helper, Wine's exit is the start's outcome: a failing one reaches the pipe
// that the host watches, once; without the helper, Wine's exit is the program's own, untold.
TEST_F(ProcessStart, AStartThatFailsLaterIsReportedOnThePipeOnlyThroughTheHelper) {
  while (platform::posix::takeLaterFailure()) {
  }
  fs::path wine64 = root_ / "lib" / "wine" / "wine64";
  write(wine64, "#!/bin/sh\nexit 53\n", kExecutable);
  WinePlaces places{(root_ / "lib" / "wine").string(), "/nonexistent/opt", "/nonexistent/wine"};
  fs::path helpers = root_ / "helpers";
  write(helpers / "start-hidden-x64.exe", "MZ");
  std::array<std::string, 1> folders = {helpers.string()};
  write(programFolder() / "LOMADiag.exe", peImage(0x8664));

  double pid = startProgram(kProgram, places, {});
  ASSERT_TRUE(eventually([&] { return processGone(pid); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the reaper's write, if any
  EXPECT_EQ(platform::posix::takeLaterFailure(), std::nullopt);

  startProgram(kProgram, places, folders);
  ASSERT_GE(platform::posix::laterFailureDescriptor(), 0);
  std::optional<int> code;
  EXPECT_TRUE(eventually([&] { return (code = platform::posix::takeLaterFailure()).has_value(); }));
  EXPECT_EQ(code, 53);
  EXPECT_EQ(platform::posix::takeLaterFailure(), std::nullopt);

  write(wine64, "#!/bin/sh\nexit 0\n", kExecutable);
  pid = startProgram(kProgram, places, folders);
  ASSERT_TRUE(eventually([&] { return processGone(pid); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(platform::posix::takeLaterFailure(), std::nullopt);
}

TEST_F(ProcessStart, TheStartHelpersAreLookedForBesideTheProgramAndInItsLibFolder) {
  fs::path self = fs::read_symlink("/proc/self/exe");
  std::vector<std::string> folders = platform::posix::startHelperFolders();
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], self.parent_path().string());
  EXPECT_EQ(folders[1], (self.parent_path().parent_path() / "lib" / "loma").string());
}

}  // namespace
