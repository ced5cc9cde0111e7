#include <QApplication>
#include <gtest/gtest.h>
#include <clocale>

// Window tests need a QApplication; test.sh selects the offscreen platform.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
