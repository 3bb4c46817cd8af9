// The Windows common item dialog in its file-open form. First through the same COM calls, in the same
// order, as the plug-in's sample dialog, without showing it: creation, the event handler's Advise and
// Unadvise, options, file types, default extension, start folder, and every reference released; with a
// minimal handler of the test's own and with the plug-in's. Then the plug-in's ShowSampleOpenDialog
// itself, answered by a stand-in user on another thread. Needs a display (under wine: Xvfb).

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <fstream>
#include <new>
#include <ostream>
#include <string>
#include <thread>

#include "SampleDialog.h"
#include "TempFolder.h"
#include "WinTestSupport.h"

// The sample dialog's own parts (samples/SampleDialogWin.cpp), which its header leaves out because
// only the dialog itself uses them.
HRESULT CreateDialogEventHandler(void** ppv);
bool SetDialogStartFolder(IFileDialog* dialog, std::wstring folder);

namespace
{
// A minimal event sink: the dialog only needs an object that answers for IFileDialogEvents.
class TestDialogEvents final : public IFileDialogEvents
{
public:
  static std::atomic<int> sLiveObjects;

  TestDialogEvents() { ++sLiveObjects; }
  ~TestDialogEvents() { --sLiveObjects; }

  IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override
  {
    if (!object)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IFileDialogEvents))
    {
      *object = static_cast<IFileDialogEvents*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return ++mRefCount; }
  IFACEMETHODIMP_(ULONG) Release() override
  {
    const ULONG count = --mRefCount;
    if (count == 0)
      delete this;
    return count;
  }

  IFACEMETHODIMP OnFileOk(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  IFACEMETHODIMP OnFolderChange(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnSelectionChange(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override { return S_OK; }
  IFACEMETHODIMP OnTypeChange(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override { return S_OK; }

private:
  std::atomic<ULONG> mRefCount{1};
};

std::atomic<int> TestDialogEvents::sLiveObjects{0};

// Same contract as the plug-in's CreateDialogEventHandler: the out pointer holds null unless the
// call succeeds, and then the caller owns the one reference.
HRESULT CreateTestDialogEvents(IFileDialogEvents** handler)
{
  if (!handler)
    return E_POINTER;
  *handler = nullptr;
  auto* events = new (std::nothrow) TestDialogEvents();
  if (!events)
    return E_OUTOFMEMORY;
  const HRESULT result = events->QueryInterface(IID_IFileDialogEvents, reinterpret_cast<void**>(handler));
  events->Release();
  return result;
}

HRESULT CreatePluginDialogEventHandler(IFileDialogEvents** handler)
{
  return CreateDialogEventHandler(reinterpret_cast<void**>(handler));
}

// The event handlers that the dialog is tested with: the test's own and the plug-in's.
struct HandlerFactory
{
  const char* name;
  HRESULT (*create)(IFileDialogEvents** handler);
};
const HandlerFactory kHandlerFactories[] = {
  {"TestDialogEvents", &CreateTestDialogEvents},
  {"CDialogEventHandler", &CreatePluginDialogEventHandler},
};

void PrintTo(const HandlerFactory& factory, std::ostream* os) { *os << factory.name; }

// The sample dialog's file types, in its order.
const COMDLG_FILTERSPEC kSampleFileTypes[] = {
  {L"Sound (*.wav)", L"*.wav"},
  {L"Word Document (*.doc)", L"*.doc"},
  {L"Web Page (*.htm; *.html)", L"*.htm;*.html"},
  {L"Text Document (*.txt)", L"*.txt"},
  {L"All Documents (*.*)", L"*.*"},
};

std::string Hex(HRESULT result)
{
  char text[16];
  wsprintfA(text, "0x%08lX", static_cast<unsigned long>(result));
  return text;
}

std::string Narrow(const std::wstring& wide)
{
  std::string narrow;
  for (wchar_t c : wide)
    narrow += (c < 0x80) ? static_cast<char>(c) : '?';
  return narrow;
}

std::wstring FileSystemPath(IShellItem* item)
{
  PWSTR text = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &text)) || !text)
    return L"";
  std::wstring path = text;
  CoTaskMemFree(text);
  return path;
}

// The path without a trailing backslash, in the long form that the shell reports.
std::wstring CanonicalFolder(std::wstring path)
{
  wchar_t longPath[MAX_PATH * 2] = {};
  if (GetLongPathNameW(path.c_str(), longPath, MAX_PATH * 2))
    path = longPath;
  while (path.size() > 3 && path.back() == L'\\')
    path.pop_back();
  return path;
}

// A drive letter that names no drive on this machine, or 0.
wchar_t UnusedDriveLetter()
{
  const DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter)
    if (!(drives & (1u << (letter - L'A'))))
      return letter;
  return 0;
}

