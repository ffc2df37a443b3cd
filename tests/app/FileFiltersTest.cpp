#include <gtest/gtest.h>

#include "app/Dialogs.h"
#include "app/FileFilters.h"

TEST(FileFilters, PairsBecomeQtFiltersWithBothCasesAndAllFiles)
{
    EXPECT_EQ(ToQtFilter("Файл DIR (*.dir)|*.dir|Все файлы|*.*"), "Файл DIR (*.dir *.DIR);;Все файлы (*)");
    EXPECT_EQ(ToQtFilter("Архивы Grand Theft Auto (*.img)|*.img|Архивы Syberia 2 (*.syb)|*.syb|"
                         "Архивы Harry Potter and the Goblet of Fire (*.big)|*.big|Все файлы (*.*)|*.*"),
              "Архивы Grand Theft Auto (*.img *.IMG);;Архивы Syberia 2 (*.syb *.SYB);;"
              "Архивы Harry Potter and the Goblet of Fire (*.big *.BIG);;Все файлы (*)");
    EXPECT_EQ(ToQtFilter("Точечный рисунок (*.bmp)|*.bmp"), "Точечный рисунок (*.bmp *.BMP)");
    EXPECT_EQ(ToQtFilter("Две|*.a;*.b"), "Две (*.a *.A *.b *.B)");
    EXPECT_EQ(ToQtFilter(""), "");
}

TEST(FileFilters, TheWindowsDialogsAndTheirFilters)
{
    EXPECT_EQ(DialogFilter(EntryFilesDialog), "Все файлы|*.*");
    EXPECT_TRUE(EntryFilesDialog.severalFiles);
    EXPECT_FALSE(OpenArchiveDialog.severalFiles);
    EXPECT_EQ(DialogFilter(TextureExportDialog), "Точечный рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png");
    EXPECT_EQ(ToQtFilter(DialogFilter(TextureExportDialog)), "Точечный рисунок (*.bmp *.BMP);;Рисунок PNG (*.png *.PNG)");
    EXPECT_EQ(DialogFilter(PlacementTextDialog), "Текстовый IPL (*.ipl)|*.ipl");
    EXPECT_EQ(DialogName(ExtractDialog), "SaveDialog1");
}
