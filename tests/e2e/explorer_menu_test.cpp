// Explorer's Encrypt and Decrypt through the real DLL and the real program:
// this process plays Explorer. It creates the handler from its per-user
// registration, hands it a selection built by the shell, reads the menu it
// builds and clicks its entries; the running tessara7 encrypts and decrypts.
#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "tests/e2e/file_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

const std::string kClasses = "Software\\Classes";
const std::string kSettings = "Software\\TSR\\Settings";

template <typename T>
struct ComRelease {
  void operator()(T* p) const { if (p) p->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, ComRelease<T>>;

struct PidlFree {
  void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

Pidl pidlOf(const std::string& path) {
  ITEMIDLIST* pidl = nullptr;
  if (FAILED(SHParseDisplayName(widen(path).c_str(), nullptr, &pidl, 0, nullptr))) return nullptr;
  return Pidl(pidl);
}

// A selection of items of one folder, as Explorer's own view makes it.
Com<IDataObject> selectionOf(const std::vector<std::string>& paths) {
  std::vector<Pidl> owned;
  std::vector<PCUITEMID_CHILD> children;
  Com<IShellFolder> parent;
  for (const auto& path : paths) {
    owned.push_back(pidlOf(path));
    if (!owned.back()) return nullptr;
    IShellFolder* folder = nullptr;
    PCUITEMID_CHILD child = nullptr;
    if (FAILED(SHBindToParent(owned.back().get(), IID_IShellFolder, reinterpret_cast<void**>(&folder), &child)))
      return nullptr;
    parent.reset(folder);  // every item shares the parent
    children.push_back(child);
  }
  IDataObject* data = nullptr;
  if (FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                   nullptr, reinterpret_cast<void**>(&data))))
    return nullptr;
  return Com<IDataObject>(data);
}

// The handler as Explorer finds it: the handler entry names the class, the
// class names the DLL. (Wine's COM does not look at per-user classes, so the
// DLL is loaded from its registered path.)
class Handler {
 public:
  static std::optional<Handler> create() {
    const auto clsid = RegistryFixture::readString(
        Root::User, kClasses + "\\*\\shellex\\ContextMenuHandlers\\" + names::ExplorerMenuHandlerName, "");
    if (!clsid) return std::nullopt;
    const auto dll = RegistryFixture::readString(Root::User, kClasses + "\\CLSID\\" + *clsid + "\\InprocServer32", "");
    const auto model =
        RegistryFixture::readString(Root::User, kClasses + "\\CLSID\\" + *clsid + "\\InprocServer32", "ThreadingModel");
    if (!dll || model != "Apartment") return std::nullopt;
    Handler handler;
    handler.module_ = LoadLibraryW(widen(*dll).c_str());
    if (!handler.module_) return std::nullopt;
    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(handler.module_, "DllGetClassObject")));
    CLSID id{};
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(CLSIDFromString(widen(*clsid).c_str(), &id)) ||
        FAILED(getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
      return std::nullopt;
    Com<IClassFactory> owned(factory);
    IShellExtInit* init = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init))))
      return std::nullopt;
    handler.init_.reset(init);
    IContextMenu* menu = nullptr;
    if (FAILED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)))) return std::nullopt;
    handler.menu_.reset(menu);
    return handler;
  }

  bool initialise(const std::vector<std::string>& paths) {
    const auto data = selectionOf(paths);
    return data && SUCCEEDED(init_->Initialize(nullptr, data.get(), nullptr));
  }
  // The entries the handler adds to an empty menu: "-" for a separator.
  std::vector<std::string> menu() {
    const win32kit::UniqueMenu menu(CreatePopupMenu());
    const HRESULT added = menu_->QueryContextMenu(menu.get(), 0, 100, 200, CMF_NORMAL);
    std::vector<std::string> entries;
    for (int i = 0; i < GetMenuItemCount(menu.get()); ++i) {
      wchar_t text[64] = {};
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 63;
      GetMenuItemInfoW(menu.get(), static_cast<UINT>(i), TRUE, &info);
      entries.push_back((info.fType & MFT_SEPARATOR) ? "-" : narrow(text) + "=" + std::to_string(info.wID));
    }
    entries.push_back("added " + std::to_string(HRESULT_CODE(added)));
    return entries;
  }
  // Clicks the entry at this offset from the first id.
  HRESULT invoke(int offset) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return menu_->InvokeCommand(&info);
  }
  HMODULE module() const { return module_; }

 private:
  HMODULE module_ = nullptr;  // stays loaded, as Explorer keeps it
  Com<IShellExtInit> init_;
  Com<IContextMenu> menu_;
};

const std::vector<std::string> kFullMenu = {"-", "Encrypt=100", "Decrypt=101", "added 2"};
const std::vector<std::string> kEmptyMenu = {"added 0"};

