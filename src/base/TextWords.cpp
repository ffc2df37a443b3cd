#include "base/TextWords.h"

namespace korvane {

const TTextWords RussianWords = {
    "байт", "КБ", "МБ", "ГБ",
    ColumnCaptions,
    "вершин", "полигонов",
    "моделей", "граней",
    "Часть",
    "Проверка завершена",
    "Некорректное имя файла", "В именах файлов не рекомендуется употреблять подобные символы",
    "Найдены дубликаты!", "Выделенные файлы имеют одинаковые имена",
    "Данная строка не найдена.",
};

const TTextWords EnglishWords = {
    "bytes", "KB", "MB", "GB",
    {"#", "Name", "Address", "Size"},
    "vertices", "polygons",
    "models", "faces",
    "Part",
    "Check complete",
    "Invalid file name", "Such characters are not recommended in file names",
    "Duplicates found!", "The selected files have the same names",
    "The string was not found.",
};

}  // namespace korvane
