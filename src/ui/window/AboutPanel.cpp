#include "AboutPanel.h"

#include "LinkLabel.h"
#include "ui/model/ProgramSite.h"
#include "ui/model/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TAboutPanel::TAboutPanel(TOpenUrlFn aOpenUrl, TLangFn aLanguageCode, QWidget* aParent)
    : QFrame(aParent), FOpenUrl(std::move(aOpenUrl)), FLanguageCode(std::move(aLanguageCode))
{
    setObjectName(QStringLiteral("pAbout"));
    setFrameShape(QFrame::StyledPanel);

    lbTitle = new QLabel(QStringLiteral("About Tollmarsh"), this);
    lbTitle->setObjectName(QStringLiteral("lbTitle"));
    QFont bold = lbTitle->font();
    bold.setBold(true);
    lbTitle->setFont(bold);
    lbVersion = new QLabel(QStringLiteral("Version: "), this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    llHomeSite = new TLinkLabel(QStringLiteral("<a>Посетить страницу программы</a>"), this);
    llHomeSite->setObjectName(QStringLiteral("llHomeSite"));
    Label11 = new TLinkLabel(QStringLiteral("<a>Разработчики Tollmarsh</a>"), this);
    Label11->setObjectName(QStringLiteral("Label11"));
    connect(llHomeSite, &TLinkLabel::linkClicked, this, [this] { llHomeSiteLinkClick(); });
    connect(Label11, &TLinkLabel::linkClicked, this, [this] { Label11LinkClick(); });

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(lbTitle);
    left->addWidget(lbVersion);
    auto* right = new QVBoxLayout;
    right->addWidget(llHomeSite, 0, Qt::AlignRight);
    right->addWidget(Label11, 0, Qt::AlignRight);
    layout->addLayout(left);
    layout->addStretch(1);
    layout->addLayout(right);
}

void TAboutPanel::AppendVersion()
{
    lbVersion->setText(lbVersion->text() + GetVersionString());
}

void TAboutPanel::llHomeSiteLinkClick()
{
    const bool russian = FLanguageCode && FLanguageCode() == QLatin1String("ru");
    FOpenUrl(QUrl(QString::fromLatin1(russian ? ProductPageRuURL : ProductPageEnURL)));
}

void TAboutPanel::Label11LinkClick()
{
    FOpenUrl(QUrl(QString::fromLatin1(MakerSiteURL)));
}
