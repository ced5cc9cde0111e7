#include "TestFolder.h"
#include "core/RuleSets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kExampleSet(R"({"name":"Main","rules":[{"name":"Title","qtype":0,"query":"//h1","attr":"","etype":0}]})");

class RuleSetsFile : public ::testing::Test {
protected:
    TTestFolder FDir;
    QString Path(const char* aName = "Tollmarsh.json") const { return FDir.FilePath(QString::fromUtf8(aName)); }
    static QByteArray Read(const QString& aPath) { return TTestFolder::Read(aPath); }
    QString Write(const QByteArray& aBytes, const char* aName = "in.json") const
    {
        return FDir.Write(QString::fromUtf8(aName), aBytes);
    }
};

std::unique_ptr<TScrapRuleSet> ExampleSet()
{
    auto set = std::make_unique<TScrapRuleSet>();
    set->Name = QStringLiteral("Main");
    auto rule = std::make_unique<TScrapRule>();
    rule->Name = QStringLiteral("Title");
    rule->Query = QStringLiteral("//h1");
    set->Add(std::move(rule));
    return set;
}

// The five fields of every rule, set by set, as one comparable text.
QString Dump(const TScrapRuleSets& aSets)
{
    QString out;
    for (int i = 0; i < aSets.Count(); ++i) {
        const TScrapRuleSet* set = aSets.At(i);
        out += QStringLiteral("[%1]").arg(set->Name);
        for (int r = 0; r < set->Count(); ++r) {
            const TScrapRule* rule = set->Rule(r);
            out += QStringLiteral("(%1|%2|%3|%4|%5)")
                       .arg(rule->Name)
                       .arg(int(rule->QueryType))
                       .arg(rule->Query, rule->Attribute)
                       .arg(int(rule->ExtractType));
        }
    }
    return out;
}

TEST_F(RuleSetsFile, SavedBytesAreExact)
{
    TScrapRuleSets sets;
    ASSERT_TRUE(sets.SaveToFile(Path()));
    EXPECT_EQ(Read(Path()), kBom + "[\r\n]\r\n");

    sets.Add(ExampleSet());
    ASSERT_TRUE(sets.SaveToFile(Path()));
    EXPECT_EQ(Read(Path()), kBom + "[\r\n  " + kExampleSet + "\r\n]\r\n");

    auto second = std::make_unique<TScrapRuleSet>();
    second->Name = QStringLiteral(u"Второй");
    sets.Add(std::move(second));
    ASSERT_TRUE(sets.SaveToFile(Path()));
    EXPECT_EQ(Read(Path()), kBom + "[\r\n  " + kExampleSet + ",\r\n  " + QStringLiteral(u"{\"name\":\"Второй\",\"rules\":[]}").toUtf8()
                                + "\r\n]\r\n");
    EXPECT_EQ(sets.GetJSONString().toUtf8(), Read(Path()).mid(3));
}

TEST_F(RuleSetsFile, SaveLoadSaveGivesIdenticalBytes)
{
    TScrapRuleSets sets;
    sets.Add(ExampleSet());
    auto odd = std::make_unique<TScrapRuleSet>();
    odd->Name = QStringLiteral(u"Набор \"2\" \\ /");
    for (int i = 0; i < 3; ++i) {
        auto rule = std::make_unique<TScrapRule>();
        rule->Name = QStringLiteral(u"Правило %1\t").arg(i);
        rule->QueryType = TScrapQueryType(i == 2 ? 255 : i + 2);
        rule->Query = QStringLiteral(u"<div>\n\x1b{x}</div>\U0001F600");
        rule->Attribute = QStringLiteral("data-x");
        rule->ExtractType = TScrapExtractType(i);
        odd->Add(std::move(rule));
    }
    sets.Add(std::move(odd));
    sets.Add(std::make_unique<TScrapRuleSet>());
    ASSERT_TRUE(sets.SaveToFile(Path("a.json")));

    TScrapRuleSets loaded;
    ASSERT_TRUE(loaded.LoadFromFile(Path("a.json")));
    EXPECT_EQ(Dump(loaded), Dump(sets));
    ASSERT_TRUE(loaded.SaveToFile(Path("b.json")));
    EXPECT_EQ(Read(Path("b.json")), Read(Path("a.json")));
}

TEST_F(RuleSetsFile, LoadAcceptsOtherLayouts)
{
    struct TCase {
        const char* Label;
        QByteArray Bytes;
        const char* Dump;
    };
    const TCase cases[] = {
        {"no byte-order mark", "[" + kExampleSet + "]", "[Main](Title|0|//h1||0)"},
        {"root object read member by member",
         R"({"x":{"name":"A","rules":[]},"y":{"name":"B","rules":{"r":{"name":"n","query":"q","attr":"a","qtype":1,"etype":2}}}})",
         "[A][B](n|1|q|a|2)"},
        {"trailing commas", kBom + R"([{"name":"A","rules":[{"name":"n","query":"","attr":"","qtype":0,"etype":0},],},])",
         "[A](n|0|||0)"},
        {"numbers truncated to their low 8 bits",
         R"([{"name":"A","rules":[{"name":"n","query":"","attr":"","qtype":2.7,"etype":-1},
             {"name":"m","query":"","attr":"","qtype":300,"etype":-2.9},
             {"name":"k","query":"","attr":"","qtype":1e18,"etype":-9223372036854775808}]}])",
         "[A](n|2|||255)(m|44|||254)(k|0|||0)"},
        {"wrong kinds read as empty or 0",
         R"([{"name":5,"rules":[{"name":null,"query":[],"attr":{},"qtype":"1","etype":true}]}])", "[](|0|||0)"},
        {"rules that are neither array nor object", R"([{"name":"A","rules":"x"},{"name":"B","rules":null}])", "[A][B]"},
        {"same names kept", R"([{"name":"A","rules":[]},{"name":"A","rules":[]}])", "[A][A]"},
        {"empty list", "[]", ""},
    };
    for (const auto& c : cases) {
        TScrapRuleSets sets;
        EXPECT_TRUE(sets.LoadFromFile(Write(c.Bytes))) << c.Label;
        EXPECT_EQ(Dump(sets), QString::fromUtf8(c.Dump)) << c.Label;
    }
}

