#pragma once
// JSON document tree: parsed from text, walked, extended and written back compactly.
// Reads the rule-set and proxies files and the query library's result texts.

#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

enum TJsonNodeKind : unsigned char { nkObject, nkArray, nkBool, nkNull, nkNumber, nkString };

// The one exception of the JSON layer; what() is UTF-8 of Message().
class EJsonException : public std::runtime_error {
public:
    explicit EJsonException(const QString& aMessage);
    QString Message() const { return FMessage; }
    // Where the parser stopped: an index into the parsed text, -1 when unknown.
    qsizetype Position() const { return FPosition; }
    void SetPosition(qsizetype aPosition) { FPosition = aPosition; }

private:
    QString FMessage;
    qsizetype FPosition = -1;
};

class TJsonNode {
public:
    TJsonNode();  // a root: an empty object without parent
    ~TJsonNode();
    TJsonNode(const TJsonNode&) = delete;
    TJsonNode& operator=(const TJsonNode&) = delete;

    // Replaces this root's content; throws EJsonException, leaving no children, on any error.
    void Parse(const QString& Json);

    TJsonNodeKind Kind() const { return FKind; }
    const QString& Name() const { return FName; }
    const QString& Value() const { return FValue; }  // token text of value nodes, empty for containers
    TJsonNode* Parent() const { return FParent; }

    int Count() const;
    TJsonNode* Child(int Index) const;          // throws "Node is not a container" / "Index out of bounds"
    TJsonNode* Find(const QString& Path) const; // nullptr when nothing matches; never throws

    QString AsString() const;   // decoded text of a string node, else empty
    double AsNumber() const;    // number node read with a point, else 0
    bool AsBoolean() const;     // true only for `true`

    TJsonNode* Add(const QString& Name, TJsonNodeKind Kind);  // nkObject or nkArray
    TJsonNode* Add(const QString& Name, const QString& Text);
    TJsonNode* Add(const QString& Name, const char* Text) { return Add(Name, QString::fromUtf8(Text)); }
    TJsonNode* Add(const QString& Name, double Number);

    QString AsJson() const;  // compact text, no white space

    // The string literal of a text, quotes included, with the escapes of this model.
    static QString EncodeString(const QString& Text);
    // The text of a string literal (quotes included), with escapes resolved.
    static QString DecodeString(const QString& Literal);

private:
    // Implementation-defined; children are owned.
    TJsonNode* NewChild(const QString& aName);  // appends, or empties the same-named member of an object
    TJsonNodeKind FKind = nkObject;
    QString FName;
    QString FValue;
    TJsonNode* FParent = nullptr;
    std::vector<std::unique_ptr<TJsonNode>> FChildren;
    friend class TJsonParser;
};
