// The module's front door: the plug-in factory and the create function of its one class.

#include <algorithm>
#include <cstring>
#include <mutex>

#include "Krellbinder.h"
#include "vst3/PluginFactory.h"

using namespace Steinberg;

namespace
{
// The plug-in class ID: fixed for every build, so hosts find saved projects' instances again.
constexpr uint32 kClassIdWords[4] = {0x4B72656C, 0x6C62696E, 0x64657244, 0x72756D31};

PClassInfo2 gClassInfo;

// Copies text into a field of the given size; the rest of the field is zero.
void BoundedCopy(char8* field, const char8* text, size_t fieldSize)
{
  std::memset(field, 0, fieldSize);
  const size_t length = std::min(std::strlen(text), fieldSize);
  std::memcpy(field, text, length);
}

// One Krellbinder per call, constructed under the module's creation lock.
FUnknown* CreatePluginInstance(void* context) { return CreatePluginUnderLock<Krellbinder>(context); }
} // namespace

const PClassInfo2& FillClassInfo(const TUID classId)
{
  std::memset(gClassInfo.category, 0, sizeof(gClassInfo.category));
  std::memset(gClassInfo.name, 0, sizeof(gClassInfo.name));
  std::memset(gClassInfo.subCategories, 0, sizeof(gClassInfo.subCategories));
  std::memset(gClassInfo.vendor, 0, sizeof(gClassInfo.vendor));
  std::memset(gClassInfo.version, 0, sizeof(gClassInfo.version));
  std::memset(gClassInfo.sdkVersion, 0, sizeof(gClassInfo.sdkVersion));
  std::memcpy(gClassInfo.cid, classId, sizeof(TUID));
  gClassInfo.cardinality = PClassInfo::kManyInstances;
  gClassInfo.classFlags = Vst::kSimpleModeSupported;
  BoundedCopy(gClassInfo.category, "Audio Module Class", sizeof(gClassInfo.category));
  BoundedCopy(gClassInfo.name, "Krellbinder", sizeof(gClassInfo.name));
  BoundedCopy(gClassInfo.subCategories, "Instrument|Drum", sizeof(gClassInfo.subCategories));
  BoundedCopy(gClassInfo.version, "0.0.0", sizeof(gClassInfo.version));
  BoundedCopy(gClassInfo.sdkVersion, "VST 3.7.11", sizeof(gClassInfo.sdkVersion));
  return gClassInfo;
}

namespace
{
PFactoryInfo MakeFactoryInfo()
{
  PFactoryInfo factoryInfo;
  std::memset(static_cast<void*>(&factoryInfo), 0, sizeof(factoryInfo));
  BoundedCopy(factoryInfo.vendor, "Ombrix", sizeof(factoryInfo.vendor));
  BoundedCopy(factoryInfo.url, "https://ombrix.audio", sizeof(factoryInfo.url));
  BoundedCopy(factoryInfo.email, "support@ombrix.audio", sizeof(factoryInfo.email));
  factoryInfo.flags = PFactoryInfo::kUnicode;
  return factoryInfo;
}

// Filled once in the life of the loaded module; a factory made again later reuses it.
const PClassInfo2& ClassInfo()
{
  static std::once_flag sClassInfoOnce;
  std::call_once(sClassInfoOnce, [] {
    const FUID classId(kClassIdWords[0], kClassIdWords[1], kClassIdWords[2], kClassIdWords[3]);
    TUID tuid;
    classId.toTUID(tuid);
    FillClassInfo(tuid);
  });
  return gClassInfo;
}
} // namespace

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
  return GetModuleFactory(MakeFactoryInfo, ClassInfo, CreatePluginInstance);
}
