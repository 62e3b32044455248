<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>AboutBox</name>
    <message>
        <source>О программе...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Vornal Version 1.0</source>
        <translation>Vornal Version 1.0</translation>
    </message>
    <message>
        <source>Учёт рабочего времени.</source>
        <translation>Working time tracking.</translation>
    </message>
    <message>
        <source>© Разработчики Vornal.</source>
        <translation>© The Vornal developers.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>*</source>
        <translation>*</translation>
    </message>
</context>
<context>
    <name>AuthorBox</name>
    <message>
        <source>Об авторе...</source>
        <translation>About the author...</translation>
    </message>
    <message>
        <source>Vornal: учёт рабочего времени.</source>
        <translation>Vornal: working time tracking.</translation>
    </message>
    <message>
        <source>© Разработчики Vornal.</source>
        <translation>© The Vornal developers.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CalendarDialog</name>
    <message>
        <source>Производственный календарь</source>
        <translation>Working calendar</translation>
    </message>
    <message>
        <source>◀</source>
        <translation>◀</translation>
    </message>
    <message>
        <source>Предыдущий месяц</source>
        <translation>Previous month</translation>
    </message>
    <message>
        <source>▶</source>
        <translation>▶</translation>
    </message>
    <message>
        <source>Следующий месяц</source>
        <translation>Next month</translation>
    </message>
    <message>
        <source>Выделите дни и выберите в контекстном меню, какими они будут: перенесённый выходной, рабочий или сокращённый предпраздничный день.</source>
        <translation>Select days and choose in the context menu what they are: a moved day off, a working day or a shortened pre-holiday day.</translation>
    </message>
</context>
<context>
    <name>CorrectionDialog</name>
    <message>
        <source>Исправление интервала</source>
        <translation>Correct an interval</translation>
    </message>
    <message>
        <source>Login:</source>
        <translation>Login:</translation>
    </message>
    <message>
        <source>Вид:</source>
        <translation>Kind:</translation>
    </message>
    <message>
        <source>Рабочий день</source>
        <translation>Working day</translation>
    </message>
    <message>
        <source>Задание</source>
        <translation>Task</translation>
    </message>
    <message>
        <source>Начало:</source>
        <translation>Begin:</translation>
    </message>
    <message>
        <source>Конец:</source>
        <translation>End:</translation>
    </message>
    <message>
        <source>Причина:</source>
        <translation>Reason:</translation>
    </message>
    <message>
        <source>Исправление сохраняется в журнале исправлений вместе с прежним интервалом, временем, пользователем и причиной.</source>
        <translation>The correction is kept in the trail of corrections with the interval before it, the time, the user and the reason.</translation>
    </message>
