#include "PluginFactory.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "StringConvert.h"

using namespace Steinberg;

CPluginFactory* gPluginFactory = nullptr;

namespace
{
// Guards gPluginFactory: a new factory and the last release of one never overlap, and two threads
// never both make one.
std::mutex& ModuleFactoryGuard()
{
  static std::mutex guard;
  return guard;
}

void CopyText(char8* dest, const char8* source, size_t size)
{
  std::memset(dest, 0, size);
  const size_t length = std::min(std::strlen(source), size - 1);
  std::memcpy(dest, source, length);
}
} // namespace

CPluginFactory::CPluginFactory(const PFactoryInfo& info)
  : mFactoryInfo(info)
{
}

CPluginFactory::~CPluginFactory()
{
  if (mHostContext)
    mHostContext->release();
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction createFunc, void* context)
{
  if (!info || !createFunc)
    return false;
  try
  {
    mClasses.push_back({*info, createFunc, context});
  }
  catch (const std::bad_alloc&)
  {
    return false;
  }
  return true;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
  if (!obj)
    return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid))
  {
    addRef();
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef() { return ++mRefCount; }

uint32 PLUGIN_API CPluginFactory::release()
{
  // Under the module's lock, so that GetModuleFactory never hands out a factory on its way out.
  std::unique_lock<std::mutex> guard(ModuleFactoryGuard());
  const uint32 count = --mRefCount;
  if (count == 0)
  {
    if (gPluginFactory == this)
      gPluginFactory = nullptr;
    guard.unlock();
    delete this;
  }
  return count;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
  if (!info)
    return kInvalidArgument;
  *info = mFactoryInfo;
  return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses() { return static_cast<int32>(mClasses.size()); }

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
  if (!info || index < 0 || index >= countClasses())
    return kInvalidArgument;
  const PClassInfo2& source = mClasses[static_cast<size_t>(index)].info;
  std::memset(static_cast<void*>(info), 0, sizeof(*info));
  std::memcpy(info->cid, source.cid, sizeof(TUID));
  info->cardinality = source.cardinality;
  CopyText(info->category, source.category, PClassInfo::kCategorySize);
  CopyText(info->name, source.name, PClassInfo::kNameSize);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
  if (!info || index < 0 || index >= countClasses())
    return kInvalidArgument;
  *info = mClasses[static_cast<size_t>(index)].info;
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
  if (!info || index < 0 || index >= countClasses())
    return kInvalidArgument;
  const PClassInfo2& source = mClasses[static_cast<size_t>(index)].info;
  std::memset(static_cast<void*>(info), 0, sizeof(*info));
  std::memcpy(info->cid, source.cid, sizeof(TUID));
  info->cardinality = source.cardinality;
  CopyText(info->category, source.category, PClassInfo::kCategorySize);
  Utf8ToString128(source.name, reinterpret_cast<Vst::TChar*>(info->name), PClassInfo::kNameSize);
  info->classFlags = source.classFlags;
  CopyText(info->subCategories, source.subCategories, PClassInfo2::kSubCategoriesSize);
  Utf8ToString128(source.vendor, reinterpret_cast<Vst::TChar*>(info->vendor), PClassInfo2::kVendorSize);
  Utf8ToString128(source.version, reinterpret_cast<Vst::TChar*>(info->version), PClassInfo2::kVersionSize);
  Utf8ToString128(source.sdkVersion, reinterpret_cast<Vst::TChar*>(info->sdkVersion), PClassInfo2::kVersionSize);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
  if (!cid || !iid || !obj)
    return kInvalidArgument;
  *obj = nullptr;
  for (const ClassEntry& entry : mClasses)
  {
    if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0)
      continue;
    FUnknown* instance = entry.createFunc(entry.context);
    if (!instance)
      return kOutOfMemory;
    const tresult result = instance->queryInterface(iid, obj);
    instance->release();
    if (result != kResultOk)
      *obj = nullptr;
    return result == kResultOk ? kResultOk : kNoInterface;
  }
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown* context)
{
  if (context)
    context->addRef();
  if (mHostContext)
    mHostContext->release();
  mHostContext = context;
  return kResultOk;
}

IPluginFactory* GetModuleFactory(PFactoryInfo (*factoryInfo)(), const PClassInfo2& (*classInfo)(),
                                 CPluginFactory::CreateFunction createFunc)
{
  const std::lock_guard<std::mutex> guard(ModuleFactoryGuard());
  if (gPluginFactory)
  {
    gPluginFactory->addRef();
    return gPluginFactory;
  }
  // The module holds the factory before its class is registered.
  gPluginFactory = new CPluginFactory(factoryInfo());
  gPluginFactory->registerClass(&classInfo(), createFunc, nullptr);
  return gPluginFactory;
}
