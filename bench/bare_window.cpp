// A bare Qt window that prints a line after its first paint and quits: the yardstick that
// bench/startup.sh starts the same way as kvx-editor --quit-after-first-paint.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <iostream>

namespace {

class CBareWindow final : public QWidget {
 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (mPainted) return;
    mPainted = true;
    // As in the editor: once the loop comes round after the paint.
    QTimer::singleShot(0, this, [] {
      std::cout << "bare_window: the window was painted" << std::endl;
      QCoreApplication::exit(0);
    });
  }

 private:
  bool mPainted = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  CBareWindow window;
  window.setWindowTitle(QStringLiteral("bare window"));
  window.resize(734, 277);  // the editor's main window
  window.show();
  return QApplication::exec();
}
