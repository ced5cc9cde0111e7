#include "core/Translate.h"
#include "ui/window/WindowTranslator.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// The English catalogue of the build, switched on for one test.
class WindowTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTranslation(CatalogueDir());
        SetTranslationLanguage(QStringLiteral("en"));
    }
    void TearDown() override { SetTranslationLanguage(QStringLiteral("ru")); }
};

}  // namespace

TEST_F(WindowTranslatorTest, TranslatesRemembersAndLeavesExcludedObjectsAlone)
{
    QWidget root;
    auto* tabs = new QTabWidget(&root);
    auto* page = new QWidget;
    tabs->addTab(page, QStringLiteral(" Настройки "));
    auto* box = new QCheckBox(QStringLiteral("Использовать прокси"), page);
    box->setToolTip(QStringLiteral("Очистить"));
    auto* excluded = new QWidget(page);
    excluded->setObjectName(QStringLiteral("keep"));
    auto* inner = new QLabel(QStringLiteral("Очистить"), excluded);
    auto* number = new QLabel(QStringLiteral("42"), page);
    auto* action = new QAction(QStringLiteral("Удалить"), &root);

    TWindowTranslator translator;
    translator.Exclude(QStringLiteral("keep"));
    translator.TranslateTree(&root);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" Settings "));
    EXPECT_EQ(box->text(), QStringLiteral("Use proxies"));
    EXPECT_EQ(box->toolTip(), QStringLiteral("Clear"));
    EXPECT_EQ(action->text(), QStringLiteral("Delete"));
    EXPECT_EQ(inner->text(), QStringLiteral("Очистить"));  // inside an excluded object
    EXPECT_EQ(number->text(), QStringLiteral("42"));
    EXPECT_EQ(box->objectName(), QString());
    // A second walk finds nothing new: translations never become sources.
    const int remembered = translator.RememberedCount();
    translator.TranslateTree(&root);
    EXPECT_EQ(translator.RememberedCount(), remembered);

    SetTranslationLanguage(QStringLiteral("ru"));
    delete action;  // gone objects are skipped
    translator.Retranslate();
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" Настройки "));
    EXPECT_EQ(box->text(), QStringLiteral("Использовать прокси"));
    EXPECT_EQ(box->toolTip(), QStringLiteral("Очистить"));
}

TEST_F(WindowTranslatorTest, AWidgetAddedLaterIsTranslatedOnItsOwnWalk)
{
    QWidget root;
    TWindowTranslator translator;
    translator.TranslateTree(&root);
    auto* later = new QLabel(QStringLiteral("Время"), &root);
    EXPECT_EQ(later->text(), QStringLiteral("Время"));
    translator.TranslateTree(later);
    EXPECT_EQ(later->text(), QStringLiteral("Time"));
}
