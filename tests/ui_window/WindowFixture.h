#pragma once
// The main window in a temporary folder that stands for the executable's
// directory (with the message catalogues linked in), the recording dialogs,
// and helpers that find controls by object name.

#include "RecordingDialogs.h"
#include "core/Translate.h"
#include "ui/window/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

class WindowTest : public ::testing::Test {
protected:
    static constexpr int RussianSystem = 0x0419;
    static constexpr int EnglishSystem = 0x0409;

    QTemporaryDir Dir;
    TRecordingDialogs Dialogs;
    std::vector<QUrl> OpenedUrls;
    std::unique_ptr<TfmMain> Window;

    void SetUp() override { LinkCatalogues(); }
    void TearDown() override
    {
        Window.reset();
        SetTranslationLanguage(QStringLiteral("ru"));
    }

    QString Path(const char* aName) const { return Dir.filePath(QString::fromUtf8(aName)); }
    void LinkCatalogues() { QFile::link(CatalogueDir(), Path("locale")); }

    void WriteFile(const char* aName, const QByteArray& aBytes)
    {
        QFile file(Path(aName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
    }
    QByteArray ReadFile(const char* aName) const
    {
        QFile file(Path(aName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Creates and shows the window, and lets the posted start-up line arrive.
    TfmMain& Start(int aSystemLanguageId = RussianSystem)
    {
        TMainWindowSetup setup;
        setup.ExeDir = Dir.path();
        setup.SystemLanguageId = aSystemLanguageId;
        setup.Dialogs = &Dialogs;
        setup.OpenUrl = [this](const QUrl& aUrl) { OpenedUrls.push_back(aUrl); };
        Window = std::make_unique<TfmMain>(setup);
        Window->show();
        QApplication::processEvents();
        return *Window;
    }
    void Close()
    {
        Window->close();
        QApplication::processEvents();
    }

    template <class T = QWidget>
    T* Find(const char* aName) const
    {
        T* found = Window->findChild<T*>(QString::fromLatin1(aName));
        EXPECT_NE(found, nullptr) << aName;
        return found;
    }
};
