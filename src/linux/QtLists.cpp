// The Qt peers of the drop-down list and the list box.

#include "linux/QtWidgetPeer.h"

#include <QComboBox>
#include <QListWidget>
#include <QStyledItemDelegate>

namespace linuxdesktop {

namespace {

// Both lists show their items the same way and have no caption.
template <class W>
class ItemsPeer : public WidgetPeer<W, ui::ListPeer> {
 public:
  using WidgetPeer<W, ui::ListPeer>::WidgetPeer;
  void setCaption(const std::string&) override {}
  void setItems(const std::vector<std::string>& items) override {
    QSignalBlocker block(this->w());
    this->w()->clear();
    for (const auto& item : items) this->w()->addItem(Q(item));
  }
};

class ComboPeer : public ItemsPeer<QComboBox> {
 public:
  ComboPeer(ui::ComboBox& owner, QWidget* parent, ui::Rect place)
      : ItemsPeer(Placed(new QComboBox(parent), place)) {
    w()->setEditable(false);
    QObject::connect(w(), &QComboBox::activated, w(), [&owner](int index) { owner.UserSelected(index); });
  }
  void setItemIndex(int index) override {
    QSignalBlocker block(w());
    w()->setCurrentIndex(index);
  }
};

class FixedRowHeight : public QStyledItemDelegate {
 public:
  FixedRowHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
  }

 private:
  int height_;
};

class ListBoxPeer : public ItemsPeer<QListWidget> {
 public:
  ListBoxPeer(ui::ListBox& owner, QWidget* parent, ui::Rect place)
      : ItemsPeer(Placed(new QListWidget(parent), place)) {
    w()->setSelectionMode(QAbstractItemView::SingleSelection);
    w()->setUniformItemSizes(true);
    w()->setItemDelegate(new FixedRowHeight(15, w()));
    // The selection, not the current row: focus alone moves the current row to the
    // first line without selecting anything.
    QObject::connect(w(), &QListWidget::itemSelectionChanged, w(), [this, &owner] {
      const QList<QListWidgetItem*> selected = w()->selectedItems();
      owner.UserSelected(selected.isEmpty() ? -1 : w()->row(selected.front()));
    });
  }
  void setItemIndex(int index) override {
    QSignalBlocker block(w());
    w()->setCurrentRow(index);
    if (index < 0) w()->clearSelection();
  }
};

}  // namespace

std::unique_ptr<ui::ListPeer> QtWidgetFactory::CreateComboBox(ui::ComboBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ComboPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::ListPeer> QtWidgetFactory::CreateListBox(ui::ListBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ListBoxPeer>(owner, ParentWidget(parent), place);
}

}  // namespace linuxdesktop
