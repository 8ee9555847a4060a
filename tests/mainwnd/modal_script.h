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
    newest_ = this;
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(20);
  }
  ~ModalScript() {
    if (newest_ == this) newest_ = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

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
      Answer(box, button);
    });
  }

  bool done() const { return steps_.empty(); }
  std::vector<QString> boxes;

 private:
  // Clicks `button` when the box has it, else its No, Cancel or Ok, else
  // closes it as a rejection (a question the script did not foresee).
  static void Answer(QMessageBox* box, QMessageBox::StandardButton button) {
    for (QMessageBox::StandardButton choice :
         {button, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok}) {
      if (QAbstractButton* found = box->button(choice)) {
        found->click();
        return;
      }
    }
    box->reject();
  }
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // Only the newest script answers; one that is done still closes the
    // boxes that come after its steps.
    if (modal == nullptr || modal == last_ || newest_ != this) return;
    if (steps_.empty() || !steps_.front()(modal)) {
      // A box nobody expected: keep its text and close it, so the test
      // fails on its checks instead of hanging.
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes.push_back(box->text());
        Answer(box, QMessageBox::Cancel);
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
  static inline ModalScript* newest_ = nullptr;
};
