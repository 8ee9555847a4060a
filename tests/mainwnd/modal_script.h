#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

// Answers, in order, the modal dialogs and boxes a command shows: each step
// waits until the active modal widget is of its type, acts on it once and
// gives way to the next. The texts of the boxes met are kept.
class ModalScript {
 public:
  ModalScript() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(20);
  }

  template <class Dialog>
  ModalScript& Then(std::function<void(Dialog*)> act) {
    steps_.push_back([act](QWidget* widget) {
      auto* dialog = qobject_cast<Dialog*>(widget);
      if (dialog == nullptr) return false;
      act(dialog);
      return true;
    });
    return *this;
  }
  // A box answered with `button`.
  ModalScript& Box(QMessageBox::StandardButton button = QMessageBox::Ok) {
    return Then<QMessageBox>([this, button](QMessageBox* box) {
      boxes.push_back(box->text());
      box->button(button)->click();
    });
  }

  bool done() const { return steps_.empty(); }
  std::vector<QString> boxes;

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == last_ || steps_.empty()) return;
    if (!steps_.front()(modal)) {
      // A box nobody expected: keep its text and close it, so the test
      // fails on its checks instead of hanging.
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes.push_back(box->text());
        box->button(box->standardButtons().testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                                         : QMessageBox::Ok)
            ->click();
      }
      last_ = modal;
      return;
    }
    last_ = modal;
    steps_.pop_front();
  }

  QTimer timer_;
  std::deque<std::function<bool(QWidget*)>> steps_;
  QPointer<QWidget> last_;
};
