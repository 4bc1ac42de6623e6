#include <QApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Test programs of the views need a QApplication; ctest runs them on the offscreen platform.
int main(int argc, char** argv)
{
    // Test discovery runs the program without ctest's environment; without a display the
    // default platform would abort before a test is listed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("com.corvane.Halyard.*.debug=true"));
    return RUN_ALL_TESTS();
}
