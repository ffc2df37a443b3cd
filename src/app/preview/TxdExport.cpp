#include "app/preview/TxdExport.h"

#include "app/Dialogs.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "base/FileIO.h"
#include "base/NameCodec.h"
#include "ops/TextureOps.h"

using namespace korvane;

void SaveTextureAs(QWidget* owner, Prompts& prompts, const TEntryBytes& bytes, const TTextureInfo& t,
                   TDecodeMode mode)
{
    int filter = 0;
    QString path = prompts.SaveFile(owner, DialogName(TextureExportDialog), DialogFilter(TextureExportDialog),
                                    QString::fromStdString(Cp1251ToUtf8(mode == dmMask ? t.MaskName : t.Name)),
                                    &filter);
    if (path.isEmpty()) return;
    // A ".png" or ".bmp" the user typed decides; otherwise the chosen filter.
    TPictureFormat format = filter == 1 ? TPictureFormat::Png : TPictureFormat::Bmp;
    if (!HasExtension(path))
        path += format == TPictureFormat::Png ? QStringLiteral(".png") : QStringLiteral(".bmp");
    else if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        format = TPictureFormat::Png;
    else if (path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive))
        format = TPictureFormat::Bmp;
    ops::ExportTexture(bytes, t, mode, format, LocalPath(path));
}
