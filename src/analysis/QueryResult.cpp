// The query library's JSON answer turned into a value list.

#include "analysis/PageAnalysis.h"

#include "core/Translate.h"
#include "json/JsonNode.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace {

constexpr int kSignificantDigits = 15;
// Below 1E-5 in magnitude, and from 1E15 on, numbers are written in scientific form.
constexpr int kMinFixedExponent = -5;

bool IsIntegerToken(const QString& aToken)
{
    qsizetype i = aToken.startsWith(u'-') ? 1 : 0;
    if (i >= aToken.size())
        return false;
    for (; i < aToken.size(); ++i) {
        if (aToken.at(i) < u'0' || aToken.at(i) > u'9')
            return false;
    }
    return true;
}

// The general form of a finite, nonzero value with kSignificantDigits digits.
QString GeneralForm(double aValue, const QString& aDecimalPoint)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, aValue,
                                         std::chars_format::scientific, kSignificantDigits - 1);
    if (ec != std::errc())
        return QString::number(aValue, 'g', kSignificantDigits);
    // "-d.dddddddddddddde-XX": split into sign, digits and exponent.
    const QByteArray text(buffer, end - buffer);
    const qsizetype ePos = text.indexOf('e');
    const bool negative = text.startsWith('-');
    QByteArray digits = text.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    digits.replace(".", "");
    const int exponent = text.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QString result = negative ? QStringLiteral("-") : QString();
    if (exponent < kMinFixedExponent || exponent >= kSignificantDigits) {
        result += QChar(digits.at(0));
        if (digits.size() > 1)
            result += aDecimalPoint + QString::fromLatin1(digits.mid(1));
        result += QStringLiteral("E") + QString::number(exponent);
        return result;
    }
    if (exponent < 0) {
        result += QStringLiteral("0") + aDecimalPoint + QString(-exponent - 1, u'0')
                  + QString::fromLatin1(digits);
        return result;
    }
    const qsizetype integerDigits = exponent + 1;
    if (digits.size() <= integerDigits)
        return result + QString::fromLatin1(digits) + QString(integerDigits - digits.size(), u'0');
    return result + QString::fromLatin1(digits.left(integerDigits)) + aDecimalPoint
           + QString::fromLatin1(digits.mid(integerDigits));
}

// A value of a flat result array, as the general parse would give it.
struct TFlatValue {
    enum { Text, Number, Bool, Null } Kind;
    QString Value;  // decoded text, number token, or "True"/"False"
};

// The query library answers with a flat array of strings, numbers and booleans.
// This reads exactly that shape straight from the text, without building a JSON
// tree (a large share of the time of a small query). False for anything else
// (objects, nested arrays, \u escapes, malformed text): the general parse then
// decides, so results and error lines stay the same.
class TFlatArrayReader {
public:
    explicit TFlatArrayReader(const QString& aText) : FData(aText.constData()), FSize(aText.size()) {}

    bool Read(std::vector<TFlatValue>& aValues)
    {
        if (Peek() != u'[')
            return false;
        ++FPos;
        if (Peek() == u']') {
            ++FPos;
            return Peek() == 0 && FPos >= FSize;
        }
        for (;;) {
            TFlatValue value{TFlatValue::Null, {}};
            if (!ReadValue(value))
                return false;
            aValues.push_back(std::move(value));
            const char16_t next = Peek();
            ++FPos;
            if (next == u']')
                return Peek() == 0 && FPos >= FSize;
            if (next != u',')
                return false;
        }
    }

private:
    const QChar* FData;
    qsizetype FSize;
    qsizetype FPos = 0;

    char16_t At(qsizetype aPos) const { return aPos < FSize ? FData[aPos].unicode() : 0; }

    // The next character after white space (as the JSON parser skips it), 0 at the end.
    char16_t Peek()
    {
        while (FPos < FSize && FData[FPos].unicode() >= 0x01 && FData[FPos].unicode() <= 0x20)
            ++FPos;
        return At(FPos);
    }

    bool ReadValue(TFlatValue& aValue)
    {
        switch (Peek()) {
        case u'"': aValue.Kind = TFlatValue::Text; return ReadString(aValue.Value);
        case u't': aValue.Kind = TFlatValue::Bool; aValue.Value = QStringLiteral("True"); return ReadWord(u"true");
        case u'f': aValue.Kind = TFlatValue::Bool; aValue.Value = QStringLiteral("False"); return ReadWord(u"false");
        case u'n': aValue.Kind = TFlatValue::Null; return ReadWord(u"null");
        default: aValue.Kind = TFlatValue::Number; return ReadNumber(aValue.Value);
        }
    }

    bool ReadWord(std::u16string_view aWord)
    {
        for (const char16_t c : aWord) {
            if (At(FPos++) != c)
                return false;
        }
        return true;
    }

