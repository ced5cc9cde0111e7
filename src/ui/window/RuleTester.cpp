#include "ui/window/RuleTester.h"

#include "core/CodePage.h"
#include "core/Translate.h"
#include "ui/model/RuleTesterLogic.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <thread>

namespace {

constexpr qint64 kMaxHtmlFileBytes = qint64(64) * 1024 * 1024;

// The busy cursor for as long as a page loads or a query runs.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

QsciScintilla* NewTextView(QWidget* aParent, const char* aObjectName)
{
    auto* view = new QsciScintilla(aParent);
    view->setObjectName(QLatin1String(aObjectName));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    view->setFont(fixed);
    view->setMarginsFont(fixed);
    view->setMarginType(0, QsciScintilla::NumberMargin);
    view->setMarginWidth(0, QStringLiteral("000000"));
    view->setMarginLineNumbers(0, true);
    view->setUtf8(true);
    view->setEolMode(QsciScintilla::EolWindows);
    view->setWrapMode(QsciScintilla::WrapNone);
    return view;
}

QRadioButton* NewRadio(QWidget* aParent, const char* aObjectName)
{
    auto* button = new QRadioButton(aParent);
    button->setObjectName(QLatin1String(aObjectName));
    return button;
}

}  // namespace

TfmReqTest::TfmReqTest(const TRuleTesterLinks& aLinks, QWidget* aParent)
    : QDialog(aParent, Qt::Window), FLinks(aLinks)
{
    setObjectName(QStringLiteral("fmReqTest"));
    setModal(true);
    BuildUi();
    RetranslateUi();
    rgText->setChecked(true);
    cbChkUnique->setChecked(true);
    edURLsChange();
    rbXPathClick();
}

TfmReqTest::~TfmReqTest() = default;

