#include "tsrmenu/menu_handler.h"

#include <shellapi.h>

#include <algorithm>
#include <new>

#include "tsrmenu/program_window.h"

namespace tsrmenu {
namespace {

// Runs a method's body; what it throws becomes an HRESULT at the boundary.
template <typename Body>
HRESULT guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// The paths of a selection that Explorer hands over as a file drop.
std::vector<std::wstring> droppedPaths(IDataObject& selection) {
  std::vector<std::wstring> paths;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(selection.GetData(&format, &medium))) return paths;
  if (auto* drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      if (length == 0) continue;
      std::wstring path(length + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
      if (!path.empty()) paths.push_back(std::move(path));
    }
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return paths;
}

}  // namespace

STDMETHODIMP MenuHandler::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit)) {
    *object = static_cast<IShellExtInit*>(this);
  } else if (IsEqualIID(riid, IID_IContextMenu)) {
    *object = static_cast<IContextMenu*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) MenuHandler::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) MenuHandler::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP MenuHandler::Initialize(PCIDLIST_ABSOLUTE, IDataObject* selection, HKEY) {
  return guarded([&] {
    paths_.clear();
    commands_.clear();
    // A click on a folder's background brings no selection; nothing to offer.
    if (selection == nullptr) return S_OK;
    paths_ = droppedPaths(*selection);
    return S_OK;
  });
}

STDMETHODIMP MenuHandler::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) {
  return guarded([&]() -> HRESULT {
    commands_.clear();
    const HRESULT none = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if ((flags & CMF_DEFAULTONLY) != 0 || paths_.empty() || menu == nullptr) return none;
    // Only while the program runs with its menu switched on.
    if (programWindow() == nullptr) return none;
    UINT position = index;
    for (const std::wstring& entry : publishedEntries()) {
      if (entry == L"-") {
        InsertMenuW(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const UINT offset = static_cast<UINT>(commands_.size());
      if (firstId + offset > lastId) break;
      if (!InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, firstId + offset, entry.c_str())) break;
      ++position;
      commands_.push_back(entry);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(commands_.size()));
  });
}

std::wstring MenuHandler::captionOf(const CMINVOKECOMMANDINFO& info) const {
  if (IS_INTRESOURCE(info.lpVerb)) {
    const std::size_t offset = LOWORD(reinterpret_cast<UINT_PTR>(info.lpVerb));
    return offset < commands_.size() ? commands_[offset] : std::wstring{};
  }
  // A verb: the entries' captions are their verbs.
  std::wstring verb;
  const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
  if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE) != 0 &&
      extended.lpVerbW != nullptr && !IS_INTRESOURCE(extended.lpVerbW)) {
    verb = extended.lpVerbW;
  } else {
    const std::string ansi(info.lpVerb);
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
    verb.resize(static_cast<std::size_t>(std::max(length, 0)));
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), verb.data(), length);
  }
  return std::find(commands_.begin(), commands_.end(), verb) != commands_.end() ? verb : std::wstring{};
}

STDMETHODIMP MenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  return guarded([&]() -> HRESULT {
    if (info == nullptr || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    const std::wstring caption = captionOf(*info);
    if (caption.empty()) return E_FAIL;
    const HWND window = programWindow();
    if (window == nullptr) return E_FAIL;
    return sendClick(window, caption, paths_) ? S_OK : E_FAIL;
  });
}

STDMETHODIMP MenuHandler::GetCommandString(UINT_PTR command, UINT type, UINT*, CHAR* name, UINT size) {
  return guarded([&]() -> HRESULT {
    if (command >= commands_.size()) return E_INVALIDARG;
    const std::wstring& caption = commands_[command];
    switch (type) {
      case GCS_VALIDATEA:
      case GCS_VALIDATEW:
        return S_OK;
      case GCS_VERBW:
      case GCS_HELPTEXTW: {
        if (name == nullptr || size == 0) return E_INVALIDARG;
        const std::wstring text = type == GCS_VERBW ? caption : caption + L" with Tessara 7";
        lstrcpynW(reinterpret_cast<wchar_t*>(name), text.c_str(), static_cast<int>(size));
        return S_OK;
      }
      case GCS_VERBA:
      case GCS_HELPTEXTA: {
        if (name == nullptr || size == 0) return E_INVALIDARG;
        const std::wstring text = type == GCS_VERBA ? caption : caption + L" with Tessara 7";
        if (WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, name, static_cast<int>(size), nullptr, nullptr) == 0)
          name[size - 1] = '\0';
        return S_OK;
      }
      default:
        return E_INVALIDARG;
    }
  });
}

}  // namespace tsrmenu
