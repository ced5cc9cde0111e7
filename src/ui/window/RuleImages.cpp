#include "ui/window/RuleImages.h"

#include <QPixmap>

namespace {

// The marks sit on disabled buttons: the disabled state shows the same colours.
QIcon LoadIcon(const char* aName)
{
    const QPixmap pixmap(QStringLiteral(":/rules/") + QLatin1String(aName));
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    return icon;
}

}  // namespace

const TRuleImages& RuleImages()
{
    // the resources live in a static library: register them before the first use
    static const TRuleImages images = [] {
        Q_INIT_RESOURCE(RuleImages);
        return TRuleImages{LoadIcon("pngImageAccept"), LoadIcon("pngImageNotAccept"),
                           LoadIcon("pngImageTest"), LoadIcon("pngImageTrash")};
    }();
    return images;
}
