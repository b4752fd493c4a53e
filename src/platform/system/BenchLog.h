#pragma once
// The "skerrywind.bench" logging category: off unless the environment turns
// it on (QT_LOGGING_RULES="skerrywind.bench.info=true"), so an ordinary run
// pays one flag test per call. tools/bench turns it on to see, with a
// timestamp, when a window's title changes.
#include <QLoggingCategory>

namespace platform {

Q_DECLARE_LOGGING_CATEGORY(lcBench)

}  // namespace platform
