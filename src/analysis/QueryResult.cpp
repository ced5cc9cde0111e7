// The query library's JSON answer turned into a value list.

#include "analysis/PageAnalysis.h"

#include "core/Translate.h"
#include "json/JsonNode.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

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
