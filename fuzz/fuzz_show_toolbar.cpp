// The stored "Show Toolbar" text: any input gives a truth value or a type
// mismatch, never anything else; what is written reads back the same.
#include "platform/system/AppError.h"
#include "settings/mdlGlobals.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const bool value = mdlGlobals::ShowToolbarValue(text);
        if (mdlGlobals::ShowToolbarValue(mdlGlobals::ShowToolbarText(value)) != value)
            std::abort();
    } catch (const platform::AppError& e) {
        if (e.Number() != platform::errTypeMismatch)
            std::abort();
    }
    return 0;
}
