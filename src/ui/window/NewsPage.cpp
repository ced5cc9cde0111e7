#include "NewsPage.h"

#include "core/Translate.h"

#include <QEvent>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages are compiled into this static library: register them once.
static void InitNewsResources()
{
    Q_INIT_RESOURCE(news);
}

TNewsPage::TNewsPage(TOpenUrlFn aOpenUrl, QWidget* aParent)
    : QWidget(aParent), FOpenUrl(std::move(aOpenUrl))
{
    InitNewsResources();
    setObjectName(QStringLiteral("tsNews"));
    wbNews = new QTextBrowser(this);
    wbNews->setObjectName(QStringLiteral("wbNews"));
    // The view is left out of the window's translation; its name follows here.
    wbNews->setAccessibleName(Tr("Новости"));
    wbNews->setOpenLinks(false);
    connect(wbNews, &QTextBrowser::anchorClicked, this, [this](const QUrl& aUrl) {
        if (FOpenUrl)
            FOpenUrl(aUrl);
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(wbNews);
}

void TNewsPage::Load(const QString& aLanguageCode)
{
    QFile page(aLanguageCode == QLatin1String("ru") ? QStringLiteral(":/news/news_ru.html")
                                                    : QStringLiteral(":/news/news_en.html"));
    if (page.open(QIODevice::ReadOnly))
        wbNews->setHtml(QString::fromUtf8(page.readAll()));
}

QString TNewsPage::PlainText() const
{
    return wbNews->toPlainText();
}

void TNewsPage::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        wbNews->setAccessibleName(Tr("Новости"));
    QWidget::changeEvent(aEvent);
}