class FileDialogWin : public ::testing::TestWithParam<HandlerFactory>
{
protected:
  // The host initialises COM on the editor's thread; the test stands in for it.
  void SetUp() override
  {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ASSERT_TRUE(SUCCEEDED(result)) << Hex(result);
    mComInitialised = true;
  }
  void TearDown() override
  {
    if (mComInitialised)
      CoUninitialize();
  }

  IFileDialog* NewFileOpenDialog()
  {
    IFileDialog* dialog = nullptr;
    const HRESULT result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                            reinterpret_cast<void**>(&dialog));
    EXPECT_EQ(result, S_OK) << Hex(result);
    return dialog;
  }

private:
  bool mComInitialised = false;
};
} // namespace

TEST_P(FileDialogWin, IsCreatedAsAFileOpenDialogAndReleasedCompletely)
{
  IFileDialog* dialog = NewFileOpenDialog();
  ASSERT_NE(dialog, nullptr);
  IFileOpenDialog* openDialog = nullptr;
  ASSERT_EQ(dialog->QueryInterface(IID_IFileOpenDialog, reinterpret_cast<void**>(&openDialog)), S_OK);
  // The open dialog has no save side; the plug-in's type-change handler relies on this query failing.
  IFileSaveDialog* saveDialog = nullptr;
  EXPECT_TRUE(FAILED(dialog->QueryInterface(IID_IFileSaveDialog, reinterpret_cast<void**>(&saveDialog))));
  EXPECT_EQ(saveDialog, nullptr);
  EXPECT_EQ(openDialog->Release(), 1u);
  EXPECT_EQ(dialog->Release(), 0u);
}

TEST_P(FileDialogWin, HoldsTheEventHandlerFromAdviseToUnadvise)
{
  IFileDialogEvents* handler = nullptr;
  ASSERT_EQ(GetParam().create(&handler), S_OK);
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(krbtest::RefCountOf(handler), 1u);

  IFileDialog* dialog = NewFileOpenDialog();
  ASSERT_NE(dialog, nullptr);
  DWORD cookie = 0;
  ASSERT_EQ(dialog->Advise(handler, &cookie), S_OK);
  EXPECT_EQ(krbtest::RefCountOf(handler), 2u);
  EXPECT_EQ(dialog->Unadvise(cookie), S_OK);
  EXPECT_EQ(krbtest::RefCountOf(handler), 1u);
  EXPECT_EQ(dialog->Release(), 0u);
  EXPECT_EQ(handler->Release(), 0u);
}

