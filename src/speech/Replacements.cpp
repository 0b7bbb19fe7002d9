#include "speech/Replacements.h"

namespace orasent {

QString applyReplacementList(const QString& text, const QString&, const std::function<void()>&)
{
    return text;
}

}  // namespace orasent
