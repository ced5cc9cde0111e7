#include "ui/window/ScrapRulePanel.h"

#include "analysis/PageAnalysis.h"
#include "core/Translate.h"
#include "ui/model/QueryCheckQueue.h"
#include "ui/model/RuleListCheck.h"
#include "ui/window/RuleImages.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>

namespace {

// How long a keystroke may wait for an XPath check on the query thread before
// the mark is left to follow when the answer comes: an XPath 1.0 query is
// answered in microseconds, one for the XPath 3.1 engine may take far longer.
// XQuery checks never wait.
constexpr int kQuickCheckWaitMs = 5;

// Left, top and width for a screen of 96 (any other) and of 120 pixels per inch.
struct TSpot {
    int Left, Left120, Top, Top120, Width, Width120;
};
constexpr int kLabelTop = 22;
constexpr TSpot kLabel1{10, 3, kLabelTop, kLabelTop, 0, 0};
constexpr TSpot kNameEdit{68, 60, 16, 19, 100, 100};
constexpr TSpot kLabel2{180, 164, kLabelTop, kLabelTop, 0, 0};
constexpr TSpot kTypeCombo{215, 193, 16, 19, 95, 92};
constexpr TSpot kLabel3{325, 290, kLabelTop, kLabelTop, 0, 0};
constexpr TSpot kRuleStrEdit{380, 345, 16, 19, 230, 225};
constexpr TSpot kQueryValid{620, 572, 18, 21, 16, 16};
constexpr TSpot kLabel4{655, 600, kLabelTop, kLabelTop, 0, 0};
constexpr TSpot kExtractCombo{715, 655, 16, 19, 0, 0};
constexpr TSpot kAttrEdit{825, 740, 16, 19, 125, 99};
constexpr TSpot kTestButton{960, 845, 12, 16, 25, 25};
constexpr TSpot kDelButton{990, 870, 12, 16, 25, 25};
constexpr int kGap = 4;  // least space after a control whose text is wider than planned

QToolButton* NewImageButton(QWidget* aParent, const char* aObjectName, int aSize)
{
    auto* button = new QToolButton(aParent);
    button->setObjectName(QLatin1String(aObjectName));
    button->setAutoRaise(true);
    button->setFixedSize(aSize, aSize);
    button->setIconSize(QSize(aSize - 5, aSize - 5));
    return button;
}

// The width that shows the longest item of a combo box in full, now (the
// combo's own size hint is computed once and would miss later items).
int NeededComboWidth(const QComboBox& aCombo)
{
    int textWidth = 0;
    for (int i = 0; i < aCombo.count(); ++i)
        textWidth = qMax(textWidth, aCombo.fontMetrics().horizontalAdvance(aCombo.itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(&aCombo);
    const QSize contents(textWidth, aCombo.fontMetrics().height());
    return aCombo.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &aCombo).width();
}

}  // namespace

TScrapRulePanel::TScrapRulePanel(QWidget* aOwner, TQueryCheckQueue& aChecks)
    : QFrame(aOwner), FChecks(aChecks), FCheckClient(aChecks.NewClient())
{
    setObjectName(QStringLiteral("ScrapRulePanel"));
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(kHeight);
    setAutoFillBackground(true);

    FLabel1 = new QLabel(this);
    FNameEdit = new QLineEdit(this);
    FNameEdit->setObjectName(QStringLiteral("FNameEdit"));
    FLabel1->setBuddy(FNameEdit);
    FLabel2 = new QLabel(this);
    FTypeCombo = new QComboBox(this);
    FTypeCombo->setObjectName(QStringLiteral("FTypeCombo"));
    FTypeCombo->addItems({QStringLiteral("XPath"), QStringLiteral("XQuery"), QStringLiteral("CSSPath"),
                          QStringLiteral("RegEx"), QStringLiteral("HTML template")});
    FLabel2->setBuddy(FTypeCombo);
    FLabel3 = new QLabel(this);
    FRuleStrEdit = new QLineEdit(this);
    FRuleStrEdit->setObjectName(QStringLiteral("FRuleStrEdit"));
    FLabel3->setBuddy(FRuleStrEdit);
    FQueryValid = NewImageButton(this, "FQueryValid", 16);
    FQueryValid->setIconSize(QSize(16, 16));
    FQueryValid->setEnabled(false);
    FQueryValid->setFocusPolicy(Qt::NoFocus);
    FLabel4 = new QLabel(this);
    FExtractCombo = new QComboBox(this);
    FExtractCombo->setObjectName(QStringLiteral("FExtractCombo"));
    FLabel4->setBuddy(FExtractCombo);
    FAttrEdit = new QLineEdit(this);
    FAttrEdit->setObjectName(QStringLiteral("FAttrEdit"));
    FAttrEdit->hide();
    FTestButton = NewImageButton(this, "FTestButton", 25);
    FDelButton = NewImageButton(this, "FDelButton", 25);

    const TRuleImages& images = RuleImages();
    FTestButton->setIcon(images.Test);
    FDelButton->setIcon(images.Trash);
    ShowQueryValidMark(false);

    connect(FNameEdit, &QLineEdit::textChanged, this, [this](const QString& aText) {
        if (!Rule)
            return;
        Rule->Name = aText;
        UpdateControls(false);
    });
    connect(FRuleStrEdit, &QLineEdit::textChanged, this, [this](const QString& aText) {
        if (!Rule)
            return;
        Rule->Query = aText;
        UpdateControls(false);
    });
    connect(FAttrEdit, &QLineEdit::textChanged, this, [this](const QString& aText) {
        if (!Rule)
            return;
        Rule->Attribute = aText;
        UpdateControls(false);
    });
    connect(FTypeCombo, &QComboBox::currentIndexChanged, this, [this](int aIndex) {
        if (!Rule || aIndex < 0)
            return;
        Rule->QueryType = TScrapQueryType(aIndex);
        UpdateControls(false);
    });
    connect(FExtractCombo, &QComboBox::currentIndexChanged, this, [this](int aIndex) {
        if (Rule && aIndex >= 0)
            Rule->ExtractType = TScrapExtractType(aIndex);
    });
    connect(FTestButton, &QToolButton::clicked, this, [this] {
        if (OnTestClick)
            OnTestClick(this);
    });
    connect(FDelButton, &QToolButton::clicked, this, [this] {
        if (OnDeleteClick)
            OnDeleteClick(this);
    });

    setTabOrder(FNameEdit, FTypeCombo);
    setTabOrder(FTypeCombo, FRuleStrEdit);
    setTabOrder(FRuleStrEdit, FExtractCombo);
    setTabOrder(FExtractCombo, FAttrEdit);
    setTabOrder(FAttrEdit, FTestButton);
    setTabOrder(FTestButton, FDelButton);
    RetranslateUi();
}

TScrapRulePanel::~TScrapRulePanel()
{
    FChecks.Forget(FCheckClient);
}

void TScrapRulePanel::RetranslateUi()
{
    FLabel1->setText(Tr("Название:"));
    FLabel2->setText(Tr("Тип:"));
    FLabel3->setText(Tr("Правило:"));
    FLabel4->setText(Tr("Извлечь:"));
    FAttrEdit->setToolTip(Tr("Атрибут"));
    FAttrEdit->setPlaceholderText(Tr("Атрибут"));
    FAttrEdit->setAccessibleName(Tr("Атрибут"));
    FTestButton->setToolTip(Tr("Тестировать правило..."));
    FTestButton->setAccessibleName(Tr("Тестировать правило..."));
    FDelButton->setToolTip(Tr("Удалить правило"));
    FDelButton->setAccessibleName(Tr("Удалить правило"));
    ShowQueryValidMark(FValidShown);
    if (Rule)
        UpdateControls(false);  // the extract choices are texts of the language too
    else
        PlaceControls();
}

void TScrapRulePanel::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        RetranslateUi();
    QFrame::changeEvent(aEvent);
}

