#include "app/TranslatedWords.h"

TTranslatedWords::TTranslatedWords()
{
    // The core's RussianWords, spelt out here so that lupdate finds them.
    const QString texts[] = {
        tr("байт"), tr("КБ"), tr("МБ"), tr("ГБ"),
        tr("№"), tr("Имя"), tr("Адрес"), tr("Размер"),
        tr("вершин"), tr("полигонов"),
        tr("моделей"), tr("граней"),
        tr("Часть"),
        tr("Проверка завершена"),
        tr("Некорректное имя файла"), tr("В именах файлов не рекомендуется употреблять подобные символы"),
        tr("Найдены дубликаты!"), tr("Выделенные файлы имеют одинаковые имена"),
        tr("Данная строка не найдена."),
    };
    static_assert(std::size(texts) == std::tuple_size_v<decltype(text_)>);
    for (size_t k = 0; k < text_.size(); ++k) text_[k] = texts[k].toStdString();
    const auto& t = text_;
    words_ = {t[0], t[1], t[2], t[3], {t[4], t[5], t[6], t[7]}, t[8], t[9], t[10], t[11], t[12], t[13], t[14], t[15], t[16], t[17], t[18]};
}
