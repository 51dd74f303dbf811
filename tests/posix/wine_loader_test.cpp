#include "platform/posix/wine_loader.h"

#include <gtest/gtest.h>

#include <variant>

#include "temp_prefix.h"

using platform::posix::chooseWineLoader;
using platform::posix::LoaderMissing;
using platform::posix::WineLoader;
using platform::posix::WinePlaces;

namespace {

class WineLoaderChoice : public TempPrefix {
 protected:
  void SetUp() override {
    TempPrefix::SetUp();
    places_ = {(root_ / "usr-lib-wine").string(), (root_ / "opt").string(),
               (root_ / "usr-bin-wine").string()};
  }
  void loader(const fs::path& path) { write(path, "#!/bin/sh\n", fs::perms(0755)); }
  std::string chosen(bool x64) {
    auto choice = chooseWineLoader(x64, places_);
    if (auto* found = std::get_if<WineLoader>(&choice)) return found->path;
    return "missing: " + std::get<LoaderMissing>(choice).reason;
  }
  WinePlaces places_;
};

TEST_F(WineLoaderChoice, DebiansLoaderOfTheImagesArchitectureFirstNeverTheScriptBeforeIt) {
  loader(places_.lastResort);
  loader(root_ / "opt" / "wine-stable" / "bin" / "wine64");
  loader(places_.debian + "/wine64");
  loader(places_.debian + "/wine");
  EXPECT_EQ(chosen(true), places_.debian + "/wine64");
  EXPECT_EQ(chosen(false), places_.debian + "/wine");
  auto choice = std::get<WineLoader>(chooseWineLoader(true, places_));
  EXPECT_EQ(choice.environment.front(), "WINELOADER=" + places_.debian + "/wine64");

  // Debian's Wine without its 32-bit part: the 32-bit program is told what to install, and the
  // script, which would run the 64-bit loader, is not taken instead.
  fs::remove(places_.debian + "/wine");
  EXPECT_EQ(chosen(true), places_.debian + "/wine64");
  EXPECT_NE(chosen(false).find("missing: a 32-bit Windows program needs Wine's 32-bit part"),
            std::string::npos);
  EXPECT_NE(chosen(false).find("wine32:i386"), std::string::npos);
  // Nor a loader that may not be run.
  fs::permissions(places_.debian + "/wine64", fs::perms(0644));
  EXPECT_EQ(chosen(true), (root_ / "opt" / "wine-stable" / "bin" / "wine64").string());
}

TEST_F(WineLoaderChoice, TheUpstreamLayoutInNameOrderThenTheScriptOnlyWhereNoLoaderIsKnown) {
  fs::path devel = root_ / "opt" / "wine-devel" / "bin",
           stable = root_ / "opt" / "wine-stable" / "bin";
  loader(stable / "wine64");
  loader(stable / "wine");
  loader(devel / "wine");  // a newer Wine: one loader for both
  loader(places_.lastResort);
  EXPECT_EQ(chosen(true), (devel / "wine").string());
  EXPECT_EQ(chosen(false), (devel / "wine").string());
  fs::remove_all(root_ / "opt" / "wine-devel");
  EXPECT_EQ(chosen(true), (stable / "wine64").string());
  EXPECT_EQ(chosen(false), (stable / "wine").string());
  fs::remove(stable / "wine");
  EXPECT_EQ(chosen(false).rfind("missing: a 32-bit", 0), 0u);

  fs::remove_all(root_ / "opt");
  EXPECT_EQ(chosen(true), places_.lastResort);
  EXPECT_EQ(chosen(false), places_.lastResort);
  fs::remove(places_.lastResort);
  EXPECT_EQ(chosen(true).rfind("missing: a Windows program needs Wine", 0), 0u);
}

}  // namespace