</context>
<context>
    <name>DisplayText</name>
    <message>
        <source>%1: файл ещё открыт клиентом; полные строки внесены, остальное ждёт следующей обработки</source>
        <translation>%1: the file is still open by the client; complete lines were entered, the rest waits for the next processing</translation>
    </message>
    <message>
        <source>%1: файл, возможно, ещё дописывается; полные строки внесены, файл будет удалён, когда перестанет меняться</source>
        <translation>%1: the file may still be being written; complete lines were entered, the file will be removed when it stops changing</translation>
    </message>
    <message>
        <source>не обычный файл</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>символическая ссылка</source>
        <translation>a symbolic link</translation>
    </message>
    <message>
        <source>папка</source>
        <translation>a folder</translation>
    </message>
    <message>
        <source>канал FIFO</source>
        <translation>a FIFO</translation>
    </message>
    <message>
        <source>сокет</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>устройство</source>
        <translation>a device</translation>
    </message>
    <message>
        <source>%1: %2, не обычный файл; оставлен на месте</source>
        <translation>%1: %2, not a regular file; left in place</translation>
    </message>
    <message>
        <source>%1: файл не удалось открыть для чтения и записи (%2), оставлен на месте</source>
        <translation>%1: the file could not be opened for reading and writing (%2), left in place</translation>
    </message>
    <message>
        <source>%1: файл без права записи, оставлен на месте</source>
        <translation>%1: the file has no write permission, left in place</translation>
    </message>
    <message>
        <source>%1: файл не удалось взять в обработку (%2), оставлен на месте</source>
        <translation>%1: the file could not be taken for processing (%2), left in place</translation>
    </message>
    <message>
        <source>%1: файл подменён во время взятия в обработку, оставлен на месте</source>
        <translation>%1: the file was replaced while being taken for processing, left in place</translation>
    </message>
    <message>
        <source>%1: файл не удалось прочитать (%2), оставлен до следующей обработки</source>
        <translation>%1: the file could not be read (%2), left for the next processing</translation>
    </message>
    <message>
        <source>%1: файл сейчас обрабатывает другой запуск обработки, оставлен ему</source>
        <translation>%1: another processing run is collecting the file now; left to it</translation>
    </message>
    <message>
        <source>%1: файл кончается на середине строки; оставлен, пока строка не будет дописана или файл не перестанет меняться</source>
        <translation>%1: ends in the middle of a line; left until the line is finished or the file has not changed for the quiet period</translation>
    </message>
    <message>
        <source>%1: оставлен до следующей обработки, после более старого файла этой папки</source>
        <translation>%1: left for a later run, after the folder&apos;s older claimed file</translation>
    </message>
    <message>
        <source>%1: файл переписан клиентом; прочитан заново с начала, уже внесённые события пропущены</source>
        <translation>%1: rewritten by its client; read again from its start, the events applied before skipped</translation>
    </message>
    <message>
        <source>пустые строки</source>
        <translation>blank lines</translation>
    </message>
    <message>
        <source>неизвестное или пустое имя события</source>
        <translation>unknown or empty event name</translation>
    </message>
    <message>
        <source>неверные дата и время</source>
        <translation>invalid date and time</translation>
    </message>
    <message>
        <source>логин длиннее 100 символов</source>
        <translation>login longer than 100 characters</translation>
    </message>
    <message>
        <source>управляющие символы в логине</source>
        <translation>control characters in the login</translation>
    </message>
    <message>
        <source>строка длиннее 64 КиБ</source>
        <translation>line longer than 64 KiB</translation>
    </message>
    <message>
        <source>после метки конца файла (0x1A)</source>
        <translation>after the end-of-file mark (0x1A)</translation>
    </message>
    <message>
        <source>второе событие в строке</source>
        <translation>a second event in the line</translation>
    </message>
    <message>
        <source>время вне допустимых пределов</source>
        <translation>time out of range</translation>
    </message>
    <message>
        <source>недопустимый символ в логине</source>
        <translation>invalid character in the login</translation>
    </message>
    <message>
        <source>последняя строка без конца строки</source>
        <translation>last line without its line end</translation>
    </message>
    <message>
        <source>уже внесены раньше</source>
        <translation>already applied</translation>
    </message>
    <message>
        <source>Строка %1: папка %2 не существует, пропущена</source>
        <translation>Row %1: folder %2 does not exist, skipped</translation>
    </message>
    <message>
        <source>Строка %1: шаблону %2 сейчас не подходит ни одна папка</source>
        <translation>Row %1: no folder matches the pattern %2 now</translation>
    </message>
    <message>
        <source>Строка %1: %2 — символическая ссылка, по ней не переходим</source>
        <translation>Row %1: %2 is a symbolic link, not followed</translation>
    </message>
    <message>
        <source>Строка %1: папку %2 не удалось прочитать (%3), её папки пропущены</source>
        <translation>Row %1: folder %2 could not be read (%3); its folders are skipped</translation>
    </message>
    <message>
        <source>Событие </source>
        <translation>Event </translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Конец</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Всего</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Работник</source>
        <translation>Worker</translation>
    </message>
    <message>
        <source>Идет рабочий день</source>
        <translation>Working day in progress</translation>
    </message>
    <message>
        <source>Закончен рабочий день</source>
        <translation>Working day finished</translation>
    </message>
    <message>
        <source>Выполняется %1 задание</source>
        <translation>Task %1 in progress</translation>
    </message>
    <message>
        <source>Закончено %1 задание</source>
        <translation>Task %1 finished</translation>
    </message>
    <message>
        <source>%1 дней %2</source>
        <translation>%1 days %2</translation>
    </message>
    <message>
        <source> Всего отработано</source>
        <translation> Total worked</translation>
    </message>
    <message>
        <source> Общее рабочее время</source>
        <translation> Total working time</translation>
    </message>
    <message>
        <source>Дней</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>Работа</source>
        <translation>Work</translation>
    </message>
    <message>
        <source>Задания</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Итого</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Рабочее время</source>
        <translation>Working time</translation>
    </message>
    <message>
        <source>задание</source>
        <translation>task</translation>
    </message>
    <message>
        <source>рабочий день</source>
        <translation>working day</translation>
    </message>
    <message>
        <source>на работе с %1</source>
        <translation>at work since %1</translation>
    </message>
    <message>
        <source>был %1</source>
        <translation>last seen %1</translation>
    </message>
    <message>
        <source>Обработка выполнена</source>
        <translation>Processing done</translation>
    </message>
    <message>
        <source>

Обработано файлов: %1
Внесено событий: %2
Пропущено строк: %3</source>
        <translation>

Files processed: %1
Events entered: %2
Lines skipped: %3</translation>
    </message>
    <message>
        <source>
Отложено строк: %1 (список: vornal-cli rejected)</source>
        <translation>
Lines set aside: %1 (list: vornal-cli rejected)</translation>
    </message>
    <message>
        <source>
Файлов ждут закрытия клиентом или периода покоя: %1</source>
        <translation>
Files waiting for the client to close them or for a quiet period: %1</translation>
    </message>
    <message>
        <source>
Файлов не удалось обработать: %1</source>
        <translation>
Files that could not be processed: %1</translation>
    </message>
    <message>
        <source>... и ещё замечаний: %1 (все: vornal-cli process, vornal-cli status)</source>
        <translation>... and %1 more notes (all of them: vornal-cli process, vornal-cli status)</translation>
    </message>
    <message>
        <source>Всего отработано: %1      Общее рабочее время: %2</source>
        <translation>Total worked: %1      Total working time: %2</translation>
    </message>
    <message>
        <source>Рабочее время %1, задания %2</source>
        <translation>Working time %1, tasks %2</translation>
    </message>
    <message>
        <source>«?»: есть интервал без времени окончания.</source>
        <translation>“?”: an interval has no end time.</translation>
    </message>
    <message>
        <source>Обработка остановлена оператором.

Собрано папок: %1, не собрано: %2; несобранные файлы остались для следующей обработки.</source>
        <translation>Processing was stopped by the operator.

