#pragma once

#include <QLoggingCategory>

// The application's own log: subsystem "org.tavrix.Tavrix", category "Tavrix".
Q_DECLARE_LOGGING_CATEGORY(lcTavrix)
