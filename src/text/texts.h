// The program's fixed texts, in one place. The source keeps them as UTF-8;
// callers get code page 1251 bytes, the form RAS, the registry and the log use.
// To add a text, add one line to the table.
#pragma once

#include <string>
#include <string_view>

namespace dw {

#define DW_TEXTS(X)                                   \
  X(AppTitle, "Корвана Dialwave")                     \
  X(SingleInstanceMutex, "KorvanaDialwave")                           \
  X(ApnUpdateNotNeeded, "Обновление списка APN не требуется")         \
  X(UpdateRequestFailed, "Ошибка при запросе обновлений: ")           \
  X(UpdateReceiveFailed, "Ошибка при получении обновлений: ")         \
  X(UpdateBadFormat, "неверный формат ответа")                        \
  X(UpdateOtherAppVersion, "версия приложения отличается от запрошенной") \
  X(UpdateTooLong, "слишком длинный ответ")                           \
  X(UpdateUnsafeApn, "недопустимое имя APN в списке")                 \
  X(UpdateEmptyApnList, "пустой список APN")                        \
  X(MsgTitleWarning, "Внимание!")                                     \
  X(MsgTitleError, "Ошибка!")                                         \
  X(MsgTitleInfo, "Информация")                                       \
  X(MsgTitleConfirm, "Подтвердите")                                   \
  X(ButtonYes, "Да")                                                  \
  X(ButtonNo, "Нет")                                                  \
  X(ButtonOk, "ОК")                                                   \
  X(ButtonCancel, "Отменить")                                         \
  X(ConnBreakTitle, "Соединение прервано")                            \
  X(ConnBreakQuestion, "Соединение с Интернет прервано. Восстановить?") \
  X(ConnBreakAuto, "Восстанавливать автоматически")                   \
  X(ProgressTitle, "Установка соединения")                            \
  X(ProgressInitial, "...")                                           \
  X(ProgressClose, "Закрыть")                                         \
  X(ProgressDetailsOpen, "Детали >>")                                 \
  X(ProgressDetailsClose, "<< Детали")                                \
  X(ProgressUserCancelled, "Пользователь отменил соединение...")   \
  X(RasConfigError, "Во время работы программы возникла ошибка конфигурации системы. Восстановление требует перезагрузки.") \
  X(ModemNoRights, "Ошибка: недостаточно прав для настройки соединения") \
  X(ActNext, "Далее")                                                 \
  X(ActExit, "Выйти")                                                 \
  X(ActConnect, "Соединить/Разъединить")                              \
  X(ActRestore, "Открыть программу")                                  \
  X(ActSelect, "Выбрать")                                             \
  X(ActAbout, "О программе")                                          \
  X(ActService, "Сервис")                                             \
  X(ActBack, "Назад")                                                 \
  X(CaptionConnect, "Подключиться")                                   \
  X(CaptionDisconnect, "Отключиться")                                 \
  X(ModemNotRegistered, "Ошибка: выбраный модем в системе не зарегистрирован. Выберите другой модем для соединения") \
  X(CloseConnectionQuestion, "Соединение с Интернетом открыто. Закрыть его?") \
  X(VersionPrefix, "Версия: ")                                        \
  X(TrayDisconnected, "Dialwave - Отключено")                         \
  X(TrayConnected, "Dialwave - Подключено")                           \
  X(StatusDisconnected, "Соединение с GPRS не установлено")           \
  X(StatusConnected, "Соединение c GPRS установлено") /* Latin c */  \
  X(TimeHours, " часов ")                                             \
  X(TimeMinutes, " минут")                                            \
  X(UnitBytes, "байт")                                                \
  X(UnitBytesPerSec, "байт/сек")                                      \
  X(UnitMegabytesPerSec, "Мбайт/сек") /* Cyrillic М */               \
  X(HintMinimise, "Свернуть программу в \"Трей\"")                  \
  X(HintClose, "Закрыть программу")                                   \
  X(LabelSpeed, "Скорость передачи")                                  \
  X(LabelMaximum, "Максимум:")                                        \
  X(LabelTraffic, "Трафик")                                           \
  X(LabelReceived, "Принято:")                                        \
  X(LabelTransmitted, "Передано:")                                    \
  X(LabelTotal, "Всего за сеанс:")                                    \
  X(LabelConnTime, "Время соединения")                                \
  X(LabelOtherDevice, "Для того чтобы выбрать соединение через другое устройство, перейдите в раздел ") \
  X(LinkSettings, "Настройки")                                        \
  X(LinkAgreement, "Пользовательское соглашение")                     \
  X(LinkBackToProgram, "<  Вернуться в программу")                    \
  X(ButtonAgree, "Согласен")                                          \
  X(ButtonDisagree, "Не согласен")                                    \
  X(LabelChooseModem, "Выберите модем")                               \
  X(LinkRefresh, "Обновить")                                          \
  X(LabelDeviceNote, "Убедитесь, что Ваш мобильный телефон или другое устройство подключено к компьютеру и программное обеспчение для него установлено и настроено") \
  X(OptionDesktop, "Создать ярлык на Рабочем столе")                  \
  X(OptionAutorun, "Добавить программу в меню Автозапуск")            \
  X(OptionCopy, "Скопировать программу в папку C:\\Korvana")          \
  X(AboutProduct, "Программа настройки компьютера для получения доступа к сети Интернет через мобильный телефон") \
  X(QuestionTitle, "Error")                                           \
  X(QuestionYes, "&Yes")                                              \
  X(QuestionNo, "&No")                                                \
  X(OtherApnConnected, "Ошибка: Выбраный модем соединен через другой APN. Отсоединить?")

enum class TextId {
#define DW_TEXT_ID(id, utf8) id,
  DW_TEXTS(DW_TEXT_ID)
#undef DW_TEXT_ID
      Count
};

// The text as code page 1251 bytes.
const std::string& Text(TextId id);

// The text as written in the source (UTF-8), for tests and terminals.
std::string_view TextUtf8(TextId id);

}  // namespace dw
