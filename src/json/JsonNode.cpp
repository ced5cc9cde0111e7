#include "json/JsonNode.h"
#include "json/JsonParser.h"
#include "json/JsonText.h"

#include <cmath>

namespace {

const char* const kNotContainer = "Node is not a container";
const char* const kOutOfBounds = "Index out of bounds";

bool IsContainer(TJsonNodeKind aKind)
{
    return aKind == nkObject || aKind == nkArray;
}

// Reads a path step as an array index: decimal digits only.
int ArrayIndex(QStringView aStep)
{
    if (aStep.isEmpty() || aStep.size() > 9)
        return -1;
    int index = 0;
    for (const QChar c : aStep) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        index = index * 10 + (c.unicode() - '0');
    }
    return index;
}

// The value text a new node of a non-container kind starts with.
QString DefaultValue(TJsonNodeKind aKind)
{
    switch (aKind) {
    case nkBool: return QStringLiteral("false");
    case nkNull: return QStringLiteral("null");
    case nkNumber: return QStringLiteral("0");
    case nkString: return QStringLiteral("\"\"");
    default: return QString();
    }
}

}  // namespace

EJsonException::EJsonException(const QString& aMessage)
    : std::runtime_error(aMessage.toStdString()), FMessage(aMessage)
{
}

TJsonNode::TJsonNode() = default;

TJsonNode::~TJsonNode()
{
    // Tear the subtree down without recursion: a tree built by Add may be
    // deeper than the stack allows.
    std::vector<std::unique_ptr<TJsonNode>> pending = std::move(FChildren);
    while (!pending.empty()) {
        std::unique_ptr<TJsonNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->FChildren)
            pending.push_back(std::move(child));
        node->FChildren.clear();
    }
}

int TJsonNode::Count() const
{
    return int(FChildren.size());
}

TJsonNode* TJsonNode::Child(int Index) const
{
    if (!IsContainer(FKind))
        throw EJsonException(QString::fromLatin1(kNotContainer));
    if (Index < 0 || size_t(Index) >= FChildren.size())
        throw EJsonException(QString::fromLatin1(kOutOfBounds));
    return FChildren[size_t(Index)].get();
}

TJsonNode* TJsonNode::Find(const QString& Path) const
{
    const TJsonNode* node = this;
    QStringView rest(Path);
    if (rest.startsWith(QLatin1Char('/'))) {
        while (node->FParent)
            node = node->FParent;
        rest = rest.mid(1);
    }
    if (rest.isEmpty())
        return const_cast<TJsonNode*>(node);
    qsizetype from = 0;
    for (;;) {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'), from);
        const QStringView step = rest.mid(from, slash < 0 ? -1 : slash - from);
        const TJsonNode* next = nullptr;
        if (node->FKind == nkObject) {
            for (const auto& child : node->FChildren) {
                if (child->FName == step) {
                    next = child.get();
                    break;
                }
            }
        } else if (node->FKind == nkArray) {
            const int index = ArrayIndex(step);
            if (index >= 0 && size_t(index) < node->FChildren.size())
                next = node->FChildren[size_t(index)].get();
        }
        if (!next)
            return nullptr;
        node = next;
        if (slash < 0)
            break;
        from = slash + 1;
    }
    return const_cast<TJsonNode*>(node);
}

QString TJsonNode::AsString() const
{
    return FKind == nkString ? DecodeString(FValue) : QString();
}

double TJsonNode::AsNumber() const
{
    return FKind == nkNumber ? JsonText::ReadNumber(FValue) : 0.0;
}

bool TJsonNode::AsBoolean() const
{
    return FKind == nkBool && FValue == QLatin1String("true");
}

TJsonNode* TJsonNode::Add(const QString& Name, TJsonNodeKind Kind)
{
    TJsonNode* child = NewChild(Name);
    child->FKind = Kind;
    child->FValue = DefaultValue(Kind);
    return child;
}

TJsonNode* TJsonNode::Add(const QString& Name, const QString& Text)
{
    TJsonNode* child = NewChild(Name);
    child->FKind = nkString;
    child->FValue = EncodeString(Text);
    return child;
}

TJsonNode* TJsonNode::Add(const QString& Name, double Number)
{
    TJsonNode* child = NewChild(Name);
    if (std::isfinite(Number)) {
        child->FKind = nkNumber;
        child->FValue = JsonText::WriteNumber(Number);
    } else {
        // JSON has no literal for infinities or NaN.
        child->FKind = nkNull;
        child->FValue = QStringLiteral("null");
    }
    return child;
}

TJsonNode* TJsonNode::NewChild(const QString& aName)
{
    if (!IsContainer(FKind))
        throw EJsonException(QString::fromLatin1(kNotContainer));
    if (FKind == nkObject) {
        for (auto& child : FChildren) {
            if (child->FName == aName) {
                child->FChildren.clear();
                child->FValue.clear();
                return child.get();
            }
        }
    }
    auto child = std::make_unique<TJsonNode>();
    child->FParent = this;
    child->FName = FKind == nkArray ? QString::number(FChildren.size()) : aName;
    FChildren.push_back(std::move(child));
    return FChildren.back().get();
}

QString TJsonNode::AsJson() const
{
    if (!IsContainer(FKind))
        return FValue;
    // Written without recursion, like the destructor, for trees of any depth.
    struct TStep {
        const TJsonNode* Node;
        size_t Next;
    };
    QString out;
    std::vector<TStep> stack;
    out += FKind == nkObject ? QLatin1Char('{') : QLatin1Char('[');
    stack.push_back({this, 0});
    while (!stack.empty()) {
        TStep& top = stack.back();
        if (top.Next == top.Node->FChildren.size()) {
            out += top.Node->FKind == nkObject ? QLatin1Char('}') : QLatin1Char(']');
            stack.pop_back();
            continue;
        }
        if (top.Next > 0)
            out += QLatin1Char(',');
        const TJsonNode* child = top.Node->FChildren[top.Next++].get();
        if (top.Node->FKind == nkObject) {
            out += EncodeString(child->FName);
            out += QLatin1Char(':');
        }
        if (IsContainer(child->FKind)) {
            out += child->FKind == nkObject ? QLatin1Char('{') : QLatin1Char('[');
            stack.push_back({child, 0});
        } else {
            out += child->FValue;
        }
    }
    return out;
}

void TJsonNode::Parse(const QString& Json)
{
    TJsonParser::ParseInto(*this, Json);
}
