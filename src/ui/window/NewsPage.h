#pragma once
// The news page tsNews: a page shipped with the program that tells what it
// does and how to start, in the language chosen at start-up. Links open in
// the default browser. The page is loaded once and keeps its language.

#include <QUrl>
#include <QWidget>
#include <functional>

class QTextBrowser;

class TNewsPage : public QWidget {
    Q_OBJECT
public:
    using TOpenUrlFn = std::function<void(const QUrl&)>;

    explicit TNewsPage(TOpenUrlFn aOpenUrl, QWidget* aParent = nullptr);

    // The Russian page for "ru", the English one otherwise.
    void Load(const QString& aLanguageCode);
    QString PlainText() const;

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    TOpenUrlFn FOpenUrl;
    QTextBrowser* wbNews;
};
