// GoogleTest's main for suites that open windows: one QApplication on the stack, so that Qt
// tears down its font and platform caches before the leak checker looks.
#include <gtest/gtest.h>

#include <QApplication>

#include "forms_kit/form_kit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests at build time happens without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    velkaro::ApplyProgramFont(app);  // as the program does: the forms are sized for it
    return RUN_ALL_TESTS();
}
