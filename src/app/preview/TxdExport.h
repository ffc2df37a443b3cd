// Saving a texture, or its alpha mask, as a BMP file: the "TXD" page's
// context menu.
#pragma once

#include <string>

#include "preview/TextureDecode.h"
#include "preview/TextureDictionary.h"

class Prompts;
class QWidget;

// Asks where (offering the texture's name, or its mask name in mask mode),
// adds ".bmp" to a name without an extension, decodes the texture at its
// own size from the archive and writes it. Nothing is written when the
// dialog is cancelled.
void ExportTexture(QWidget* owner, Prompts& prompts, const std::string& archivePath, const korvane::TTextureInfo& t,
                   korvane::TDecodeMode mode);
