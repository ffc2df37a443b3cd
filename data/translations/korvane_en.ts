<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TAboutBox</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Просмотр и правка архивов игр
Команда Korvane, 2026</source>
        <translation>Viewing and editing game archives
The Korvane team, 2026</translation>
    </message>
</context>
<context>
    <name>TColPage</name>
    <message>
        <source>Теневая сетка</source>
        <translation>Shadow mesh</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Версия</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Сфер</source>
        <translation>Spheres</translation>
    </message>
    <message>
        <source>Коробок</source>
        <translation>Boxes</translation>
    </message>
    <message>
        <source>Граней</source>
        <translation>Faces</translation>
    </message>
    <message>
        <source>Модели столкновений</source>
        <translation>Collision models</translation>
    </message>
</context>
<context>
    <name>TDffPage</name>
    <message>
        <source>Части модели</source>
        <translation>Model parts</translation>
    </message>
    <message>
        <source>Как в игре</source>
        <translation>As in game</translation>
    </message>
    <message>
        <source>Экспорт в glTF...</source>
        <translation>Export to glTF...</translation>
    </message>
</context>
<context>
    <name>TEditCommands</name>
    <message numerus="yes">
        <source>импорт %n файла</source>
        <translation>
            <numerusform>importing %n file</numerusform>
            <numerusform>importing %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>импорт %n файлов</source>
        <translation>
            <numerusform>importing %n file</numerusform>
            <numerusform>importing %n files</numerusform>
        </translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Повторить</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Отменить: %1</source>
        <translation>Undo: %1</translation>
    </message>
    <message>
        <source>Повторить: %1</source>
        <translation>Redo: %1</translation>
    </message>
    <message>
        <source>переименование записи</source>
        <translation>renaming an entry</translation>
    </message>
    <message>
        <source>замена записи</source>
        <translation>replacing an entry</translation>
    </message>
    <message>
        <source>изменение текстуры</source>
        <translation>changing a texture</translation>
    </message>
    <message>
        <source>Ранние изменения забыты: история отмены ограничена 64 МБ</source>
        <translation>The earliest changes are forgotten: the undo history is limited to 64 MB</translation>
    </message>
    <message numerus="yes">
        <source>добавление %n записи</source>
        <translation>
            <numerusform>adding %n entry</numerusform>
            <numerusform>adding %n entries</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>добавление %n записей</source>
        <translation>
            <numerusform>adding %n entry</numerusform>
            <numerusform>adding %n entries</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>удаление %n записи</source>
        <translation>
            <numerusform>deleting %n entry</numerusform>
            <numerusform>deleting %n entries</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>удаление %n записей</source>
        <translation>
            <numerusform>deleting %n entry</numerusform>
            <numerusform>deleting %n entries</numerusform>
        </translation>
    </message>
    <message>
        <source>Правка</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Переименовать</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Извлечь...</source>
        <translation>Extract...</translation>
    </message>
    <message>
        <source>Заменить...</source>
        <translation>Replace...</translation>
    </message>
    <message>
        <source>Добавить...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>Импортировать...</source>
        <translation>Import...</translation>
    </message>
    <message>
        <source>Импортировать папку...</source>
        <translation>Import Folder...</translation>
    </message>
    <message>
        <source>Укажите папку, файлы которой вы хотите импортировать:</source>
        <translation>Choose the folder whose files you want to import:</translation>
    </message>
    <message>
        <source>Импорт</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Будут заменены и добавлены эти файлы:</source>
        <translation>These files will be replaced and added:</translation>
    </message>
    <message>
        <source>Заменить: %1</source>
        <translation>Replace: %1</translation>
    </message>
    <message>
        <source>Добавить: %1</source>
        <translation>Add: %1</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Файл %1|*.%1|Все файлы|*.*</source>
        <translation>%1 file|*.%1|All files|*.*</translation>
    </message>
    <message>
        <source>Укажите папку, в которую вы хотите извлечь выбранные файлы:</source>
        <translation>Choose the folder to extract the selected files into:</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить эти файлы?</source>
        <translation>Do you really want to delete these files?</translation>
    </message>
    <message>
        <source>Подтверждение удаления</source>
        <translation>Confirm deletion</translation>
    </message>
