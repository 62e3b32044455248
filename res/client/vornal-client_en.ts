<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ru_RU">
<context>
    <name>ClientText</name>
    <message>
        <source>Папка работника не задана: укажите её в настройках (folder=).</source>
        <translation>No worker&apos;s folder is set: give it in the settings (folder=).</translation>
    </message>
    <message>
        <source>Папка %1 — символическая ссылка: укажите саму папку.</source>
        <translation>The folder %1 is a symbolic link: give the folder itself.</translation>
    </message>
    <message>
        <source>%1 — канал (FIFO), а не папка.</source>
        <translation>%1 is a FIFO, not a folder.</translation>
    </message>
    <message>
        <source>%1 — не папка.</source>
        <translation>%1 is not a folder.</translation>
    </message>
    <message>
        <source>Интервал %1 с слишком велик: он должен быть меньше 300 секунд (пяти минут).</source>
        <translation>The interval of %1 s is too long: it must be under 300 seconds (five minutes).</translation>
    </message>
    <message>
        <source>Интервал должен быть числом секунд от 1 до 299.</source>
        <translation>The interval must be a number of seconds from 1 to 299.</translation>
    </message>
    <message>
        <source>Время бездействия должно быть числом минут не меньше 1.</source>
        <translation>The idle time must be a number of minutes, at least 1.</translation>
    </message>
    <message>
        <source>Имя входа не может содержать «|» или управляющие символы.</source>
        <translation>The login cannot hold &quot;|&quot; or control characters.</translation>
    </message>
    <message>
        <source>Не удалось записать %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>Рабочий день: открыт с %1</source>
        <translation>Working day: open since %1</translation>
    </message>
    <message>
        <source>Рабочий день: не начат</source>
        <translation>Working day: not started</translation>
    </message>
    <message>
        <source>Задание: открыто с %1</source>
        <translation>Task: open since %1</translation>
    </message>
    <message>
        <source>Задание: нет</source>
        <translation>Task: none</translation>
    </message>
    <message>
        <source>Отработано сегодня: %1 (задания %2)</source>
        <translation>Worked today: %1 (tasks %2)</translation>
    </message>
    <message>
        <source>Папка: %1 — недоступна (%2)</source>
        <translation>Folder: %1 — cannot be written (%2)</translation>
    </message>
    <message>
        <source>Папка: %1 — записано</source>
        <translation>Folder: %1 — written</translation>
    </message>
    <message>
        <source>В очереди событий: %1</source>
        <translation>Events waiting in the spool: %1</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Использование: vornal-client [КОМАНДА]
Без команды — значок в области уведомлений (или окно, если её нет).
Команды:
  start-day   начать рабочий день
  stop-day    закончить рабочий день (и задание)
  start-task  начать задание (и рабочий день, если он не начат)
  stop-task   закончить задание
  status      что открыто, с какого времени, сколько событий ждёт отправки
  run         вести рабочий день без окна, пока не остановят
Настройки: ~/.config/Vornal/client.conf (по умолчанию /etc/xdg/Vornal/client.conf).</source>
        <translation>Usage: vornal-client [COMMAND]
Without a command: an icon in the notification area (or a window where there is none).
Commands:
  start-day   start the working day
  stop-day    end the working day (and the task)
  start-task  start a task (and the working day when none is started)
  stop-task   end the task
  status      what is open, since when, how many events wait to be written
  run         keep the working day going without a window until stopped
Settings: ~/.config/Vornal/client.conf (defaults in /etc/xdg/Vornal/client.conf).</translation>
    </message>
    <message>
        <source>Файл настроек: %1</source>
        <translation>Settings file: %1</translation>
    </message>
    <message>
        <source>vornal-client уже работает в этом сеансе (процесс %1).</source>
        <translation>vornal-client is already running in this session (process %1).</translation>
    </message>
    <message>
        <source>Рабочий день начат.</source>
        <translation>Working day started.</translation>
    </message>
    <message>
        <source>Рабочий день уже начат.</source>
        <translation>The working day is already started.</translation>
    </message>
    <message>
        <source>Рабочий день закончен.</source>
        <translation>Working day ended.</translation>
    </message>
    <message>
        <source>Рабочий день не начат.</source>
        <translation>No working day is started.</translation>
    </message>
    <message>
        <source>Задание начато.</source>
        <translation>Task started.</translation>
    </message>
    <message>
        <source>Задание уже начато.</source>
        <translation>A task is already started.</translation>
    </message>
    <message>
        <source>Задание закончено.</source>
        <translation>Task ended.</translation>
    </message>
    <message>
        <source>Задание не начато.</source>
        <translation>No task is started.</translation>
    </message>
</context>
<context>
    <name>vornal::SessionWatch</name>
    <message>
        <source>Запись конца рабочего дня</source>
        <translation>Writing the end of the working day</translation>
    </message>
</context>
<context>
    <name>vornal::SettingsDialog</name>
    <message>
        <source>Начинать рабочий день при входе в систему</source>
        <translation>Start the working day when the session starts</translation>
    </message>
    <message>
        <source>Настройки vornal-client</source>
        <translation>vornal-client settings</translation>
    </message>
    <message>
        <source> с</source>
        <translation> s</translation>
    </message>
    <message>
        <source> мин</source>
        <translation> min</translation>
    </message>
    <message>
        <source>Обзор...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>Папка работника</source>
        <translation>Worker&apos;s folder</translation>
    </message>
    <message>
        <source>Папка (%u — имя пользователя):</source>
        <translation>Folder (%u: the user name):</translation>
    </message>
    <message>
        <source>Имя входа:</source>
        <translation>Login:</translation>
    </message>
    <message>
        <source>Событие «работаю» каждые:</source>
        <translation>Go-on event every:</translation>
    </message>
    <message>
        <source>Бездействие не дольше:</source>
        <translation>Idle for at most:</translation>
    </message>
</context>
<context>
    <name>vornal::TrayFront</name>
    <message>
        <source>Начать рабочий день</source>
        <translation>Start working day</translation>
    </message>
    <message>
        <source>Закончить рабочий день</source>
        <translation>End working day</translation>
    </message>
    <message>
        <source>Начать задание</source>
        <translation>Start task</translation>
    </message>
    <message>
        <source>Закончить задание</source>
        <translation>End task</translation>
    </message>
    <message>
        <source>Настройки...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
