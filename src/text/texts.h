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
  X(DialChoosing, "Выбор и настройка соединения...")                \
  X(DialModemSetup, "Настройка модема...")                            \
  X(DialConnectionSetup, "Настройка соединения...")                   \
  X(DialLinkError, "Ошибка связи, код: ")                             \
  X(DialClosing, "Ошибка.Закрытие соединения...")                     \
  X(DialModemSilent, "Модем не отвечает")                             \
  X(RasStateOpenPort, "Открытие порта...")                            \
  X(RasStatePortOpened, "Порт открыт...")                             \
  X(RasStateConnectDevice, "Соединение с модемом...")                 \
  X(RasStateDeviceConnected, "Соединение с модемом установлено...")   \
  X(RasStateAllDevicesConnected, "Все устройства соединены...")       \
  X(RasStateAuthenticate, "Проверка имени и пароля...")               \
  X(RasStateAuthNotify, "Проверка имени и пароля выполнена...")       \
  X(RasStateAuthRetry, "Повтор проверка имени и пароля...")           \
  X(RasStateAuthCallback, "Удаленный сервер запросил номер отклика...") \
  X(RasStateAuthChangePassword, "Изменение пароля...")                \
  X(RasStateAuthProject, "Регистрация компьютера...")                 \
  X(RasStateAuthLinkSpeed, "Вычисление скорости связи...")            \
  X(RasStateAuthAck, "Имя пользователя и пароль подтверждены...")     \
  X(RasStateReAuthenticate, "Реаутентификация...")                    \
  X(RasStateAuthenticated, "Проверка имени и пароля выполенена...")   \
  X(RasStatePrepareForCallback, "Подготовка отклика...")              \
  X(RasStateWaitForModemReset, "Ожидание инитиализации модема...")    \
  X(RasStateWaitForCallback, "Ожидание отклика...")                   \
  X(RasStateProjected, "Регистрация компьютера выполнена...")         \
  X(RasStateCallbackComplete, "Отклик получен...")                    \
  X(RasStateLogonNetwork, "Вход в сеть...")                           \
  X(RasStateInteractive, "Пауза...")                                  \
  X(RasStateRetryAuthentication, "Повтор проверки имени пользователя и пароля...") \
  X(RasStateCallbackSetByCaller, "Отклик установлен звонящим...")     \
  X(RasStatePasswordExpired, "Пароль не действителен...")             \
  X(RasStateInvokeEapUi, "Пауза для идентификации...")                \
  X(ConnSearching, "Поиск активных соединений...")                    \
  X(ConnApnUpdate, "Обновление конфигурации АPN...")                  \
  X(ConnError, "Ошибка при соединении.")                              \
  X(ConnServiceUnavailable, "Ошибка. Услуга недоступна")              \
  X(ConnErrorCode, "Ошибка при соединении. Код ")                     \
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