Folders collected: %1, not collected: %2; the files not collected are left for the next run.</translation>
    </message>
    <message>
        <source>Норма</source>
        <translation>Norm</translation>
    </message>
    <message>
        <source>Разница</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>Укажите причину исправления (не длиннее 250 знаков).</source>
        <translation>Give the reason for the correction (at most 250 characters).</translation>
    </message>
    <message>
        <source>Укажите login работника.</source>
        <translation>Give the person&apos;s login.</translation>
    </message>
    <message>
        <source>Конец интервала должен быть позже начала, но не более чем на сутки.</source>
        <translation>The interval must end after it begins, at most a day later.</translation>
    </message>
    <message>
        <source>Это не интервал рабочего дня или задания.</source>
        <translation>This is not an interval of a working day or a task.</translation>
    </message>
    <message>
        <source>Интервала больше нет: его удалили или изменили.</source>
        <translation>The interval is gone: it was removed or changed.</translation>
    </message>
    <message>
        <source>Интервал ещё не завершён: его ведёт обработка файлов клиента, пока клиент не завершит его. Исправить можно только завершённый интервал.</source>
        <translation>The interval is still going on: the processing of the client&apos;s files keeps it until the client stops it. Only a finished interval can be corrected.</translation>
    </message>
    <message>
        <source>Интервал пересекается с другим интервалом этого работника (№ %1): время не может учитываться дважды.</source>
        <translation>The interval overlaps another interval of this person (No. %1): time is never counted twice.</translation>
    </message>
    <message>
        <source>Интервал изменился после этого исправления; исправьте его заново.</source>
        <translation>The interval has changed since that correction; correct it anew.</translation>
    </message>
    <message>
        <source>Это исправление уже отменено (исправлением № %1).</source>
        <translation>This correction was undone already (by correction No. %1).</translation>
    </message>
    <message>
        <source>ничего не исправлено</source>
        <translation>nothing was corrected</translation>
    </message>
    <message>
        <source>Причина:</source>
        <translation>Reason:</translation>
    </message>
    <message>
        <source>Удаление интервала</source>
        <translation>Remove an interval</translation>
    </message>
    <message>
        <source>Отмена исправления</source>
        <translation>Undo a correction</translation>
    </message>
    <message>
        <source>Исправлено: %1</source>
        <translation>Corrected: %1</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>рабочий</source>
        <translation>working</translation>
    </message>
    <message>
        <source>сокращённый</source>
        <translation>short</translation>
    </message>
    <message>
        <source>выходной</source>
        <translation>day off</translation>
    </message>
    <message>
        <source>праздничный</source>
        <translation>holiday</translation>
    </message>
</context>
<context>
    <name>FoldersPage</name>
    <message>
        <source>Пути</source>
        <translation>Paths</translation>
    </message>
    <message>
        <source>Укажите пути до рабочих каталогов пользователей:</source>
        <translation>Enter the paths to the users&apos; working folders:</translation>
    </message>
</context>
<context>
    <name>GeneralPage</name>
    <message>
        <source>Общие</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Здесь могут быть Ваши настройки</source>
        <translation>Your settings could be here</translation>
    </message>
    <message>
        <source>&amp;Организация:</source>
        <translation>&amp;Organisation:</translation>
    </message>
    <message>
        <source>название для печатных форм</source>
        <translation>name for the printed forms</translation>
    </message>
    <message>
        <source>&amp;Период покоя файла:</source>
        <translation>File &amp;quiet period:</translation>
    </message>
    <message>
        <source>Файл main.buf, который кончается на середине строки и не меняется столько секунд, обрабатывается как законченный.</source>
        <translation>A main.buf that ends in the middle of a line and has not changed for this many seconds is processed as finished.</translation>
    </message>
    <message>
        <source>&amp;Язык:</source>
        <translation>&amp;Language:</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Vornal</source>
        <translation>Vornal</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Профессия</source>
        <translation>Profession</translation>
    </message>
    <message>
        <source>Возраст</source>
        <translation>Age</translation>
    </message>
    <message>
        <source>e-mail</source>
        <translation>e-mail</translation>
    </message>
    <message>
        <source>Tel</source>
        <translation>Tel</translation>
    </message>
    <message>
        <source>&amp;Изменить</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Добавить</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>&amp;Статистика</source>
        <translation>&amp;Statistics</translation>
    </message>
    <message>
        <source>&amp;Настройки</source>
        <translation>Se&amp;ttings</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>About&amp;Me</source>
        <translation>About&amp;Me</translation>
    </message>
    <message>
        <source>Поиск по имени или логину</source>
        <translation>Search by name or login</translation>
    </message>
    <message>
        <source>Имя или логин</source>
        <translation>Name or login</translation>
    </message>
    <message>
        <source>Об&amp;работать</source>
        <translation>&amp;Process</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>&amp;Да</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Нет</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>База данных занята другой программой</source>
        <translation>The database is busy with another program</translation>
    </message>
    <message>
        <source>Повторите позже, когда другая программа закончит работу с базой.</source>
        <translation>Try again later, when the other program has finished with the database.</translation>
    </message>
    <message>
        <source>База данных доступна только для чтения</source>
        <translation>The database is read-only</translation>
    </message>
    <message>
        <source>На диске не осталось места для базы данных</source>
        <translation>There is no space left on the disk for the database</translation>
    </message>
    <message>
        <source>Освободите место на диске и повторите.</source>
        <translation>Free some disk space and try again.</translation>
    </message>
    <message>
        <source>Файл базы данных повреждён</source>
        <translation>The database file is damaged</translation>
    </message>
    <message>
        <source>Восстановите базу данных из резервной копии.</source>
        <translation>Restore the database from a backup.</translation>
    </message>
    <message>
        <source>Ошибка базы данных</source>
        <translation>Database error</translation>
    </message>
    <message>
        <source>Проверьте права на запись в файл базы данных и в его папку (для базы на сервере — права роли).</source>
        <translation>Check the write permissions of the database file and its folder (for a database on a server, the role&apos;s privileges).</translation>
    </message>
    <message>
        <source>Роль «%1» не может собирать файлы в этой базе данных</source>
        <translation>The role “%1” may not collect files in this database</translation>
    </message>
    <message>
        <source>Роль «%1» не может изменять список людей в этой базе данных</source>
        <translation>The role “%1” may not change the people in this database</translation>
    </message>
    <message>
        <source>Роль «%1» не может изменять настройки в этой базе данных</source>
        <translation>The role “%1” may not change the settings in this database</translation>
    </message>
    <message>
        <source>Роль «%1» не может повторно вносить отложенные строки в этой базе данных</source>
        <translation>The role “%1” may not retry the lines set aside in this database</translation>
    </message>
    <message>
        <source>Роль «%1» не может удалять отложенные строки в этой базе данных</source>
        <translation>The role “%1” may not forget the lines set aside in this database</translation>
    </message>
    <message>
        <source>. Нет права %1 на таблицу %2.</source>
        <translation>. It lacks %1 on the table %2.</translation>
    </message>
    <message>
        <source>. Нет права %1 на строки площадки %3 в таблице %2.</source>
        <translation>. It lacks %1 on the rows of site %3 in the table %2.</translation>
    </message>
    <message>
        <source> Права выдаёт владелец таблиц (vornal-cli grants).</source>
        <translation> The owner of the tables grants rights (vornal-cli grants).</translation>
    </message>
    <message>
        <source>Роль «%1» не может исправлять интервалы в этой базе данных</source>
        <translation>The role “%1” may not correct intervals in this database</translation>
    </message>
    <message>
        <source>Роль «%1» не может изменять неявки и производственный календарь в этой базе данных</source>
        <translation>The role “%1” may not change absences or the working calendar in this database</translation>
    </message>