void TfmReqTest::BuildUi()
{
    auto* layout = new QVBoxLayout(this);

    gbSource = new QGroupBox(this);
    gbSource->setObjectName(QStringLiteral("gbSource"));
    auto* sourceRow = new QHBoxLayout(gbSource);
    edURLs = new QComboBox(gbSource);
    edURLs->setObjectName(QStringLiteral("edURLs"));
    edURLs->setEditable(true);
    edURLs->setInsertPolicy(QComboBox::NoInsert);
    edURLs->setMinimumWidth(449);
    btLoadFromURL = new QPushButton(gbSource);
    btLoadFromURL->setObjectName(QStringLiteral("btLoadFromURL"));
    btLoadFromFile = new QPushButton(gbSource);
    btLoadFromFile->setObjectName(QStringLiteral("btLoadFromFile"));
    sourceRow->addWidget(edURLs);
    sourceRow->addWidget(btLoadFromURL);
    sourceRow->addWidget(btLoadFromFile);
    sourceRow->addStretch(1);
    layout->addWidget(gbSource);

    FSplitter = new QSplitter(Qt::Vertical, this);
    FSplitter->setObjectName(QStringLiteral("FSplitter"));
    FSplitter->setChildrenCollapsible(false);
    gbHTML = new QGroupBox(FSplitter);
    gbHTML->setObjectName(QStringLiteral("gbHTML"));
    gbHTML->setMinimumHeight(100);
    auto* htmlLayout = new QVBoxLayout(gbHTML);
    edHTML = NewTextView(gbHTML, "edHTML");
    auto* lexer = new QsciLexerHTML(edHTML);
    lexer->setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lexer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edHTML->setLexer(lexer);
    htmlLayout->addWidget(edHTML);

    auto* lower = new QWidget(FSplitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);

    gbRule = new QGroupBox(lower);
    gbRule->setObjectName(QStringLiteral("gbRule"));
    auto* ruleRow = new QHBoxLayout(gbRule);
    edQuery = new QPlainTextEdit(gbRule);
    edQuery->setObjectName(QStringLiteral("edQuery"));
    edQuery->setMinimumSize(534, 148);
    edQuery->setTabChangesFocus(true);
    ruleRow->addWidget(edQuery, 1);

    gbQueryType = new QGroupBox(gbRule);
    gbQueryType->setObjectName(QStringLiteral("gbQueryType"));
    auto* typeLayout = new QVBoxLayout(gbQueryType);
    FTypeButtons = new QButtonGroup(this);
    rbXPath = NewRadio(gbQueryType, "rbXPath");
    rbXQuery = NewRadio(gbQueryType, "rbXQuery");
    rbCSSPath = NewRadio(gbQueryType, "rbCSSPath");
    rbRegEx = NewRadio(gbQueryType, "rbRegEx");
    rbHTMLTemplate = NewRadio(gbQueryType, "rbHTMLTemplate");
    int id = 0;
    for (QRadioButton* button : {rbXPath, rbXQuery, rbCSSPath, rbRegEx, rbHTMLTemplate}) {
        FTypeButtons->addButton(button, id++);  // the id is the query type
        typeLayout->addWidget(button);
    }
    auto* attrRow = new QHBoxLayout;
    lbAttribute = new QLabel(gbQueryType);
    edAttribute = new QLineEdit(gbQueryType);
    edAttribute->setObjectName(QStringLiteral("edAttribute"));
    lbAttribute->setBuddy(edAttribute);
    attrRow->addWidget(lbAttribute);
    attrRow->addWidget(edAttribute);
    typeLayout->addLayout(attrRow);
    ruleRow->addWidget(gbQueryType);

    gbExtract = new QGroupBox(gbRule);
    gbExtract->setObjectName(QStringLiteral("gbExtract"));
    auto* extractLayout = new QVBoxLayout(gbExtract);
    rgText = NewRadio(gbExtract, "rgText");
    rgOuterHTML = NewRadio(gbExtract, "rgOuterHTML");
    rgInnerHTML = NewRadio(gbExtract, "rgInnerHTML");
    rgAnyPart = NewRadio(gbExtract, "rgAnyPart");
    for (QRadioButton* button : {rgText, rgOuterHTML, rgInnerHTML, rgAnyPart})
        extractLayout->addWidget(button);
    extractLayout->addStretch(1);
    ruleRow->addWidget(gbExtract);

    auto* runColumn = new QVBoxLayout;
    cbChkUnique = new QCheckBox(gbRule);
    cbChkUnique->setObjectName(QStringLiteral("cbChkUnique"));
    btDoQuery = new QPushButton(gbRule);
    btDoQuery->setObjectName(QStringLiteral("btDoQuery"));
    runColumn->addWidget(cbChkUnique);
    runColumn->addStretch(1);
    runColumn->addWidget(btDoQuery, 0, Qt::AlignLeft);
    ruleRow->addLayout(runColumn);
    lowerLayout->addWidget(gbRule);

    gbResult = new QGroupBox(lower);
    gbResult->setObjectName(QStringLiteral("gbResult"));
    auto* resultLayout = new QVBoxLayout(gbResult);
    edResult = NewTextView(gbResult, "edResult");
    edResult->setReadOnly(true);
    edResult->setPaper(QColor(223, 223, 223));
    edResult->setMarginsBackgroundColor(QColor(223, 223, 223));
    resultLayout->addWidget(edResult);
    lowerLayout->addWidget(gbResult, 1);

    FSplitter->addWidget(gbHTML);
    FSplitter->addWidget(lower);
    FSplitter->setStretchFactor(1, 1);
    FSplitter->setSizes({288, 400});
    layout->addWidget(FSplitter, 1);

    connect(edURLs, &QComboBox::editTextChanged, this, [this] { edURLsChange(); });
    connect(FTypeButtons, &QButtonGroup::idClicked, this, [this] { rbXPathClick(); });
    connect(btLoadFromURL, &QPushButton::clicked, this, [this] { btLoadFromURLClick(); });
    connect(btLoadFromFile, &QPushButton::clicked, this, [this] { btLoadFromFileClick(); });
    connect(btDoQuery, &QPushButton::clicked, this, [this] { btDoQueryClick(); });

    setTabOrder(edURLs, btLoadFromURL);
    setTabOrder(btLoadFromURL, btLoadFromFile);
    setTabOrder(btLoadFromFile, edHTML);
    setTabOrder(edHTML, edQuery);
    setTabOrder(edQuery, rbXPath);
    setTabOrder(rbXPath, edAttribute);
    setTabOrder(edAttribute, rgText);
    setTabOrder(rgText, cbChkUnique);
    setTabOrder(cbChkUnique, btDoQuery);
    setTabOrder(btDoQuery, edResult);
}

