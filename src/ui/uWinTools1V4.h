// The option reader over Qt's argument list (the reader itself is the
// core's).
#pragma once

#include "controller/uWinTools1V4.h"

#include <QStringList>

// The program arguments as 8-bit strings in the local encoding.
std::vector<std::string> programArguments(const QStringList& args);

// getOption over Qt's argument list.
QString getOption(const QString& key, const QString& def, const QStringList& args);