</context>
<context>
    <name>NewDatabaseDialog</name>
    <message>
        <source>База даных не создана!</source>
        <translation>The database has not been created!</translation>
    </message>
    <message>
        <source>Создаем новую базу</source>
        <translation>Creating a new database</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>PersonEditor</name>
    <message>
        <source>Добавление/Изменение</source>
        <translation>Add/Edit</translation>
    </message>
    <message>
        <source>ФИО</source>
        <translation>Full name</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Возраст</source>
        <translation>Age</translation>
    </message>
    <message>
        <source>Профессия</source>
        <translation>Profession</translation>
    </message>
    <message>
        <source>тел</source>
        <translation>tel</translation>
    </message>
    <message>
        <source>e-mail</source>
        <translation>e-mail</translation>
    </message>
    <message>
        <source>Фото</source>
        <translation>Photo</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Убрать фото</source>
        <translation>Remove photo</translation>
    </message>
    <message>
        <source>×</source>
        <translation>×</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Подразделение</source>
        <translation>Department</translation>
    </message>
    <message>
        <source>Табельный номер</source>
        <translation>Personnel number</translation>
    </message>
</context>
<context>
    <name>StatisticsWindow</name>
    <message>
        <source>Статистика</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Отработано часов:</source>
        <translation>Hours worked:</translation>
    </message>
    <message>
        <source>5 мин</source>
        <translation>5 min</translation>
    </message>
    <message>
        <source>Общее время:</source>
        <translation>Total time:</translation>
    </message>
    <message>
        <source>12 мин</source>
        <translation>12 min</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Помощь</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Посмотреть</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TimesheetReport</name>
    <message>
        <source>Январь</source>
        <translation>January</translation>
    </message>
    <message>
        <source>Февраль</source>
        <translation>February</translation>
    </message>
    <message>
        <source>Март</source>
        <translation>March</translation>
    </message>
    <message>
        <source>Апрель</source>
        <translation>April</translation>
    </message>
    <message>
        <source>Май</source>
        <translation>May</translation>
    </message>
    <message>
        <source>Июнь</source>
        <translation>June</translation>
    </message>
    <message>
        <source>Июль</source>
        <translation>July</translation>
    </message>
    <message>
        <source>Август</source>
        <translation>August</translation>
    </message>
    <message>
        <source>Сентябрь</source>
        <translation>September</translation>
    </message>
    <message>
        <source>Октябрь</source>
        <translation>October</translation>
    </message>
    <message>
        <source>Ноябрь</source>
        <translation>November</translation>
    </message>
    <message>
        <source>Декабрь</source>
        <translation>December</translation>
    </message>
    <message>
        <source>Янв</source>
        <translation>Jan</translation>
    </message>
    <message>
        <source>Фев</source>
        <translation>Feb</translation>
    </message>
    <message>
        <source>Мар</source>
        <translation>Mar</translation>
    </message>
    <message>
        <source>Апр</source>
        <translation>Apr</translation>
    </message>
    <message>
        <source>Июн</source>
        <translation>Jun</translation>
    </message>
    <message>
        <source>Июл</source>
        <translation>Jul</translation>
    </message>
    <message>
        <source>Авг</source>
        <translation>Aug</translation>
    </message>
    <message>
        <source>Сен</source>
        <translation>Sep</translation>
    </message>
    <message>
        <source>Окт</source>
        <translation>Oct</translation>
    </message>
    <message>
        <source>Ноя</source>
        <translation>Nov</translation>
    </message>
    <message>
        <source>Дек</source>
        <translation>Dec</translation>
    </message>
    <message>
        <source>Пн</source>
        <translation>Mo</translation>
    </message>
    <message>
        <source>Вт</source>
        <translation>Tu</translation>
    </message>
    <message>
        <source>Ср</source>
        <translation>We</translation>
    </message>
    <message>
        <source>Чт</source>
        <translation>Th</translation>
    </message>
    <message>
        <source>Пт</source>
        <translation>Fr</translation>
    </message>
    <message>
        <source>Сб</source>
        <translation>Sa</translation>
    </message>
    <message>
        <source>Вс</source>
        <translation>Su</translation>
    </message>
    <message>
        <source>понедельник</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>вторник</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>среда</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>четверг</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>пятница</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>суббота</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>воскресенье</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>%1 г.</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1 %2 г.</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Табель учёта рабочего времени</source>
        <translation>Timesheet</translation>
    </message>
    <message>
        <source>Листы на подпись</source>
        <translation>Signing sheets</translation>
    </message>
    <message>
        <source>%1 за %2</source>
        <translation>%1 for %2</translation>
    </message>
    <message>
        <source>Сформировано %1</source>
        <translation>Made %1</translation>
    </message>
    <message>
        <source>Страница %1 из %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>№</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Работник</source>
        <translation>Worker</translation>
    </message>
    <message>
        <source>Дней</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>Работа</source>
        <translation>Work</translation>
    </message>
    <message>
        <source>Задания</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Итого</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Лист учёта рабочего времени</source>
        <translation>Working time sheet</translation>
    </message>
    <message>
        <source>Нет работников.</source>
        <translation>No workers.</translation>
    </message>
    <message>
        <source>Работник: %1</source>
        <translation>Worker: %1</translation>
    </message>
    <message>
        <source>Логин: %1</source>
        <translation>Login: %1</translation>
    </message>
    <message>
        <source>Месяц</source>
        <translation>Month</translation>
    </message>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>День недели</source>
        <translation>Weekday</translation>
    </message>
    <message>
        <source>Рабочее время</source>
        <translation>Working time</translation>
    </message>
    <message>
        <source>Дней с работой: %1</source>
        <translation>Days with work: %1</translation>
    </message>
    <message>
        <source>подпись</source>
        <translation>signature</translation>
    </message>
    <message>
        <source>расшифровка подписи</source>
        <translation>name in full</translation>
    </message>
    <message>
        <source>Руководитель</source>
        <translation>Manager</translation>
    </message>
    <message>
        <source>январь</source>
        <translation>January</translation>
    </message>
    <message>
        <source>февраль</source>
        <translation>February</translation>
    </message>
    <message>
        <source>март</source>
        <translation>March</translation>
    </message>
    <message>
        <source>апрель</source>
        <translation>April</translation>
    </message>
    <message>
        <source>май</source>
        <translation>May</translation>
    </message>
    <message>
        <source>июнь</source>
        <translation>June</translation>
    </message>
    <message>
        <source>июль</source>
        <translation>July</translation>
    </message>
    <message>
        <source>август</source>
        <translation>August</translation>
    </message>
    <message>
        <source>сентябрь</source>
        <translation>September</translation>
    </message>
    <message>
        <source>октябрь</source>
        <translation>October</translation>
    </message>
    <message>
        <source>ноябрь</source>
        <translation>November</translation>
    </message>
    <message>
        <source>декабрь</source>
        <translation>December</translation>
    </message>
