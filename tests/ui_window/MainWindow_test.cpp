#include "WindowFixture.h"
#include "ui/window/LogPage.h"
#include "ui/window/NewsPage.h"
#include "ui/window/OptionsPage.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

namespace {

QString TabText(QTabWidget* aTabs, const char* aPage)
{
    for (int i = 0; i < aTabs->count(); ++i)
        if (aTabs->widget(i)->objectName() == QLatin1String(aPage))
            return aTabs->tabText(i);
    return QStringLiteral("(no page)");
}

void Choose(QComboBox* aList, int aRow)
{
    aList->setCurrentIndex(aRow);
    emit aList->activated(aRow);  // as the user's choice
}

}  // namespace

TEST_F(WindowTest, FirstStartWithNoFilesInRussian)
{
    TfmMain& w = Start(RussianSystem);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tollmarsh"));
    EXPECT_EQ(w.size(), QSize(1148, 750));
    auto* pages = Find<QTabWidget>("pcPages");
    EXPECT_EQ(TabText(pages, "tsURLs"), QStringLiteral(" Список URL "));
    EXPECT_EQ(TabText(pages, "tsRules"), QStringLiteral(" Правила "));
    EXPECT_EQ(TabText(pages, "tsOptions"), QStringLiteral(" Настройки "));
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tsURLs"));
    auto* bottom = Find<QTabWidget>("pcBottom");
    EXPECT_EQ(TabText(bottom, "tsNews"), QStringLiteral(" Новости "));
    EXPECT_EQ(TabText(bottom, "tsLog"), QStringLiteral(" Журнал "));
    EXPECT_EQ(bottom->currentWidget()->objectName(), QStringLiteral("tsNews"));
    EXPECT_TRUE(w.NewsPage()->PlainText().contains(QStringLiteral("Первые шаги")));

    EXPECT_EQ(Find<QSpinBox>("edMaxTreads")->value(), 5);
    EXPECT_EQ(Find<QSpinBox>("edPreDelay")->value(), 1500);
    EXPECT_TRUE(Find<QCheckBox>("cbUniqueResult")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("cbUseProxies")->isChecked());
    EXPECT_EQ(Find<QComboBox>("cbAppLang")->currentText(), QStringLiteral("Русский"));
    EXPECT_EQ(Find<QComboBox>("edUserAgent")->currentIndex(), 0);
    auto* userAgent = Find<QLineEdit>("edUserAgentText");
    EXPECT_TRUE(userAgent->text().startsWith(QStringLiteral("Gannetry/2.1; +https://")));
    EXPECT_FALSE(userAgent->isEnabled());
    auto* sets = Find<QComboBox>("edRuleSets");
    ASSERT_EQ(sets->count(), 1);
    EXPECT_EQ(sets->currentText(), QStringLiteral("По-умолчанию"));
    EXPECT_EQ(w.Objects().CurrentRuleSet.Name, QStringLiteral("По-умолчанию"));
    EXPECT_EQ(Find<QLabel>("lbVersion")->text(), QStringLiteral("Version: 0.1.0.0"));
    ASSERT_EQ(w.LogPage()->Model().LineCount(), 1);
    EXPECT_EQ(w.LogPage()->Model().EventText(0), QStringLiteral("Запуск программы"));

    Close();
    const QByteArray ini = ReadFile("Tollmarsh.ini");
    EXPECT_EQ(ini.toStdString(), "[PARAMS]\nuser-agent=0\nruleset-ndx=-1\n");
    EXPECT_EQ(ReadFile("Tollmarsh.json"), QByteArray("\xEF\xBB\xBF[\r\n]\r\n"));
    EXPECT_EQ(ReadFile("proxies.json"), QByteArray("\xEF\xBB\xBF[\r\n]\r\n"));
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_F(WindowTest, FirstStartOnAnotherSystemIsEnglish)
{
    Start(EnglishSystem);
    EXPECT_EQ(TabText(Find<QTabWidget>("pcPages"), "tsOptions"), QStringLiteral(" Settings "));
    EXPECT_EQ(TabText(Find<QTabWidget>("pcPages"), "tsURLs"), QStringLiteral(" URL list "));
    EXPECT_EQ(Find<QComboBox>("edRuleSets")->currentText(), QStringLiteral("Default"));
    EXPECT_EQ(Window->LogPage()->Model().EventText(0), QStringLiteral("Program started"));
    EXPECT_TRUE(Window->NewsPage()->PlainText().contains(QStringLiteral("First steps")));
    // The language list, the version and the User-Agent names stand as they are.
    EXPECT_EQ(Find<QComboBox>("cbAppLang")->itemText(0), QStringLiteral("Русский"));
    EXPECT_EQ(Find<QComboBox>("edUserAgent")->itemText(16), QStringLiteral("Персональные настройки"));
    Close();
    EXPECT_FALSE(ReadFile("Tollmarsh.ini").contains("lang="));  // the language was not chosen
}

TEST_F(WindowTest, StoredSettingsAreBroughtIntoRangeAndTheMarkedOnesWrittenBack)
{
    // The delay control holds 1500 already: bringing 100 into range changes
    // nothing, so the stored 100 stays; 50 threads become 10, a change.
    WriteFile("Tollmarsh.ini", "; kept\n[PARAMS]\nlang=EN\nmax-threads=50\nreq-predelay=100\n"
                               "proxy-test-url=http://127.0.0.1:9/\nunique-results=0\nextra=1\n");
    Start(RussianSystem);
    EXPECT_EQ(Find<QComboBox>("cbAppLang")->currentIndex(), 1);  // codes ignore letter case
    EXPECT_EQ(Find<QSpinBox>("edMaxTreads")->value(), 10);
    EXPECT_EQ(Find<QSpinBox>("edPreDelay")->value(), 1500);
    EXPECT_FALSE(Find<QCheckBox>("cbUniqueResult")->isChecked());
    EXPECT_EQ(Window->OptionsPage()->ProxyTestURL(), QStringLiteral("http://127.0.0.1:9/"));
    Close();
    EXPECT_EQ(ReadFile("Tollmarsh.ini").toStdString(),
              "; kept\n[PARAMS]\nlang=EN\nmax-threads=10\nreq-predelay=100\n"
              "proxy-test-url=http://127.0.0.1:9/\nunique-results=0\nextra=1\nuser-agent=0\n"
              "ruleset-ndx=-1\n");
}

TEST_F(WindowTest, AnUnknownLanguageFallsBackToTheSystemLanguage)
{
    WriteFile("Tollmarsh.ini", "[PARAMS]\nlang=de\nuser-agent=17\n");
    Start(RussianSystem);
    EXPECT_EQ(Find<QComboBox>("cbAppLang")->currentIndex(), 0);
    // A row outside the list selects none: an empty, disabled field.
    EXPECT_EQ(Find<QComboBox>("edUserAgent")->currentIndex(), -1);
    EXPECT_EQ(Find<QLineEdit>("edUserAgentText")->text(), QString());
    EXPECT_FALSE(Find<QLineEdit>("edUserAgentText")->isEnabled());
    Close();
    EXPECT_TRUE(ReadFile("Tollmarsh.ini").contains("user-agent=-1\n"));
}

TEST_F(WindowTest, TheCustomUserAgentRow)
{
    Start();
    auto* list = Find<QComboBox>("edUserAgent");
    auto* field = Find<QLineEdit>("edUserAgentText");
    EXPECT_EQ(field->palette().color(QPalette::Base), QColor(192, 192, 192));
    Choose(list, 16);
    EXPECT_TRUE(field->isEnabled());
    EXPECT_EQ(field->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(field->text(), QStringLiteral("CustomBot/1.2"));
    field->clear();  // an emptied field gets the starting text again
    EXPECT_EQ(field->text(), QStringLiteral("CustomBot/1.2"));
    field->setText(QStringLiteral("MyBot/2"));
    EXPECT_EQ(Window->OptionsPage()->UserAgentText(), QStringLiteral("MyBot/2"));
    Choose(list, 3);
    EXPECT_FALSE(field->isEnabled());
    EXPECT_TRUE(field->text().contains(QStringLiteral("Googlebot/2.1")));
    Choose(list, 16);
    EXPECT_EQ(field->text(), QStringLiteral("MyBot/2"));  // the custom text was kept
    Close();
    EXPECT_TRUE(ReadFile("Tollmarsh.ini").contains("user-agent=16\ncustom-user-agent=MyBot/2\n"));

    // Row 3 at close: the custom text is not written.
    Start();
    EXPECT_EQ(list = Find<QComboBox>("edUserAgent"), list);
    EXPECT_EQ(Find<QLineEdit>("edUserAgentText")->text(), QStringLiteral("MyBot/2"));
    Choose(Find<QComboBox>("edUserAgent"), 3);
    WriteFile("Tollmarsh.ini", "[PARAMS]\nuser-agent=16\n");
    Close();
    EXPECT_EQ(ReadFile("Tollmarsh.ini").toStdString(), "[PARAMS]\nuser-agent=3\nruleset-ndx=-1\n");
}

TEST_F(WindowTest, SavedRuleSetsAndTheStoredIndex)
{
    WriteFile("Tollmarsh.json",
              "[\r\n{\"name\": \"First\", \"rules\": []},\r\n{\"name\": \"Second\", \"rules\": []}\r\n]\r\n");
    for (const auto& [stored, chosen] : {std::pair{"1", "Second"}, {"7", "First"}, {"-1", "First"}}) {
        WriteFile("Tollmarsh.ini", QByteArray("[PARAMS]\nruleset-ndx=") + stored + "\n");
        Start();
        auto* sets = Find<QComboBox>("edRuleSets");
        EXPECT_EQ(sets->count(), 2);
        EXPECT_EQ(sets->currentText(), QString::fromLatin1(chosen)) << stored;
        EXPECT_EQ(Window->Objects().CurrentRuleSet.Name, QString::fromLatin1(chosen));
        Close();
        EXPECT_TRUE(ReadFile("Tollmarsh.ini").contains(QByteArray("ruleset-ndx=") +
                                                        (chosen[0] == 'S' ? "1" : "0")));
    }
}

TEST_F(WindowTest, WithoutCataloguesTheInterfaceIsRussian)
{
    QFile::remove(Path("locale"));
    WriteFile("Tollmarsh.ini", "[PARAMS]\nlang=en\n");
    Start(EnglishSystem);
    EXPECT_EQ(Find<QComboBox>("cbAppLang")->currentIndex(), 1);
    EXPECT_EQ(TabText(Find<QTabWidget>("pcPages"), "tsOptions"), QStringLiteral(" Настройки "));
}

TEST_F(WindowTest, EveryNamedControlHasANameAUserCanRead)
{
    Start();
    // Tab widgets are read through their tabs, named by their captions.
    for (const char* name : {"lvLog", "cbAppLang", "edMaxTreads", "edPreDelay",
                             "cbImpNoClearURLs", "cbClearURLWOResult", "cbUniqueResult", "edUserAgent",
                             "edUserAgentText", "cbUseProxies", "lbProxies", "btAddProxy4Clip",
                             "btAddProxy4Txt", "btProxyEdit", "btDeleteProxy", "btClearProxies",
                             "btTestProxies", "TestProgress", "llHomeSite", "Label11", "wbNews"}) {
        QWidget* widget = Find(name);
        if (!widget)
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_FALSE(accessible->text(QAccessible::Name).trimmed().isEmpty()) << "unnamed: " << name;

    }
    // Fields are named by their labels.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Find("edMaxTreads"))->text(QAccessible::Name),
              QStringLiteral("Количество потоков:"));
}

TEST_F(WindowTest, TheAboutLinksOpenInTheBrowser)
{
    Start(RussianSystem);
    QTest::mouseClick(Find("llHomeSite"), Qt::LeftButton);
    QTest::mouseClick(Find("Label11"), Qt::LeftButton);
    Choose(Find<QComboBox>("cbAppLang"), 1);
    QTest::mouseClick(Find("llHomeSite"), Qt::LeftButton);
    ASSERT_EQ(OpenedUrls.size(), 3u);
    EXPECT_EQ(OpenedUrls[0].toString(), QStringLiteral("https://tollmarsh.example/ru/"));
    EXPECT_EQ(OpenedUrls[1].toString(), QStringLiteral("https://tollmarsh.example/"));
    EXPECT_EQ(OpenedUrls[2].toString(), QStringLiteral("https://tollmarsh.example/en/"));
}

TEST_F(WindowTest, AFileThatCannotBeWrittenAtCloseIsReported)
{
    WriteFile("Tollmarsh.ini", "[PARAMS]\nlang=ru\n");
    Start();
    // A folder in the place of the proxies file: it cannot be replaced.
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("proxies.json")));
    Close();
    EXPECT_EQ(Dialogs.Texts(TRecordingDialogs::TKind::Warning),
              QStringList({QStringLiteral("Не удалось сохранить файл: ") + Path("proxies.json")}));
    EXPECT_EQ(ReadFile("Tollmarsh.ini").toStdString(), "[PARAMS]\nlang=ru\nuser-agent=0\nruleset-ndx=-1\n");
    EXPECT_TRUE(QFileInfo::exists(Path("Tollmarsh.json")));
}
