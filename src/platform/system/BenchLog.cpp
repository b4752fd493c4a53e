#include "platform/system/BenchLog.h"

namespace platform {

Q_LOGGING_CATEGORY(lcBench, "skerrywind.bench", QtWarningMsg)

}  // namespace platform
