#pragma once
// The proxy group gbProxies of the options page: the list view lbProxies and
// the buttons of the proxy commands. The commands themselves are
// TProxyCommands; this group shows the list and forwards clicks and keys.

#include "proxies/ProxyCommands.h"

#include <QGroupBox>
#include <functional>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class TProxyListModel;

class TProxyGroup : public QGroupBox {
    Q_OBJECT
public:
    using TTextFn = std::function<QString()>;

    // aTestURL and aUserAgent give the proxy-test URL and the User-Agent of the
    // latest run when a check starts; aInitialDir is where the file dialog opens.
    TProxyGroup(TProxies& aProxies, IDialogs& aDialogs, TProxyCommands::TLogFn aLog,
                TTextFn aTestURL, TTextFn aUserAgent, QString aInitialDir,
                QWidget* aParent = nullptr);
    ~TProxyGroup() override;

    void FillProxyList();
    bool IsChecking() const { return FChecking; }
    // The window is closing: end the check after the proxy being checked now.
    void RequestStop() { FStopRequested = true; }

    // Replaces the real check of one proxy (tests).
    void SetTester(TProxyCommands::TTester aTester) { FTester = std::move(aTester); }

    QCheckBox* cbUseProxies;

    void btAddProxy4ClipClick();
    void btAddProxy4TxtClick();
    void btProxyEditClick();
    void btDeleteProxyClick();
    void btClearProxiesClick();
    void btTestProxiesClick();

signals:
    void checkFinished();

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;
    void changeEvent(QEvent* aEvent) override;

private:
    // The check of one proxy on a thread of its own while the window keeps
    // painting (user input waits until the check is over).
    bool TestWithoutFreezing(const TProxy& aProxy) const;
    void SetProgress(int aPercent);

    TProxies& FProxies;
    TProxyCommands FCommands;
    TTextFn FTestURL;
    TTextFn FUserAgent;
    QString FInitialDir;
    TProxyCommands::TTester FTester;
    bool FChecking = false;
    bool FStopRequested = false;

    TProxyListModel* FModel;
    QTableView* lbProxies;
    QLabel* Label5;
    QPushButton* btAddProxy4Clip;
    QPushButton* btAddProxy4Txt;
    QPushButton* btProxyEdit;
    QPushButton* btDeleteProxy;
    QPushButton* btClearProxies;
    QPushButton* btTestProxies;
    QProgressBar* TestProgress;
};
