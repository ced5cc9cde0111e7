#pragma once
// A temporary folder for one test, removed with its contents afterwards, so
// that no test writes into the source tree.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TTestFolder {
public:
    bool IsValid() const { return FDir.isValid(); }
    QString Path() const { return FDir.path(); }
    QString FilePath(const QString& aName) const { return FDir.filePath(aName); }

    // Writes aBytes to aName (a name relative to the folder), replacing it, and
    // gives its path.
    QString Write(const QString& aName, const QByteArray& aBytes) const
    {
        const QString path = FilePath(aName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(aBytes);
        return path;
    }

    // The bytes of a file; a file that cannot be read fails the test.
    static QByteArray Read(const QString& aPath)
    {
        QFile file(aPath);
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << aPath.toStdString();
            return QByteArray("<unreadable>");
        }
        return file.readAll();
    }

private:
    QTemporaryDir FDir;
};