</context>
<context>
    <name>TFileDialog</name>
    <message>
        <source>Архивы Grand Theft Auto (*.img)|*.img|Архивы Syberia 2 (*.syb)|*.syb|Архивы Harry Potter and the Goblet of Fire (*.big)|*.big|Все файлы (*.*)|*.*</source>
        <translation>Grand Theft Auto archives (*.img)|*.img|Syberia 2 archives (*.syb)|*.syb|Harry Potter and the Goblet of Fire archives (*.big)|*.big|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>Файл DIR (*.dir)|*.dir|Все файлы|*.*</source>
        <translation>DIR file (*.dir)|*.dir|All files|*.*</translation>
    </message>
    <message>
        <source>Все файлы|*.*</source>
        <translation>All files|*.*</translation>
    </message>
    <message>
        <source>Рисунки (*.png;*.bmp)|*.png;*.bmp</source>
        <translation>Pictures (*.png;*.bmp)|*.png;*.bmp</translation>
    </message>
    <message>
        <source>Точечный рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png</source>
        <translation>Bitmap (*.bmp)|*.bmp|PNG picture (*.png)|*.png</translation>
    </message>
    <message>
        <source>Текстовый IPL (*.ipl)|*.ipl</source>
        <translation>Text IPL (*.ipl)|*.ipl</translation>
    </message>
</context>
<context>
    <name>TFindDialog</name>
    <message>
        <source>Найти</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Что:</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>Только слово целиком</source>
        <translation>Match whole word only</translation>
    </message>
    <message>
        <source>С учетом регистра</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>Найти далее</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TIfpPage</name>
    <message>
        <source>Анимация</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>Костей</source>
        <translation>Bones</translation>
    </message>
    <message>
        <source>Ключей</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>Секунд</source>
        <translation>Seconds</translation>
    </message>
    <message>
        <source>Кость</source>
        <translation>Bone</translation>
    </message>
    <message>
        <source>Вид ключей</source>
        <translation>Key kind</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Анимации</source>
        <translation>Animations</translation>
    </message>
    <message>
        <source>Кости анимации</source>
        <translation>Animation bones</translation>
    </message>
    <message>
        <source>поворот</source>
        <translation>rotation</translation>
    </message>
    <message>
        <source>поворот, сдвиг</source>
        <translation>rotation, translation</translation>
    </message>
    <message>
        <source>поворот, сдвиг, масштаб</source>
        <translation>rotation, translation, scale</translation>
    </message>
    <message>
        <source>%1 «%2», %3 анимаций</source>
        <translation>%1 “%2”, %3 animations</translation>
    </message>
    <message>
        <source>%1 анимаций</source>
        <translation>%1 animations</translation>
    </message>
</context>
<context>
    <name>TIplPage</name>
    <message>
        <source>Копировать</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Выделить всё</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>Сохранить как...</source>
        <translation>Save As...</translation>
    </message>
</context>
<context>
    <name>TMainWindow</name>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Открыть...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Файлы архива</source>
        <translation>Archive files</translation>
    </message>
    <message>
        <source>Файл &apos;%1&apos; не найден. Вы желаете указать его местоположение?</source>
        <translation>File &apos;%1&apos; was not found. Do you want to locate it?</translation>
    </message>
    <message>
        <source>Необходимый файл не найден</source>
        <translation>Required file not found</translation>
    </message>
    <message>
        <source>Загрузка...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>Загрузка: %1%</source>
        <translation>Loading: %1%</translation>
    </message>
    <message>
        <source>Загрузка завершена</source>
        <translation>Loading complete</translation>
    </message>
    <message>
        <source>Загрузка завершена (только чтение)</source>
        <translation>Loading complete (read-only)</translation>
    </message>
    <message>
        <source>Архив изменён другой программой. Список обновлён, повторите команду.</source>
        <translation>The archive was changed by another program. The list has been updated; please repeat the command.</translation>
    </message>
    <message>
        <source>Архив занят: другая программа изменяет его. Ничего не записано, повторите команду позже.</source>
        <translation>The archive is busy: another program is changing it. Nothing was written; please repeat the command later.</translation>
    </message>
    <message>
        <source>Архив изменён другой программой, список обновлён</source>
        <translation>Archive changed by another program, list updated</translation>
    </message>
</context>
<context>
    <name>TPaintButtons</name>
    <message>
        <source>Цвет 1</source>
        <translation>Colour 1</translation>
    </message>
    <message>
        <source>Цвет 2</source>
        <translation>Colour 2</translation>
    </message>
