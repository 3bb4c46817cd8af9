#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "HostModule.h"
#include "HostPlugin.h"
#include "ModulePlatform.h"

using namespace krb::host;
using namespace Steinberg;

namespace
{
std::shared_ptr<HostModule> LoadPlugin()
{
  std::string error;
  auto module = HostModule::Load(KRB_PLUGIN_BUNDLE, error);
  EXPECT_TRUE(module) << error;
  return module;
}

// A text field must hold the text and nothing but zero bytes after it.
void ExpectField(const char* field, size_t size, const char* text)
{
  const size_t length = std::strlen(text);
  ASSERT_LE(length, size);
  EXPECT_EQ(std::memcmp(field, text, length), 0) << text;
  for (size_t i = length; i < size; ++i)
    ASSERT_EQ(field[i], 0) << "byte " << i << " after " << text;
}

TEST(FactoryTest, FactoryInformationByteForByte)
{
  auto module = LoadPlugin();
  ASSERT_TRUE(module);
  PFactoryInfo info;
  std::memset(static_cast<void*>(&info), 0x55, sizeof(info));
  ASSERT_EQ(module->Factory()->getFactoryInfo(&info), kResultOk);
  ExpectField(info.vendor, sizeof(info.vendor), "Ombrix");
  EXPECT_EQ(info.flags, 16);
  EXPECT_EQ(module->EntryName(), KRB_MODULE_ENTRY);
}

TEST(FactoryTest, ClassInformationByteForByte)
{
  auto module = LoadPlugin();
  ASSERT_TRUE(module);
  ASSERT_EQ(module->Factory()->countClasses(), 1);
  IPtr<IPluginFactory2> factory2;
  {
    void* obj = nullptr;
    ASSERT_EQ(module->Factory()->queryInterface(IPluginFactory2::iid, &obj), kResultOk);
    factory2 = owned(static_cast<IPluginFactory2*>(obj));
  }
  PClassInfo2 info;
  std::memset(static_cast<void*>(&info), 0x55, sizeof(info));
  ASSERT_EQ(factory2->getClassInfo2(0, &info), kResultOk);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(info.classFlags, 2u);
  ExpectField(info.category, sizeof(info.category), "Audio Module Class");
  ExpectField(info.name, sizeof(info.name), "Krellbinder");
  ExpectField(info.subCategories, sizeof(info.subCategories), "Instrument|Drum");
  ExpectField(info.vendor, sizeof(info.vendor), "");
  ExpectField(info.version, sizeof(info.version), "0.0.0");
  ExpectField(info.sdkVersion, sizeof(info.sdkVersion), "VST 3.7.11");

  // The class ID is a constant of the plug-in.
  const auto& classes = module->Classes();
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(std::memcmp(classes[0].mCid, info.cid, sizeof(TUID)), 0);
  EXPECT_EQ(classes[0].mName, "Krellbinder");
  EXPECT_EQ(classes[0].mSdkVersion, "VST 3.7.11");
  EXPECT_EQ(classes[0].mInfoVersion, 3); // served through IPluginFactory3 as well
}

TEST(FactoryTest, SecondCallGivesTheSameFactoryWithOneMoreReference)
{
  auto module = LoadPlugin();
  ASSERT_TRUE(module);
  // The library is loaded already: this only finds it again.
  std::string error;
  void* library = platform::OpenLibrary(module->BinaryPath(), error);
  ASSERT_NE(library, nullptr) << error;
  using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
  auto getFactory = reinterpret_cast<GetFactoryProc>(platform::FindSymbol(library, "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);

  IPluginFactory* again = getFactory();
  EXPECT_EQ(again, module->Factory());
  // One reference for the module's holder, one for this call: releasing ours leaves one.
  EXPECT_EQ(again->release(), 1u);
  platform::CloseLibrary(library);
}

TEST(FactoryTest, TwoInstancesAreSeparateObjects)
{
  std::string error;
  auto a = HostPlugin::Open(KRB_PLUGIN_BUNDLE, "", error);
  ASSERT_TRUE(a) << error;
  auto b = HostPlugin::Open(KRB_PLUGIN_BUNDLE, "", error);
  ASSERT_TRUE(b) << error;
  EXPECT_NE(a->Component(), b->Component());
  ASSERT_EQ(a->Controller()->setParamNormalized(146, 0.25), kResultOk);
  EXPECT_DOUBLE_EQ(a->Controller()->getParamNormalized(146), 0.25);
  EXPECT_DOUBLE_EQ(b->Controller()->getParamNormalized(146), 0.5);
}
} // namespace
