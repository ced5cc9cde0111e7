#include <QCoreApplication>
#include <gtest/gtest.h>
#include <clocale>

// Tests run inside a QCoreApplication so that posted events and timers work
// exactly as they do in the command-line program.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Qt sets the locale from the environment; numbers must not depend on it.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
