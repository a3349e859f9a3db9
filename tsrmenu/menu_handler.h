#pragma once
// The handler Explorer creates for a right-click on files, folders or drives:
// it takes the selected paths (IShellExtInit), adds the program's entries to
// the menu while the program runs (IContextMenu) and forwards a click to the
// program. No exception leaves a method: each answers with an HRESULT.
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <vector>

#include "tsrmenu/module.h"

namespace tsrmenu {

class MenuHandler final : public IShellExtInit, public IContextMenu {
 public:
  MenuHandler() = default;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* selection, HKEY progId) override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name, UINT size) override;

 private:
  ~MenuHandler() = default;
  // The command's caption from a menu offset or a verb; empty when unknown.
  std::wstring captionOf(const CMINVOKECOMMANDINFO& info) const;

  ModuleReference moduleReference_;
  std::atomic<ULONG> references_{1};
  std::vector<std::wstring> paths_;     // the selection, from Initialize
  std::vector<std::wstring> commands_;  // the captions added, by offset from the first id
};

}  // namespace tsrmenu
