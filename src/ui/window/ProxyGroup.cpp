#include "ProxyGroup.h"

#include "ProxyListModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEventLoop>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

namespace {

QPushButton* NewButton(QWidget* aParent, const char* aName, const char* aCaption)
{
    auto* button = new QPushButton(QString::fromUtf8(aCaption), aParent);
    button->setObjectName(QString::fromLatin1(aName));
    return button;
}

}  // namespace

TProxyGroup::TProxyGroup(TProxies& aProxies, IDialogs& aDialogs, TProxyCommands::TLogFn aLog,
                         TTextFn aTestURL, TTextFn aUserAgent, QString aInitialDir,
                         QWidget* aParent)
    : QGroupBox(QStringLiteral(" Прокси "), aParent),
      FProxies(aProxies),
      FCommands(aProxies, aDialogs, std::move(aLog)),
      FTestURL(std::move(aTestURL)),
      FUserAgent(std::move(aUserAgent)),
      FInitialDir(std::move(aInitialDir))
{
    setObjectName(QStringLiteral("gbProxies"));
    FTester = [this](const TProxy& aProxy) { return TestWithoutFreezing(aProxy); };

    FModel = new TProxyListModel(aProxies, this);
    lbProxies = new QTableView(this);
    lbProxies->setObjectName(QStringLiteral("lbProxies"));
    lbProxies->setAccessibleName(QStringLiteral("Список прокси"));
    lbProxies->setModel(FModel);
    lbProxies->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbProxies->setSelectionBehavior(QAbstractItemView::SelectRows);
    lbProxies->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbProxies->setWordWrap(false);
    lbProxies->setCornerButtonEnabled(false);
    lbProxies->verticalHeader()->hide();
    lbProxies->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lbProxies->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    lbProxies->horizontalHeader()->setHighlightSections(false);
    lbProxies->horizontalHeader()->resizeSection(TProxyListModel::pcHostAndPort, 110);
    // The second column fills the rest of the list, also when the window is resized.
    lbProxies->horizontalHeader()->setStretchLastSection(true);
    lbProxies->installEventFilter(this);
    connect(lbProxies, &QAbstractItemView::doubleClicked, this, [this] { btProxyEditClick(); });

    Label5 = new QLabel(QStringLiteral("Формат:  ip:port[:user:password]"), this);
    Label5->setObjectName(QStringLiteral("Label5"));

    cbUseProxies = new QCheckBox(QStringLiteral("Использовать прокси"), this);
    cbUseProxies->setObjectName(QStringLiteral("cbUseProxies"));
    btAddProxy4Clip = NewButton(this, "btAddProxy4Clip", "Добавить из буфера");
    btAddProxy4Txt = NewButton(this, "btAddProxy4Txt", "Добавить из файла...");
    btProxyEdit = NewButton(this, "btProxyEdit", "Изменить...");
    btDeleteProxy = NewButton(this, "btDeleteProxy", "Удалить выделенные");
    btClearProxies = NewButton(this, "btClearProxies", "Очистить");
    btTestProxies = NewButton(this, "btTestProxies", "Проверить все");
    TestProgress = new QProgressBar(this);
    TestProgress->setObjectName(QStringLiteral("TestProgress"));
    TestProgress->setAccessibleName(QStringLiteral("Проверка прокси"));
    TestProgress->setRange(0, 100);
    TestProgress->setValue(0);
    TestProgress->setTextVisible(false);

    connect(btAddProxy4Clip, &QPushButton::clicked, this, [this] { btAddProxy4ClipClick(); });
    connect(btAddProxy4Txt, &QPushButton::clicked, this, [this] { btAddProxy4TxtClick(); });
    connect(btProxyEdit, &QPushButton::clicked, this, [this] { btProxyEditClick(); });
    connect(btDeleteProxy, &QPushButton::clicked, this, [this] { btDeleteProxyClick(); });
    connect(btClearProxies, &QPushButton::clicked, this, [this] { btClearProxiesClick(); });
    connect(btTestProxies, &QPushButton::clicked, this, [this] { btTestProxiesClick(); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cbUseProxies);
    for (QPushButton* button : {btAddProxy4Clip, btAddProxy4Txt, btProxyEdit, btDeleteProxy,
                                btClearProxies, btTestProxies})
        buttons->addWidget(button);
    buttons->addWidget(TestProgress);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lbProxies, 0, 0);
    layout->addWidget(Label5, 1, 0);
    layout->addLayout(buttons, 0, 1, 2, 1);
    layout->setColumnStretch(0, 1);

    setTabOrder(lbProxies, cbUseProxies);
    QWidget* previous = cbUseProxies;
    for (QWidget* next : {static_cast<QWidget*>(btAddProxy4Clip), static_cast<QWidget*>(btAddProxy4Txt),
                          static_cast<QWidget*>(btProxyEdit), static_cast<QWidget*>(btDeleteProxy),
                          static_cast<QWidget*>(btClearProxies), static_cast<QWidget*>(btTestProxies)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

TProxyGroup::~TProxyGroup() = default;

void TProxyGroup::FillProxyList()
{
    FModel->Refill();
    // 110 pixels, or wider when a host and port would be cut.
    lbProxies->resizeColumnToContents(TProxyListModel::pcHostAndPort);
    QHeaderView* header = lbProxies->horizontalHeader();
    header->resizeSection(TProxyListModel::pcHostAndPort,
                          std::max(110, header->sectionSize(TProxyListModel::pcHostAndPort)));
}

void TProxyGroup::btAddProxy4ClipClick()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    if (FCommands.AddFromText(data->text()))
        FillProxyList();
}

void TProxyGroup::btAddProxy4TxtClick()
{
    if (FCommands.AddFromFile(FInitialDir))
        FillProxyList();
}

void TProxyGroup::btProxyEditClick()
{
    const QModelIndex focused = lbProxies->currentIndex();
    if (!focused.isValid())
        return;
    if (FCommands.Edit(focused.row()))
        FModel->RowChanged(focused.row());
}

void TProxyGroup::btDeleteProxyClick()
{
    std::vector<int> rows;
    for (const QModelIndex& index : lbProxies->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (FCommands.DeleteRows(rows))
        FillProxyList();
}

void TProxyGroup::btClearProxiesClick()
{
    FCommands.Clear();
    FillProxyList();
}

void TProxyGroup::btTestProxiesClick()
{
    if (FChecking)
        return;
    FChecking = true;
    FStopRequested = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool removed = FCommands.CheckAll(
        FTester, [this](int aPercent) { SetProgress(aPercent); },
        [this] { return FStopRequested; });
    QApplication::restoreOverrideCursor();
    if (removed)
        FillProxyList();
    FChecking = false;
    emit checkFinished();
}

bool TProxyGroup::TestWithoutFreezing(const TProxy& aProxy) const
{
    // The thread works on a copy: it never touches the list or a widget.
    const TProxy proxy = aProxy;
    const QString url = FTestURL ? FTestURL() : QString();
    const QString userAgent = FUserAgent ? FUserAgent() : QString();
    bool passed = false;
    QEventLoop loop;
    std::thread check([&] {
        passed = proxy.Test(url, userAgent);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    check.join();
    return passed;
}

void TProxyGroup::SetProgress(int aPercent)
{
    TestProgress->setValue(aPercent);
    TestProgress->repaint();
}

bool TProxyGroup::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    if (aWatched == lbProxies && aEvent->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(aEvent)->key();
        if (key == Qt::Key_Space) {
            btProxyEditClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            btDeleteProxyClick();
            return true;
        }
    }
    return QGroupBox::eventFilter(aWatched, aEvent);
}

void TProxyGroup::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::LanguageChange)
        FModel->Retranslate();
    QGroupBox::changeEvent(aEvent);
}
