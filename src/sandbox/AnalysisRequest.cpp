#include "sandbox/AnalysisRequest.h"

#include <QDataStream>
#include <QIODevice>
#include <QSysInfo>

namespace {

constexpr qint32 kRequestVersion = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
// Both ends run on this machine: its own order spares swapping every character.
constexpr QDataStream::ByteOrder kByteOrder =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? QDataStream::LittleEndian : QDataStream::BigEndian;

}  // namespace

QByteArray EncodeRequest(const TAnalysisRequest& aRequest)
{
    QByteArray bytes;
    bytes.reserve(aRequest.Body.size() + aRequest.Text.size() * 2 + 4096);
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out.setByteOrder(kByteOrder);
    out << kRequestVersion << qint32(aRequest.Form) << aRequest.Body << aRequest.ContentType << aRequest.Text
        << aRequest.ChkUnique << qint32(aRequest.RuleBudgetMs) << aRequest.Language << qint32(aRequest.Rules.size());
    for (const TScrapRule& rule : aRequest.Rules)
        out << rule.Name << qint32(rule.QueryType) << rule.Query << rule.Attribute << qint32(rule.ExtractType);
    return bytes;
}

std::optional<TAnalysisRequest> DecodeRequest(const QByteArray& aBytes)
{
    QDataStream in(aBytes);
    in.setVersion(kStreamVersion);
    in.setByteOrder(kByteOrder);
    qint32 version = 0, form = 0, budget = 0, count = 0;
    TAnalysisRequest request;
    in >> version;
    if (version != kRequestVersion)
        return std::nullopt;
    in >> form >> request.Body >> request.ContentType >> request.Text >> request.ChkUnique >> budget >> request.Language
       >> count;
    if (in.status() != QDataStream::Ok || (form != pfBody && form != pfText) || count < 0)
        return std::nullopt;
    request.Form = TPageForm(form);
    request.RuleBudgetMs = budget;
    for (qint32 i = 0; i < count; ++i) {
        TScrapRule rule;
        qint32 type = 0, extract = 0;
        in >> rule.Name >> type >> rule.Query >> rule.Attribute >> extract;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        rule.QueryType = TScrapQueryType(type);
        rule.ExtractType = TScrapExtractType(extract);
        request.Rules.push_back(std::move(rule));
    }
    return request;
}

QByteArray EncodeOutcome(const TRuleOutcome& aOutcome)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out.setByteOrder(kByteOrder);
    out << aOutcome.Applied << aOutcome.HasList << aOutcome.Values << aOutcome.Failure
        << qint32(aOutcome.LibraryStatus);
    return bytes;
}

std::optional<TRuleOutcome> DecodeOutcome(const QByteArray& aBytes)
{
    QDataStream in(aBytes);
    in.setVersion(kStreamVersion);
    in.setByteOrder(kByteOrder);
    TRuleOutcome outcome;
    qint32 status = 0;
    in >> outcome.Applied >> outcome.HasList >> outcome.Values >> outcome.Failure >> status;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    outcome.LibraryStatus = status;
    return outcome;
}
