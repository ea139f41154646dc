#include "language/addedcaptions.h"

#include "language/languagecode.h"

namespace gravik::i18n {

QString captionIn(const CaptionPair &pair, const QString &code)
{
    return QString::fromUtf8(code == LanguageCode::Kazakh ? pair.kazakh : pair.russian);
}

} // namespace gravik::i18n
