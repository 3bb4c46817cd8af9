// Loading bundles through their entry points and reading the factory.

#include "HostModule.h"
#include "HostTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace Steinberg;

namespace krb::host
{
namespace
{

using test::FixtureBundle;

TEST(ModuleTest, LoadsTheBundleThroughItsEntryPoints)
{
  std::string error;
  std::shared_ptr<HostModule> module = HostModule::Load(FixtureBundle(), error);
  ASSERT_TRUE(module) << error;
  // The test plug-in hands out its factory only after its entry function ran.
  EXPECT_NE(module->Factory(), nullptr);
  EXPECT_EQ(module->EntryName(), KRB_MODULE_ENTRY);
  EXPECT_EQ(module->BinaryPath(), FixtureBundle() / "Contents" / KRB_BUNDLE_ARCH / "KrbHostFixture" KRB_MODULE_SUFFIX);

  const FactoryInfo& info = module->Info();
  EXPECT_EQ(info.mVendor, "Krellbinder Tests");
  EXPECT_EQ(info.mUrl, "https://krellbinder.invalid/tests");
  EXPECT_EQ(info.mEmail, "tests@krellbinder.invalid");
  EXPECT_EQ(info.mFlags, PFactoryInfo::kUnicode);
  EXPECT_EQ(FactoryFlagsText(info.mFlags), "Unicode");
}

TEST(ModuleTest, ReadsEveryClassInfo)
{
  struct ClassCase
  {
    const char* mName;
    const char* mCategory;
    const char* mSubCategories;
    const char* mCid;
  };
  const ClassCase kClasses[] = {
    {test::kSingleClass, "Audio Module Class", "Instrument|Drum", "4B52425453494E474C45000000000001"},
    {test::kSplitClass, "Audio Module Class", "Instrument", "4B52425453504C495400000000000002"},
    {test::kSplitControllerClass, "Component Controller Class", "", "4B52425453504C495443545200000003"},
  };
  std::string error;
  std::shared_ptr<HostModule> module = HostModule::Load(FixtureBundle(), error);
  ASSERT_TRUE(module) << error;
  ASSERT_EQ(module->Classes().size(), std::size(kClasses));
  for (std::size_t i = 0; i < std::size(kClasses); ++i)
  {
    const ClassInfo& info = module->Classes()[i];
    SCOPED_TRACE(kClasses[i].mName);
    EXPECT_EQ(info.mIndex, static_cast<int>(i));
    EXPECT_EQ(info.mName, kClasses[i].mName);
    EXPECT_EQ(info.mCategory, kClasses[i].mCategory);
    EXPECT_EQ(info.mSubCategories, kClasses[i].mSubCategories);
    EXPECT_EQ(info.mCidHex, kClasses[i].mCid);
    EXPECT_EQ(info.mInfoVersion, 3) << "read through IPluginFactory3";
    EXPECT_EQ(info.mCardinality, PClassInfo::kManyInstances);
    EXPECT_EQ(info.mVendor, "Krellbinder Tests");
    EXPECT_EQ(info.mVersion, "1.2.3");
    EXPECT_EQ(info.mSdkVersion, kVstVersionString);
  }
}

TEST(ModuleTest, FindsClassesBySelector)
{
  struct SelectorCase
  {
    std::string mSelector;
    int mIndex; // -1: no class
  };
  const SelectorCase kCases[] = {
    {"", 0},
    {"1", 1},
    {"2", 2},
    {"3", -1},
    {"4B52425453504C495443545200000003", 2},
    {"4b52425453504c495400000000000002", 1},
    {test::kSplitClass, 1},
    {"No Such Class", -1},
  };
  std::string error;
  std::shared_ptr<HostModule> module = HostModule::Load(FixtureBundle(), error);
  ASSERT_TRUE(module) << error;
  for (const SelectorCase& c : kCases)
  {
    SCOPED_TRACE(c.mSelector);
    error.clear();
    const ClassInfo* info = module->FindClass(c.mSelector, error);
    if (c.mIndex < 0)
    {
      EXPECT_EQ(info, nullptr);
      EXPECT_FALSE(error.empty());
    }
    else
    {
      ASSERT_NE(info, nullptr) << error;
      EXPECT_EQ(info->mIndex, c.mIndex);
    }
  }
}

TEST(ModuleTest, ReportsWhyABundleCannotLoad)
{
  krbtest::TempFolder dir;
  // A bundle whose binary is not a shared library.
  const auto fake = dir / "Fake.vst3";
  std::filesystem::create_directories(fake / "Contents" / KRB_BUNDLE_ARCH);
  std::ofstream(fake / "Contents" / KRB_BUNDLE_ARCH / "Fake" KRB_MODULE_SUFFIX) << "not a library";

  struct LoadCase
  {
    std::filesystem::path mBundle;
    const char* mMessage;
  };
  const LoadCase kCases[] = {
    {dir / "Missing.vst3", "no module binary"},
    {fake, "cannot load"},
    {test::NoFactoryBundle(), "does not export GetPluginFactory"},
  };
  for (const LoadCase& c : kCases)
  {
    SCOPED_TRACE(c.mBundle.string());
    std::string error;
    EXPECT_FALSE(HostModule::Load(c.mBundle, error));
    EXPECT_NE(error.find(c.mMessage), std::string::npos) << error;
  }
}

TEST(ModuleTest, LoadsTheBinaryGivenDirectlyAndAgainAfterUnloading)
{
  const auto binary = FixtureBundle() / "Contents" / KRB_BUNDLE_ARCH / "KrbHostFixture" KRB_MODULE_SUFFIX;
  for (int round = 0; round < 2; ++round)
  {
    std::string error;
    std::shared_ptr<HostModule> module = HostModule::Load(round == 0 ? binary : FixtureBundle(), error);
    ASSERT_TRUE(module) << error;
    EXPECT_EQ(module->BinaryPath(), binary);
    EXPECT_EQ(module->Classes().size(), 3u);
  }
}

} // namespace
} // namespace krb::host
