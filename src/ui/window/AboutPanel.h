#pragma once
// The About panel at the foot of the options page: the title, the version
// label lbVersion and the two links, opened in the default browser.

#include <QFrame>
#include <QUrl>
#include <functional>

class QLabel;
class TLinkLabel;

class TAboutPanel : public QFrame {
    Q_OBJECT
public:
    using TOpenUrlFn = std::function<void(const QUrl&)>;
    using TLangFn = std::function<QString()>;

    // aLanguageCode gives the code of the selected interface language.
    TAboutPanel(TOpenUrlFn aOpenUrl, TLangFn aLanguageCode, QWidget* aParent = nullptr);

    // "Version: " followed by the version (start-up, once).
    void AppendVersion();

    void llHomeSiteLinkClick();
    void Label11LinkClick();

private:
    TOpenUrlFn FOpenUrl;
    TLangFn FLanguageCode;
    QLabel* lbTitle;
    QLabel* lbVersion;
    TLinkLabel* llHomeSite;
    TLinkLabel* Label11;
};