TEST_F(RuleSetsFile, FailedLoadKeepsWhatWasReadBeforeTheFault)
{
    struct TCase {
        const char* Label;
        QByteArray Bytes;
        const char* Dump;
    };
    const QByteArray good = R"({"name":"G","rules":[{"name":"g","query":"q","attr":"","qtype":1,"etype":1}]})";
    const TCase cases[] = {
        {"not JSON", "[{", ""},
        {"not a document", "\"x\"", ""},
        {"invalid UTF-8", "[" + good + ",{\"name\":\"\xC3\x28\",\"rules\":[]}]", ""},
        {"UTF-16 is not recognised", QByteArray("\xFF\xFE[\0]\0", 6), ""},
        {"set without rules", "[" + good + R"(,{"name":"A"},{"name":"B","rules":[]}])", "[G](g|1|q||1)[A]"},
        {"set without name", "[" + good + R"(,{"rules":[]}])", "[G](g|1|q||1)[]"},
        {"child of the root not an object", "[" + good + ",[1]]", "[G](g|1|q||1)"},
        {"rule not an object", R"([{"name":"A","rules":[1]}])", "[A]"},
        {"rule without attr", R"([{"name":"A","rules":[{"name":"n","query":"q","qtype":1,"etype":1}]}])", "[A](n|0|q||0)"},
        {"rule without etype", R"([{"name":"A","rules":[{"name":"n","query":"q","attr":"t","qtype":3}]}])",
         "[A](n|3|q|t|0)"},
        {"qtype beyond 64 bits", R"([{"name":"A","rules":[{"name":"n","query":"q","attr":"","qtype":1e19,"etype":1}]}])",
         "[A](n|0|q||0)"},
        {"etype overflowing a double", R"([{"name":"A","rules":[{"name":"n","query":"q","attr":"","qtype":4,"etype":-1e999}]}])",
         "[A](n|4|q||0)"},
    };
    for (const auto& c : cases) {
        TScrapRuleSets sets;
        sets.Add(ExampleSet());  // dropped by every load
        EXPECT_FALSE(sets.LoadFromFile(Write(c.Bytes))) << c.Label;
        EXPECT_EQ(Dump(sets), QString::fromUtf8(c.Dump)) << c.Label;
    }
    TScrapRuleSets sets;
    sets.Add(ExampleSet());
    EXPECT_FALSE(sets.LoadFromFile(Path("missing.json")));
    EXPECT_EQ(sets.Count(), 0);
}

TEST_F(RuleSetsFile, FailedSaveKeepsThePreviousFile)
{
    TScrapRuleSets sets;
    sets.Add(ExampleSet());
    ASSERT_TRUE(sets.SaveToFile(Path()));
    const QByteArray before = Read(Path());
    // A folder cannot be written as a file; a missing folder cannot hold one.
    ASSERT_TRUE(QDir(FDir.Path()).mkdir(QStringLiteral("sub")));
    EXPECT_FALSE(sets.SaveToFile(Path("sub")));
    EXPECT_FALSE(sets.SaveToFile(Path("nowhere/Tollmarsh.json")));
    // A read-only folder refuses the temporary file; the old copy stays whole.
    ASSERT_TRUE(QFile::setPermissions(FDir.Path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    sets.Add(ExampleSet());
    const bool saved = sets.SaveToFile(Path());
    QFile::setPermissions(FDir.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!saved) {  // root may write anyway
        EXPECT_EQ(Read(Path()), before);
    }
    // No temporary file is left behind either way.
    EXPECT_EQ(QDir(FDir.Path()).entryList(QDir::Files), QStringList{QStringLiteral("Tollmarsh.json")});
}

TEST(RuleSetsLookup, NamesFoldOnlyLatinLetters)
{
    TScrapRuleSets sets;
    for (const char* name : {"Main", "Цены", "main", "Ab-1"}) {
        auto set = std::make_unique<TScrapRuleSet>();
        set->Name = QString::fromUtf8(name);
        sets.Add(std::move(set));
    }
    struct TCase {
        const char* Name;
        int Index;
    };
    const TCase cases[] = {{"Main", 0}, {"MAIN", 0}, {"main", 0}, {"Цены", 1}, {"ЦЕНЫ", -1}, {"цены", -1},
                           {"aB-1", 3}, {"Ab-2", -1}, {"Mai", -1}, {"", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(sets.GetNdxByName(QString::fromUtf8(c.Name)), c.Index) << c.Name;
        EXPECT_EQ(sets.GetByName(QString::fromUtf8(c.Name)), c.Index < 0 ? nullptr : sets.At(c.Index)) << c.Name;
    }
}

}  // namespace
