#pragma once

#include "ui/Control.h"

namespace ui {

class WidgetFactory;

// A control that holds others: the window, group boxes and panels.
class Container : public Control {
 public:
  WidgetFactory& Factory() const { return factory_; }

 protected:
  explicit Container(WidgetFactory& factory) : factory_(factory) {}

 private:
  WidgetFactory& factory_;
};

class GroupBox : public Container {
 public:
  GroupBox(Container& parent, Rect place, const std::string& caption);
};

class Panel : public Container {
 public:
  // Aligned to the bottom of its parent, full width, `height` 96-DPI pixels high.
  Panel(Container& parent, int height);
};

}  // namespace ui
