// The Qt peers of the widget kit against real Qt widgets (offscreen platform): user input
// reaches the controls, setters from the program never come back as user actions, and
// timers keep the kit's contract.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "linux/QtWidgets.h"
#include "ui/WidgetFactory.h"

namespace {

QWidget* WidgetOf(const ui::Control& c) { return dynamic_cast<linuxdesktop::WidgetHolder&>(c.Peer()).widget(); }

template <typename W>
W* As(const ui::Control& c) {
  return qobject_cast<W*>(WidgetOf(c));
}

// Runs the event loop for `ms` milliseconds, waiting for events as the program's loop does.
void Leave(QWidget* w) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(w, &out);
}

void Pump(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

class QtPeers : public ::testing::Test {
 protected:
  QtPeers() : form(factory, Spec()), group(form, {10, 10, 300, 300}, "Group") {
    form.Show();
  }
  static ui::WindowSpec Spec() {
    ui::WindowSpec s;
    s.clientWidth = 569;
    s.clientHeight = 585;
    return s;
  }
  linuxdesktop::QtWidgetFactory factory;
  ui::Window form;
  ui::GroupBox group;
};

TEST_F(QtPeers, ProgramChangesRunTheHandlerOnceAndUserClicksReachTheKit) {
  ui::CheckBox box(group, {10, 20, 120, 17}, "Check");
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  box.SetChecked(true);  // the kit runs OnClick; the peer must not report it again
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(As<QCheckBox>(box)->isChecked());

  QTest::mouseClick(As<QCheckBox>(box), Qt::LeftButton);
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, 2);

  ui::RadioGroup radios;
  ui::RadioButton a(group, radios, {10, 50, 100, 17}, "A");
  ui::RadioButton b(group, radios, {10, 70, 100, 17}, "B");
  int aRuns = 0, bRuns = 0;
  a.OnClick = [&] { ++aRuns; };
  b.OnClick = [&] { ++bRuns; };
  a.SetChecked(true);
  QTest::mouseClick(As<QRadioButton>(b), Qt::LeftButton);
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(a.Checked());
  EXPECT_FALSE(As<QRadioButton>(a)->isChecked());
  // A click on the checked one leaves it checked and runs nothing.
  QTest::mouseClick(As<QRadioButton>(b), Qt::LeftButton);
  EXPECT_TRUE(As<QRadioButton>(b)->isChecked());
  EXPECT_EQ(aRuns, 1);
  EXPECT_EQ(bRuns, 1);
}

TEST_F(QtPeers, ListsReportOnlyTheUsersChoice) {
  ui::ComboBox combo(group, {10, 20, 113, 23});
  int changes = 0;
  combo.OnChange = [&] { ++changes; };
  combo.SetItems({"Left", "Right", "Middle"});
  combo.SetItemIndex(2);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(As<QComboBox>(combo)->currentIndex(), 2);
  EXPECT_EQ(As<QComboBox>(combo)->currentText(), "Middle");

  ui::ListBox list(group, {10, 60, 200, 100});
  int listClicks = 0;
  list.OnClick = [&] { ++listClicks; };
  list.Add("one");
  list.Add("two & three");
  list.SetItemIndex(1);
  EXPECT_EQ(listClicks, 0);
  auto* w = As<QListWidget>(list);
  EXPECT_EQ(w->visualItemRect(w->item(0)).height(), 15);
  // Focus alone selects nothing.
  w->setFocus();
  list.SetItemIndex(-1);
  Pump(20);
  EXPECT_EQ(listClicks, 0);
  QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(w->item(0)).center());
  EXPECT_EQ(list.ItemIndex(), 0);
  EXPECT_EQ(listClicks, 1);
}