</context>
<context>
    <name>TPreviewHeader</name>
    <message>
        <source>имя файла</source>
        <translation>file name</translation>
    </message>
    <message>
        <source>размер</source>
        <translation>size</translation>
    </message>
</context>
<context>
    <name>TPreviewPane</name>
    <message>
        <source>Файлы не выбраны или их формат не поддерживается</source>
        <translation>No files selected, or their format is not supported</translation>
    </message>
</context>
<context>
    <name>TRenameDialog</name>
    <message>
        <source>Переименование</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Новое имя:</source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TSearchCommands</name>
    <message>
        <source>Поиск</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Найти...</source>
        <translation>Find...</translation>
    </message>
    <message>
        <source>Найти далее</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>Найти все</source>
        <translation>Find All</translation>
    </message>
    <message>
        <source>Показать результаты</source>
        <translation>Show Results</translation>
    </message>
    <message>
        <source>Данная строка не найдена.</source>
        <translation>The string was not found.</translation>
    </message>
    <message>
        <source>Подождите...</source>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>Отсеивание завершено</source>
        <translation>Filtering complete</translation>
    </message>
</context>
<context>
    <name>TServiceCommands</name>
    <message>
        <source>Сервис</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Перепаковать архив</source>
        <translation>Repack Archive</translation>
    </message>
    <message>
        <source>После перепаковки отменить сделанные изменения будет нельзя. Продолжить?</source>
        <translation>After repacking, the changes made can no longer be undone. Continue?</translation>
    </message>
    <message>
        <source>Проверить архив</source>
        <translation>Check Archive</translation>
    </message>
    <message>
        <source>Интеграция в контекстное меню Проводника</source>
        <translation>File Manager Context Menu Integration</translation>
    </message>
    <message>
        <source>Проверка...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>Проверка завершена</source>
        <translation>Check complete</translation>
    </message>
    <message>
        <source>Найдена ошибка</source>
        <translation>Error found</translation>
    </message>
</context>
<context>
    <name>TTranslatedWords</name>
    <message>
        <source>байт</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>КБ</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>МБ</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>ГБ</source>
        <translation>GB</translation>
    </message>
    <message>
        <source>№</source>
        <translation>#</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>вершин</source>
        <translation>vertices</translation>
    </message>
    <message>
        <source>полигонов</source>
        <translation>polygons</translation>
    </message>
    <message>
        <source>Часть</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>Проверка завершена</source>
        <translation>Check complete</translation>
    </message>
    <message>
        <source>Некорректное имя файла</source>
        <translation>Invalid file name</translation>
    </message>
    <message>
        <source>В именах файлов не рекомендуется употреблять подобные символы</source>
        <translation>Such characters are not recommended in file names</translation>
    </message>
    <message>
        <source>Найдены дубликаты!</source>
        <translation>Duplicates found!</translation>
    </message>
    <message>
        <source>Выделенные файлы имеют одинаковые имена</source>
        <translation>The selected files have the same names</translation>
    </message>
    <message>
        <source>Данная строка не найдена.</source>
        <translation>The string was not found.</translation>
    </message>
    <message>
        <source>моделей</source>
        <translation>models</translation>
    </message>
    <message>
        <source>граней</source>
        <translation>faces</translation>
    </message>
</context>
<context>
    <name>TTxdPage</name>
    <message>
        <source>0 текстур</source>
        <translation>0 textures</translation>
    </message>
    <message>
        <source>Прозрачность</source>
        <translation>Transparency</translation>
    </message>
    <message>
        <source>Сохранить...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>Сохранить маску...</source>
        <translation>Save Mask...</translation>
    </message>
    <message>
        <source>Заменить текстуру...</source>
        <translation>Replace Texture...</translation>
    </message>
    <message>
        <source>Добавить текстуру...</source>
        <translation>Add Texture...</translation>
    </message>
    <message>
        <source>Удалить текстуру</source>
        <translation>Delete Texture</translation>
    </message>
    <message>
        <source>%1 текстур</source>
        <translation>%1 textures</translation>
    </message>
    <message>
        <source>В рисунке есть прозрачные точки, поэтому текстура %1 сохранена в формате DXT3, а не DXT1</source>
        <translation>The picture has transparent pixels, so texture %1 was saved as DXT3, not DXT1</translation>
    </message>
</context>
</TS>
