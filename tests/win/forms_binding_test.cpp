// The Win32 binding of the forms model: the real windows follow the model,
// and what the user does reaches the model.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "forms_binding_fixture.h"

namespace binding_test {
namespace {

using forms::CloseReason;
using forms::win32::doEvents;

bool shown(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST_F(FormsBinding, TopLevelWindowFollowsTheForm) {
  wchar_t className[64] = {};
  GetClassNameW(window(), className, 64);
  EXPECT_STREQ(className, L"Tessara.frmBindingSample");
  EXPECT_EQ(text(window()), L"Binding sample");
  EXPECT_FALSE(IsWindowVisible(window())) << "a loaded form stays hidden until shown";

  const auto style = GetWindowLongPtrW(window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  const UINT dpi = GetDpiForWindow(window());
  RECT client{};
  GetClientRect(window(), &client);
  EXPECT_EQ(client.right, MulDiv(420, static_cast<int>(dpi), 96));
  EXPECT_EQ(client.bottom, MulDiv(330, static_cast<int>(dpi), 96));

  form->setCaption("Tessara 7");
  EXPECT_EQ(text(window()), L"Tessara 7");
  form->show();
  EXPECT_TRUE(IsWindowVisible(window()));
  form->setTopmost(true);
  EXPECT_TRUE(GetWindowLongPtrW(window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form->setTopmost(false);
  EXPECT_FALSE(GetWindowLongPtrW(window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form->hide();
  EXPECT_FALSE(IsWindowVisible(window()));
}

TEST_F(FormsBinding, ControlsGetWindowsOfTheirKind) {
  auto classOf = [](HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return std::wstring(name);
  };
  EXPECT_EQ(_wcsicmp(classOf(child(form->lblTitle)).c_str(), L"Static"), 0);
  EXPECT_EQ(_wcsicmp(classOf(child(form->txtName)).c_str(), L"Edit"), 0);
  EXPECT_EQ(_wcsicmp(classOf(child(form->lstAllow)).c_str(), L"ListBox"), 0);
  EXPECT_EQ(classOf(child(form->SSTab1)), WC_TABCONTROLW);
  EXPECT_EQ(child(form->tmrTick), nullptr) << "a timer has no window";

  EXPECT_EQ(GetDlgCtrlID(child(form->cmdOk)), form->cmdOk.id());
  EXPECT_EQ(GetWindowLongPtrW(child(form->chkLockStart), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
  EXPECT_EQ(GetWindowLongPtrW(child(form->OptThisUser), GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON);
  EXPECT_EQ(GetWindowLongPtrW(child(form->fraOptions), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_TRUE(GetWindowLongPtrW(child(form->txtPassword), GWL_STYLE) & ES_PASSWORD);
  EXPECT_EQ(send(form->txtPassword, EM_GETPASSWORDCHAR), '*');
  EXPECT_EQ(send(form->txtName, EM_GETLIMITTEXT), 20);
  EXPECT_TRUE(GetWindowLongPtrW(child(form->lstProgram), GWL_STYLE) & LBS_OWNERDRAWFIXED);
  EXPECT_NE(send(form->lblTitle, WM_GETFONT), 0) << "the system's message font on every control";

  const UINT dpi = GetDpiForWindow(window());
  RECT rect{};
  GetWindowRect(child(form->cmdOk), &rect);
  MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, MulDiv(236, static_cast<int>(dpi), 96));
  EXPECT_EQ(rect.right - rect.left, MulDiv(84, static_cast<int>(dpi), 96));
}

TEST_F(FormsBinding, CheckAndOptionButtonsFollowTheModelBothWays) {
  int clicks = 0;
  form->chkLockStart.onClick = [&] { ++clicks; };
  form->chkLockStart.setValue(1);
  EXPECT_EQ(send(form->chkLockStart, BM_GETCHECK), BST_CHECKED);

  notify(form->chkLockStart, BN_CLICKED);
  EXPECT_EQ(form->chkLockStart.value(), 0);
  EXPECT_EQ(send(form->chkLockStart, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_EQ(clicks, 2);

  EXPECT_EQ(send(form->OptAllUsers, BM_GETCHECK), BST_CHECKED);
  int optionClicks = 0;
  form->OptThisUser.onClick = [&] { ++optionClicks; };
  notify(form->OptThisUser, BN_CLICKED);
  EXPECT_TRUE(form->OptThisUser.value());
  EXPECT_FALSE(form->OptAllUsers.value());
  EXPECT_EQ(send(form->OptThisUser, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(send(form->OptAllUsers, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_EQ(optionClicks, 1);
}

TEST_F(FormsBinding, DisabledFrameDisablesTheControlsInIt) {
  form->OptThisUser.setEnabled(false);
  form->fraOptions.setEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(child(form->fraOptions)));
  EXPECT_FALSE(IsWindowEnabled(child(form->chkLockStart)));
  EXPECT_FALSE(IsWindowEnabled(child(form->OptAllUsers)));
  EXPECT_TRUE(IsWindowEnabled(child(form->txtName))) << "outside the frame";

  notify(form->chkLockStart, BN_CLICKED);
  EXPECT_EQ(form->chkLockStart.value(), 0) << "a click on a disabled control changes nothing";

  form->fraOptions.setEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(child(form->chkLockStart)));
  EXPECT_FALSE(IsWindowEnabled(child(form->OptThisUser))) << "its own switch still holds";

  form->fraOptions.setVisible(false);
  EXPECT_FALSE(shown(child(form->chkLockStart))) << "a hidden frame hides what sits in it";
  form->fraOptions.setVisible(true);
  EXPECT_TRUE(shown(child(form->chkLockStart)));
}

TEST_F(FormsBinding, OnlyTheCurrentPageShowsItsControls) {
  EXPECT_TRUE(shown(child(form->lstProgram)));
  EXPECT_FALSE(shown(child(form->lstAllow)));
  EXPECT_TRUE(shown(child(form->cmdOk))) << "not on a page: always shown";

  form->SSTab1.setTab(1);
  EXPECT_EQ(send(form->SSTab1, TCM_GETCURSEL), 1);
  EXPECT_FALSE(shown(child(form->lstProgram)));
  EXPECT_FALSE(shown(child(form->chkLockStart))) << "in a frame on page 0";
  EXPECT_TRUE(shown(child(form->lstAllow)));

  form->lstAllow.setVisible(false);
  EXPECT_FALSE(shown(child(form->lstAllow)));
  form->SSTab1.setTab(0);
  form->SSTab1.setTab(1);
  EXPECT_FALSE(shown(child(form->lstAllow))) << "its own visible flag still holds";
}

TEST_F(FormsBinding, SwitchedOffTabsCannotBeChosen) {
  form->SSTab1.setTabEnabled(1, false);
  ASSERT_EQ(send(form->SSTab1, TCM_GETITEMCOUNT), 2) << "switched-off tabs are left out of the strip";

  // The user picks the second tab of the strip, which is the model's third.
  int tabClicks = 0;
  form->SSTab1.onClick = [&] { ++tabClicks; };
  send(form->SSTab1, TCM_SETCURSEL, 1);
  NMHDR header{child(form->SSTab1), static_cast<UINT_PTR>(form->SSTab1.id()), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(window(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(form->SSTab1.tab(), 2);
  EXPECT_EQ(tabClicks, 1);
  EXPECT_TRUE(shown(child(form->lstignore)));

  form->SSTab1.setTab(1);
  EXPECT_EQ(form->SSTab1.tab(), 2) << "code cannot choose it either";

  form->SSTab1.setTabEnabled(1, true);
  EXPECT_EQ(send(form->SSTab1, TCM_GETITEMCOUNT), 3);
  EXPECT_EQ(send(form->SSTab1, TCM_GETCURSEL), 2) << "the strip keeps showing the current tab";
}

TEST_F(FormsBinding, ListBoxContentsFollowTheModel) {
  form->lstAllow.addItem("Notepad");
  form->lstAllow.addItem("Calc");
  form->lstAllow.addItem("Paint");
  ASSERT_EQ(send(form->lstAllow, LB_GETCOUNT), 3);
  EXPECT_EQ(listText(form->lstAllow, 2), L"Paint");

  form->lstAllow.setListIndex(0);
  form->lstAllow.removeItem(1);
  ASSERT_EQ(send(form->lstAllow, LB_GETCOUNT), 2);
  EXPECT_EQ(listText(form->lstAllow, 0), L"Notepad");
  EXPECT_EQ(listText(form->lstAllow, 1), L"Paint");
  EXPECT_EQ(send(form->lstAllow, LB_GETCURSEL), 0) << "the selection stays on its entry";
  form->lstAllow.removeItem(0);
  EXPECT_EQ(send(form->lstAllow, LB_GETCURSEL), -1) << "the selected entry went";

  form->lstAllow.clear();
  EXPECT_EQ(send(form->lstAllow, LB_GETCOUNT), 0);

  for (int i = 0; i < 50; ++i) form->lstAllow.addItem("Entry " + std::to_string(i));
  form->lstAllow.removeItem(0);
  ASSERT_EQ(send(form->lstAllow, LB_GETCOUNT), 49);
  EXPECT_EQ(listText(form->lstAllow, 0), L"Entry 1");
  EXPECT_EQ(listText(form->lstAllow, 48), L"Entry 49");
}

TEST_F(FormsBinding, ListsFilledInABatchShowTheirLastStateOnceItEnds) {
  form->lstAllow.addItem("Old entry");
  form->SSTab1.setTab(1);  // the page of lstAllow
  {
    forms::UpdateBatch batch(*form);
    form->lstAllow.clear();
    std::vector<std::string> entries;
    for (int i = 0; i < 300; ++i) entries.push_back("Entry " + std::to_string(i));
    form->lstAllow.setItems(entries);
    form->lstProgram.setEntries({{"Notepad", false}, {"Paint", true}});
    form->lstProgram.setChecked(0, true);
    form->lblTitle.setCaption("Shown at once");
    EXPECT_EQ(send(form->lstAllow, LB_GETCOUNT), 1) << "the list box waits for the batch";
    EXPECT_EQ(text(child(form->lblTitle)), L"Shown at once") << "captions are not held back";
  }
  ASSERT_EQ(send(form->lstAllow, LB_GETCOUNT), 300);
  EXPECT_EQ(listText(form->lstAllow, 0), L"Entry 0");
  EXPECT_EQ(listText(form->lstAllow, 299), L"Entry 299");
  ASSERT_EQ(send(form->lstProgram, LB_GETCOUNT), 2);
  EXPECT_EQ(listText(form->lstProgram, 1), L"Paint");
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 0), 1);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 1), 1);
  EXPECT_TRUE(shown(child(form->lstAllow))) << "drawing is on again";
}

TEST_F(FormsBinding, ManyTicksChangedAtOnceReachTheItemData) {
  std::vector<forms::CheckList::Entry> entries;
  for (int i = 0; i < 40; ++i) entries.push_back({"Entry " + std::to_string(i), true});
  form->lstProgram.setEntries(entries);
  for (int i : {0, 17, 39}) EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, static_cast<WPARAM>(i)), 1) << i;
  // The same texts with every other tick cleared: only the ticks change.
  for (std::size_t i = 0; i < entries.size(); i += 2) entries[i].checked = false;
  form->lstProgram.setEntries(entries);
  ASSERT_EQ(send(form->lstProgram, LB_GETCOUNT), 40);
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, static_cast<WPARAM>(i)), i % 2 ? 1 : 0) << i;
  EXPECT_TRUE(shown(child(form->lstProgram))) << "drawing is on again";
}

TEST_F(FormsBinding, ProgressBarFollowsTheModelAndListsReportTheMouse) {
  EXPECT_EQ(send(form->Pbar, PBM_GETRANGE, FALSE), 3600);
  form->Pbar.setValue(1800);
  EXPECT_EQ(send(form->Pbar, PBM_GETPOS), 1800);
  form->Pbar.setValue(9999);
  EXPECT_EQ(form->Pbar.value(), 3600) << "kept within the bar";
  EXPECT_EQ(send(form->Pbar, PBM_GETPOS), 3600);
  int moves = 0;
  form->lstAllow.onMouseMove = [&] { ++moves; };
  send(form->lstAllow, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(moves, 1);
}

TEST_F(FormsBinding, ListBoxReportsTheUsersChoice) {
  form->lstAllow.addItem("Notepad");
  form->lstAllow.addItem("Calc");
  int clicks = 0, doubleClicks = 0;
  form->lstAllow.onClick = [&] { ++clicks; };
  form->lstAllow.onDblClick = [&] { ++doubleClicks; };
  send(form->lstAllow, LB_SETCURSEL, 1);
  notify(form->lstAllow, LBN_SELCHANGE);
  EXPECT_EQ(form->lstAllow.listIndex(), 1);
  EXPECT_EQ(clicks, 1);
  notify(form->lstAllow, LBN_DBLCLK);
  EXPECT_EQ(doubleClicks, 1);

  std::vector<int> keys;
  form->lstAllow.onKeyDown = [&](int key) { keys.push_back(key); };
  send(form->lstAllow, WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(keys, std::vector<int>{VK_DELETE});
}

TEST_F(FormsBinding, CheckListKeepsTicksInTheItemData) {
  ASSERT_EQ(send(form->lstProgram, LB_GETCOUNT), 3);
  EXPECT_EQ(listText(form->lstProgram, 1), L"Calculator");
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 0), 1);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 1), 0);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 2), 1);

  form->lstProgram.setChecked(0, false);
  form->lstProgram.setChecked(1, true);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 0), 0);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 1), 1);

  form->lstProgram.removeItem(0);
  form->lstProgram.addItem("Explorer", true);
  ASSERT_EQ(send(form->lstProgram, LB_GETCOUNT), 3);
  EXPECT_EQ(listText(form->lstProgram, 0), L"Calculator");
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 0), 1);
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 2), 1);
}

