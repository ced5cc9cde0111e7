#include "WindowFixture.h"
#include "ui/window/LogPage.h"
#include "ui/window/NewsPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>

namespace {

// Every caption a user reads, by object name.
QStringList Captions(QWidget* aRoot)
{
    QStringList texts;
    for (QAbstractButton* b : aRoot->findChildren<QAbstractButton*>())
        texts.append(b->objectName() + u'=' + b->text());
    for (QLabel* l : aRoot->findChildren<QLabel*>())
        texts.append(l->objectName() + u'=' + l->text());
    for (QGroupBox* g : aRoot->findChildren<QGroupBox*>())
        texts.append(g->objectName() + u'=' + g->title());
    for (QTabWidget* t : aRoot->findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            texts.append(t->objectName() + u'=' + t->tabText(i));
    return texts;
}

void Choose(QComboBox* aList, int aRow)
{
    aList->setCurrentIndex(aRow);
    emit aList->activated(aRow);
}

QString Header(QWidget* aView, int aColumn)
{
    auto* table = static_cast<QTableView*>(aView);
    return table->model()->headerData(aColumn, Qt::Horizontal).toString();
}

}  // namespace

TEST_F(WindowTest, SwitchingToEnglishAndBack)
{
    TfmMain& w = Start(RussianSystem);
    const QStringList russian = Captions(&w);
    auto* pages = Find<QTabWidget>("pcPages");
    auto* language = Find<QComboBox>("cbAppLang");

    Choose(language, 1);
    EXPECT_EQ(pages->tabText(2), QStringLiteral(" Settings "));
    EXPECT_EQ(pages->tabText(0), QStringLiteral(" URL list "));
    EXPECT_EQ(Find<QLabel>("lbMaxTreads")->text(), QStringLiteral("Number of threads:"));
    EXPECT_EQ(Find<QAbstractButton>("btTestProxies")->text(), QStringLiteral("Check all"));
    EXPECT_EQ(Find<QGroupBox>("gbProxies")->title(), QStringLiteral(" Proxies "));
    EXPECT_EQ(Header(Find("lvLog"), 0), QStringLiteral("Time"));
    EXPECT_EQ(Header(Find("lbProxies"), 1), QStringLiteral("User:password"));
    EXPECT_EQ(Find<QLabel>("lbVersion")->text(), QStringLiteral("Version: 0.1.0.0"));
    EXPECT_EQ(language->itemText(0), QStringLiteral("Русский"));
    // Qt's own texts follow too.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    // Lines already shown stay; the news page keeps its language.
    EXPECT_EQ(w.LogPage()->Model().EventText(0), QStringLiteral("Запуск программы"));
    EXPECT_TRUE(w.NewsPage()->PlainText().contains(QStringLiteral("Первые шаги")));
    QTest::mouseClick(Find("btTestProxies"), Qt::LeftButton);  // an empty list: only the box
    EXPECT_EQ(Dialogs.Texts(TRecordingDialogs::TKind::Information), QStringList({"All proxies work"}));

    Choose(language, 0);
    EXPECT_EQ(Captions(&w), russian);
    EXPECT_EQ(Header(Find("lvLog"), 1), QStringLiteral("Событие"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    Choose(language, 1);
    Close();
    EXPECT_TRUE(ReadFile("Tollmarsh.ini").contains("lang=en\n"));
}

TEST_F(WindowTest, TextsSetByProgramCodeAreLeftAloneByASwitch)
{
    TfmMain& w = Start(RussianSystem);
    auto* label = Find<QLabel>("lbMaxTreads");
    label->setText(QStringLiteral("set by code"));
    Choose(Find<QComboBox>("cbAppLang"), 1);
    EXPECT_EQ(label->text(), QStringLiteral("set by code"));
    EXPECT_GT(w.Translator().RememberedCount(), 30);
}