void TfmReqTest::RetranslateUi()
{
    setWindowTitle(Tr("Тестирование правил извлечения данных"));
    gbSource->setTitle(Tr(" Источник "));
    edURLs->setAccessibleName(Tr("URL"));
    btLoadFromURL->setText(Tr("Загрузить по URL"));
    btLoadFromFile->setText(Tr("Загрузить из файла..."));
    gbHTML->setTitle(Tr(" HTML "));
    edHTML->setAccessibleName(Tr(" HTML ").trimmed());
    gbRule->setTitle(Tr(" Правило "));
    edQuery->setAccessibleName(Tr(" Правило ").trimmed());
    gbQueryType->setTitle(Tr(" Тип правила "));
    rbXPath->setText(QStringLiteral("XPath"));
    rbXQuery->setText(QStringLiteral("XQuery"));
    rbCSSPath->setText(QStringLiteral("CSSPath"));
    rbRegEx->setText(QStringLiteral("RegEx"));
    rbHTMLTemplate->setText(QStringLiteral("HTML template"));
    lbAttribute->setText(Tr("Атрибут:"));
    gbExtract->setTitle(Tr(" Извлечь "));
    rgText->setText(ExtractTypeLabel(etTextContent));
    rgOuterHTML->setText(ExtractTypeLabel(etOuterHTML));
    rgInnerHTML->setText(ExtractTypeLabel(etInnerHTML));
    rgAnyPart->setText(ExtractTypeLabel(etAnyPart));
    cbChkUnique->setText(Tr("Отбрасывать повторения в результате"));
    btDoQuery->setText(Tr("Выполнить"));
    gbResult->setTitle(Tr(" Результат "));
    edResult->setAccessibleName(Tr(" Результат ").trimmed());
}

void TfmReqTest::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(aEvent);
}

void TfmReqTest::Prepare(const TScrapRule* aRule)
{
    RetranslateUi();
    if (aRule) {
        edQuery->setPlainText(aRule->Query);
        edAttribute->setText(aRule->Attribute);
        if (aRule->QueryType <= qtTemplate)
            FTypeButtons->button(int(aRule->QueryType))->setChecked(true);
        switch (aRule->ExtractType) {
        case etTextContent:
        case etUnknown: rgText->setChecked(true); break;
        case etOuterHTML: rgOuterHTML->setChecked(true); break;
        case etInnerHTML: rgInnerHTML->setChecked(true); break;
        default: rgAnyPart->setChecked(true); break;
        }
    } else {
        rbXPath->setChecked(true);  // the query and the attribute stay from the last time
    }
    rbXPathClick();

    const QString remembered = FRememberedURL;
    edURLs->clear();
    if (FLinks.UrlListAddresses)
        edURLs->addItems(FLinks.UrlListAddresses());
    edURLs->setEditText(remembered);
    edURLsChange();
}

void TfmReqTest::Open()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TfmReqTest::reject()
{
    if (FLoading) {
        FAbortLoad = true;  // the download ends within moments; then the window may close
        return;
    }
    QDialog::reject();
}

void TfmReqTest::edURLsChange()
{
    FRememberedURL = edURLs->currentText();
    btLoadFromURL->setEnabled(!FRememberedURL.isEmpty() && !FLoading);
}

int TfmReqTest::SelectedQueryType() const
{
    return FTypeButtons->checkedId();
}

TScrapExtractType TfmReqTest::SelectedExtract() const
{
    const std::pair<QRadioButton*, TScrapExtractType> order[] = {
        {rgText, etTextContent}, {rgOuterHTML, etOuterHTML}, {rgInnerHTML, etInnerHTML}, {rgAnyPart, etAnyPart}};
    for (const auto& [button, type] : order)
        if (button->isEnabled() && button->isChecked())
            return type;
    return etUnknown;
}

