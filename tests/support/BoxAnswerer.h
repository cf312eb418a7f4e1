// Answers every message box as an operator would, with Return or a click on OK, from inside the
// box's own event loop; a box that input cannot close is counted and closed by force, so that a
// test fails instead of hanging.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <functional>

class BoxAnswerer : public QObject {
 public:
  enum class By { Return, ClickOk };
  explicit BoxAnswerer(By by) : by_(by) { qApp->installEventFilter(this); }
  ~BoxAnswerer() override { qApp->removeEventFilter(this); }

  QStringList shown;     // every box's text, as it opened
  QStringList answered;  // the boxes the operator's input closed
  int unanswerable = 0;  // boxes that ignored the operator's input
  // Runs inside the box's event loop, just before each attempt to answer it.
  std::function<void()> whileOpen;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    auto* box = qobject_cast<QMessageBox*>(receiver);
    if (box != nullptr && event->type() == QEvent::Show) {
      shown.append(box->text());
      Answer(box, -Settle);
    }
    return false;
  }

 private:
  static constexpr int Attempts = 50;
  // Passes of the box's loop before the first answer, as an operator reads before pressing a key.
  static constexpr int Settle = 3;

  void Answer(QPointer<QMessageBox> box, int attempt) {
    QMetaObject::invokeMethod(
        this,
        [this, box, attempt] {
          if (!box || !box->isVisible()) return;
          const QString text = box->text();
          if (whileOpen) whileOpen();
          if (attempt < 0) {
            Answer(box, attempt + 1);
            return;
          }
          if (attempt >= Attempts) {
            ++unanswerable;
            box->done(QMessageBox::Ok);
            return;
          }
          if (by_ == By::Return) {
            QTest::keyClick(box, Qt::Key_Return);
          } else {
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
          }
          if (box && box->isVisible()) {
            Answer(box, attempt + 1);
          } else {
            answered.append(text);
          }
        },
        Qt::QueuedConnection);
  }

  By by_;
};
