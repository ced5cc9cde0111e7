#include "json/JsonParser.h"

#include <QHash>

namespace {

// The root container is depth 1; a container at depth 1001 is refused.
constexpr size_t kMaxDepth = 1000;

[[noreturn]] void SyntaxError()
{
    throw EJsonException(QStringLiteral("Error while parsing text"));
}

[[noreturn]] void RootError()
{
    throw EJsonException(QStringLiteral("Root node must be an array or object"));
}

enum class TTok { End, LBrace, RBrace, LBracket, RBracket, Colon, Comma, Null, False, True, String, Number };

struct TToken {
    TTok Kind = TTok::End;
    qsizetype Start = 0;
    qsizetype Length = 0;
};

bool IsDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char16_t c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Splits the text into tokens; a malformed token is a syntax error.
class TLexer {
public:
    explicit TLexer(const QString& aText) : FText(aText), FData(aText.constData()), FSize(aText.size()) {}

    // The first character that is not white space, or 0 at the end.
    char16_t PeekAfterSpace()
    {
        SkipSpace();
        return FPos < FSize ? FData[FPos].unicode() : 0;
    }

    qsizetype Position() const { return FPos; }

    TToken Next()
    {
        SkipSpace();
        TToken token;
        token.Start = FPos;
        if (FPos >= FSize)
            return token;
        const char16_t c = FData[FPos].unicode();
        switch (c) {
        case '{': token.Kind = TTok::LBrace; ++FPos; break;
        case '}': token.Kind = TTok::RBrace; ++FPos; break;
        case '[': token.Kind = TTok::LBracket; ++FPos; break;
        case ']': token.Kind = TTok::RBracket; ++FPos; break;
        case ':': token.Kind = TTok::Colon; ++FPos; break;
        case ',': token.Kind = TTok::Comma; ++FPos; break;
        case '"': token.Kind = TTok::String; ScanString(); break;
        case 'n': token.Kind = TTok::Null; ScanWord(u"null"); break;
        case 'f': token.Kind = TTok::False; ScanWord(u"false"); break;
        case 't': token.Kind = TTok::True; ScanWord(u"true"); break;
        default:
            if (c != '-' && !IsDigit(c))
                SyntaxError();
            token.Kind = TTok::Number;
            ScanNumber();
        }
        token.Length = FPos - token.Start;
        return token;
    }

    QString Text(const TToken& aToken) const { return FText.mid(aToken.Start, aToken.Length); }

private:
    const QString& FText;
    const QChar* FData;
    qsizetype FSize;
    qsizetype FPos = 0;

    char16_t At(qsizetype aPos) const { return aPos < FSize ? FData[aPos].unicode() : 0; }

    void SkipSpace()
    {
        while (FPos < FSize && FData[FPos].unicode() >= 0x01 && FData[FPos].unicode() <= 0x20)
            ++FPos;
    }

    void ScanWord(const char16_t* aWord)
    {
        for (; *aWord; ++aWord, ++FPos) {
            if (At(FPos) != *aWord)
                SyntaxError();
        }
    }

    void SkipDigits()
    {
        if (!IsDigit(At(FPos)))
            SyntaxError();
        while (IsDigit(At(FPos)))
            ++FPos;
    }

    void ScanNumber()
    {
        if (At(FPos) == '-')
            ++FPos;
        SkipDigits();
        if (At(FPos) == '.') {
            ++FPos;
            SkipDigits();
        }
        if (At(FPos) == 'e' || At(FPos) == 'E') {
            ++FPos;
            if (At(FPos) == '+' || At(FPos) == '-')
                ++FPos;
            SkipDigits();
        }
    }

    static bool IsForbiddenInString(char16_t c) { return c == 0 || c == '\n' || c == '\r'; }

