// Saving a texture, or its alpha mask, as a picture file: the "TXD" page's
// context menu.
#pragma once

#include <string>

#include "archive/EntryBytes.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"

class Prompts;
class QWidget;

// Asks where (offering the texture's name, or its mask name in mask mode),
// decodes the texture at its own size from the dictionary's bytes and writes it as BMP
// or PNG: a ".png" or ".bmp" the user typed decides, otherwise the chosen
// filter, whose extension a name without one gets. Nothing is written when
// the dialog is cancelled.
void SaveTextureAs(QWidget* owner, Prompts& prompts, const korvane::TEntryBytes& bytes, const korvane::TTextureInfo& t,
                   korvane::TDecodeMode mode);
