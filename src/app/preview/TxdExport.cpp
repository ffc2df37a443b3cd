#include "app/preview/TxdExport.h"

#include "app/Dialogs.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "archive/FileIO.h"
#include "archive/NameCodec.h"
#include "preview/BmpWriter.h"

using namespace korvane;

void ExportTexture(QWidget* owner, Prompts& prompts, const std::string& archivePath, const TTextureInfo& t,
                   TDecodeMode mode)
{
    QString path = prompts.SaveFile(owner, DialogName(SaveDialog2), DialogFilter(SaveDialog2),
                                    QString::fromStdString(Cp1251ToUtf8(mode == dmMask ? t.MaskName : t.Name)));
    if (path.isEmpty()) return;
    if (!HasExtension(path)) path += QStringLiteral(".bmp");
    TFile file = TFile::OpenReadWrite(archivePath);
    file.Seek(t.DataPos);
    const TTextureBitmap bmp = BuildTextureBitmap(file, t, t.Width, t.Height, mode);
    WriteBmpFile(LocalPath(path), bmp);
    file.Close();
}
