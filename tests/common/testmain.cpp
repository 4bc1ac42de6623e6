#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Every test program runs inside a QCoreApplication so timers, sockets and coroutines work.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    // Tests assert debug lines too, which the program leaves off by default.
    QLoggingCategory::setFilterRules(QStringLiteral("com.corvane.Halyard.*.debug=true"));
    return RUN_ALL_TESTS();
}
