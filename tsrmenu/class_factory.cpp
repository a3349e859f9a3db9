#include "tsrmenu/class_factory.h"

#include <new>

#include "tsrmenu/menu_handler.h"

namespace tsrmenu {

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* handler = new (std::nothrow) MenuHandler();
  if (handler == nullptr) return E_OUTOFMEMORY;
  // The caller's reference, or none: the handler goes when the query fails.
  const HRESULT result = handler->QueryInterface(riid, object);
  handler->Release();
  return result;
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) ++g_serverLocks;
  else --g_serverLocks;
  return S_OK;
}

}  // namespace tsrmenu