    bool ReadDigits()
    {
        const qsizetype start = FPos;
        while (At(FPos) >= u'0' && At(FPos) <= u'9')
            ++FPos;
        return FPos > start;
    }

    // The JSON parser's number grammar; the token text is kept as it is.
    bool ReadNumber(QString& aToken)
    {
        const qsizetype start = FPos;
        if (At(FPos) == u'-')
            ++FPos;
        if (!ReadDigits())
            return false;
        if (At(FPos) == u'.') {
            ++FPos;
            if (!ReadDigits())
                return false;
        }
        if (At(FPos) == u'e' || At(FPos) == u'E') {
            ++FPos;
            if (At(FPos) == u'+' || At(FPos) == u'-')
                ++FPos;
            if (!ReadDigits())
                return false;
        }
        aToken = QString(FData + start, FPos - start);
        return true;
    }

    // Plain runs are copied whole; only the simple escapes are decoded here.
    bool ReadString(QString& aText)
    {
        ++FPos;  // opening quote
        qsizetype runStart = FPos;
        for (;;) {
            if (FPos >= FSize)
                return false;
            const char16_t c = FData[FPos].unicode();
            if (c == u'"') {
                aText.append(FData + runStart, FPos - runStart);
                ++FPos;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c != u'\\') {
                ++FPos;
                continue;
            }
            aText.append(FData + runStart, FPos - runStart);
            char16_t decoded;
            switch (At(FPos + 1)) {
            case u'"': decoded = u'"'; break;
            case u'\\': decoded = u'\\'; break;
            case u'/': decoded = u'/'; break;
            case u'b': decoded = 0x08; break;
            case u'f': decoded = 0x0C; break;
            case u'n': decoded = 0x0A; break;
            case u'r': decoded = 0x0D; break;
            case u't': decoded = 0x09; break;
            default: return false;
            }
            aText.append(QChar(decoded));
            FPos += 2;
            runStart = FPos;
        }
    }
};

}  // namespace

QString FormatResultNumber(const QString& aToken, const QString& aDecimalPoint)
{
    const QString token = aToken.trimmed();
    if (IsIntegerToken(token)) {
        bool ok = false;
        const qlonglong whole = token.toLongLong(&ok);
        // Beyond 64 bits the digits are written exactly as the library sent them.
        return ok ? QString::number(whole) : token;
    }
    bool ok = false;
    const double value = token.toDouble(&ok);  // always with a point, whatever the locale
    if (!ok || !std::isfinite(value))
        return token;
    if (value == 0)
        return QStringLiteral("0");
    // 2^63: every integral double below it fits a 64-bit integer.
    constexpr double kInt64Bound = 9223372036854775808.0;
    if (std::trunc(value) == value && std::fabs(value) < kInt64Bound)
        return QString::number(qint64(value));
    return GeneralForm(value, aDecimalPoint);
}

std::unique_ptr<TSRStringList> ParseQueryResult(const QString& aResultText, bool bChkUnique)
{
    auto list = std::make_unique<TSRStringList>();
    const QString trimmed = aResultText.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("null"))
        return list;

    std::vector<TFlatValue> values;
    if (TFlatArrayReader(aResultText).Read(values)) {
        const QString decimalPoint = QLocale::system().decimalPoint();
        for (const TFlatValue& value : values) {
            switch (value.Kind) {
            case TFlatValue::Text:
            case TFlatValue::Bool: list->AddResult(value.Value, bChkUnique); break;
            case TFlatValue::Number: list->AddResult(FormatResultNumber(value.Value, decimalPoint), bChkUnique); break;
            case TFlatValue::Null: break;
            }
        }
        return list;
    }

    TJsonNode root;
    try {
        root.Parse(aResultText);
    } catch (const EJsonException& e) {
        list->Append(Tr("ОШИБКА разбора JSON ответа: ") + e.Message());
        return list;
    } catch (const std::exception& e) {
        list->Append(Tr("ОШИБКА разбора JSON ответа: ") + QString::fromUtf8(e.what()));
        return list;
    }
    if (root.Kind() != nkArray) {
        list->Append(Tr("ОШИБКА JSON ответа: не массив"));
        return list;
    }

    const QString decimalPoint = QLocale::system().decimalPoint();
    const int count = root.Count();
    for (int i = 0; i < count; ++i) {
        const TJsonNode* element = root.Child(i);
        switch (element->Kind()) {
        case nkBool:
            list->AddResult(element->AsBoolean() ? QStringLiteral("True") : QStringLiteral("False"),
                            bChkUnique);
            break;
        case nkNumber:
            list->AddResult(FormatResultNumber(element->Value(), decimalPoint), bChkUnique);
            break;
        case nkString:
            list->AddResult(element->AsString(), bChkUnique);
            break;
        default:
            break;  // objects, arrays and nulls carry no value
        }
    }
    return list;
}
