// tsrmenu.dll: Tessara 7's entries on Explorer's right-click menu, an
// in-process COM server of one class (names::ExplorerMenuClsid).
#include <windows.h>
#include <objbase.h>

#include <new>

#include "shared/names.h"
#include "shared/win32/text.h"
#include "tsrmenu/class_factory.h"
#include "tsrmenu/module.h"

namespace {

bool isOurClass(REFCLSID clsid) {
  CLSID ours{};
  return SUCCEEDED(CLSIDFromString(win32kit::toWide(names::ExplorerMenuClsid).c_str(), &ours)) &&
         IsEqualCLSID(clsid, ours);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    tsrmenu::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    if (!isOurClass(clsid)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) tsrmenu::ClassFactory();
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
  return tsrmenu::g_liveObjects == 0 && tsrmenu::g_serverLocks == 0 ? S_OK : S_FALSE;
}