TEST_P(FileDialogWin, TakesTheSampleDialogsSettingsInItsOrder)
{
  const int liveBefore = TestDialogEvents::sLiveObjects;
  IFileDialog* dialog = NewFileOpenDialog();
  ASSERT_NE(dialog, nullptr);
  IFileDialogEvents* handler = nullptr;
  ASSERT_EQ(GetParam().create(&handler), S_OK);
  DWORD cookie = 0;
  ASSERT_EQ(dialog->Advise(handler, &cookie), S_OK);

  FILEOPENDIALOGOPTIONS options = 0;
  ASSERT_EQ(dialog->GetOptions(&options), S_OK);
  ASSERT_EQ(dialog->SetOptions(options | FOS_FORCEFILESYSTEM), S_OK);
  FILEOPENDIALOGOPTIONS optionsAfter = 0;
  ASSERT_EQ(dialog->GetOptions(&optionsAfter), S_OK);
  EXPECT_EQ(optionsAfter, options | FOS_FORCEFILESYSTEM);

  EXPECT_EQ(dialog->SetFileTypes(ARRAYSIZE(kSampleFileTypes), kSampleFileTypes), S_OK);
  EXPECT_EQ(dialog->SetFileTypeIndex(1), S_OK);
  UINT typeIndex = 0;
  EXPECT_EQ(dialog->GetFileTypeIndex(&typeIndex), S_OK);
  EXPECT_EQ(typeIndex, 1u);
  EXPECT_EQ(dialog->SetDefaultExtension(L"wav"), S_OK);

  krbtest::TempFolder folder;
  IShellItem* startFolder = nullptr;
  const HRESULT parsed = SHCreateItemFromParsingName(folder.Path().wstring().c_str(), nullptr, IID_IShellItem,
                                                     reinterpret_cast<void**>(&startFolder));
  ASSERT_EQ(parsed, S_OK) << Hex(parsed) << " for " << Narrow(folder.Path().wstring());
  EXPECT_EQ(dialog->SetFolder(startFolder), S_OK);
  startFolder->Release();

  IShellItem* currentFolder = nullptr;
  ASSERT_EQ(dialog->GetFolder(&currentFolder), S_OK);
  ASSERT_NE(currentFolder, nullptr);
  EXPECT_EQ(Narrow(CanonicalFolder(FileSystemPath(currentFolder))), Narrow(CanonicalFolder(folder.Path().wstring())));
  currentFolder->Release();

  EXPECT_EQ(dialog->Unadvise(cookie), S_OK);
  EXPECT_EQ(krbtest::RefCountOf(handler), 1u);
  EXPECT_EQ(handler->Release(), 0u);
  EXPECT_EQ(dialog->Release(), 0u);
  EXPECT_EQ(TestDialogEvents::sLiveObjects, liveBefore);
}

TEST_P(FileDialogWin, HandlerAnswersATypeChangeOfTheOpenDialogWithItsMissingSaveSide)
{
  IFileDialog* dialog = NewFileOpenDialog();
  ASSERT_NE(dialog, nullptr);
  IFileDialogEvents* handler = nullptr;
  ASSERT_EQ(GetParam().create(&handler), S_OK);
  const HRESULT result = handler->OnTypeChange(dialog);
  if (GetParam().create == &CreatePluginDialogEventHandler)
  {
    EXPECT_EQ(Hex(result), Hex(E_NOINTERFACE));
  }
  EXPECT_EQ(handler->Release(), 0u);
  EXPECT_EQ(dialog->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Handlers, FileDialogWin, ::testing::ValuesIn(kHandlerFactories),
                         [](const ::testing::TestParamInfo<HandlerFactory>& info) {
                           return std::string(info.param.name);
                         });

TEST(DialogEventHandlerWin, BothInterfacesShareOneObjectAndOneCount)
{
  IFileDialogEvents* events = nullptr;
  ASSERT_EQ(CreateDialogEventHandler(reinterpret_cast<void**>(&events)), S_OK);
  ASSERT_NE(events, nullptr);
  EXPECT_EQ(krbtest::RefCountOf(events), 1u);

  IFileDialogControlEvents* controlEvents = nullptr;
  ASSERT_EQ(events->QueryInterface(IID_IFileDialogControlEvents, reinterpret_cast<void**>(&controlEvents)), S_OK);
  EXPECT_EQ(krbtest::RefCountOf(events), 2u);
  IUnknown* fromEvents = nullptr;
  IUnknown* fromControlEvents = nullptr;
  ASSERT_EQ(events->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromEvents)), S_OK);
  ASSERT_EQ(controlEvents->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromControlEvents)), S_OK);
  EXPECT_EQ(fromEvents, fromControlEvents); // one identity
  EXPECT_EQ(fromEvents->Release(), 3u);
  EXPECT_EQ(fromControlEvents->Release(), 2u);

  IFileDialog* notOffered = reinterpret_cast<IFileDialog*>(1);
  EXPECT_EQ(Hex(events->QueryInterface(IID_IFileDialog, reinterpret_cast<void**>(&notOffered))), Hex(E_NOINTERFACE));
  EXPECT_EQ(notOffered, nullptr);

  EXPECT_EQ(controlEvents->Release(), 1u);
  EXPECT_EQ(events->Release(), 0u);
}

