#include "ui/window/RuleTester.h"

#include "RecordingDialogs.h"
#include "TestHttpProxy.h"
#include "TestHttpServer.h"
#include "core/CodePage.h"
#include "engine/CurlSession.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using TKind = TRecordingDialogs::TKind;

namespace {

const QString kCyrillic = QStringLiteral("Привет, мир");

std::string Cp1251Page()
{
    const QByteArray body =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        "</head><body><h1>" +
        TCodePage("WINDOWS-1251").Encode(kCyrillic) + "</h1></body></html>";
    return body.toStdString();
}

class RuleTester : public ::testing::Test {
protected:
    TCurlGlobalGuard Curl;
    TTestHttpServer Server;
    QTemporaryDir Dir;
    TRecordingDialogs Dialogs;
    QStringList Urls{"http://one.example/", "http://two.example/"};
    TfmReqTest Tester{TRuleTesterLinks{Dialogs, Dir.path() + u'/', [this] { return Urls; },
                                        [] { return QStringLiteral("TesterAgent/1.0"); }},
                       nullptr};

    void SetUp() override
    {
        Server.Respond("/cp1251", 200, Cp1251Page(), "text/html");
        Server.Respond("/list", 200,
                       "<html><body><p>One</p><p>ONE</p><p>Two</p><a href='/x'>x</a></body></html>");
        ASSERT_TRUE(Server.Start());
        Tester.Prepare(nullptr);
        Tester.show();
    }
    template <class T>
    T* Control(const char* aName)
    {
        T* control = Tester.findChild<T*>(QLatin1String(aName));
        EXPECT_NE(control, nullptr) << aName;
        return control;
    }
    void Click(const char* aName) { QTest::mouseClick(Control<QPushButton>(aName), Qt::LeftButton); }
    QString Html() { return Control<QsciScintilla>("edHTML")->text(); }
    QString Result() { return Control<QsciScintilla>("edResult")->text(); }
    void LoadUrl(const std::string& aPath)
    {
        Control<QComboBox>("edURLs")->setEditText(QString::fromStdString(Server.Url(aPath)));
        Click("btLoadFromURL");
    }
    void Run(const char* aTypeButton, const QString& aQuery)
    {
        Control<QRadioButton>(aTypeButton)->click();
        Control<QPlainTextEdit>("edQuery")->setPlainText(aQuery);
        Click("btDoQuery");
    }
};

}  // namespace

TEST_F(RuleTester, AWindows1251PageIsDecodedByItsMetaCharsetAndSentWithTheUserAgent)
{
    LoadUrl("/cp1251");
    EXPECT_TRUE(Dialogs.Calls.empty());
    EXPECT_TRUE(Html().contains(kCyrillic)) << Html().toStdString();
    ASSERT_EQ(Server.RequestCount(), 1u);
    EXPECT_EQ(Server.Requests().front().Header("User-Agent"), "TesterAgent/1.0");
    EXPECT_FALSE(Tester.Loading());
    EXPECT_TRUE(Control<QPushButton>("btLoadFromURL")->isEnabled());

    Run("rbXPath", "//h1");
    EXPECT_EQ(Result(), kCyrillic);
}

TEST_F(RuleTester, FailedDownloadsWarnAndKeepTheHtml)
{
    LoadUrl("/list");
    const QString before = Html();
    LoadUrl("/missing");
    LoadUrl("/x");
    Control<QComboBox>("edURLs")->setEditText("http://127.0.0.1:1/");
    Click("btLoadFromURL");
    const QStringList warnings = Dialogs.Texts(TKind::Warning);
    ASSERT_EQ(warnings.size(), 3);
    EXPECT_EQ(warnings[0], "Ошибка при получении страницы, код HTTP: 404");
    EXPECT_TRUE(warnings[2].startsWith("Ошибка при получении страницы, исключение: ")) << warnings[2].toStdString();
    EXPECT_EQ(Html(), before);

    // an empty address loads nothing and its button is disabled
    Control<QComboBox>("edURLs")->setEditText("");
    EXPECT_FALSE(Control<QPushButton>("btLoadFromURL")->isEnabled());
}

TEST_F(RuleTester, FilesAreReadByByteOrderMarkOrTheDefaultEncoding)
{
    Dialogs.FileAnswers = {Dir.filePath("absent.html")};
    Click("btLoadFromFile");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning), QStringList{"Укажите полный путь к существующему файлу HTML"});
    const TRecordingDialogs::TCall& open = Dialogs.Calls.front();
    EXPECT_EQ(open.File.Title, "Укажите HTML файл ");
    EXPECT_EQ(open.File.Filter, "Файлы HTML|*.htm*");
    EXPECT_EQ(open.File.InitialDir, Dir.path() + u'/');

    const QString withBom = Dir.filePath("bom.html");
    QFile file(withBom);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF<p>" + kCyrillic.toUtf8() + "</p>");
    file.close();
    Dialogs.FileAnswers = {withBom};
    Click("btLoadFromFile");
    EXPECT_EQ(Html(), "<p>" + kCyrillic + "</p>");

    // without a mark the file is in the default code page, whatever its META says
    const QString plain = Dir.filePath("plain.html");
    QFile page(plain);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(QByteArray::fromStdString(Cp1251Page()));
    page.close();
    Dialogs.FileAnswers = {plain};
    Click("btLoadFromFile");
    EXPECT_EQ(Html(), TCodePage::SystemDefault().Decode(QByteArray::fromStdString(Cp1251Page())));
    EXPECT_EQ(Dialogs.Count(TKind::Warning), 1);
}

