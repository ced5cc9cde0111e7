#include "ui/model/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString P = QStringLiteral("PARAMS");

QByteArray ReadAll(const QString& aName)
{
    QFile file(aName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& aName, const QByteArray& aBytes)
{
    QFile file(aName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(aBytes);
}

}  // namespace

TEST(IniFile, WritingReplacesOneKeyInPlaceAndKeepsEverythingElse)
{
    TIniFile ini;
    ini.SetText(QStringLiteral("; my settings\n[PARAMS]\nzeta=1\nalpha=2\n; a comment\n\n[OTHER]\nkey=x\n"));
    ini.WriteInteger(P, QStringLiteral("alpha"), 7);
    ini.WriteString(P, QStringLiteral("user-agent"), QStringLiteral("Mozilla/5.0 (compatible; x, y)"));
    ini.WriteBool(QStringLiteral("Third"), QStringLiteral("flag"), true);
    EXPECT_EQ(ini.Text().toStdString(),
              "; my settings\n[PARAMS]\nzeta=1\nalpha=7\n; a comment\n"
              "user-agent=Mozilla/5.0 (compatible; x, y)\n\n[OTHER]\nkey=x\n\n[Third]\nflag=1\n");
}

TEST(IniFile, NamesIgnoreAsciiCaseAndValuesAreTrimmed)
{
    TIniFile ini;
    ini.SetText(QStringLiteral("[params]\r\n  Max-Threads = 7 \r\n"));
    EXPECT_EQ(ini.ReadInteger(P, QStringLiteral("max-threads"), 5), 7);
    ini.WriteInteger(P, QStringLiteral("MAX-THREADS"), 9);
    // The file's own line ends stay.
    EXPECT_EQ(ini.Text().toStdString(), "[params]\r\nMAX-THREADS=9\r\n");
}

TEST(IniFile, ValuesReadByType)
{
    TIniFile ini;
    ini.SetText(QStringLiteral("[PARAMS]\nhex=0x1F\nneg=-12\nbad=12abc\nempty=\nbig=99999999999\n"
                               "on=2\noff=0\nword=yes\n; commented=5\n"));
    const struct {
        const char* Key;
        int Expected;
    } integers[] = {{"hex", 31}, {"neg", -12}, {"bad", 42}, {"empty", 42}, {"big", 42},
                    {"missing", 42}, {"commented", 42}};
    for (const auto& c : integers)
        EXPECT_EQ(ini.ReadInteger(P, QString::fromLatin1(c.Key), 42), c.Expected) << c.Key;
    EXPECT_TRUE(ini.ReadBool(P, QStringLiteral("on"), false));
    EXPECT_FALSE(ini.ReadBool(P, QStringLiteral("off"), true));
    EXPECT_TRUE(ini.ReadBool(P, QStringLiteral("word"), true));  // not a number: the default
    EXPECT_FALSE(ini.ReadBool(P, QStringLiteral("word"), false));
}

TEST(IniFile, LongStringsAreCutAndLineBreaksCannotAddKeys)
{
    TIniFile ini;
    ini.WriteString(P, QStringLiteral("s"), QString(3000, u'a'));
    EXPECT_EQ(ini.ReadString(P, QStringLiteral("s"), {}).size(), 2047);
    ini.WriteString(P, QStringLiteral("s"), QStringLiteral("x\nlang=de\r\n"));
    EXPECT_FALSE(ini.KeyExists(P, QStringLiteral("lang")));
    EXPECT_EQ(ini.ReadString(P, QStringLiteral("s"), {}), QStringLiteral("x lang=de"));
}

TEST(IniFile, SavingKeepsTheOldFileWhenTheWriteFails)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    WriteAll(name, "[PARAMS]\nlang=en\n");
    TIniFile ini;
    ASSERT_TRUE(ini.Load(name));
    ini.WriteString(P, QStringLiteral("lang"), QStringLiteral("ru"));
    // A folder in the way of the temporary file makes the write fail.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    EXPECT_FALSE(ini.Save(dir.filePath(QStringLiteral("sub"))));
    EXPECT_TRUE(ini.Save(name));
    EXPECT_EQ(ReadAll(name).toStdString(), "[PARAMS]\nlang=ru\n");
}

TEST(IniFile, ForeignBytesSurviveARewrite)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Tollmarsh.ini"));
    // A Windows-1251 comment is not UTF-8: it comes back byte for byte.
    WriteAll(name, "; \xcf\xf0\xe8\xe2\xe5\xf2\r\n[PARAMS]\r\nlang=ru\r\n");
    TIniFile ini;
    ASSERT_TRUE(ini.Load(name));
    ini.WriteInteger(P, QStringLiteral("max-threads"), 3);
    ASSERT_TRUE(ini.Save(name));
    EXPECT_EQ(ReadAll(name), QByteArray("; \xcf\xf0\xe8\xe2\xe5\xf2\r\n[PARAMS]\r\nlang=ru\r\nmax-threads=3\r\n"));
}
