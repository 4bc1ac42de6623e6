#include <QCoreApplication>

#include <gtest/gtest.h>

// Every test program runs inside a QCoreApplication so timers, sockets and coroutines work.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
