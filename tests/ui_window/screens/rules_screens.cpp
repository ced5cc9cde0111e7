// Test-only launcher: shows the rules page with several panels and the rule
// tester with a page and a result, and saves a picture of each.
// Usage: tm_rules_screens OUTDIR LANGUAGE   (LANGUAGE ru or en)

#include "RecordingDialogs.h"
#include "core/Translate.h"
#include "engine/CurlSession.h"
#include "ui/window/RuleTester.h"
#include "ui/window/RulesPage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

const char kSamplePage[] = R"(<!DOCTYPE html>
<html lang="ru">
<head>
  <meta charset="utf-8">
  <title>Каталог</title>
</head>
<body>
  <h1>Каталог товаров</h1>
  <div class="card"><h2>Чайник</h2><span class="price" content="1490">1 490 ₽</span><a href="/item/1">Подробнее</a></div>
  <div class="card"><h2>Кофемолка</h2><span class="price" content="2990">2 990 ₽</span><a href="/item/2">Подробнее</a></div>
  <div class="card"><h2>Тостер</h2><span class="price" content="1990">1 990 ₽</span><a href="/item/3">Подробнее</a></div>
  <p>Телефон: +7 495 123-45-67</p>
</body>
</html>
)";

void AddRule(TScrapRuleSet& aSet, const char* aName, TScrapQueryType aType, const char* aQuery,
             const char* aAttribute = "", TScrapExtractType aExtract = etTextContent)
{
    auto rule = std::make_unique<TScrapRule>();
    rule->Name = QString::fromUtf8(aName);
    rule->QueryType = aType;
    rule->Query = QString::fromUtf8(aQuery);
    rule->Attribute = QString::fromUtf8(aAttribute);
    rule->ExtractType = aExtract;
    aSet.Add(std::move(rule));
}

void Settle(TRulesPage& aPage)
{
    QElapsedTimer timer;
    timer.start();
    while ((!aPage.QueryChecks().Idle() || timer.elapsed() < 300) && timer.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();  // the last answer is posted as the queue goes idle
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TCurlGlobalGuard curl;
    if (argc < 3) {
        std::fprintf(stderr, "usage: tm_rules_screens OUTDIR ru|en\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString language = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);
    InitTranslation(CatalogueDir());
    SetTranslationLanguage(language);

    TScrapRuleSet current;
    TScrapRuleSets saved;
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = QStringLiteral("Каталог");
    AddRule(*set, "Заголовок", qtXPath, "//h1");
    AddRule(*set, "Цена", qtCssPath, "span.price", "content");
    AddRule(*set, "Ссылки", qtXQuery, "for $a in //div[@class='card']/a return string($a/@href)");
    AddRule(*set, "Ошибка", qtXPath, "//div[@class='card'");
    AddRule(*set, "Телефон", qtRegEx, "\\+7 \\d{3} \\d{3}-\\d{2}-\\d{2}", "", etOuterHTML);
    AddRule(*set, "Карточка", qtTemplate, "<div class=\"card\"><h2>{.}</h2></div>", "", etInnerHTML);
    AddRule(*set, "", qtXPath, "");
    saved.Add(std::move(set));
    auto other = std::make_unique<TScrapRuleSet>();
    other->Name = QStringLiteral("Новости");
    saved.Add(std::move(other));

    TRecordingDialogs dialogs;
    QTemporaryDir dir;
    TRulesPage page(TRulesPageLinks{current, saved, dir.path() + u'/', dialogs,
                                    [] { return QStringList{"https://shop.example/catalog"}; },
                                    [] { return QStringLiteral("Mozilla/5.0"); }});
    page.setWindowTitle(QStringLiteral("Tollmarsh"));
    page.resize(1100, 440);
    page.show();
    page.ShowSavedSets(0);
    Settle(page);
    page.grab().save(outDir + QStringLiteral("/rules_%1.png").arg(language));

    // the tester with the sample page and a CSS-path rule's result
    const QString pageFile = dir.filePath(QStringLiteral("catalog.html"));
    QFile file(pageFile);
    file.open(QIODevice::WriteOnly);
    file.write("\xEF\xBB\xBF");
    file.write(kSamplePage);
    file.close();
    TfmReqTest tester(TRuleTesterLinks{dialogs, dir.path() + u'/',
                                        [] { return QStringList{"https://shop.example/catalog"}; },
                                        [] { return QStringLiteral("Mozilla/5.0"); }},
                       nullptr);
    tester.Prepare(current.Rule(1));
    tester.findChild<QComboBox*>("edURLs")->setEditText(QStringLiteral("https://shop.example/catalog"));
    tester.resize(1280, 860);
    tester.show();
    dialogs.FileAnswers = {pageFile};
    QTest::mouseClick(tester.findChild<QPushButton*>("btLoadFromFile"), Qt::LeftButton);
    QTest::mouseClick(tester.findChild<QPushButton*>("btDoQuery"), Qt::LeftButton);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    tester.grab().save(outDir + QStringLiteral("/tester_%1.png").arg(language));
    std::printf("%s\n", qPrintable(dialogs.Texts(TRecordingDialogs::TKind::Warning).join(u'\n')));
    return 0;
}