TEST_F(QtPeers, SpinFieldsTakeTypedTextAndSettleWhenLeft) {
  ui::SpinEdit hours(group, {10, 20, 49, 24}, 0, 23, 0);
  auto* spin = As<QSpinBox>(hours);
  spin->setFocus();
  spin->selectAll();
  QTest::keyClick(spin, Qt::Key_9);
  QTest::keyClick(spin, Qt::Key_9);
  EXPECT_EQ(hours.Text(), "99");
  EXPECT_EQ(hours.Value(), 23);  // a reader clamps
  Leave(spin);
  EXPECT_EQ(hours.Text(), "23");
  EXPECT_EQ(spin->text(), "23");

  spin->setFocus();
  spin->selectAll();
  QTest::keyClick(spin, Qt::Key_Backspace);
  Leave(spin);
  EXPECT_EQ(hours.Text(), "0");  // an empty field settles on its minimum

  hours.SetValue(7);  // from the program: shown, not reported back
  EXPECT_EQ(spin->text(), "7");
}

// Typing behaves as in a plain edit field, as in the other edition: nothing is refused key by
// key, the kit reads the number in the text or the minimum, and leaving settles the text.
TEST_F(QtPeers, SpinFieldsAcceptAnyTypedTextAndReadItByTheKitsRule) {
  struct Case {
    const char* typed;
    int value;            // what a reader gets while the text stands
    const char* settled;  // the text once the field is left
  } const cases[] = {
      {"abc", 5, "5"},     {"", 5, "5"},      {"99", 23, "23"}, {"007", 7, "7"},
      {"-3", 5, "5"},      {"12x", 5, "5"},   {" 8 ", 8, "8"},  {"+9", 9, "9"},
      {"99999999999999", 23, "23"},
  };
  ui::SpinEdit field(group, {10, 20, 49, 24}, 5, 23, 10);
  auto* spin = As<QSpinBox>(field);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    field.SetValue(10);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClicks(spin, c.typed);
    EXPECT_EQ(field.Text(), c.typed);
    EXPECT_EQ(spin->text(), c.typed);
    EXPECT_EQ(field.Value(), c.value);
    QTest::keyClick(spin, Qt::Key_Return);  // leaves the text as it is
    EXPECT_EQ(field.Text(), c.typed);
    Leave(spin);
    EXPECT_EQ(field.Text(), c.settled);
    EXPECT_EQ(spin->text(), c.settled);
  }
}

// A step starts from what the text reads as; at the end of the range it reads as, that
// arrow is off and the text stays (it reads as that end all the same).
TEST_F(QtPeers, SpinStepsStartFromWhatTheTextReadsAs) {
  struct Case {
    const char* typed;
    Qt::Key key;
    const char* after;
  } const cases[] = {
      {"abc", Qt::Key_Up, "6"},   {"99", Qt::Key_Down, "22"}, {"", Qt::Key_Up, "6"},
      {"007", Qt::Key_Up, "8"},   {"-3", Qt::Key_Up, "6"},    {"12", Qt::Key_Down, "11"},
      {"abc", Qt::Key_Down, "abc"}, {"99", Qt::Key_Up, "99"}, {"23", Qt::Key_Up, "23"},
      {"5", Qt::Key_Down, "5"},
  };
  ui::SpinEdit field(group, {10, 20, 49, 24}, 5, 23, 10);
  auto* spin = As<QSpinBox>(field);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + (c.key == Qt::Key_Up ? " up" : " down"));
    field.SetValue(10);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClicks(spin, c.typed);
    QTest::keyClick(spin, c.key);
    EXPECT_EQ(field.Text(), c.after);
    EXPECT_EQ(spin->text(), c.after);
  }
}

// The coordinate fields are the narrowest spin edits; they show their arrows like the others.
TEST_F(QtPeers, NarrowSpinFieldsShowTheirArrows) {
  ui::SpinEdit coordinate(group, {10, 20, 44, 24}, 0, 100000, 0);
  EXPECT_NE(As<QSpinBox>(coordinate)->buttonSymbols(), QAbstractSpinBox::NoButtons);
}

TEST_F(QtPeers, AutoSizedRightAlignedLabelKeepsItsRightEdge) {
  ui::Label link(group, {100, 5, 119, 0}, "");
  link.SetLayout(true, false);
  link.SetCaption("https://example.org/a/rather/long/address");
  const QRect g = WidgetOf(link)->geometry();
  EXPECT_EQ(g.right() + 1, 219);
  EXPECT_GT(g.width(), 119);

  ui::Label plain(group, {10, 40, 0, 0}, "Hours");
  EXPECT_EQ(WidgetOf(plain)->geometry().topLeft(), QPoint(10, 40));
  EXPECT_GT(WidgetOf(plain)->width(), 0);
}

