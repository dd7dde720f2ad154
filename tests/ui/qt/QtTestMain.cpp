// The Qt platform's tests run inside a Qt program, as a host that is itself one would
// call the module: the application exists before any platform is made, and the platform
// uses it. Without a display the offscreen plugin stands in for the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
