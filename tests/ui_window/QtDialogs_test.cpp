#include "ui/window/QtDialogs.h"

#include <gtest/gtest.h>

TEST(QtDialogs, FilterPairsBecomeQtFilters)
{
    const struct {
        const char* filter;
        const char* expected;
    } cases[] = {
        {"CSV|*.csv", "CSV (*.csv)"},
        {"Файл sitemap.xml|sitemap.xml", "Файл sitemap.xml (sitemap.xml)"},
        {"Текстовые файлы|*.txt|Все файлы|*", "Текстовые файлы (*.txt);;Все файлы (*)"},
        {"HTML|*.htm;*.html", "HTML (*.htm *.html)"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQtDialogs::QtFilter(QString::fromUtf8(c.filter)).toStdString(), c.expected)
            << c.filter;
}