</context>
<context>
    <name>TimesheetWindow</name>
    <message>
        <source>Табель</source>
        <translation>Timesheet</translation>
    </message>
    <message>
        <source>Организация:</source>
        <translation>Organisation:</translation>
    </message>
    <message>
        <source>название для печатных форм</source>
        <translation>name for the printed forms</translation>
    </message>
    <message>
        <source>График</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>Работник:</source>
        <translation>Worker:</translation>
    </message>
    <message>
        <source>День</source>
        <translation>Day</translation>
    </message>
    <message>
        <source>◀</source>
        <translation>◀</translation>
    </message>
    <message>
        <source>Предыдущий день</source>
        <translation>Previous day</translation>
    </message>
    <message>
        <source>▶</source>
        <translation>▶</translation>
    </message>
    <message>
        <source>Следующий день</source>
        <translation>Next day</translation>
    </message>
    <message>
        <source>Сохранить CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>Сохранить PDF</source>
        <translation>Save PDF</translation>
    </message>
    <message>
        <source>Печать</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Листы на подпись</source>
        <translation>Signing sheets</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Табель по унифицированной форме Т-13 в PDF</source>
        <translation>The timesheet on the unified form T-13, as a PDF</translation>
    </message>
    <message>
        <source>Календарь</source>
        <translation>Calendar</translation>
    </message>
    <message>
        <source>Производственный календарь: выходные, праздники, сокращённые дни</source>
        <translation>The working calendar: days off, holidays, short days</translation>
    </message>
    <message>
        <source>Т-13</source>
        <translation>T-13</translation>
    </message>
</context>
<context>
    <name>vornal::Application</name>
    <message>
        <source>Windows sockets initialization failed.</source>
        <translation>Windows sockets initialization failed.</translation>
    </message>
    <message>
        <source>Пароль в адресе базы данных не принимается: храните его в файле паролей (~/.pgpass) или в файле служб PostgreSQL.

