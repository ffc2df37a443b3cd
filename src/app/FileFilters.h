#pragma once

#include <QString>

// "Text|*.ext|Text|*.*" to Qt's "Text (*.ext *.EXT);;Text (*)": "*.*" means
// every file, and archives made on other systems often carry upper-case
// extensions, so both cases are offered.
QString ToQtFilter(const QString& filter);
