#include <QApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Test programs of the views need a QApplication; ctest runs them on the offscreen platform.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("com.corvane.Halyard.*.debug=true"));
    return RUN_ALL_TESTS();
}