TEST(DialogEventHandlerWin, AnswersEveryOtherEventWithGoOn)
{
  IFileDialogEvents* events = nullptr;
  ASSERT_EQ(CreateDialogEventHandler(reinterpret_cast<void**>(&events)), S_OK);
  FDE_SHAREVIOLATION_RESPONSE share = FDESVR_REFUSE;
  FDE_OVERWRITE_RESPONSE overwrite = FDEOR_REFUSE;
  EXPECT_EQ(events->OnFileOk(nullptr), S_OK);
  EXPECT_EQ(events->OnFolderChanging(nullptr, nullptr), S_OK);
  EXPECT_EQ(events->OnFolderChange(nullptr), S_OK);
  EXPECT_EQ(events->OnSelectionChange(nullptr), S_OK);
  EXPECT_EQ(events->OnShareViolation(nullptr, nullptr, &share), S_OK);
  EXPECT_EQ(events->OnOverwrite(nullptr, nullptr, &overwrite), S_OK);
  EXPECT_EQ(share, FDESVR_REFUSE); // responses are left as they were
  EXPECT_EQ(overwrite, FDEOR_REFUSE);
  EXPECT_EQ(events->Release(), 0u);
}

namespace
{
class ShellFolderItems : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }

  static HRESULT Parse(const std::wstring& path)
  {
    IShellItem* item = nullptr;
    const HRESULT result =
      SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item));
    if (item)
      item->Release();
    return result;
  }
};
} // namespace

// The sample dialog opens in its own default folder when the start folder is gone; it tells that case
// from other failures by these two codes.
TEST_F(ShellFolderItems, AFolderThatIsGoneGivesFileNotFound)
{
  std::wstring gone;
  {
    krbtest::TempFolder folder;
    gone = folder.Path().wstring() + L"\\Removed";
    ASSERT_TRUE(CreateDirectoryW(gone.c_str(), nullptr));
    ASSERT_EQ(Parse(gone), S_OK);
    ASSERT_TRUE(RemoveDirectoryW(gone.c_str()));
  }
  EXPECT_EQ(Hex(Parse(gone)), Hex(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
}

TEST_F(ShellFolderItems, ADriveThatIsGoneGivesInvalidDrive)
{
  const wchar_t letter = UnusedDriveLetter();
  if (letter == 0)
    GTEST_SKIP() << "every drive letter from Q to Y is in use";
  const std::wstring path = std::wstring(1, letter) + L":\\Samples";
  const HRESULT result = Parse(path);
  if (result != HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE) && krbtest::IsRunningUnderWine())
    GTEST_SKIP() << "wine returns " << Hex(result) << " for a missing drive; Windows returns "
                 << Hex(HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE));
  EXPECT_EQ(Hex(result), Hex(HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE)));
}

namespace
{
class SampleDialogWin : public ShellFolderItems
{
protected:
  // The folder the dialog shows, or the empty text when it has none yet.
  static std::wstring FolderOf(IFileDialog* dialog)
  {
    IShellItem* folder = nullptr;
    if (FAILED(dialog->GetFolder(&folder)) || !folder)
      return L"";
    std::wstring path = FileSystemPath(folder);
    folder->Release();
    return CanonicalFolder(path);
  }

  static void WriteFile(const std::wstring& path)
  {
    std::ofstream file(path.c_str(), std::ios::binary);
    file << "RIFF";
  }
};

// Plays the user for one modal Show: waits on its own thread for this process's dialog window, then
// types a name into the file name box and presses Open, or presses Cancel when the name is empty. It
// only posts to the dialog after it is done with it, so it never waits on the dialog's thread.
class DialogUser
{
public:
  explicit DialogUser(std::wstring typedName)
    : mThread([this, name = std::move(typedName)] { Run(name); })
  {
  }
  ~DialogUser() { mThread.join(); }
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;