class ExplorerMenuE2e : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    base_ = freshTempFolder("Explorer Menü 菜单");
    ASSERT_TRUE(exists(base_));
  }
  void TearDown() override {
    program_.reset();
    E2eTest::TearDown();
    removeTree(base_);
    CoUninitialize();
  }
  void startProgram(bool option, bool password) {
    program_.reset();
    ASSERT_TRUE(waitForNoWindow(kMainTitle, 5000, kConfigClass));
    ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kSettings, "chkContextMenu", option ? "1" : "0"));
    ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kSettings, "mEnPwd", password ? "1" : "0"));
    program_.emplace("tessara7");
    ASSERT_NE(waitForMainWindow(), nullptr);
  }
  static bool encrypted(const std::string& path) { return exists(path + ".ts7") && !exists(path); }
  static void answerPrompt(const std::string& title, const std::string& password) {
    const HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
    ASSERT_NE(prompt, nullptr) << "no prompt for " << title;
    EXPECT_EQ(waitForAnswer(prompt, "lblProgram.caption", title), title);
    EXPECT_EQ(query(prompt, "chksubfolders.visible"), "1");
    ASSERT_TRUE(submitPassword(prompt, password));
  }

  std::string base_;
  std::optional<Program> program_;
};

TEST_F(ExplorerMenuE2e, EncryptAndDecryptFromTheMenuWithAndWithoutThePrompt) {
  const std::string file = base_ + "\\plain.txt";
  const std::string folder = base_ + "\\Ordner";
  const std::string foreign = base_ + "\\Ünï 文件 Ω.doc";
  const std::string secret = randomBytes(100000, 7);
  ASSERT_TRUE(writeFile(file, secret));
  ASSERT_TRUE(CreateDirectoryW(systemPath(folder).c_str(), nullptr));
  ASSERT_TRUE(writeFile(folder + "\\inner.txt", "inner"));
  ASSERT_TRUE(writeFile(foreign, "foreign"));
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\PWD", "PWD2", "Geheim 7"));

  // Option on, no prompt: the handler shows the entries for a selection and
  // for a drive, and Encrypt runs each item in turn.
  startProgram(true, false);
  auto handler = Handler::create();
  ASSERT_TRUE(handler) << "the program registered no usable handler for the user";
  ASSERT_TRUE(handler->initialise({file, folder, foreign}));
  EXPECT_EQ(handler->menu(), kFullMenu);
  auto driveHandler = Handler::create();
  ASSERT_TRUE(driveHandler);
  ASSERT_TRUE(driveHandler->initialise({"C:\\"}));
  EXPECT_EQ(driveHandler->menu(), kFullMenu);
  using CanUnload = HRESULT(__stdcall*)();
  const auto canUnload =
      reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(handler->module(), "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE) << "handlers are alive";
  driveHandler.reset();

  EXPECT_EQ(handler->invoke(0), S_OK);
  // How fast is the benchmark's business; a loaded machine may take a while.
  EXPECT_TRUE(waitUntil(10000, [&] { return encrypted(file); })) << "the file was not encrypted";
  EXPECT_TRUE(waitUntil(10000, [&] { return encrypted(folder + "\\inner.txt") && encrypted(foreign); }));
  handler.reset();
  EXPECT_EQ(canUnload(), S_OK) << "every object released";

  // The program gone: the registration stays, the entries do not show.
  program_.reset();
  ASSERT_TRUE(waitForNoWindow(kMainTitle, 5000, kConfigClass));
  handler = Handler::create();
  ASSERT_TRUE(handler);
  ASSERT_TRUE(handler->initialise({file + ".ts7"}));
  EXPECT_EQ(handler->menu(), kEmptyMenu);
  EXPECT_EQ(handler->invoke(0), E_FAIL);

  // Running with the option off: no entries either.
  startProgram(false, false);
  EXPECT_EQ(handler->menu(), kEmptyMenu);

  // The password option on and the page's password changed: Decrypt asks for
  // the files' password, which keeps its capitals; Encrypt asks for the
  // master password first.
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\PWD", "PWD2", "Anders 8"));
  startProgram(true, true);
  EXPECT_EQ(handler->menu(), kFullMenu);
  EXPECT_EQ(handler->invoke(1), S_OK);
  answerPrompt("Enter the original encryption password to decrypt file(s).", "Geheim 7");
  EXPECT_TRUE(waitUntil(5000, [&] { return readFile(file) == secret && !exists(file + ".ts7"); }))
      << "not decrypted with the password as typed";

  ASSERT_TRUE(handler->initialise({file}));
  EXPECT_EQ(handler->menu(), kFullMenu);
  EXPECT_EQ(handler->invoke(0), S_OK);
  EXPECT_TRUE(holdsFor(1500, [&] { return !exists(file + ".ts7"); })) << "nothing runs before the password";
  answerPrompt("Master Password Required:", "OpenBox");
  EXPECT_TRUE(waitUntil(5000, [&] { return encrypted(file); }));
}

}  // namespace
}  // namespace e2e