TEST_F(RuleTester, RunsShowValuesWarningsAndLibraryFailures)
{
    Run("rbXPath", "//p");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning), QStringList{"Загрузите HTML"});
    LoadUrl("/list");

    Dialogs.Clear();
    Run("rbXPath", "//p");
    EXPECT_EQ(Result(), "One\r\nTwo");
    Control<QCheckBox>("cbChkUnique")->setChecked(false);
    Click("btDoQuery");
    EXPECT_EQ(Result(), "One\r\nONE\r\nTwo");

    Run("rbCSSPath", "a");
    Control<QLineEdit>("edAttribute")->setText("href");
    Click("btDoQuery");
    EXPECT_EQ(Result(), "/x");

    Run("rbXPath", "count(1)");
    EXPECT_TRUE(Result().startsWith("ОШИБКА, код: ")) << Result().toStdString();
    EXPECT_TRUE(Dialogs.Calls.empty());

    Run("rbRegEx", "nothing");
    EXPECT_TRUE(Result().isEmpty());
    Run("rbXPath", "//table");
    EXPECT_TRUE(Result().isEmpty());

    Run("rbXPath", "");
    Run("rbXPath", "//p[");
    Run("rbHTMLTemplate", "<p>{.}");
    EXPECT_EQ(Dialogs.Texts(TKind::Warning),
              (QStringList{"Укажите текст запроса", "Текст правила некорректный", "Текст шаблона некорректный"}));
}

TEST_F(RuleTester, ExtractButtonsFollowTheQueryType)
{
    TScrapRule regex;
    regex.QueryType = qtRegEx;
    regex.Query = "a+";
    Tester.Prepare(&regex);
    EXPECT_TRUE(Control<QRadioButton>("rgAnyPart")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("rgAnyPart")->isEnabled());
    for (const char* name : {"rgText", "rgOuterHTML", "rgInnerHTML"})
        EXPECT_FALSE(Control<QRadioButton>(name)->isEnabled()) << name;
    EXPECT_FALSE(Control<QLineEdit>("edAttribute")->isEnabled());

    Control<QRadioButton>("rbXPath")->click();
    EXPECT_TRUE(Control<QRadioButton>("rgText")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("rgAnyPart")->isEnabled());
}

TEST_F(RuleTester, TheTypedUrlIsOfferedAgainWithTheUrlListsAddresses)
{
    auto* urls = Control<QComboBox>("edURLs");
    EXPECT_EQ(urls->count(), 2);
    EXPECT_EQ(urls->itemText(1), "http://two.example/");
    urls->setEditText("http://typed.example/page");
    Tester.hide();
    Urls << "http://three.example/";
    Tester.Prepare(nullptr);
    EXPECT_EQ(urls->count(), 3);
    EXPECT_EQ(urls->currentText(), "http://typed.example/page");
    EXPECT_TRUE(Control<QPushButton>("btLoadFromURL")->isEnabled());
}

TEST_F(RuleTester, TheDownloadNeverGoesThroughAProxy)
{
    TTestHttpProxy proxy;
    ASSERT_TRUE(proxy.Start());
    qputenv("http_proxy", QByteArray::fromStdString("http://" + proxy.HostAndPort()));
    LoadUrl("/list");
    qunsetenv("http_proxy");
    EXPECT_TRUE(Dialogs.Calls.empty());
    EXPECT_EQ(proxy.RequestCount(), 0u);
    EXPECT_EQ(Server.RequestCount(), 1u);
    EXPECT_TRUE(Html().contains("<p>Two</p>"));
}

TEST_F(RuleTester, TheWindowKeepsWorkingWhileAPageLoadsAndClosingStopsTheLoad)
{
    Server.Stall("/stall");
    bool tickedWhileLoading = false;
    QTimer::singleShot(200, &Tester, [&] {
        // a timer of the window thread runs: the window is not frozen
        tickedWhileLoading = Tester.Loading();
        EXPECT_FALSE(Control<QPushButton>("btLoadFromURL")->isEnabled());
        EXPECT_FALSE(Control<QPushButton>("btDoQuery")->isEnabled());
        Tester.reject();
    });
    LoadUrl("/stall");
    EXPECT_TRUE(tickedWhileLoading);
    EXPECT_FALSE(Tester.Loading());
    EXPECT_FALSE(Tester.isVisible());
    EXPECT_TRUE(Dialogs.Calls.empty());  // a load the user stopped is no failure to report
    EXPECT_TRUE(Html().isEmpty());
}
