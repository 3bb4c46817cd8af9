// The built Windows plug-in library as the Windows loader and shell see it: its entry points, its
// factory, its version information and icon, and loading it more than once.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WinMessages.h"
#include "WinTestSupport.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstcomponent.h"

using namespace Steinberg;

namespace
{
using InitDllFunc = bool (*)();
using ExitDllFunc = bool (*)();
using GetFactoryFunc = IPluginFactory*(PLUGIN_API*)();

std::wstring PluginPath() { return krbtest::ToWindowsPath(KRB_PLUGIN_DLL); }

// The library loaded as a host loads it, freed at the end of scope.
class LoadedModule
{
public:
  explicit LoadedModule(const std::wstring& path)
    : mModule(LoadLibraryW(path.c_str()))
  {
  }
  ~LoadedModule()
  {
    if (mModule)
      FreeLibrary(mModule);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HMODULE Get() const { return mModule; }
  template <typename F>
  F Entry(const char* name) const
  {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(mModule, name)));
  }

private:
  HMODULE mModule;
};

struct ImageRange
{
  const BYTE* begin = nullptr;
  const BYTE* end = nullptr;
  bool Holds(const void* address) const { return address >= begin && address < end; }
};

ImageRange RangeOf(HMODULE module)
{
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return {base, base + nt->OptionalHeader.SizeOfImage};
}

// The window procedures of this thread's message-only windows (where the library keeps its timer).
std::vector<const void*> MessageOnlyWindowProcedures()
{
  // The walk goes through the message-only windows of every process on the desktop, and the tests
  // running beside this one make and destroy theirs meanwhile: when the window to go on from is gone,
  // the walk ends early, so it starts again (a window met twice counts once).
  std::set<HWND> seen;
  std::vector<const void*> procedures;
  HWND window = nullptr;
  for (int restarts = 0; restarts < 1000;)
  {
    HWND next = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr);
    if (!next)
    {
      if (!window || IsWindow(window))
        break;
      window = nullptr;
      ++restarts;
      continue;
    }
    window = next;
    if (seen.insert(next).second && GetWindowThreadProcessId(next, nullptr) == GetCurrentThreadId())
      procedures.push_back(reinterpret_cast<const void*>(GetWindowLongPtrW(next, GWLP_WNDPROC)));
  }
  return procedures;
}

// Creates one plug-in instance through the factory, runs the check while it lives and releases it
// again: the instance starts its idle timer (a window of the library's own) and stops it when released.
template <typename Check>
void WithOneInstance(const LoadedModule& module, Check check)
{
  auto getFactory = module.Entry<GetFactoryFunc>("GetPluginFactory");
  ASSERT_NE(getFactory, nullptr);
  IPluginFactory* factory = getFactory();
  ASSERT_NE(factory, nullptr);
  PClassInfo info{};
  ASSERT_EQ(factory->getClassInfo(0, &info), kResultOk);
  void* object = nullptr;
  ASSERT_EQ(factory->createInstance(info.cid, Vst::IComponent::iid, &object), kResultOk);
  ASSERT_NE(object, nullptr);
  // A few timer messages reach the instance's window while it lives.
  krbtest::PumpMessagesFor(100);
  check();
  static_cast<Vst::IComponent*>(object)->release();
  factory->release();
}

std::wstring QueryVersionText(const std::vector<BYTE>& block, const wchar_t* key)
{
  const std::wstring subBlock = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), subBlock.c_str(), &value, &length) || !value)
    return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

std::vector<BYTE> ReadVersionBlock(const std::wstring& path)
{
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
    block.clear();
  return block;
}

std::string Narrow(const std::wstring& wide)
{
  std::string narrow;
  for (wchar_t c : wide)
    narrow += (c < 0x80) ? static_cast<char>(c) : '?';
  return narrow;
}
} // namespace

TEST(ModuleWin, LoadsAndExportsItsEntryPointsByName)
{
  LoadedModule module(PluginPath());
  ASSERT_NE(module.Get(), nullptr) << "LoadLibraryW failed with error " << GetLastError();
  auto initDll = module.Entry<InitDllFunc>("InitDll");
  auto exitDll = module.Entry<ExitDllFunc>("ExitDll");
  auto getFactory = module.Entry<GetFactoryFunc>("GetPluginFactory");
  ASSERT_NE(initDll, nullptr);
  ASSERT_NE(exitDll, nullptr);
  ASSERT_NE(getFactory, nullptr);
  // Decorated or C++ names would mean the entry points were not declared with C linkage.
  EXPECT_EQ(GetProcAddress(module.Get(), "_InitDll"), nullptr);
  EXPECT_EQ(GetProcAddress(module.Get(), "GetPluginFactory@0"), nullptr);

  EXPECT_TRUE(initDll());
  IPluginFactory* factory = getFactory();
  ASSERT_NE(factory, nullptr);
  PFactoryInfo info{};
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Ombrix");
  EXPECT_EQ(factory->countClasses(), 1);
  EXPECT_EQ(factory->release(), 0u);
  EXPECT_TRUE(exitDll());
}

