#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

TQtTranslations::~TQtTranslations()
{
    if (FTranslator)
        QCoreApplication::removeTranslator(FTranslator.get());
}

bool TQtTranslations::Use(const QString& aCode)
{
    if (FTranslator) {
        QCoreApplication::removeTranslator(FTranslator.get());
        FTranslator.reset();
    }
    if (aCode.isEmpty() || aCode == QLatin1String("en"))
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + aCode,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    FTranslator = std::move(translator);
    return true;
}