void TScrapRulePanel::UpdateControls(bool aAssignD2C)
{
    if (!Rule)
        return;
    if (aAssignD2C) {
        // the handlers would write the same values back and check the query three times
        const QSignalBlocker b1(FNameEdit), b2(FTypeCombo), b3(FRuleStrEdit), b4(FAttrEdit);
        FNameEdit->setText(Rule->Name);
        FTypeCombo->setCurrentIndex(Rule->QueryType <= qtTemplate ? int(Rule->QueryType) : -1);
        FRuleStrEdit->setText(Rule->Query);
        FRuleStrEdit->setCursorPosition(0);  // a long query shows its beginning
        FAttrEdit->setText(Rule->Attribute);
    }

    const bool at120 = logicalDpiX() == 120;
    {
        const QSignalBlocker blocker(FExtractCombo);  // refilling must not touch ExtractType
        switch (Rule->QueryType) {
        case qtXPath:
        case qtXQuery:
        case qtCssPath:
        case qtTemplate:
            FExtractCombo->clear();
            FExtractCombo->addItems({ExtractTypeLabel(etTextContent), ExtractTypeLabel(etOuterHTML),
                                     ExtractTypeLabel(etInnerHTML)});
            FExtractCombo->setCurrentIndex(Rule->ExtractType <= etInnerHTML ? int(Rule->ExtractType) : -1);
            FExtractCombo->setEnabled(true);
            FExtractCombo->show();
            FAttrEdit->setVisible(Rule->QueryType == qtCssPath);
            FExtractWidth = Rule->QueryType == qtCssPath ? 100 : (at120 ? 232 : 234);
            break;
        case qtRegEx:
            FExtractCombo->clear();
            FExtractCombo->addItem(ExtractTypeLabel(etAnyPart));
            FExtractCombo->setCurrentIndex(0);
            FExtractCombo->setEnabled(false);
            FExtractCombo->show();
            FAttrEdit->hide();
            FExtractWidth = 230;
            break;
        default:
            break;  // no query language: the extract choice stays as it was
        }
    }
    FLabel4->setVisible(FExtractCombo->isVisibleTo(this));
    PlaceControls();
    RefreshValidity();
}