%1</source>
        <translation>A password in the database&apos;s address is not accepted: keep it in the password file (~/.pgpass) or in PostgreSQL&apos;s service file.

%1</translation>
    </message>
</context>
<context>
    <name>vornal::CalendarDialog</name>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>День недели</source>
        <translation>Weekday</translation>
    </message>
    <message>
        <source>Вид дня</source>
        <translation>Kind of day</translation>
    </message>
    <message>
        <source>Часы</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source> (изменён)</source>
        <translation> (changed)</translation>
    </message>
    <message>
        <source>Норма месяца: %1 ч в %2 рабочих днях</source>
        <translation>The month&apos;s norm: %1 h in %2 working days</translation>
    </message>
    <message>
        <source>Рабочий день</source>
        <translation>Working day</translation>
    </message>
    <message>
        <source>Сокращённый день</source>
        <translation>Short day</translation>
    </message>
    <message>
        <source>Выходной</source>
        <translation>Day off</translation>
    </message>
    <message>
        <source>Как по умолчанию</source>
        <translation>As by default</translation>
    </message>
    <message>
        <source>календарь не изменён</source>
        <translation>the calendar was not changed</translation>
    </message>
</context>
<context>
    <name>vornal::CorrectionDialog</name>
    <message>
        <source>Добавление интервала</source>
        <translation>Add an interval</translation>
    </message>
    <message>
        <source>Исправление интервала</source>
        <translation>Correct an interval</translation>
    </message>
</context>
<context>
    <name>vornal::DayTimelineView</name>
    <message>
        <source>В этот день ничего не записано.</source>
        <translation>Nothing was recorded on this day.</translation>
    </message>
    <message>
        <source>Исправить интервал…</source>
        <translation>Correct the interval…</translation>
    </message>
    <message>
        <source>Удалить интервал…</source>
        <translation>Remove the interval…</translation>
    </message>
    <message>
        <source>Интервал ещё не завершён: его ведёт обработка файлов клиента.</source>
        <translation>The interval is still going on: the processing of the client&apos;s files keeps it.</translation>
    </message>
    <message>
        <source>Отменить последнее исправление…</source>
        <translation>Undo the latest correction…</translation>
    </message>
    <message>
        <source>Добавить интервал…</source>
        <translation>Add an interval…</translation>
    </message>
</context>
<context>
    <name>vornal::FoldersPage</name>
    <message>
        <source>Выберите каталог</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>Строка %1: папка не указана. Укажите папку или снимите отметку строки.</source>
        <translation>Row %1: no folder given. Enter a folder or clear the row&apos;s check box.</translation>
    </message>
    <message>
        <source>Строка %1: путь к папке длиннее %2 символов, такой путь не сохранить.

%3</source>
        <translation>Row %1: the folder path is longer than %2 characters and cannot be saved.