    void ScanString()
    {
        ++FPos;  // opening quote
        for (;;) {
            if (FPos >= FSize)
                SyntaxError();
            const char16_t c = FData[FPos].unicode();
            if (c == '"') {
                ++FPos;
                return;
            }
            if (IsForbiddenInString(c))
                SyntaxError();
            ++FPos;
            if (c != '\\')
                continue;
            if (FPos >= FSize || IsForbiddenInString(FData[FPos].unicode()))
                SyntaxError();
            if (FData[FPos].unicode() == 'u') {
                for (int i = 1; i <= 4; ++i) {
                    if (!IsHexDigit(At(FPos + i)))
                        SyntaxError();
                }
                FPos += 4;
            }
            ++FPos;
        }
    }
};

// One open container; objects remember their member names so that a repeated
// name finds its earlier member without a scan.
struct TFrame {
    TJsonNode* Node;
    QHash<QString, size_t> Members;
    bool AfterValue = false;
};

}  // namespace

void TJsonParser::ParseInto(TJsonNode& aRoot, const QString& aJson)
{
    aRoot.FChildren.clear();
    aRoot.FValue.clear();
    aRoot.FKind = nkObject;
    TLexer lexer(aJson);
    try {
        const char16_t first = lexer.PeekAfterSpace();
        if (first != '{' && first != '[')
            RootError();
        aRoot.FKind = lexer.Next().Kind == TTok::LBrace ? nkObject : nkArray;

        std::vector<TFrame> stack;
        stack.push_back({&aRoot, {}});
        while (!stack.empty()) {
            TFrame& frame = stack.back();
            const bool isObject = frame.Node->FKind == nkObject;
            const TTok close = isObject ? TTok::RBrace : TTok::RBracket;
            TToken token = lexer.Next();
            if (token.Kind == close) {
                stack.pop_back();
                continue;
            }
            if (frame.AfterValue) {
                if (token.Kind != TTok::Comma)
                    SyntaxError();
                frame.AfterValue = false;
                continue;
            }

            // A member or element: find or make its node.
            auto& children = frame.Node->FChildren;
            auto child = std::make_unique<TJsonNode>();
            child->FParent = frame.Node;
            TJsonNode* node = child.get();
            if (isObject) {
                if (token.Kind != TTok::String)
                    SyntaxError();
                child->FName = TJsonNode::DecodeString(lexer.Text(token));
                if (lexer.Next().Kind != TTok::Colon)
                    SyntaxError();
                token = lexer.Next();
                const auto known = frame.Members.constFind(child->FName);
                if (known != frame.Members.constEnd()) {
                    children[known.value()] = std::move(child);  // replaces the earlier value in place
                } else {
                    frame.Members.insert(child->FName, children.size());
                    children.push_back(std::move(child));
                }
            } else {
                child->FName = QString::number(children.size());
                children.push_back(std::move(child));
            }
            frame.AfterValue = true;

            switch (token.Kind) {
            case TTok::LBrace:
            case TTok::LBracket:
                if (stack.size() >= kMaxDepth)
                    SyntaxError();
                node->FKind = token.Kind == TTok::LBrace ? nkObject : nkArray;
                stack.push_back({node, {}});  // invalidates frame
                break;
            case TTok::Null: node->FKind = nkNull; node->FValue = lexer.Text(token); break;
            case TTok::False:
            case TTok::True: node->FKind = nkBool; node->FValue = lexer.Text(token); break;
            case TTok::String: node->FKind = nkString; node->FValue = lexer.Text(token); break;
            case TTok::Number: node->FKind = nkNumber; node->FValue = lexer.Text(token); break;
            default: SyntaxError();
            }
        }
        if (lexer.Next().Kind != TTok::End)
            SyntaxError();
    } catch (EJsonException& error) {
        aRoot.FChildren.clear();
        aRoot.FValue.clear();
        aRoot.FKind = nkObject;
        error.SetPosition(lexer.Position());
        throw;
    } catch (...) {
        aRoot.FChildren.clear();
        aRoot.FValue.clear();
        aRoot.FKind = nkObject;
        throw;
    }
}
