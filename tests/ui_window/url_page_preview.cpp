// Shows the URL page after a small run against a local server and saves a
// picture of it: url_page_preview <ru|en> <file.png>. Not a test; for looking
// at the page (clipped or overlapping texts) in both languages.

#include "TestHttpServer.h"
#include "core/ScrapRules.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "proxies/Proxies.h"
#include "RecordingDialogs.h"
#include "ui/window/OptionValues.h"
#include "ui/window/UrlPage.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct TPreviewOptions : IOptionValues {
    TRunSettings RunSettings() const override
    {
        TRunSettings settings;
        settings.RequestDelay = 0;
        return settings;
    }
    bool KeepURLsOnImport() const override { return false; }
};

// Until the window's translator shows the page, its design texts are
// translated here the same way: each text is its own source.
void TranslateDesignTexts(QWidget* aRoot)
{
    for (QAbstractButton* button : aRoot->findChildren<QAbstractButton*>())
        button->setText(Tr(button->text()));
    for (QAction* action : aRoot->findChildren<QAction*>())
        action->setText(Tr(action->text()));
    auto* tabs = aRoot->findChild<QTabWidget*>("pcBottom");
    for (int i = 0; tabs && i < tabs->count(); ++i)
        tabs->setTabText(i, Tr(tabs->tabText(i)));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: url_page_preview <ru|en> <file.png>\n");
        return 2;
    }
    InitTranslation(CatalogueDir());
    SetTranslationLanguage(QString::fromUtf8(argv[1]));
    const TCurlGlobalGuard curlGlobal;

    TTestHttpServer server;
    server.SetFallback([](const httplib::Request& aReq, httplib::Response& aRes) {
        const int page = std::atoi(aReq.path.c_str() + 1);
        if (page % 4 == 3) {
            aRes.status = 404;
            return;
        }
        std::string body = "<html><head><title>Page " + std::to_string(page) + " of the shop</title></head><body>";
        for (int i = 0; i < page % 3; ++i)
            body += "<h1>Heading " + std::to_string(i + 1) + "</h1>";
        aRes.set_content(body + "</body></html>", "text/html; charset=utf-8");
    });
    if (!server.Start())
        return 1;

    TScrapRuleSet rules;
    for (const auto& [name, query] : {std::pair{"Title", "//title"}, std::pair{"H1", "//h1"}}) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QString::fromUtf8(name);
        rule->Query = QString::fromUtf8(query);
        rules.Add(std::move(rule));
    }
    TURLTaskInfoList urls;
    TPreviewOptions options;
    TProxies proxies;
    TRecordingDialogs dialogs;
    auto* log = new QListWidget;
    log->setObjectName("lvLog");
    TUrlPage page(urls, [&rules] { return &rules; }, options, proxies, dialogs,
                  [log](const QString& aText, TDateTime aTime) {
                      log->insertItem(0, QDateTime::fromMSecsSinceEpoch(aTime).toString("hh:mm:ss") + "  " + aText);
                  },
                  QString());
    auto* news = new QWidget;
    news->setObjectName("tsNews");
    page.BottomPages()->addTab(news, QString::fromUtf8(" Новости "));
    auto* logPage = new QWidget;
    logPage->setObjectName("tsLog");
    auto* logLayout = new QVBoxLayout(logPage);
    logLayout->addWidget(log);
    page.BottomPages()->addTab(logPage, QString::fromUtf8(" Журнал "));
    if (TranslationLanguage() != "ru") {
        TranslateDesignTexts(&page);
        QEvent change(QEvent::LanguageChange);  // as the main window sends after a switch
        QApplication::sendEvent(&page, &change);
    }
    page.setWindowTitle(page.Caption());
    QObject::connect(&page, &TUrlPage::CaptionChanged, &page, &QWidget::setWindowTitle);
    page.resize(1148, 720);
    page.show();

    QString text;
    for (int i = 1; i <= 24; ++i)
        text += QString::fromStdString(server.Url("/" + std::to_string(i))) + "\n";
    QGuiApplication::clipboard()->setText(text);
    QMetaObject::invokeMethod(page.findChild<QAbstractButton*>("btInsertURLs4Clip"), "click");
    QCoreApplication::processEvents();
    page.findChild<QAbstractButton*>("btRunRequests")->click();
    while (page.IsRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::sendPostedEvents();
    auto* grid = page.findChild<QTableView*>("vtURLs");
    grid->selectionModel()->select(grid->model()->index(4, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
    return page.grab().save(QString::fromUtf8(argv[2])) ? 0 : 1;
}