%3</translation>
    </message>
    <message>
        <source>Можно указать шаблон: * и ? в именах папок, например /srv/work/* — собираются все подходящие папки.</source>
        <translation>A pattern is allowed: * and ? in folder names, for example /srv/work/* — every matching folder is collected.</translation>
    </message>
    <message>
        <source>Добавить строку</source>
        <translation>Add row</translation>
    </message>
    <message>
        <source>шаблон: папок нет</source>
        <translation>pattern: no folders</translation>
    </message>
    <message>
        <source>шаблон, папок: %1</source>
        <translation>pattern, folders: %1</translation>
    </message>
    <message>
        <source>Площадка: %1 (этот компьютер)</source>
        <translation>Site: %1 (this computer)</translation>
    </message>
    <message>
        <source>Площадка: %1</source>
        <translation>Site: %1</translation>
    </message>
    <message>
        <source>Строки без отметки не сохраняются, их пути будут удалены (строки: %1). Удалить?</source>
        <translation>Unticked rows are not kept; their paths will be removed (rows: %1). Remove them?</translation>
    </message>
    <message>
        <source>Строка %1: папка с таким именем не существует:
</source>
        <translation>Row %1: no folder of that name exists:
</translation>
    </message>
</context>
<context>
    <name>vornal::GeneralPage</name>
    <message>
        <source> с</source>
        <translation> s</translation>
    </message>
    <message>
        <source>как в системе</source>
        <translation>as the system</translation>
    </message>
    <message>
        <source>Окна будут на этом языке после перезапуска программы.</source>
        <translation>The windows use this language after the program is started again.</translation>
    </message>
</context>
<context>
    <name>vornal::HoursChart</name>
    <message>
        <source>Месяц</source>
        <translation>Month</translation>
    </message>
    <message>
        <source>День</source>
        <translation>Day</translation>
    </message>
    <message>
        <source>Часы</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source>все работники</source>
        <translation>all workers</translation>
    </message>
    <message>
        <source>Часы за %1: %2</source>
        <translation>Hours for %1: %2</translation>
    </message>
</context>
<context>
    <name>vornal::LengthValidator</name>
    <message>
        <source>Поле вмещает не больше %1 символов: лишние (%2) не вставлены.</source>
        <translation>The field holds at most %1 characters: the extra ones (%2) were not inserted.</translation>
    </message>
</context>
<context>
    <name>vornal::MainWindow</name>
    <message>
        <source>Невозможно открыть базу данных</source>
        <translation>Cannot open the database</translation>
    </message>
    <message>
        <source>О программе...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>команда не выполнена</source>
        <translation>the command was not carried out</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>ФИО</source>
        <translation>Full name</translation>
    </message>
    <message>
        <source>Профессия</source>
        <translation>Profession</translation>
    </message>
    <message>
        <source>Возраст</source>
        <translation>Age</translation>
    </message>
    <message>
        <source>Телефон</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>Логин %1 уже есть у %2 (%3): сохранить всё равно?</source>
        <translation>%2 (%3) already has the login %1: save anyway?</translation>
    </message>
    <message>
        <source>Этой записи больше нет в базе данных: её удалила другая программа. Введённые данные остались в окне.</source>
        <translation>This record is no longer in the database: another program deleted it. The data you entered are still in the window.</translation>
    </message>
    <message>
        <source>запись не сохранена, введённые данные остались в окне</source>
        <translation>the record was not saved, the data you entered are still in the window</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить эту запись?</source>
        <translation>Do you really want to delete this record?</translation>
    </message>
    <message>
        <source>Удаление</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Это процесс может занять несколько минут.
Продолжить?</source>
        <translation>This may take several minutes.
Continue?</translation>
    </message>
    <message>
        <source>Обработка</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>файлы оставлены до следующей обработки</source>
        <translation>the files are left for the next processing</translation>
    </message>
    <message>
        <source>Ошибка чтения или удаления файла; %1.

%2</source>
        <translation>Error reading or removing a file; %1.

%2</translation>
    </message>
    <message>
        <source>(пусто)</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>ФИО изменены на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The full name was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Логин изменён на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The login was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Возраст изменён на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The age was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Профессия изменена на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The profession was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Телефон изменён на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The telephone was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>E-mail изменён на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The e-mail was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Фото изменено на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The photo was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Строка %1 изменена на другом рабочем месте: %2 — сохранить ваше значение %3?</source>
        <translation>Row %1 was changed at another desk: %2 — save your value %3?</translation>
    </message>
    <message>
        <source>площадка %1</source>
        <translation>site %1</translation>
    </message>
    <message>
        <source>Couldn&apos;t open database--Exception: %1</source>
        <translation>Couldn&apos;t open database--Exception: %1</translation>
    </message>
    <message>
        <source>Failed to open database--Memory exception thrown.</source>
        <translation>Failed to open database--Memory exception thrown.</translation>
    </message>
    <message>
        <source>Couldn&apos;t append TableDef--Exception: %1</source>
        <translation>Couldn&apos;t append TableDef--Exception: %1</translation>
    </message>
    <message>
        <source>База данных не создана, программа закрывается. Чтобы создать базу данных, запустите программу снова и нажмите OK.</source>
        <translation>No database was created, so the program closes. To create the database, start the program again and press OK.</translation>
    </message>
    <message>
        <source>Нет данных</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Изменить</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Запись %1 не удалена: в базе данных есть записи о работе с этим логином (%2), и без неё они остались бы без владельца.</source>
        <translation>%1 was not removed: the database holds work rows with this login (%2), which would be left without their person.</translation>
    </message>
    <message>
        <source>настройки не сохранены и остались в окне</source>
        <translation>the settings were not saved and are still in the window</translation>
    </message>
    <message>
        <source>Подразделение изменено на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The department was changed at another desk: %1 — save your value %2?</translation>
    </message>
    <message>
        <source>Табельный номер изменён на другом рабочем месте: %1 — сохранить ваше значение %2?</source>
        <translation>The personnel number was changed at another desk: %1 — save your value %2?</translation>
    </message>
</context>
<context>
    <name>vornal::NewDatabaseDialog</name>
    <message>
        <source>Couldn&apos;t create database--Exception: %1</source>
        <translation>Couldn&apos;t create database--Exception: %1</translation>
    </message>
    <message>
        <source>Failed to create database--Memory exception thrown.</source>
        <translation>Failed to create database--Memory exception thrown.</translation>
    </message>
</context>
<context>
    <name>vornal::PeopleModel</name>
    <message>
        <source>ФИО</source>
        <translation>Full name</translation>
    </message>
    <message>
        <source>Профессия</source>
        <translation>Profession</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
</context>
<context>
    <name>vornal::PersonEditor</name>
    <message>
        <source>Путь к файлу фото длиннее %1 символов; фото не изменено. Выберите файл с более коротким путём.

%2</source>
        <translation>The path of the photo file is longer than %1 characters; the photo is unchanged. Choose a file with a shorter path.

%2</translation>
    </message>
    <message>
        <source>Файл не удаётся прочитать как рисунок; фото не изменено.

%1
%2</source>
        <translation>The file cannot be read as a picture; the photo is unchanged.

%1
%2</translation>
    </message>
    <message>
        <source>Необходимо заполнить поле </source>
        <translation>Please fill in the field </translation>
    </message>
    <message>
        <source>Поле %1 длиннее %2 символов: сократите его.</source>
        <translation>The field %1 is longer than %2 characters: shorten it.</translation>
    </message>
    <message>
        <source>Select Bitmap</source>
        <translation>Select Bitmap</translation>
    </message>
</context>
<context>
    <name>vornal::PhotoView</name>
    <message>
        <source>Рисунки (%1)</source>
        <translation>Pictures (%1)</translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Bitmap Files (*.bmp)</source>
        <translation>Bitmap Files (*.bmp)</translation>
    </message>
    <message>
        <source>File not found.</source>
        <translation>File not found.</translation>
    </message>
</context>
<context>
    <name>vornal::ProcessProgressDialog</name>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Обработка</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>Папка: </source>
        <translation>Folder: </translation>
    </message>
    <message>
        <source>открывается база данных...</source>
        <translation>opening the database...</translation>
    </message>
    <message>
        <source>Файл: </source>
        <translation>File: </translation>
    </message>
    <message>
        <source>ещё не выбран</source>
        <translation>none yet</translation>
    </message>
    <message>
        <source>Внесено событий: 0</source>
        <translation>Events entered: 0</translation>
    </message>
    <message>
        <source>Внесено событий: </source>
        <translation>Events entered: </translation>
    </message>
    <message>
        <source>Остановка после текущего файла...</source>
        <translation>Stopping after the current file...</translation>
    </message>
    <message>
        <source>Папки: подсчёт...</source>
        <translation>Folders: counting...</translation>
    </message>
    <message>
        <source>Папка %1 из %2</source>
        <translation>Folder %1 of %2</translation>
    </message>
</context>
<context>
    <name>vornal::SettingsDialog</name>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>vornal::StatisticsWindow</name>
    <message>
        <source>--- Выберите пользователя ---</source>
        <translation>--- Choose a user ---</translation>
    </message>
    <message>
        <source>данные не показаны</source>
        <translation>the data are not shown</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>Выберите в дереве год, месяц или день.</source>
        <translation>Choose a year, a month or a day in the tree.</translation>
    </message>
    <message>
        <source>Всего отработано: %1      Общее рабочее время: %2</source>
        <translation>Total worked: %1      Total working time: %2</translation>
    </message>
    <message>
        <source>База данных пуста</source>
        <translation>The database is empty</translation>
    </message>
    <message>
        <source>Нет данных</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Исправить интервал…</source>
        <translation>Correct the interval…</translation>
    </message>
    <message>
        <source>Удалить интервал…</source>
        <translation>Remove the interval…</translation>
    </message>
    <message>
        <source>Отменить последнее исправление…</source>
        <translation>Undo the latest correction…</translation>
    </message>
    <message>
        <source>Добавить интервал…</source>
        <translation>Add an interval…</translation>
    </message>
</context>
<context>
    <name>vornal::TimesheetWindow</name>
    <message>
        <source>Не удалось прочитать базу данных.</source>
        <translation>The database could not be read.</translation>
    </message>
    <message>
        <source>Не хватает памяти.</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>Табель считается…</source>
        <translation>Summing the timesheet…</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>все работники</source>
        <translation>all workers</translation>
    </message>
    <message>
        <source>Табель за %1</source>
        <translation>Timesheet for %1</translation>
    </message>
    <message>
        <source>Табель за %1: %2</source>
        <translation>Timesheet for %1: %2</translation>
    </message>
    <message>
        <source>Все работники</source>
        <translation>All workers</translation>
    </message>
    <message>
        <source>%1, работников с записями: %2</source>
        <translation>%1, workers with records: %2</translation>
    </message>
    <message>
        <source>Не удалось сохранить название организации; оно будет только в этих печатных формах.</source>
        <translation>The organisation&apos;s name could not be saved; it will appear only in these printed forms.</translation>
    </message>
    <message>
        <source>Сохранено: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>Сохранить табель в CSV</source>
        <translation>Save the timesheet as CSV</translation>
    </message>
    <message>
        <source>Таблицы CSV (*.csv)</source>
        <translation>CSV tables (*.csv)</translation>
    </message>
    <message>
        <source>табель</source>
        <translation>timesheet</translation>
    </message>
    <message>
        <source>Не удалось сохранить файл %1:
%2</source>
        <translation>The file %1 could not be saved:
%2</translation>
    </message>
    <message>
        <source>Сохранить табель в PDF</source>
        <translation>Save the timesheet as PDF</translation>
    </message>
    <message>
        <source>Документы PDF (*.pdf)</source>
        <translation>PDF documents (*.pdf)</translation>
    </message>
    <message>
        <source>Сохранить листы на подпись</source>
        <translation>Save the signing sheets</translation>
    </message>
    <message>
        <source>листы-на-подпись</source>
        <translation>signing-sheets</translation>
    </message>
    <message>
        <source>Не удалось напечатать табель: принтер не готов.</source>
        <translation>The timesheet could not be printed: the printer is not ready.</translation>
    </message>
    <message>
        <source>Табель отправлен на печать.</source>
        <translation>The timesheet was sent to the printer.</translation>
    </message>
    <message>
        <source>Не удалось нарисовать страницы.</source>
        <translation>The pages could not be drawn.</translation>
    </message>
    <message>
        <source>Это файл самой базы данных; выберите другое имя.</source>
        <translation>This is the database file itself; choose another name.</translation>
    </message>
    <message>
        <source>Это символическая ссылка; выберите сам файл.</source>
        <translation>This is a symbolic link; choose the file itself.</translation>
    </message>
    <message>
        <source>Это не обычный файл, а папка, устройство или канал.</source>
        <translation>This is not a regular file but a folder, a device or a pipe.</translation>
    </message>
    <message>
        <source>Неявка</source>
        <translation>Absence</translation>
    </message>
    <message>
        <source>Очистить неявку</source>
        <translation>Clear the absence</translation>
    </message>
    <message>
        <source>Примечание:</source>
        <translation>Note:</translation>
    </message>
    <message>
        <source>Сохранить табель по форме Т-13</source>
        <translation>Save the timesheet on form T-13</translation>
    </message>
    <message>
        <source>т-13</source>
        <translation>t-13</translation>
    </message>
    <message>
        <source>неявки не изменены</source>
        <translation>the absences were not changed</translation>
    </message>
</context>
</TS>