void TScrapRulePanel::RefreshValidity()
{
    const QString query = Rule->Query;
    const TScrapQueryType type = Rule->QueryType;
    if (TQueryCheckQueue::MayBeSlow(type) && !query.isEmpty()) {
        if (FLastCheck.Known && FLastCheck.Query == query && FLastCheck.Type == type) {
            FChecks.Forget(FCheckClient);  // an older text's answer must not come after this
            FCheckPending = false;
            ShowQueryValidMark(FLastCheck.Valid);
            return;
        }
        const int waitMs = type == qtXPath ? kQuickCheckWaitMs : 0;
        const std::optional<bool> valid =
            FChecks.Check(FCheckClient, query, type, waitMs, this, [this, query, type](bool aValid) {
                FCheckPending = false;
                KeepAnswer(query, type, aValid);
            });
        FCheckPending = !valid.has_value();
        if (valid)
            KeepAnswer(query, type, *valid);
        return;
    }
    FChecks.Forget(FCheckClient);
    FCheckPending = false;
    ShowQueryValidMark(type == qtTemplate ? CheckTemplateValid(query) : CheckQueryValid(query, type));
}

void TScrapRulePanel::KeepAnswer(const QString& aQuery, TScrapQueryType aType, bool aValid)
{
    FLastCheck = TLastCheck{true, aQuery, aType, aValid};
    ShowQueryValidMark(aValid);
}

void TScrapRulePanel::ShowQueryValidMark(bool aValid)
{
    FValidShown = aValid;
    const TRuleImages& images = RuleImages();
    FQueryValid->setIcon(aValid ? images.Accept : images.NotAccept);
    const QString hint = aValid ? Tr("Запрос корректен") : Tr("Запрос некорректен");
    FQueryValid->setToolTip(hint);
    FQueryValid->setAccessibleName(hint);
    FQueryValid->update();
}