void TfmReqTest::rbXPathClick()
{
    const int type = SelectedQueryType();
    const TTesterExtractChoice choice = TesterExtractChoice(type);
    edAttribute->setEnabled(type == qtCssPath);
    lbAttribute->setEnabled(type == qtCssPath);
    rgText->setEnabled(choice.TextModesEnabled);
    rgOuterHTML->setEnabled(choice.TextModesEnabled);
    rgInnerHTML->setEnabled(choice.TextModesEnabled);
    rgAnyPart->setEnabled(choice.AnyPartEnabled);
    // the choice moves only when the checked button has just been disabled
    QRadioButton* const buttons[] = {rgText, rgOuterHTML, rgInnerHTML, rgAnyPart};
    TScrapExtractType checked = etUnknown;
    for (int i = 0; i < 4; ++i)
        if (buttons[i]->isChecked())
            checked = TScrapExtractType(i);
    const TScrapExtractType next = TesterExtractAfterTypeChange(choice, checked);
    if (next != checked && next <= etAnyPart)
        buttons[next]->setChecked(true);
}

void TfmReqTest::btLoadFromFileClick()
{
    TFileDialogRequest request;
    request.Title = Tr("Укажите HTML файл ");
    request.Filter = Tr("Файлы HTML") + QStringLiteral("|*.htm*");
    request.InitialDir = FLinks.ExeDir;
    const QString fileName = FLinks.Dialogs.OpenFileName(request);
    if (fileName.isEmpty())
        return;
    const QFileInfo info(fileName);
    if (!info.exists() || !info.isFile()) {
        FLinks.Dialogs.ShowWarning(Tr("Укажите полный путь к существующему файлу HTML"));
        return;
    }
    if (info.size() > kMaxHtmlFileBytes) {
        FLinks.Dialogs.ShowWarning(FormatText(Tr("Файл больше %d МБ, он не будет загружен: %s"),
                                              {int(kMaxHtmlFileBytes / (1024 * 1024)), fileName}));
        return;
    }
    QFile file(fileName);
    const TBusyCursor busy;
    if (!file.open(QIODevice::ReadOnly)) {
        FLinks.Dialogs.ShowWarning(FormatText(Tr("Не удалось прочитать файл: %s"), {fileName}));
        return;
    }
    edHTML->setText(DecodeHtmlFile(file.readAll(), TCodePage::SystemDefault()));
}

void TfmReqTest::btLoadFromURLClick()
{
    const QString url = edURLs->currentText();
    if (url.isEmpty() || FLoading)
        return;
    const QString userAgent = FLinks.UserAgentText ? FLinks.UserAgentText() : QString();

    // The transfer runs beside the window, which keeps painting; the source and
    // run controls wait until it is over.
    FLoading = true;
    FAbortLoad = false;
    gbSource->setEnabled(false);
    gbRule->setEnabled(false);
    TTesterDownload download;
    {
        const TBusyCursor busy;
        QEventLoop loop;
        std::thread transfer([&] {
            download = DownloadTesterPage(url, userAgent, &FAbortLoad);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        transfer.join();
    }
    FLoading = false;
    gbSource->setEnabled(true);
    gbRule->setEnabled(true);
    edURLsChange();
    if (FAbortLoad) {
        QDialog::reject();  // the user closed the window while the page was loading
        return;
    }
    if (!download.Ok) {
        FLinks.Dialogs.ShowWarning(download.Warning);
        return;
    }
    edHTML->setText(download.Text);
}

void TfmReqTest::btDoQueryClick()
{
    TTesterQuery query;
    query.Html = edHTML->text();
    query.Query = edQuery->toPlainText();
    query.Attribute = edAttribute->text();
    const int type = SelectedQueryType();
    query.QueryType = type >= qtXPath && type <= qtRegEx ? TScrapQueryType(type) : qtTemplate;
    query.ExtractType = SelectedExtract();
    query.ChkUnique = cbChkUnique->isChecked();

    TTesterOutcome outcome;
    {
        const TBusyCursor busy;
        outcome = RunTesterQuery(query);
    }
    if (outcome.ResultChanged)
        edResult->setText(outcome.Result);
    if (!outcome.Warning.isEmpty()) {
        FLinks.Dialogs.ShowWarning(outcome.Warning);
        if (outcome.FocusQuery)
            edQuery->setFocus();
    }
}
