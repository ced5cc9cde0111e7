#include "TestHttpProxy.h"
#include "TestHttpServer.h"
#include "WindowFixture.h"
#include "engine/CurlSession.h"
#include "ui/window/LogPage.h"
#include "ui/window/OptionsPage.h"
#include "ui/window/ProxyGroup.h"

#include <QClipboard>
#include <QItemSelectionModel>
#include <QProgressBar>
#include <QTableView>

namespace {

TCurlGlobalGuard CurlGlobal;

QStringList Rows(QTableView* aView)
{
    QStringList rows;
    for (int r = 0; r < aView->model()->rowCount(); ++r)
        rows.append(aView->model()->index(r, 0).data().toString() + u'|' +
                    aView->model()->index(r, 1).data().toString());
    return rows;
}

void SelectRows(QTableView* aView, std::initializer_list<int> aRows, int aFocused)
{
    aView->setFocus();
    aView->selectionModel()->clearSelection();
    for (int r : aRows)
        aView->selectionModel()->select(aView->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    aView->selectionModel()->setCurrentIndex(aView->model()->index(aFocused, 0),
                                             QItemSelectionModel::NoUpdate);
}

}  // namespace

TEST_F(WindowTest, ProxyCommandsFromTheButtonsAndKeys)
{
    WriteFile("proxies.json", "[{\"host\": \"192.0.2.1\", \"port\": 80, \"userandpsw\": \"\"}]");
    Start();
    auto* list = Find<QTableView>("lbProxies");
    EXPECT_EQ(Rows(list), QStringList({"192.0.2.1:80|"}));
    QGuiApplication::clipboard()->setText(
        QStringLiteral("; comment\n\n192.0.2.1:81\n192.0.2.2:8080:u:p\n192.0.2.3"));
    QTest::mouseClick(Find("btAddProxy4Clip"), Qt::LeftButton);
    EXPECT_EQ(Rows(list), QStringList({"192.0.2.1:80|", "192.0.2.2:8080|u:p", "192.0.2.3:3128|"}));

    // Space edits the focused row only, whatever else is selected.
    Dialogs.InputAnswers = {QStringLiteral("192.0.2.9:9")};
    SelectRows(list, {0, 1}, 1);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Rows(list), QStringList({"192.0.2.1:80|", "192.0.2.9:9|", "192.0.2.3:3128|"}));
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].InitialText, QStringLiteral("192.0.2.2:8080:u:p"));

    // Delete removes every selected row.
    SelectRows(list, {0, 2}, 2);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Rows(list), QStringList({"192.0.2.9:9|"}));
    QTest::mouseClick(Find("btClearProxies"), Qt::LeftButton);
    EXPECT_EQ(list->model()->rowCount(), 0);
    QTest::mouseClick(Find("cbUseProxies"), Qt::LeftButton);
    Close();
    EXPECT_EQ(ReadFile("proxies.json"), QByteArray("\xEF\xBB\xBF[\r\n]\r\n"));
    EXPECT_TRUE(ReadFile("Tollmarsh.ini").contains("use-proxies=1\n"));
}

TEST_F(WindowTest, CheckingAllProxiesThroughALoopbackProxy)
{
    TTestHttpServer site;
    site.Respond("/test", 200, "ok");
    TTestHttpProxy working;
    TTestHttpProxy refusing(TTestHttpProxy::pmRefuse);
    ASSERT_TRUE(site.Start() && working.Start() && refusing.Start());
    WriteFile("Tollmarsh.ini", QByteArray("[PARAMS]\nproxy-test-url=") + site.Url("/test").c_str() + "\n");
    WriteFile("proxies.json", QByteArray("[{\"host\": \"127.0.0.1\", \"port\": ") +
                                  QByteArray::number(refusing.Port()) +
                                  ", \"userandpsw\": \"\"}, {\"host\": \"localhost\", \"port\": " +
                                  QByteArray::number(working.Port()) + ", \"userandpsw\": \"\"}]");
    TfmMain& w = Start();
    QApplication::processEvents();
    QTest::mouseClick(Find("btTestProxies"), Qt::LeftButton);
    EXPECT_EQ(Rows(Find<QTableView>("lbProxies")),
              QStringList({QStringLiteral("localhost:%1|").arg(working.Port())}));
    EXPECT_EQ(Dialogs.Texts(TRecordingDialogs::TKind::Warning), QStringList({"Удалено некорректных прокси: 1"}));
    EXPECT_EQ(w.LogPage()->Model().EventText(0),
              QStringLiteral("Удален некорректный прокси: 127.0.0.1:%1").arg(refusing.Port()));
    EXPECT_EQ(Find<QProgressBar>("TestProgress")->value(), 0);
    EXPECT_EQ(working.RequestCount(), 1u);
}

TEST_F(WindowTest, ClosingDuringAProxyCheckWaitsForTheCurrentProxy)
{
    WriteFile("proxies.json", "[{\"host\": \"a\", \"port\": 1, \"userandpsw\": \"\"},"
                              " {\"host\": \"b\", \"port\": 2, \"userandpsw\": \"\"}]");
    TfmMain& w = Start();
    int tested = 0;
    w.OptionsPage()->ProxyGroup()->SetTester([&](const TProxy&) {
        ++tested;
        w.close();  // the window manager's close arrives while the check runs
        return false;
    });
    QTest::mouseClick(Find("btTestProxies"), Qt::LeftButton);
    EXPECT_EQ(tested, 1);
    QApplication::processEvents();  // the close that waited
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(Dialogs.Calls.empty());
    EXPECT_TRUE(ReadFile("proxies.json").contains("\"b\""));
    EXPECT_FALSE(ReadFile("proxies.json").contains("\"a\""));
}
