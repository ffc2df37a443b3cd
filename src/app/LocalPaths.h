// File names between the window's strings and the file system's bytes.
#pragma once

#include <QFile>
#include <QString>
#include <string>

// The path as the file system spells it (in the locale's encoding), whole.
inline std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A file name has an extension when a "." follows its last "/".
inline bool HasExtension(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && dot > path.lastIndexOf(QLatin1Char('/'));
}
