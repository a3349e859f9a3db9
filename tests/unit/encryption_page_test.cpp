// The Encryption page in the whole program: the password's Set and Reset
// through the notice, the stored choices, re-encrypting when the window is
// closed, and the Welcome page's shortcut behind the master password.
#include "tessara7/shell/frm_error.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

class EncryptionPageTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    config().txtEnPwd.setText("secret");
  }
};

// The page: the password's Set and Reset, Display, Browse, Open, the
// sub-folder choice, the explanation, the Welcome shortcut, re-encrypting on Cancel.
TEST_F(EncryptionPageTest, ThePageStoresItsChoicesAndReEncryptsOnClose) {
  auto& page = config();
  page.txtEnPwd.setText("ab");
  page.cmdenpwd.click();
  EXPECT_EQ(noticeText(), "Password must be greater than 2 characters!");
  page.txtEnPwd.setText("Abc");
  page.cmdenpwd.click();
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\PWD", "PWD2"), "Abc");
  EXPECT_FALSE(page.txtEnPwd.enabled());
  EXPECT_EQ(page.cmdenpwd.caption(), "Reset");
  for (const char* answer : {"cancel", "ok"}) {
    doEventsScript = [&] {
      if (FrmError* notice = app().openNotice()) (std::string(answer) == "ok" ? notice->cmdok : notice->cmdCancel).click();
    };
    page.cmdenpwd.click();
    EXPECT_EQ(page.cmdenpwd.caption(), std::string(answer) == "ok" ? "Set" : "Reset");
  }
  doEventsScript = nullptr;
  EXPECT_TRUE(page.txtEnPwd.enabled());
  page.lblDisplayEnPwd.click();
  EXPECT_EQ(noticeText(), "Abc");
  page.cmdHelper1.click();
  EXPECT_NE(noticeText().find("key).\nBecause"), std::string::npos);
  EXPECT_NE(noticeText().find("secured.\nOnly"), std::string::npos);
  EXPECT_NE(noticeText().find("accessed.\nThe user"), std::string::npos);

  sim.shell.queueBrowseAnswer("C:\\Picked\\x.doc.ts7");
  page.cmdBrowse.click();
  EXPECT_EQ(sim.shell.browseTitles(), std::vector<std::string>{"Select a file or folder"});
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\Settings", "LastPath"), "C:\\Picked\\x.doc.ts7");
  page.cmdfolder.click();
  EXPECT_EQ(sim.shell.executed().back().file, "C:\\Picked\\x.doc.ts7");
  page.chkSub.click();
  EXPECT_EQ(getString(Root::User, "Software\\TSR\\Settings", "subfolders"), "1");

  sim.files.addFile("C:\\Picked\\x.doc", "document");
  page.chkReEncrypt.setValue(1);
  unlock();
  page.show();
  page.cmdCancel.click();
  EXPECT_TRUE(sim.files.exists("C:\\Picked\\x.doc.ts7"));
  EXPECT_FALSE(page.visible());
  EXPECT_FALSE(session().ConfigUnlocked);
  page.cmdlockfile.click();
  EXPECT_NE(prompt(), nullptr) << "the shortcut asks for the master password first";
  typePassword("openbox");
  page.cmdlockfile.click();
  EXPECT_EQ(page.SSTab1.tab(), FrmConfig::PageEncryption);
}

}  // namespace
}  // namespace tessara::testing
