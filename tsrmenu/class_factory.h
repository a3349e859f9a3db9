#pragma once
// The class object DllGetClassObject hands out: it makes menu handlers.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "tsrmenu/module.h"

namespace tsrmenu {

class ClassFactory final : public IClassFactory {
 public:
  ClassFactory() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ~ClassFactory() = default;
  ModuleReference moduleReference_;
  std::atomic<ULONG> references_{1};
};

}  // namespace tsrmenu