QWidget* TScrapRulePanel::FirstControl() const
{
    return FNameEdit;
}

QWidget* TScrapRulePanel::LastControl() const
{
    return FDelButton;
}

void TScrapRulePanel::SetColour(const QColor& aColour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, aColour);
    setPalette(colours);
}

// The planned positions hold while the texts fit; a label or a choice wider
// than planned (fonts differ from screen to screen) widens its control and
// pushes what follows to the right. Labels are centred on the row's edits.
void TScrapRulePanel::PlaceControls()
{
    const bool at120 = logicalDpiX() == 120;
    const int editTop = at120 ? kNameEdit.Top120 : kNameEdit.Top;
    const int editHeight = FNameEdit->sizeHint().height();
    int right = 0;
    const auto place = [&](QWidget* aControl, const TSpot& aSpot, int aWidth) {
        const int left = qMax(at120 ? aSpot.Left120 : aSpot.Left, right > 0 ? right + kGap : 0);
        int top = at120 ? aSpot.Top120 : aSpot.Top;
        int width = aWidth, height = aControl->sizeHint().height();
        if (qobject_cast<QLabel*>(aControl)) {
            width = aControl->sizeHint().width();
            top = editTop + (editHeight - height) / 2;
        } else if (qobject_cast<QComboBox*>(aControl)) {
            width = qMax(aWidth, NeededComboWidth(*static_cast<QComboBox*>(aControl)));  // no clipped choice
        } else if (qobject_cast<QToolButton*>(aControl)) {
            height = aControl->height();
        }
        aControl->setGeometry(left, top, width, height);
        if (aControl->isVisibleTo(this))
            right = left + width;
    };
    const auto width = [&](const TSpot& aSpot) { return at120 ? aSpot.Width120 : aSpot.Width; };
    place(FLabel1, kLabel1, 0);
    place(FNameEdit, kNameEdit, width(kNameEdit));
    place(FLabel2, kLabel2, 0);
    place(FTypeCombo, kTypeCombo, width(kTypeCombo));
    place(FLabel3, kLabel3, 0);
    place(FRuleStrEdit, kRuleStrEdit, width(kRuleStrEdit));
    place(FQueryValid, kQueryValid, 16);
    place(FLabel4, kLabel4, 0);
    place(FExtractCombo, kExtractCombo, FExtractWidth);
    {
        // the attribute gives back what a wider extract choice took, so the
        // buttons stay in one column with the other panels'
        const int plannedRight = (at120 ? kAttrEdit.Left120 : kAttrEdit.Left) + width(kAttrEdit);
        const int left = qMax(at120 ? kAttrEdit.Left120 : kAttrEdit.Left, right + kGap);
        place(FAttrEdit, kAttrEdit, qMax(60, plannedRight - left));
    }
    place(FTestButton, kTestButton, 25);
    place(FDelButton, kDelButton, 25);
    setMinimumWidth(FDelButton->geometry().right() + 10);
}

int TScrapRulePanels::IndexOf(const TScrapRulePanel* aPanel) const
{
    for (size_t i = 0; i < FPanels.size(); ++i)
        if (FPanels[i].get() == aPanel)
            return int(i);
    return -1;
}

TScrapRulePanel* TScrapRulePanels::Add(std::unique_ptr<TScrapRulePanel> aPanel)
{
    FPanels.push_back(std::move(aPanel));
    return FPanels.back().get();
}

void TScrapRulePanels::Delete(int aIndex)
{
    if (aIndex >= 0 && aIndex < Count())
        FPanels.erase(FPanels.begin() + aIndex);
}

void TScrapRulePanels::Clear()
{
    FPanels.clear();
}

bool TScrapRulePanels::CheckRulesValid(bool bShowMsg) const
{
    std::vector<const TScrapRule*> rules;
    for (const auto& panel : FPanels)
        if (panel->Rule)
            rules.push_back(panel->Rule);
    return ::CheckRulesValid(rules, FDialogs, bShowMsg);
}
