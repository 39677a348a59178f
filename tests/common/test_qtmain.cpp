#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "common/testenv.h"

namespace {

QtMessageHandler g_previous = nullptr;

// A call by name that reaches nothing (a method, signal or slot that does not
// exist or is not invocable, a failed invokeMethod) is a fault of the code,
// not noise: the test that caused it fails.
void FailOnMissingCalls(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  static const char* const kFaults[] = {"No such method", "No such signal", "No such slot",
                                        "QMetaObject::invokeMethod:"};
  for (const char* fault : kFaults)
    if (text.contains(QLatin1String(fault))) ADD_FAILURE() << text.toStdString();
  if (g_previous) g_previous(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
  testenv::Setup();
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  g_previous = qInstallMessageHandler(FailOnMissingCalls);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
