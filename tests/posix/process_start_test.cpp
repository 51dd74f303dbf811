#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "platform/api.h"
#include "platform/posix/process_start.h"
#include "temp_prefix.h"

using platform::posix::shell;
using platform::posix::startProgram;

namespace {

constexpr std::u16string_view kProgram = u"C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe";
const auto kExecutable = fs::perms(0755);

using ProcessStart = TempPrefix;

bool processGone(double pid) {
  return !fs::exists("/proc/" + std::to_string(static_cast<long>(pid)));
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
  write(root_ / "bin" / "not-runnable", "#!/bin/sh\n");
  std::string notRunnable = (root_ / "bin" / "not-runnable").string();
  std::array<const char*, 3> places = {"/nonexistent/wine", notRunnable.c_str(), wine.c_str()};

  double pid = startProgram(kProgram, places);
  fs::path args = wine.string() + ".args";
  ASSERT_TRUE(eventually([&] { return fs::exists(args); }));
  // Wine is handed the entry this start resolved, so it cannot pick another letter case.
  fs::path resolved = root_ / ".wine" / "drive_c" / "ORNPrg" / "ZAVRO_Fi" / "LOMADIAG.EXE";
  EXPECT_EQ(read(args), "1\n" + resolved.string() + "\n" + (root_ / ".wine").string() + "\n");
  EXPECT_TRUE(eventually([&] { return processGone(pid); })) << "left a zombie";

  std::array<const char*, 1> noWine = {"/nonexistent/wine"};
  EXPECT_EQ(errorNumber([&] { startProgram(kProgram, noWine); }), 5);
}

}  // namespace