// A caption too long for its place (a long translation) is drawn smaller, down to three
// quarters of the normal size and no further; a caption that fits gets the normal size back.
TEST_F(QtPeers, LongCaptionsShrinkToFitTheirPlace) {
  const qreal normal = WidgetOf(group)->font().pointSizeF();
  ASSERT_GT(normal, 0);
  auto size = [](const ui::Control& c) { return WidgetOf(c)->font().pointSizeF(); };
  auto advance = [](const ui::Control& c, const QString& text) {
    return QFontMetrics(WidgetOf(c)->font()).horizontalAdvance(text);
  };

  ui::Button button(group, {10, 20, 62, 25}, "Create");
  EXPECT_EQ(size(button), normal);
  button.SetCaption("Umbenennen");
  EXPECT_LT(size(button), normal);
  EXPECT_GE(size(button), normal * 0.75);
  EXPECT_TRUE(advance(button, "Umbenennen") <= 62 - 6 || size(button) == normal * 0.75);
  button.SetCaption("Far too long a caption for so small a button");
  EXPECT_EQ(size(button), normal * 0.75);
  button.SetCaption("OK");
  EXPECT_EQ(size(button), normal);

  ui::CheckBox box(group, {10, 60, 150, 17}, "Beim Start in den Infobereich minimieren");
  EXPECT_LT(size(box), normal);
  ui::CheckBox shortBox(group, {10, 80, 150, 17}, "Topmost");
  EXPECT_EQ(size(shortBox), normal);

  // An auto-sized label grows to its text until its parent's edge, then shrinks.
  ui::Label label(group, {230, 120, 0, 0}, "Stunden");
  EXPECT_EQ(size(label), normal);
  label.SetCaption("Millisekunden");
  EXPECT_LT(size(label), normal);
  EXPECT_TRUE(WidgetOf(label)->geometry().right() < 300 || size(label) == normal * 0.75);
}

TEST_F(QtPeers, WindowBoundsRoundTripInPhysicalPixels) {
  const ui::Rect r{40, 30, 300, 31};
  form.SetBounds(r);
  Pump(20);
  EXPECT_EQ(form.Bounds(), r);  // no window manager here: no frame
  EXPECT_GT(form.CaptionHeight(), 0);
  EXPECT_GT(form.FrameHeight(), 0);
}

class Ticks : public ::testing::Test {
 protected:
  linuxdesktop::QtWidgetFactory factory;
  ui::Timer timer{factory, 10};
  int ticks = 0;
  void SetUp() override { timer.OnTimer = [this] { ++ticks; }; }
};

TEST_F(Ticks, TicksThatFallDueWhileBusyMergeAndStopDropsThePendingOne) {
  timer.SetInterval(50);
  timer.SetEnabled(true);
  QThread::msleep(260);  // the UI thread is busy for five periods
  Pump(10);
  EXPECT_EQ(ticks, 1);

  ticks = 0;
  QThread::msleep(60);  // one tick falls due ...
  timer.SetEnabled(false);  // ... and is dropped
  Pump(100);
  EXPECT_EQ(ticks, 0);
}

TEST_F(Ticks, ANewIntervalRestartsThePeriod) {
  timer.SetInterval(300);
  timer.SetEnabled(true);
  Pump(200);
  timer.SetInterval(301);
  Pump(200);  // 400 ms after the start, but only 200 after the restart
  EXPECT_EQ(ticks, 0);
  Pump(200);
  EXPECT_EQ(ticks, 1);
}

TEST_F(Ticks, OneMillisecondIntervalTicksFarFasterThanAWindowTimer) {
  timer.SetInterval(1);
  timer.SetEnabled(true);
  Pump(1000);
  timer.SetEnabled(false);
  std::printf("1 ms timer: %d ticks in 1 s\n", ticks);
  // About 1000 on an idle machine; a 10-16 ms window-timer floor would give under 100.
  EXPECT_GT(ticks, 400);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
