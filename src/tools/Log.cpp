#include "tools/Log.h"

Q_LOGGING_CATEGORY(lcTavrix, "org.tavrix.Tavrix.Tavrix", QtInfoMsg)
