#pragma once

#include <QString>

#include <filesystem>

// Paths cross between Qt and the conversion core only through these two, so that names
// with characters outside ASCII keep their meaning on every platform.
std::filesystem::path toPath(const QString& path);
QString toQString(const std::filesystem::path& path);