TEST_F(FormsBinding, CheckListTicksOnTheBoxAndTheSpaceBar) {
  std::vector<int> checked;
  form->lstProgram.onItemCheck = [&](int index) { checked.push_back(index); };
  RECT item{};
  send(form->lstProgram, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const int middle = (item.top + item.bottom) / 2;

  send(form->lstProgram, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 6, middle));
  send(form->lstProgram, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 6, middle));
  EXPECT_TRUE(form->lstProgram.checked(1));
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 1), 1);
  EXPECT_EQ(checked, std::vector<int>{1});

  send(form->lstProgram, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 10, middle));
  send(form->lstProgram, WM_LBUTTONUP, 0, MAKELPARAM(item.right - 10, middle));
  EXPECT_TRUE(form->lstProgram.checked(1)) << "a click on the text only selects";
  EXPECT_EQ(form->lstProgram.listIndex(), 1);

  send(form->lstProgram, WM_KEYDOWN, VK_SPACE);
  EXPECT_FALSE(form->lstProgram.checked(1));
  EXPECT_EQ(send(form->lstProgram, LB_GETITEMDATA, 1), 0);
  EXPECT_EQ(checked, (std::vector<int>{1, 1}));
}

TEST_F(FormsBinding, TextBoxesFollowTheModelAndTheUser) {
  int changes = 0;
  form->txtName.onChange = [&] { ++changes; };
  form->txtName.setText("alice");
  EXPECT_EQ(text(child(form->txtName)), L"alice");
  EXPECT_EQ(changes, 1);

  SendMessageW(child(form->txtName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"b\u00f6b"));
  EXPECT_EQ(form->txtName.text(), "b\xc3\xb6" "b") << "UTF-8 inside";
  EXPECT_EQ(changes, 2);

  // The model telling the view what the user typed must not move the caret.
  send(form->txtName, EM_SETSEL, 1, 1);
  view().refresh(form->txtName, forms::Property::Text);
  DWORD start = 0, end = 0;
  send(form->txtName, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(changes, 2);

  // A handler that rewrites the text is shown.
  form->txtName.onChange = [&] { form->txtName.setText("fixed"); };
  SendMessageW(child(form->txtName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
  EXPECT_EQ(text(child(form->txtName)), L"fixed");
  EXPECT_EQ(form->txtName.text(), "fixed");

  std::vector<int> keys;
  form->txtPassword.onKeyDown = [&](int key) { keys.push_back(key); };
  send(form->txtPassword, WM_KEYDOWN, 'A');
  EXPECT_EQ(keys, std::vector<int>{'A'});
}

TEST_F(FormsBinding, DefaultButtonTakesEnter) {
  int okClicks = 0;
  form->cmdOk.onClick = [&] { ++okClicks; };
  form->setDefaultButton(form->cmdOk);
  EXPECT_EQ(LOWORD(SendMessageW(window(), DM_GETDEFID, 0, 0)), form->cmdOk.id());
  EXPECT_EQ(HIWORD(SendMessageW(window(), DM_GETDEFID, 0, 0)), DC_HASDEFID);
  EXPECT_EQ(GetWindowLongPtrW(child(form->cmdOk), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  form->setDefaultButton(form->cmdCancel);
  EXPECT_EQ(GetWindowLongPtrW(child(form->cmdOk), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  form->setDefaultButton(form->cmdOk);

  form->show();
  SetForegroundWindow(window());
  form->setFocus(form->txtName);
  doEvents();
  MSG enter{child(form->txtName), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
  EXPECT_TRUE(IsDialogMessageW(window(), &enter));
  doEvents();
  EXPECT_EQ(okClicks, 1);
}

TEST_F(FormsBinding, LabelColourAndToolTip) {
  form->lblTitle.setColor(0x000000FF);  // red, as 0x00BBGGRR
  HDC dc = CreateCompatibleDC(nullptr);
  const LRESULT brush =
      SendMessageW(window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child(form->lblTitle)));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  DeleteDC(dc);

  int clicks = 0;
  form->lblTitle.onClick = [&] { ++clicks; };
  notify(form->lblTitle, STN_CLICKED);
  EXPECT_EQ(clicks, 1);

  // The form's tooltip window is the one whose tools belong to the form.
  auto toolsOfForm = [&](HWND tips) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    return SendMessageW(tips, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) && tool.hwnd == window();
  };
  HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
  while (tips && !toolsOfForm(tips)) tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
  ASSERT_NE(tips, nullptr) << "one tooltip window per form";
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
  form->txtName.setToolTip("Your name");
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
  form->txtName.setToolTip("");
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
}

UINT menuState(HWND window, int id) { return GetMenuState(GetMenu(window), static_cast<UINT>(id), MF_BYCOMMAND); }

TEST_F(FormsBinding, MenuBarFollowsTheMenuItems) {
  HMENU bar = GetMenu(window());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 1) << "a hidden top-level menu stays off the bar";
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 3) << "hidden items are left out";
  EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);

  auto& lockTaskManager = *form->findMenu("chkTaskManager");
  lockTaskManager.setChecked(true);
  EXPECT_TRUE(menuState(window(), lockTaskManager.id()) & MF_CHECKED);
  lockTaskManager.setEnabled(false);
  EXPECT_TRUE(menuState(window(), lockTaskManager.id()) & MF_GRAYED);
  lockTaskManager.setChecked(false);
  EXPECT_FALSE(menuState(window(), lockTaskManager.id()) & MF_CHECKED);

  auto& hidden = *form->findMenu("mnuHiddenItem");
  EXPECT_EQ(menuState(window(), hidden.id()), static_cast<UINT>(-1));
  hidden.setVisible(true);
  EXPECT_NE(menuState(window(), hidden.id()), static_cast<UINT>(-1));
  lockTaskManager.setCaption("Lock Task &Manager");
  wchar_t caption[64] = {};
  GetMenuStringW(GetMenu(window()), static_cast<UINT>(lockTaskManager.id()), caption, 64, MF_BYCOMMAND);
  EXPECT_STREQ(caption, L"Lock Task &Manager");
}

TEST_F(FormsBinding, MenuCommandsReachTheModel) {
  int exits = 0, configures = 0;
  form->findMenu("mnuExit")->onClick = [&] { ++exits; };
  form->findMenu("mnuConfigure")->onClick = [&] { ++configures; };
  SendMessageW(window(), WM_COMMAND, MAKEWPARAM(form->findMenu("mnuExit")->id(), 0), 0);
  EXPECT_EQ(exits, 1);
  // Items of a pop-up-only menu come back as menu commands as well.
  SendMessageW(window(), WM_COMMAND, MAKEWPARAM(form->findMenu("mnuConfigure")->id(), 0), 0);
  EXPECT_EQ(configures, 1);
}

// What a thread timer saw of the popup menu while its loop ran: whether it
// was on the screen, and its entries.
struct PopupSeen {
  bool shown = false;
  std::vector<std::wstring> items;
  bool choose = false;  // take the first entry with the keys, instead of closing it
};
PopupSeen g_popup;

// The visible popup menu window of this process, or nullptr.
HWND visiblePopupMenu() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM out) {
        wchar_t cls[16] = {};
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameW(window, cls, 16) &&
            std::wstring_view(cls) == L"#32768") {
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK lookAtPopup(HWND, UINT, UINT_PTR, DWORD) {
  HWND menuWindow = visiblePopupMenu();
  if (menuWindow && !g_popup.shown) {
    g_popup.shown = true;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[64] = {};
      GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
      g_popup.items.push_back(text);
    }
  }
  if (menuWindow && g_popup.choose) {
    PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    g_popup.choose = false;
  } else if (!g_popup.choose) {
    EndMenu();
  }
}

TEST_F(FormsBinding, PopupMenuReturnsWhenDismissed) {
  int configures = 0;
  form->findMenu("mnuConfigure")->onClick = [&] { ++configures; };
  // The menu runs its own loop; a thread timer inside it looks at the menu
  // on the screen and closes it.
  g_popup = {};
  UINT_PTR timer = SetTimer(nullptr, 0, 200, lookAtPopup);
  form->popupMenu(*form->findMenu("mnuTray"));
  KillTimer(nullptr, timer);
  EXPECT_EQ(configures, 0);
  EXPECT_TRUE(g_popup.shown) << "no popup menu came up";
  EXPECT_EQ(g_popup.items, std::vector<std::wstring>{L"Configure"}) << "the hidden menu's own entries";
  EXPECT_EQ(visiblePopupMenu(), nullptr) << "the menu closed";

  // Its entry chosen with the keys reaches the model once the menu returns.
  g_popup = {};
  g_popup.choose = true;
  timer = SetTimer(nullptr, 0, 200, lookAtPopup);
  form->popupMenu(*form->findMenu("mnuTray"));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_popup.shown);
  EXPECT_EQ(configures, 1);
}

TEST_F(FormsBinding, CloseGoesThroughTheModel) {
  std::vector<CloseReason> reasons;
  int unloads = 0;
  form->onQueryUnload = [&](CloseReason reason) { reasons.push_back(reason); };
  form->onUnload = [&] { ++unloads; };
  form->show();
  HWND closed = window();
  SendMessageW(closed, WM_CLOSE, 0, 0);
  EXPECT_EQ(reasons, std::vector<CloseReason>{CloseReason::User});
  EXPECT_EQ(unloads, 1);
  EXPECT_TRUE(form->unloaded());
  EXPECT_FALSE(IsWindow(closed));
  EXPECT_EQ(form->handle(), 0u);

  // The view outlives its window; the model may still talk to it.
  form->setCaption("after");
  form->lstProgram.addItem("more");
  form->chkLockStart.setValue(1);
}

// Any program can send the end-of-session messages; while Windows itself
// is not shutting down they close nothing, and a close after them is the
// user's own, which the program answers as it answers any other.
TEST_F(FormsBinding, AnEndOfSessionThatWindowsDidNotStartClosesNothing) {
  ASSERT_EQ(GetSystemMetrics(SM_SHUTTINGDOWN), 0);
  std::vector<CloseReason> reasons;
  form->onQueryUnload = [&](CloseReason reason) { reasons.push_back(reason); };
  EXPECT_TRUE(SendMessageW(window(), WM_QUERYENDSESSION, 0, 0));
  SendMessageW(window(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(reasons, std::vector<CloseReason>{});
  EXPECT_FALSE(form->unloaded());
  SendMessageW(window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(reasons, std::vector<CloseReason>{CloseReason::User});
}

TEST_F(FormsBinding, HandlerErrorsAreReportedAndTheWindowLivesOn) {
  form->cmdOk.onClick = [] { throw std::runtime_error("Disk not ready"); };
  notify(form->cmdOk, BN_CLICKED);
  EXPECT_EQ(errors, std::vector<std::string>{"Disk not ready"});

  form->findMenu("mnuExit")->onClick = [] { throw 42; };
  SendMessageW(window(), WM_COMMAND, MAKEWPARAM(form->findMenu("mnuExit")->id(), 0), 0);
  ASSERT_EQ(errors.size(), 2u);

  int clicks = 0;
  form->cmdOk.onClick = [&] { ++clicks; };
  notify(form->cmdOk, BN_CLICKED);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(IsWindow(window()));
}

TEST_F(FormsBinding, HandlerMayUnloadItsOwnForm) {
  form->show();
  HWND closed = window();
  form->cmdCancel.onClick = [&] { form->unload(); };
  notify(form->cmdCancel, BN_CLICKED);
  EXPECT_FALSE(IsWindow(closed));
  doEvents();
}

TEST_F(FormsBinding, MessageHooksSeeTheFormsMessages) {
  std::vector<UINT> seen;
  view().addMessageHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP + 5) return 1234;
    if (message == WM_APP + 6) throw std::runtime_error("hook failed");
    seen.push_back(message);
    return std::nullopt;
  });
  EXPECT_EQ(SendMessageW(window(), WM_APP + 5, 0, 0), 1234);
  SendMessageW(window(), WM_APP + 6, 0, 0);
  EXPECT_EQ(errors, std::vector<std::string>{"hook failed"});
  SendMessageW(window(), WM_APP + 7, 0, 0);
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_APP + 7), seen.end());
  EXPECT_EQ(forms::win32::Win32FormView::fromWindow(window()), &view());
}

TEST_F(FormsBinding, LooksLikeADialog) {
  // Set TESSARA_FORMS_DEMO_MS to keep the window on screen for a screenshot.
  form->txtName.setText("alice");
  form->txtPassword.setText("secret");
  form->lstProgram.setListIndex(1);
  form->setDefaultButton(form->cmdOk);
  form->show();
  doEvents();
  const char* pause = std::getenv("TESSARA_FORMS_DEMO_MS");
  const DWORD until = GetTickCount() + (pause ? static_cast<DWORD>(std::atoi(pause)) : 0);
  do {
    doEvents();
    Sleep(20);
  } while (GetTickCount() < until);
  EXPECT_EQ(text(child(form->txtPassword)), L"secret") << "the edit holds the real text; it shows the mask";
  EXPECT_TRUE(IsWindowVisible(child(form->lstProgram)));
}

}  // namespace
}  // namespace binding_test
