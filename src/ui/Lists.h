#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Container.h"

namespace ui {

class ListPeer : public virtual ControlPeer {
 public:
  virtual void setItems(const std::vector<std::string>& items) = 0;
  virtual void setItemIndex(int index) = 0;
};

// A drop-down list: it accepts only its items. An index outside them selects nothing.
class ComboBox : public Control {
 public:
  ComboBox(Container& parent, Rect place);
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);  // selection becomes none
  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);
  std::function<void()> OnChange;
  void UserSelected(int index);

 private:
  ListPeer* peer_;
  std::vector<std::string> items_;
  int index_ = -1;
};

// A single-selection list box.
class ListBox : public Control {
 public:
  ListBox(Container& parent, Rect place);
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  void Clear();
  void Add(const std::string& item);
  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);
  // First line equal to `text` ignoring letter case, or -1.
  int IndexOfIgnoreCase(const std::string& text) const;
  std::function<void()> OnClick;
  void UserSelected(int index);

 private:
  void Show();
  ListPeer* peer_;
  std::vector<std::string> items_;
  int index_ = -1;
  int updating_ = 0;
};

}  // namespace ui
