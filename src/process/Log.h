#pragma once

#include <QLoggingCategory>
#include <QString>

#include <cstdio>

// The application's own log: subsystem "org.tavrix.Tavrix", category "Tavrix".
Q_DECLARE_LOGGING_CATEGORY(lcTavrix)

// Short diagnostic lines (tool command lines, editing events) go to standard output by default. A
// front end whose standard output carries results (tavrix-cli) sends them elsewhere or nowhere (nullptr).
void setDiagnosticStream(std::FILE *stream);
// Writes `line` and a newline as one write; safe from any thread.
void writeDiagnostic(const QString &line);
