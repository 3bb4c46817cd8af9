// The sample chooser on Windows: the common item dialog in its file-open form.

#include "SampleDialog.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <new>
#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

namespace
{
const COMDLG_FILTERSPEC kSampleFileTypes[] = {
  {L"Sound (*.wav)", L"*.wav"},
  {L"Word Document (*.doc)", L"*.doc"},
  {L"Web Page (*.htm; *.html)", L"*.htm;*.html"},
  {L"Text Document (*.txt)", L"*.txt"},
  {L"All Documents (*.*)", L"*.*"},
};
constexpr UINT kSoundFileTypeIndex = 1; // one-based: "Sound (*.wav)"
} // namespace

// The event sink that the dialog holds while it is shown. It answers every event with "go on".
class CDialogEventHandler final : public IFileDialogEvents, public IFileDialogControlEvents
{
public:
  CDialogEventHandler() = default;

  // IUnknown, shared by both interfaces.
  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override
  {
    static const QITAB qit[] = {
      QITABENT(CDialogEventHandler, IFileDialogEvents),
      QITABENT(CDialogEventHandler, IFileDialogControlEvents),
      {nullptr, 0},
    };
    return QISearch(this, qit, riid, ppv);
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&mRefCount)); }
  IFACEMETHODIMP_(ULONG) Release() override
  {
    const LONG count = InterlockedDecrement(&mRefCount);
    if (count == 0)
      delete this;
    return static_cast<ULONG>(count);
  }

  // IFileDialogEvents
  IFACEMETHODIMP OnFileOk(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  IFACEMETHODIMP OnFolderChange(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnSelectionChange(IFileDialog*) override { return S_OK; }
  IFACEMETHODIMP OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override { return S_OK; }
  IFACEMETHODIMP OnTypeChange(IFileDialog* dialog) override
  {
    // Only a save dialog reacts to a change of file type; the open dialog has no save interface.
    IFileSaveDialog* saveDialog = nullptr;
    const HRESULT hr = dialog ? dialog->QueryInterface(IID_PPV_ARGS(&saveDialog)) : E_POINTER;
    if (SUCCEEDED(hr))
      saveDialog->Release();
    return hr;
  }
  IFACEMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override { return S_OK; }

  // IFileDialogControlEvents: the dialog gets no custom controls, so these are never called.
  IFACEMETHODIMP OnItemSelected(IFileDialogCustomize*, DWORD, DWORD) override { return S_OK; }
  IFACEMETHODIMP OnButtonClicked(IFileDialogCustomize*, DWORD) override { return S_OK; }
  IFACEMETHODIMP OnCheckButtonToggled(IFileDialogCustomize*, DWORD, BOOL) override { return S_OK; }
  IFACEMETHODIMP OnControlActivating(IFileDialogCustomize*, DWORD) override { return S_OK; }

private:
  ~CDialogEventHandler() = default;

  LONG mRefCount = 1;
};

HRESULT CreateDialogEventHandler(void** ppv)
{
  *ppv = nullptr;
  auto* handler = new (std::nothrow) CDialogEventHandler();
  if (!handler)
    return E_OUTOFMEMORY;
  const HRESULT hr = handler->QueryInterface(IID_IFileDialogEvents, ppv);
  // The caller's reference keeps the handler alive; without one it is freed here.
  handler->Release();
  return hr;
}

bool SetDialogStartFolder(IFileDialog* dialog, std::wstring folder)
{
  if (folder.empty())
    return true;
  IShellItem* item = nullptr;
  const HRESULT hr = SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&item));
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE))
    return true; // a folder or drive that has gone: the dialog opens in its own default folder
  if (FAILED(hr))
    return false;
  dialog->SetFolder(item);
  item->Release();
  return true;
}

void ShowSampleOpenDialog()
{
  IFileDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
    return;

  IFileDialogEvents* events = nullptr;
  if (FAILED(CreateDialogEventHandler(reinterpret_cast<void**>(&events))))
  {
    dialog->Release();
    return;
  }

  DWORD cookie = 0;
  if (FAILED(dialog->Advise(events, &cookie)))
  {
    events->Release();
    dialog->Release();
    return;
  }

  DWORD options = 0;
  HRESULT hr = dialog->GetOptions(&options);
  if (SUCCEEDED(hr))
    hr = dialog->SetOptions(options | FOS_FORCEFILESYSTEM);
  if (SUCCEEDED(hr))
    hr = dialog->SetFileTypes(ARRAYSIZE(kSampleFileTypes), kSampleFileTypes);
  if (SUCCEEDED(hr))
    hr = dialog->SetFileTypeIndex(kSoundFileTypeIndex);
  if (SUCCEEDED(hr))
    hr = dialog->SetDefaultExtension(L"wav");

  if (SUCCEEDED(hr))
  {
    const std::u16string folder = SampleDialogStartFolder(gSampleDialogPath, u'\\');
    SetDialogStartFolder(dialog, std::wstring(reinterpret_cast<const wchar_t*>(folder.c_str()), folder.size()));

    if (SUCCEEDED(dialog->Show(nullptr)))
    {
      IShellItem* result = nullptr;
      if (SUCCEEDED(dialog->GetResult(&result)))
      {
        PWSTR chosen = nullptr;
        if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &chosen)))
        {
          try
          {
            gSampleDialogPath.assign(reinterpret_cast<const char16_t*>(chosen));
          }
          catch (const std::bad_alloc&)
          {
            // Out of memory: the path stays as it was, and every object is still released below.
          }
          CoTaskMemFree(chosen);
        }
        result->Release();
      }
    }
  }

  dialog->Unadvise(cookie);
  events->Release();
  dialog->Release();
}
