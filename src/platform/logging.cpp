#include "platform/logging.h"

Q_LOGGING_CATEGORY(lcApp, "teloq.app")
Q_LOGGING_CATEGORY(lcData, "teloq.data")
Q_LOGGING_CATEGORY(lcUi, "teloq.ui")