  bool SawTheDialog() const { return mSawTheDialog; }

private:
  static HWND FindDialog()
  {
    struct Search
    {
      HWND found = nullptr;
    } search;
    EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0)
        {
          reinterpret_cast<Search*>(context)->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The file name box: an edit control (edt1) in wine's dialog, the edit inside the name combo box
  // (cmb13) in Windows'.
  static HWND FindNameBox(HWND dialog)
  {
    if (HWND edit = GetDlgItem(dialog, 0x480))
      return edit;
    if (HWND combo = FindWindowExW(dialog, nullptr, L"ComboBoxEx32", nullptr))
      if (HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr))
        return FindWindowExW(inner, nullptr, L"Edit", nullptr);
    return nullptr;
  }

  void Run(const std::wstring& name)
  {
    HWND dialog = nullptr;
    for (int attempt = 0; attempt < 1000 && !dialog; ++attempt)
    {
      Sleep(20);
      dialog = FindDialog();
    }
    if (!dialog)
      return;
    mSawTheDialog = true;
    Sleep(200); // let it finish opening
    if (name.empty())
    {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    if (HWND box = FindNameBox(dialog))
      SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  }

  std::atomic<bool> mSawTheDialog{false};
  std::thread mThread;
};

std::u16string U16(const std::wstring& wide) { return std::u16string(wide.begin(), wide.end()); }
std::wstring Wide(const std::u16string& u16) { return std::wstring(u16.begin(), u16.end()); }
} // namespace

TEST_F(SampleDialogWin, StartFolderIsSetForAnExistingFolderOnly)
{
  IFileDialog* dialog = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                             reinterpret_cast<void**>(&dialog)),
            S_OK);
  krbtest::TempFolder folder;
  const std::wstring before = FolderOf(dialog);

  EXPECT_TRUE(SetDialogStartFolder(dialog, L""));
  EXPECT_EQ(Narrow(FolderOf(dialog)), Narrow(before));
  EXPECT_TRUE(SetDialogStartFolder(dialog, folder.Path().wstring() + L"\\Gone"));
  EXPECT_EQ(Narrow(FolderOf(dialog)), Narrow(before));
  if (const wchar_t letter = UnusedDriveLetter())
  {
    EXPECT_TRUE(SetDialogStartFolder(dialog, std::wstring(1, letter) + L":\\Samples"));
    EXPECT_EQ(Narrow(FolderOf(dialog)), Narrow(before));
  }
  EXPECT_TRUE(SetDialogStartFolder(dialog, folder.Path().wstring()));
  EXPECT_EQ(Narrow(FolderOf(dialog)), Narrow(CanonicalFolder(folder.Path().wstring())));
  EXPECT_EQ(dialog->Release(), 0u);
}

TEST_F(SampleDialogWin, CancelLeavesThePathAsItWas)
{
  krbtest::TempFolder folder;
  const std::wstring current = folder.Path().wstring() + L"\\current.wav";
  WriteFile(current);
  gSampleDialogPath = U16(current);
  {
    DialogUser user(L"");
    ShowSampleOpenDialog();
    EXPECT_TRUE(user.SawTheDialog());
  }
  EXPECT_EQ(Narrow(Wide(gSampleDialogPath)), Narrow(current));
}

TEST_F(SampleDialogWin, ANameTypedInTheStartFolderGetsTheDefaultExtension)
{
  krbtest::TempFolder folder;
  WriteFile(folder.Path().wstring() + L"\\current.wav");
  WriteFile(folder.Path().wstring() + L"\\kick.wav");
  gSampleDialogPath = U16(folder.Path().wstring() + L"\\current.wav");
  {
    DialogUser user(L"kick");
    ShowSampleOpenDialog();
    EXPECT_TRUE(user.SawTheDialog());
  }
  EXPECT_EQ(Narrow(CanonicalFolder(Wide(gSampleDialogPath))),
            Narrow(CanonicalFolder(folder.Path().wstring() + L"\\kick.wav")));
}

TEST_F(SampleDialogWin, AGoneStartFolderStillOpensTheDialog)
{
  std::wstring gone;
  {
    krbtest::TempFolder folder;
    gone = folder.Path().wstring() + L"\\old.wav";
  }
  gSampleDialogPath = U16(gone);
  {
    DialogUser user(L"");
    ShowSampleOpenDialog();
    EXPECT_TRUE(user.SawTheDialog());
  }
  EXPECT_EQ(Narrow(Wide(gSampleDialogPath)), Narrow(gone));
}