TEST(ModuleWin, CreatesAndReleasesAnInstance)
{
  LoadedModule module(PluginPath());
  ASSERT_NE(module.Get(), nullptr);
  ASSERT_TRUE(module.Entry<InitDllFunc>("InitDll")());
  const size_t windowsBefore = MessageOnlyWindowProcedures().size();
  WithOneInstance(module, [&] {
    const ImageRange image = RangeOf(module.Get());
    size_t ownWindows = 0;
    for (const void* procedure : MessageOnlyWindowProcedures())
      ownWindows += image.Holds(procedure) ? 1 : 0;
    EXPECT_EQ(ownWindows, 1u) << "the instance's idle timer window";
  });
  EXPECT_EQ(MessageOnlyWindowProcedures().size(), windowsBefore);
  EXPECT_TRUE(module.Entry<ExitDllFunc>("ExitDll")());
}

TEST(ModuleWin, WorksAgainAfterReloadAtAnotherAddress)
{
  // Hosts unload a library after scanning it and load it again later, not always at the same address.
  // Nothing the library registered with the system may keep pointing into the old image.
  krbtest::TempFolder folder;
  const std::wstring first = folder.Path().wstring() + L"\\First.vst3";
  const std::wstring second = folder.Path().wstring() + L"\\Second.vst3";
  ASSERT_TRUE(CopyFileW(PluginPath().c_str(), first.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(PluginPath().c_str(), second.c_str(), FALSE));

  ImageRange oldImage;
  {
    LoadedModule module(first);
    ASSERT_NE(module.Get(), nullptr);
    oldImage = RangeOf(module.Get());
    ASSERT_TRUE(module.Entry<InitDllFunc>("InitDll")());
    WithOneInstance(module, [] {});
    ASSERT_TRUE(module.Entry<ExitDllFunc>("ExitDll")());
  }
  // Keep the old address range occupied so that the second image has to load elsewhere.
  void* oldBase = const_cast<BYTE*>(oldImage.begin);
  void* blocker = VirtualAlloc(oldBase, oldImage.end - oldImage.begin, MEM_RESERVE, PAGE_NOACCESS);
  {
    LoadedModule module(second);
    ASSERT_NE(module.Get(), nullptr);
    if (blocker)
    {
      EXPECT_NE(static_cast<void*>(module.Get()), oldBase);
    }
    ASSERT_TRUE(module.Entry<InitDllFunc>("InitDll")());
    WithOneInstance(module, [&] {
      const ImageRange newImage = RangeOf(module.Get());
      size_t ownWindows = 0;
      for (const void* procedure : MessageOnlyWindowProcedures())
      {
        EXPECT_FALSE(oldImage.Holds(procedure)) << "a window procedure points into the unloaded image";
        ownWindows += newImage.Holds(procedure) ? 1 : 0;
      }
      EXPECT_EQ(ownWindows, 1u) << "the instance's idle timer window";
    });
    EXPECT_TRUE(module.Entry<ExitDllFunc>("ExitDll")());
  }
  if (blocker)
    VirtualFree(blocker, 0, MEM_RELEASE);
}

TEST(ModuleWin, CarriesItsVersionInformation)
{
  const std::vector<BYTE> block = ReadVersionBlock(PluginPath());
  ASSERT_FALSE(block.empty()) << "no version resource, error " << GetLastError();

  struct TextCase
  {
    const wchar_t* key;
    std::wstring expected;
  };
  const std::wstring version = krbtest::Widen(KRB_PROJECT_VERSION);
  const TextCase kCases[] = {
    {L"ProductName", L"Krellbinder"},
    {L"CompanyName", L"Ombrix"},
    {L"FileVersion", version},
    {L"ProductVersion", version},
    {L"OriginalFilename", L"Krellbinder.vst3"},
    {L"InternalName", L"Krellbinder"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(Narrow(QueryVersionText(block, c.key)), Narrow(c.expected)) << Narrow(c.key);
  EXPECT_NE(QueryVersionText(block, L"FileDescription").find(L"Krellbinder"), std::wstring::npos);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  const DWORD major = KRB_PROJECT_VERSION_MAJOR, minor = KRB_PROJECT_VERSION_MINOR, patch = KRB_PROJECT_VERSION_PATCH;
  EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed->dwProductVersionLS, patch << 16);
}

TEST(ModuleWin, CarriesItsIconInSeveralSizes)
{
  const HMODULE image =
    LoadLibraryExW(PluginPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ExtractIconExW(PluginPath().c_str(), -1, nullptr, nullptr, 0), 1u);

  const HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(image, group)));
  ASSERT_NE(directory, nullptr);
  // GRPICONDIR: reserved, type 1, count, then 14-byte entries whose first byte is the width (0 = 256).
  WORD type = 0, count = 0;
  std::memcpy(&type, directory + 2, 2);
  std::memcpy(&count, directory + 4, 2);
  EXPECT_EQ(type, 1);
  std::vector<int> widths;
  for (WORD i = 0; i < count; ++i)
    widths.push_back(directory[6 + 14 * i] == 0 ? 256 : directory[6 + 14 * i]);
  EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 48, 256}));

  for (int size : {16, 32, 48})
  {
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(id, 0) << size;
    const HRSRC entry = FindResourceW(image, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3)); // RT_ICON
    ASSERT_NE(entry, nullptr) << size;
    auto* bits = static_cast<BYTE*>(LockResource(LoadResource(image, entry)));
    const HICON icon =
      CreateIconFromResourceEx(bits, SizeofResource(image, entry), TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO iconInfo{};
    ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
    BITMAP bitmap{};
    GetObjectW(iconInfo.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(iconInfo.hbmColor);
    DeleteObject(iconInfo.hbmMask);
    DestroyIcon(icon);
  }
  FreeLibrary(image);
}
