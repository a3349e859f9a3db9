#pragma once
// The kinds of controls the programs' windows are made of.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "platform/clock.h"

namespace forms {

// A control that shows a caption: labels, buttons, check boxes, option
// buttons and frames share this one implementation of it.
class CaptionedControl : public Control {
 public:
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);

 protected:
  CaptionedControl(Form& owner, std::string name, Kind kind, std::string caption);

 private:
  std::string caption_;
};

class Label : public CaptionedControl {
 public:
  Label(Form& owner, std::string name, std::string caption = {});
  std::uint32_t color() const { return color_; }
  void setColor(std::uint32_t rgb);
  void click() { fire(onClick); }
  std::function<void()> onClick;

 private:
  std::uint32_t color_ = 0;
};

class Button : public CaptionedControl {
 public:
  Button(Form& owner, std::string name, std::string caption = {});
  void click();
  std::function<void()> onClick;
};

// Value 0 or 1. Setting a new value from code runs the click handler, as a
// click by the user does.
class CheckBox : public CaptionedControl {
 public:
  CheckBox(Form& owner, std::string name, std::string caption = {});
  int value() const { return value_; }
  void setValue(int value);
  void click();  // the user's click: toggles
  std::function<void()> onClick;

 private:
  int value_ = 0;
};

// One of a group: the option buttons of the same frame (or the form).
class OptionButton : public CaptionedControl {
 public:
  OptionButton(Form& owner, std::string name, std::string caption = {});
  bool value() const { return value_; }
  // Selecting from code runs the click handler when the option was not selected.
  void select();
  void click();  // the user's click: selects and runs the handler
  std::function<void()> onClick;

 private:
  void takeSelection();
  bool value_ = false;
};

class TextBox : public Control {
 public:
  TextBox(Form& owner, std::string name, std::string text = {});
  const std::string& text() const { return text_; }
  void setText(std::string text);
  // The user typed: the model follows without telling the view back.
  void userSetText(std::string text);
  int maxLength() const { return maxLength_; }
  void setMaxLength(int characters) { maxLength_ = characters; }
  char passwordChar() const { return passwordChar_; }
  void setPasswordChar(char c) { passwordChar_ = c; }
  bool multiLine() const { return multiLine_; }
  void setMultiLine(bool on) { multiLine_ = on; }
  void click() { fire(onClick); }
  void keyDown(int keyCode);
  std::function<void()> onChange;
  std::function<void()> onClick;
  std::function<void(int)> onKeyDown;

 private:
  std::string text_;
  int maxLength_ = 0;  // 0: no limit
  char passwordChar_ = 0;
  bool multiLine_ = false;
};

class ListBox : public Control {
 public:
  ListBox(Form& owner, std::string name);
  const std::vector<std::string>& items() const { return items_; }
  int count() const { return static_cast<int>(items_.size()); }
  const std::string& item(int index) const { return items_.at(index); }
  void addItem(std::string text);
  void removeItem(int index);
  void clear();
  // Replaces every entry at once: one change for the view, however many entries.
  void setItems(std::vector<std::string> items);
  int listIndex() const { return listIndex_; }  // -1: nothing highlighted
  void setListIndex(int index);
  void userSelect(int index);
  void keyDown(int keyCode);
  void dblClick() { fire(onDblClick); }
  // The mouse moved over the list.
  void mouseMove() { fire(onMouseMove); }
  std::function<void()> onClick;
  std::function<void()> onDblClick;
  std::function<void(int)> onKeyDown;
  std::function<void()> onMouseMove;

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

// A list whose entries carry a tick. Ticking runs onItemCheck.
class CheckList : public Control {
 public:
  struct Entry {
    std::string text;
    bool checked = false;
  };
  CheckList(Form& owner, std::string name);
  const std::vector<Entry>& entries() const { return entries_; }
  int count() const { return static_cast<int>(entries_.size()); }
  const std::string& item(int index) const { return entries_.at(index).text; }
  bool checked(int index) const { return entries_.at(index).checked; }
  void addItem(std::string text, bool checked = false);
  void removeItem(int index);
  void clear();
  // Replaces every entry at once, ticks included, without running onItemCheck.
  void setEntries(std::vector<Entry> entries);
  void setChecked(int index, bool checked);
  int listIndex() const { return listIndex_; }
  void setListIndex(int index);
  void userSelect(int index);
  void keyDown(int keyCode);
  std::function<void(int)> onItemCheck;
  std::function<void(int)> onKeyDown;

 private:
  std::vector<Entry> entries_;
  int listIndex_ = -1;
};

class Frame : public CaptionedControl {
 public:
  Frame(Form& owner, std::string name, std::string caption = {});
};

class TabControl : public Control {
 public:
  struct Tab {
    std::string caption;
    bool enabled = true;
  };
  TabControl(Form& owner, std::string name, std::vector<std::string> captions);
  const std::vector<Tab>& tabs() const { return tabs_; }
  int tab() const { return current_; }
  void setTab(int index);  // a switched-off tab cannot be selected
  void userSelect(int index);
  bool tabEnabled(int index) const { return tabs_.at(index).enabled; }
  void setTabEnabled(int index, bool enabled);
  std::function<void()> onClick;

 private:
  std::vector<Tab> tabs_;
  int current_ = 0;
};

// A bar filled from the left in proportion to its value (0 to max).
class ProgressBar : public Control {
 public:
  ProgressBar(Form& owner, std::string name, int max = 100);
  int value() const { return value_; }
  // Kept between 0 and max.
  void setValue(int value);
  int max() const { return max_; }

 private:
  int value_ = 0;
  int max_;
};

// Ticks on the program's thread while enabled and the form is loaded.
class Timer : public Control {
 public:
  Timer(Form& owner, std::string name, std::uint32_t intervalMs, bool enabled);
  ~Timer() override;
  std::uint32_t interval() const { return interval_; }
  void setInterval(std::uint32_t ms);
  bool running() const { return running_; }  // the Enabled property
  void setRunning(bool on);
  void tick();
  // The form calls these when it loads and unloads.
  void arm();
  void disarm();
  std::function<void()> onTimer;

 private:
  void reschedule();
  std::uint32_t interval_;
  bool running_;
  bool armed_ = false;
  platform::TimerId timerId_ = 0;
};

}  // namespace forms
